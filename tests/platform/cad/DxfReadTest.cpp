#include "DxfTestSupport.h"

#include "platform/cad/Host.h"
#include "platform/cad/Text.h"
#include "platform/cad/dxf/DxfReader.h"
#include "platform/cad/dxf/DxfWriter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::unique_ptr<cad::Database> Read(const std::string& name, int codePage = 1252) {
    std::unique_ptr<cad::Database> database;
    cad::DxfResult result = cad::ReadDxfFile((dxftest::Drawings() / name).string(), *cad::CodePage::Find(codePage), database);
    EXPECT_TRUE(result.Ok()) << name << ": " << result.Place() << ": " << result.detail;
    return database;
}

std::vector<std::string> ModelSpaceInserts(const cad::Database& database) {
    std::vector<std::string> lines;
    for (cad::ObjectId id : database.PeekAs<cad::BlockTableRecord>(database.ModelSpaceId())->entities) {
        const auto* reference = database.PeekAs<cad::BlockReference>(id);
        if (!reference)
            continue;
        std::string line = database.PeekAs<cad::BlockTableRecord>(reference->blockId)->name + " [";
        for (cad::ObjectId attributeId : reference->attributes) {
            const auto* attribute = database.PeekAs<cad::Attribute>(attributeId);
            line += attribute->tag + "=" + attribute->text;
        }
        lines.push_back(line + "]");
    }
    return lines;
}

TEST(DxfReleases, AreComparedAsNumbersTheOldestBelowEveryAC10nn) {
    EXPECT_EQ(cad::ReleaseNumber("AC1015"), 1015);
    EXPECT_EQ(cad::ReleaseNumber("AC1032"), 1032);
    EXPECT_EQ(cad::ReleaseNumber("AC2.10"), 210);
    EXPECT_EQ(cad::ReleaseNumber("AC1.50"), 150);
    EXPECT_LT(cad::ReleaseNumber("AC2.10"), cad::ReleaseNumber("AC1001"));
    EXPECT_EQ(cad::ReleaseNumber("AC10"), 0);
    EXPECT_EQ(cad::ReleaseNumber("ACX015"), 0);
}

// An R2.10 drawing: text in its code page, not UTF-8; and saved, it gets no handles and no owners.
TEST(DxfReleases, ADrawingOfTheOldestReleasesIsNeitherUtf8NorGivenHandles) {
    const std::string drawing = "  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC2.10\n  0\nENDSEC\n"
                                "  0\nSECTION\n  2\nBLOCKS\n  0\nBLOCK\n  8\n0\n  2\nCAF\xC9\n 70\n0\n 10\n0.0\n 20\n0.0\n"
                                " 30\n0.0\n  3\nCAF\xC9\n  0\nENDBLK\n  8\n0\n  0\nENDSEC\n"
                                "  0\nSECTION\n  2\nENTITIES\n  0\nINSERT\n  8\n0\n  2\nCAF\xC9\n 10\n1.0\n 20\n2.0\n 30\n0.0\n"
                                "  0\nENDSEC\n  0\nEOF\n";
    std::unique_ptr<cad::Database> database;
    cad::DxfResult read = cad::ReadDxfText(drawing, cad::CodePage::Default(), database);
    ASSERT_TRUE(read.Ok()) << read.detail;
    EXPECT_NE(database->FindRecord(database->BlockTableId(), "CAF\xC9"), cad::kNullId);
    auto line = database->Make<cad::Line>();
    line->end = cad::Point3d{1, 1, 0};
    cad::ObjectId added = cad::kNullId;
    ASSERT_EQ(database->AppendEntity(database->ModelSpaceId(), std::move(line), &added), cad::ErrorStatus::Ok);
    std::string written;
    ASSERT_TRUE(cad::WriteDxfText(*database, cad::CodePage::Default(), written).Ok());
    std::size_t at = written.find("  0\nLINE\n");
    ASSERT_NE(at, std::string::npos) << written;
    EXPECT_EQ(written.substr(at, written.find("  0\n", at + 1) - at), "  0\nLINE\n  8\n0\n 10\n0.0\n 20\n0.0\n 30\n0.0\n"
                                                                   " 11\n1.0\n 21\n1.0\n 31\n0.0\n");
    EXPECT_EQ(written.find("\n330\n"), std::string::npos);
    EXPECT_NE(written.find("CAF\xC9"), std::string::npos);
}

class DxfReadVersion : public ::testing::TestWithParam<const char*> {};

