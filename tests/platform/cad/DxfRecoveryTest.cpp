// Damaged drawings, made from one ezdxf wrote: what the damage did not touch is read as it was, each stretch that
// could not be read is said once with its lines and what it held, and saving writes the damaged bytes back as they
// stood. Read strictly, the same drawings are refused as they always were.
#include "DxfTestSupport.h"

#include "platform/cad/dxf/DxfReader.h"
#include "platform/cad/dxf/DxfRecovery.h"
#include "platform/cad/dxf/DxfWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

namespace {

struct Reading {
    cad::DxfResult result;
    std::unique_ptr<cad::Database> database;
    // "CHAIR 2, DOOR 3": model space's references by block.
    std::string Census() const {
        std::map<std::string, int> counts;
        for (cad::ObjectId id : database->PeekAs<cad::BlockTableRecord>(database->ModelSpaceId())->entities) {
            if (const auto* reference = database->PeekAs<cad::BlockReference>(id)) {
                const auto* block = database->PeekAs<cad::BlockTableRecord>(reference->blockId);
                ++counts[block ? block->name : "(undefined)"];
            }
        }
        std::string out;
        for (const auto& [name, count] : counts)
            out += (out.empty() ? "" : ", ") + name + " " + std::to_string(count);
        return out;
    }
    std::string Notes() const {
        std::string out;
        for (const std::string& note : result.DamageNotes("plan.dxf"))
            out += note + "\n";
        return out;
    }
};

Reading Read(const std::string& content, bool strict = false) {
    Reading reading;
    cad::DxfReadOptions options;
    options.strict = strict;
    reading.result = cad::ReadDxfText(content, cad::CodePage::Default(), reading.database, options);
    return reading;
}

const std::string& Recovery() {
    static const std::string text = dxftest::Slurp(dxftest::Drawings() / "recovery.dxf");
    return text;
}

int LineOf(const std::string& content, std::size_t at) {
    return static_cast<int>(std::count(content.begin(), content.begin() + static_cast<std::ptrdiff_t>(at), '\n')) + 1;
}

// The n-th (from 0) group 0 of `type`, as the offset of its code line.
std::size_t EntityStart(const std::string& content, const std::string& type, int n = 0) {
    std::size_t at = content.find("ENTITIES");
    for (int k = 0; k <= n; ++k)
        at = content.find("\n  0\n" + type + "\n", at + 1);
    return at + 1;
}

// "lines A-B" of the entity that starts at `start`: up to the line before the next group 0 that is no follower.
std::string Lines(const std::string& content, std::size_t start) {
    std::size_t next = start;
    do {
        next = content.find("\n  0\n", next + 1);
    } while (content.compare(next + 5, 6, "ATTRIB") == 0 || content.compare(next + 5, 6, "SEQEND") == 0);
    return "lines " + std::to_string(LineOf(content, start)) + "-" + std::to_string(LineOf(content, next + 1) - 1);
}

std::string Saved(cad::Database& database) {
    std::string saved;
    EXPECT_TRUE(cad::WriteDxfText(database, cad::CodePage::Default(), saved).Ok());
    return saved;
}

TEST(DamagedDrawing, TheUndamagedOneIsTheMeasure) {
    Reading reading = Read(Recovery());
    ASSERT_TRUE(reading.result.Ok()) << reading.result.detail;
    EXPECT_EQ(reading.Census(), "CHAIR 2, DOOR 3");
    EXPECT_FALSE(reading.result.Damaged());
}

struct Damage {
    const char* name;
    std::string content;
    std::string notes;
    std::string census;
};

std::vector<Damage> Damages() {
    const std::string& original = Recovery();
    std::vector<Damage> damages;
    auto replaced = [&](std::size_t at, std::size_t length, const std::string& with) {
        std::string text = original;
        text.replace(at, length, with);
        return text;
    };
    {
        // As LibreDWG writes some MTEXTs: garbage with a raw line break, after which codes and values trade places.
        std::size_t at = original.find("hello world");
        std::string text = replaced(at, 11, "hel\x01\nlo \x7f""garbage world");
        std::size_t start = EntityStart(text, "MTEXT");
        damages.push_back({"an MTEXT's raw line break", text,
                           "plan.dxf, " + Lines(text, start) + ": an MTEXT could not be read and was left out\n",
                           "CHAIR 2, DOOR 3"});
    }
    {
        std::size_t start = EntityStart(original, "LINE");
        std::size_t value = original.find("\n 10\n", start) + 5;
        damages.push_back({"a real that is no number", replaced(value, 0, "x"),
                           "plan.dxf, " + Lines(original, start) + ": a LINE could not be read and was left out\n",
                           "CHAIR 2, DOOR 3"});
    }
    {
        // In an attribute: the reference goes with its attributes.
        std::size_t start = EntityStart(original, "INSERT", 1);
        std::size_t attribute = original.find("\n  0\nATTRIB\n", start);
        std::size_t code = original.find("\n 40\n", attribute) + 1;
        damages.push_back({"a group code that is no number", replaced(code, 3, "4O "),
                           "plan.dxf, " + Lines(original, start) + ": an INSERT could not be read and was left out\n",
                           "CHAIR 2, DOOR 2"});
    }
    {
        std::size_t start = EntityStart(original, "INSERT", 3);
        std::size_t value = original.find("\n 20\n", start) + 5;
        std::string text = replaced(value, original.find('\n', value) + 1 - value, "");
        damages.push_back({"a line lost", text,
                           "plan.dxf, " + Lines(text, start) + ": an INSERT could not be read and was left out\n",
                           "CHAIR 1, DOOR 3"});
    }
    {
        std::string strays;
        for (int k = 0; k < 36; ++k)
            strays += "  0\nENDBLK\n  8\n0\n";
        std::size_t at = original.find("\n  0\nBLOCK\n", original.find("BLOCKS")) + 1;
        damages.push_back({"36 stray ENDBLKs", replaced(at, 0, strays),
                           "plan.dxf: 36 stray ENDBLK records were skipped (the first at line " +
                               std::to_string(LineOf(original, at)) + ")\n",
                           "CHAIR 2, DOOR 3"});
    }
    {
        std::size_t at = EntityStart(original, "MTEXT");
        damages.push_back({"an ENDSEC among the entities", replaced(at, 0, "  0\nENDSEC\n"),
                           "plan.dxf: a stray ENDSEC was skipped (at line " + std::to_string(LineOf(original, at)) + ")\n",
                           "CHAIR 2, DOOR 3"});
    }
    // A value spoilt in a table entry and in an object: the one left out, what references there are still counted.
    auto spoilt = [&](const char* name, std::size_t start, const char* code, const char* what) {
        std::size_t value = original.find(code, start) + 5;
        std::string text = replaced(value, 0, "?");
        std::size_t next = text.find("\n  0\n", value) + 1;
        damages.push_back({name, text,
                           "plan.dxf, lines " + std::to_string(LineOf(text, start)) + "-" +
                               std::to_string(LineOf(text, next) - 1) + ": " + what +
                               " could not be read and was left out\n",
                           "CHAIR 2, DOOR 3"});
    };
    spoilt("a table entry", original.rfind("\n  0\nLAYER\n", original.find("\n  2\nWalls\n")) + 1, "\n 62\n",
           "a LAYER table entry");
    spoilt("an object", original.find("\n  0\nDICTIONARY\n", original.find("\nOBJECTS\n")) + 1, "\n281\n",
           "a DICTIONARY");
    return damages;
}

TEST(DamagedDrawing, WhatCannotBeReadIsLeftOutSaidOnceAndSavedAsItStood) {
    for (Damage& damage : Damages()) {
        SCOPED_TRACE(damage.name);
        Reading reading = Read(damage.content);
        ASSERT_TRUE(reading.result.Ok()) << reading.result.Place() << ": " << reading.result.detail;
        EXPECT_EQ(reading.Notes(), damage.notes);
        EXPECT_EQ(reading.Census(), damage.census);
        EXPECT_TRUE(Saved(*reading.database) == damage.content) << "the damaged drawing is saved otherwise";
        // Something added goes in its place; the damaged stretch stays as it stood.
        auto line = reading.database->Make<cad::Line>();
        line->end = cad::Point3d{2, 3, 0};
        cad::ObjectId added = cad::kNullId;
        ASSERT_EQ(reading.database->AppendEntity(reading.database->ModelSpaceId(), std::move(line), &added),
                  cad::ErrorStatus::Ok);
        std::string saved = Saved(*reading.database);
        Reading again = Read(saved);
        ASSERT_TRUE(again.result.Ok());
        EXPECT_EQ(again.Notes().empty(), damage.notes.empty());
        EXPECT_EQ(again.Census(), damage.census);
        // The line added among them.
        EXPECT_EQ(again.database->PeekAs<cad::BlockTableRecord>(again.database->ModelSpaceId())->entities.size(),
                  reading.database->PeekAs<cad::BlockTableRecord>(reading.database->ModelSpaceId())->entities.size());
        EXPECT_NE(saved.find("\n 11\n2.0\n 21\n3.0\n"), std::string::npos);
        // Read strictly, the damaged drawing is refused, with the fault's line.
        Reading strict = Read(damage.content, true);
        EXPECT_FALSE(strict.result.Ok());
        EXPECT_EQ(strict.database, nullptr);
        EXPECT_GT(strict.result.line, 0);
    }
}

TEST(DamagedDrawing, AHeaderABlocksStructureOrAFileCutShortStillRefuses) {
    const std::string& original = Recovery();
    std::string header = original;
    header.replace(header.find("\n 70\n", header.find("$INSUNITS")) + 5, 0, "x");
    Reading reading = Read(header);
    EXPECT_EQ(reading.result.status, cad::DxfStatus::BadValue);
    EXPECT_EQ(reading.database, nullptr);

    std::string block = original;
    std::size_t begin = block.find("\n  2\nDOOR\n", block.find("BLOCKS"));
    block.replace(block.find("\n 70\n", begin) + 5, 0, "x");
    EXPECT_EQ(Read(block).result.status, cad::DxfStatus::BadValue);

    std::size_t at = EntityStart(original, "MTEXT") + 40;
    std::string cut = original.substr(0, at) + "\n";
    EXPECT_FALSE(Read(cut).result.Ok());

    // A binary drawing has no lines to find its way again by.
    std::string binary = dxftest::Slurp(dxftest::Drawings() / "R2018-bin.dxf");
    std::size_t value = binary.find(std::string("DOOR\0", 5), binary.find("ENTITIES"));
    ASSERT_NE(value, std::string::npos);
    binary[value - 2] = '\x7f';
    binary[value - 1] = '\x7f';
    EXPECT_FALSE(Read(binary).result.Ok());
}

TEST(DamagedDrawing, AnR12DrawingIsReadAsFarAsItCanBe) {
    std::string text = dxftest::Slurp(dxftest::Drawings() / "recovery-r12.dxf");
    std::size_t at = text.find("hello world");
    text.replace(at, 11, "hello\nworld");
    Reading reading = Read(text);
    ASSERT_TRUE(reading.result.Ok()) << reading.result.detail;
    std::size_t start = text.rfind("\n  0\nTEXT\n", at) + 1;
    EXPECT_EQ(reading.Notes(), "plan.dxf, " + Lines(text, start) + ": a TEXT could not be read and was left out\n");
    EXPECT_EQ(reading.Census(), "CHAIR 2, DOOR 3");
    EXPECT_TRUE(Saved(*reading.database) == text);
}

// Found by the chunked reader's fuzzer: a reference to a block not defined yet that is left out kept its name among
// those to look up at the end, and the next such reference was taken for a reference to it.
TEST(DamagedDrawing, AReferenceLeftOutTakesItsBlockNameAlong) {
    const std::string text = "  0\nSECTION\n  2\nENTITIES\n"
                             "  0\nINSERT\n  8\n0\n 66\n1\n  2\nGHOST\n 10\n0.0\n 20\n0.0\n"
                             "  0\nATTRIB\n  8\n0\n 10\nx\n 20\n0.0\n  1\nv\n  2\nTAG\n  0\nSEQEND\n  8\n0\n"
                             "  0\nINSERT\n  8\n0\n  2\nLATER\n 10\n1.0\n 20\n0.0\n  0\nENDSEC\n"
                             "  0\nSECTION\n  2\nBLOCKS\n  0\nBLOCK\n  8\n0\n  2\nLATER\n 70\n0\n 10\n0.0\n 20\n0.0\n"
                             "  0\nENDBLK\n  8\n0\n  0\nENDSEC\n  0\nEOF\n";
    Reading reading = Read(text);
    ASSERT_TRUE(reading.result.Ok()) << reading.result.detail;
    EXPECT_EQ(reading.Census(), "LATER 1");
    EXPECT_TRUE(reading.result.warnings.empty()) << reading.result.warnings.front();
    EXPECT_EQ(reading.Notes(), "plan.dxf, lines 5-32: an INSERT could not be read and was left out\n");
}

TEST(DamagedDrawing, NamesAreSaidWithTheirArticle) {
    EXPECT_EQ(cad::WithArticle("MTEXT"), "an MTEXT");
    EXPECT_EQ(cad::WithArticle("INSERT"), "an INSERT");
    EXPECT_EQ(cad::WithArticle("LINE"), "a LINE");
    EXPECT_EQ(cad::WithArticle("LWPOLYLINE"), "an LWPOLYLINE");
    EXPECT_EQ(cad::WithArticle("SPLINE"), "a SPLINE");
    EXPECT_EQ(cad::WithArticle("HATCH"), "a HATCH");
    EXPECT_EQ(cad::WithArticle("XRECORD"), "an XRECORD");
    EXPECT_EQ(cad::WithArticle("3DFACE"), "a 3DFACE");
    EXPECT_EQ(cad::WithArticle("DICTIONARY"), "a DICTIONARY");
    EXPECT_FALSE(cad::PlausibleTypeName("  8"));
    EXPECT_FALSE(cad::PlausibleTypeName("-1.5"));
    EXPECT_TRUE(cad::PlausibleTypeName("ACAD_PROXY_ENTITY"));
}

} // namespace