TEST_P(DxfReadVersion, ReadsBlocksReferencesAndAttributesAsEzdxfWroteThem) {
    auto database = Read(std::string(GetParam()) + ".dxf");
    ASSERT_TRUE(database);
    // Names are matched without case: "door" is DOOR.
    EXPECT_EQ(ModelSpaceInserts(*database), (std::vector<std::string>{"DOOR [PRICE=9.99]", "DOOR []", "NEST []"}));
    cad::ObjectId doorId = database->FindRecord(database->BlockTableId(), "DOOR");
    const auto* door = database->PeekAs<cad::BlockTableRecord>(doorId);
    ASSERT_NE(door, nullptr);
    ASSERT_EQ(door->entities.size(), 2u);
    const auto* definition = database->PeekAs<cad::AttributeDefinition>(door->entities[1]);
    ASSERT_NE(definition, nullptr);
    EXPECT_EQ(definition->tag, "PRICE");
    EXPECT_EQ(definition->text, "12.50");
    EXPECT_DOUBLE_EQ(definition->height, 0.5);
    const auto* model = database->PeekAs<cad::BlockTableRecord>(database->ModelSpaceId());
    EXPECT_EQ(model->entities.size(), 6u) << "three inserts, a circle, a text and a polyline";
    const auto* paper = database->PeekAs<cad::BlockTableRecord>(database->PaperSpaceId());
    ASSERT_EQ(paper->entities.size(), 1u);
    EXPECT_EQ(database->PeekAs<cad::BlockReference>(paper->entities[0])->blockId, doorId);
    const auto* polyline = database->PeekAs<cad::Polyline>(model->entities[5]);
    ASSERT_NE(polyline, nullptr);
    EXPECT_EQ(polyline->vertices.size(), 3u);
    EXPECT_TRUE(polyline->closed);
}

INSTANTIATE_TEST_SUITE_P(Versions, DxfReadVersion,
                         ::testing::Values("R12", "R2000", "R2004", "R2010", "R2018", "R12-bin", "R2000-bin",
                                           "R2004-bin", "R2010-bin", "R2018-bin"));

TEST(DxfReadText, ConvertsTheFilesCodePageToTheActiveOne) {
    auto fromCodePage = Read("hebrew1255.dxf", 1255);
    auto fromUtf8 = Read("hebrew2018.dxf", 1255);
    const std::string dalet = "\xE3\xEC\xFA"; // the block's name in code page 1255
    EXPECT_NE(fromCodePage->FindRecord(fromCodePage->BlockTableId(), dalet), cad::kNullId);
    EXPECT_NE(fromUtf8->FindRecord(fromUtf8->BlockTableId(), dalet), cad::kNullId);
    const auto* model = fromCodePage->PeekAs<cad::BlockTableRecord>(fromCodePage->ModelSpaceId());
    EXPECT_EQ(fromCodePage->PeekAs<cad::Text>(model->entities[1])->text, "\x80 \xF9");
}

TEST(DxfReadText, ACharacterTheActiveCodePageLacksIsKeptAsAnEscapeAndToldOnce) {
    std::unique_ptr<cad::Database> database;
    cad::DxfResult result =
        cad::ReadDxfFile((dxftest::Drawings() / "hebrew2018.dxf").string(), cad::CodePage::Default(), database);
    ASSERT_TRUE(result.Ok());
    EXPECT_NE(database->FindRecord(database->BlockTableId(), "\\U+05D3\\U+05DC\\U+05EA"), cad::kNullId);
    EXPECT_EQ(result.warnings, (std::vector<std::string>{"Some texts hold characters that code page 1252 cannot "
                                                          "show; they are kept as \\U+XXXX escapes."}));
}

TEST(DxfReadSpecialBlocks, KeepsAnonymousAndExternalFlagsAndGridCounts) {
    auto database = Read("special.dxf");
    const auto* anonymous = database->PeekAs<cad::BlockTableRecord>(database->FindRecord(database->BlockTableId(), "*U1"));
    ASSERT_NE(anonymous, nullptr);
    EXPECT_TRUE(anonymous->flags & cad::kBlockAnonymous);
    const auto* parts = database->PeekAs<cad::BlockTableRecord>(database->FindRecord(database->BlockTableId(), "PARTS"));
    ASSERT_NE(parts, nullptr);
    EXPECT_TRUE(parts->flags & cad::kBlockExternal);
    EXPECT_EQ(parts->externalPath, "parts.dxf");
    const auto* model = database->PeekAs<cad::BlockTableRecord>(database->ModelSpaceId());
    const auto* grid = database->PeekAs<cad::BlockReference>(model->entities.back());
    ASSERT_NE(grid, nullptr);
    // Written as three rows of four, rows 1.0 apart and columns 2.0 apart.
    EXPECT_EQ(grid->columnCount, 4);
    EXPECT_EQ(grid->rowCount, 3);
    EXPECT_DOUBLE_EQ(grid->rowSpacing, 1.0);
    EXPECT_DOUBLE_EQ(grid->columnSpacing, 2.0);
}

struct BrokenCase {
    std::string content;
    cad::DxfStatus status;
    const char* place; // a line of an ASCII file, a byte of a binary one
    const char* detail;
};

class DxfReadBroken : public ::testing::TestWithParam<BrokenCase> {};

TEST_P(DxfReadBroken, RefusesWithThePlaceAndLeavesNoDatabase) {
    const BrokenCase& c = GetParam();
    std::unique_ptr<cad::Database> database;
    cad::DxfResult result = cad::ReadDxfText(c.content, cad::CodePage::Default(), database);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.Place(), c.place);
    EXPECT_EQ(result.detail, c.detail);
    EXPECT_EQ(database, nullptr);
}

using namespace std::string_literals;
const std::string kSentinel = "AutoCAD Binary DXF\r\n\x1a\0"s;
// Two-byte group codes: 0 SECTION, 2 ENTITIES, 0 LINE end at byte 50.
const std::string kBinaryLine = kSentinel + "\0\0SECTION\0\2\0ENTITIES\0\0\0LINE\0"s;
// One-byte group codes, as up to R12: the same tags end at byte 47.
const std::string kShortLine = kSentinel + "\0SECTION\0\2ENTITIES\0\0LINE\0"s;

INSTANTIATE_TEST_SUITE_P(
    Files, DxfReadBroken,
    ::testing::Values(
        BrokenCase{"  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n 10\n", cad::DxfStatus::UnexpectedEnd, "line 7",
                   "the file ends after group code 10 without its value"},
        BrokenCase{"  0\nSECTION\nX2\nENTITIES\n", cad::DxfStatus::BadGroupCode, "line 3",
                   "expected a group code, found \"X2\""},
        BrokenCase{"0\r\nSECTION\r\n2\r\nENTITIES\r\n0\r\nLINE\r\n10\r\nabc\r\n", cad::DxfStatus::BadValue, "line 7",
                   "expected a real after group 10, found \"abc\""},
        BrokenCase{"0\nSECTION\n2\nENTITIES\n0\nINSERT\n70\n1.5\n", cad::DxfStatus::BadValue, "line 7",
                   "expected an integer after group 70, found \"1.5\""},
        BrokenCase{"0\nSECTION\n2\nENTITIES\n0\nENDSEC\n", cad::DxfStatus::MissingEof, "line 6",
                   "the file ends without 0 EOF"},
        BrokenCase{"0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n2\nA\n0\nENDSEC\n0\nEOF\n", cad::DxfStatus::BadStructure, "line 5",
                   "block \"A\" does not end with 0 ENDBLK"},
        BrokenCase{"0\nSECTION\n2\nENTITIES\n0\nLINE\n0\nEOF\n", cad::DxfStatus::BadStructure, "line 5",
                   "the section that starts here does not end with 0 ENDSEC"},
        // A polyline whose second vertex is broken: the vertices read before it go with it (the sanitizer build
        // tells if they do not).
        BrokenCase{"0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n2\nB\n0\nPOLYLINE\n66\n1\n0\nVERTEX\n10\n1.0\n0\nVERTEX\n"
                   "10\n1,5\n",
                   cad::DxfStatus::BadValue, "line 19", "expected a real after group 10, found \"1,5\""},
        BrokenCase{"0\nSECTION\n2\nENTITIES\n0\nINSERT\n2\nB\n66\n1\n0\nATTRIB\n2\nTAG\n1\nv\n0\nATTRIB\n40\nhigh\n",
                   cad::DxfStatus::BadValue, "line 19", "expected a real after group 40, found \"high\""},
        BrokenCase{kBinaryLine + "\x0a\0\1\2\3"s, cad::DxfStatus::UnexpectedEnd, "byte 50",
                   "the file ends inside the value of group code 10"},
        BrokenCase{kBinaryLine + "\x08\0Walls"s, cad::DxfStatus::UnexpectedEnd, "byte 50",
                   "the file ends inside the value of group code 8"},
        BrokenCase{kBinaryLine + "\x36\x01\x05" "ab"s, cad::DxfStatus::UnexpectedEnd, "byte 50",
                   "the file ends inside the value of group code 310"},
        BrokenCase{kBinaryLine + "\x08"s, cad::DxfStatus::UnexpectedEnd, "byte 50", "the file ends inside a group code"},
        BrokenCase{kBinaryLine + "\xd0\x07\0"s, cad::DxfStatus::BadGroupCode, "byte 50",
                   "expected a group code, found 2000"},
        BrokenCase{kShortLine + "\xff\xd0\x07"s, cad::DxfStatus::BadGroupCode, "byte 47",
                   "expected a group code, found 2000"},
        BrokenCase{kShortLine + "\x08Walls\0\0ENDSEC\0"s, cad::DxfStatus::MissingEof, "byte 54",
                   "the file ends without 0 EOF"},
        BrokenCase{kSentinel, cad::DxfStatus::MissingEof, "byte 22", "the file ends without 0 EOF"}));

TEST(DxfReadBinary, ReadsEveryKindOfValueAndCodesBeyondOneByte) {
    // A LINE of one-byte codes, with extended data whose codes need the escape 255.
    std::string content = kShortLine + "\x08Walls\0"s + "\x0a"s + std::string("\0\0\0\0\0\0\xf8\x3f", 8) + // 10: 1.5
                          "\x3e\xfe\xff"s +                                                        // 62: -2
                          "\xff\xe9\x03XDATA\0"s + "\xff\x2e\x04\x07\0"s +                                  // 1001, 1070: 7
                          "\xff\x2f\x04\x40\xe2\x01\0"s +                                           // 1071: 123456
                          "\0ENDSEC\0\0EOF\0"s;
    std::unique_ptr<cad::Database> database;
    cad::DxfResult result = cad::ReadDxfText(content, cad::CodePage::Default(), database);
    ASSERT_TRUE(result.Ok()) << result.Place() << ": " << result.detail;
    const auto* model = database->PeekAs<cad::BlockTableRecord>(database->ModelSpaceId());
    ASSERT_EQ(model->entities.size(), 1u);
    const auto* line = database->PeekAs<cad::Line>(model->entities[0]);
    EXPECT_EQ(line->layer, "Walls");
    EXPECT_EQ(line->start, (cad::Point3d{1.5, 0.0, 0.0}));
    EXPECT_EQ(line->color, -2);
    std::string written;
    ASSERT_TRUE(cad::WriteDxfText(*database, cad::CodePage::Default(), written).Ok());
    EXPECT_TRUE(written == content);
}

TEST(DxfReadTolerance, AcceptsBlanksAroundCodesAndTrailingBlanksInNumbers) {
    std::unique_ptr<cad::Database> database;
    cad::DxfResult result = cad::ReadDxfText(
        "  0 \r\nSECTION\r\n 2\r\nENTITIES\r\n0\r\nLINE\r\n  8\r\nWalls \r\n 10 \r\n1.5  \r\n 20\r\n+2\r\n 11\r\n3\r\n"
        "0\r\nENDSEC\r\n0\r\nEOF\r\n",
        cad::CodePage::Default(), database);
    ASSERT_TRUE(result.Ok()) << result.detail;
    const auto* model = database->PeekAs<cad::BlockTableRecord>(database->ModelSpaceId());
    ASSERT_EQ(model->entities.size(), 1u);
    const auto* line = database->PeekAs<cad::Line>(model->entities[0]);
    EXPECT_EQ(line->start, (cad::Point3d{1.5, 2.0, 0.0}));
    EXPECT_EQ(line->layer, "Walls "); // text keeps its blanks
}

TEST(DxfOpenDrawing, TheDrawingNameComesFromTheFile) {
    cad::Host& host = cad::Host::Instance();
    ASSERT_TRUE(host.OpenDrawing((dxftest::Drawings() / "R2000.dxf").string()).Ok());
    const auto* name = host.Variable("DWGNAME");
    EXPECT_EQ(std::get<std::string>(*name), "R2000.dxf");
    EXPECT_EQ(std::get<std::string>(*host.Variable("DWGPREFIX")), dxftest::Drawings().string() + "/");
    host.Documents().CloseDocument(&host.Documents().Current());
    EXPECT_FALSE(host.OpenDrawing("/nonexistent/plan.dxf").Ok());
}

} // namespace
