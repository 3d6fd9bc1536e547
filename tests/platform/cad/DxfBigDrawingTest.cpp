// Big drawings: entities read in chunks on several threads must make the drawing one reader makes; a mapped
// file is saved in pieces to the byte, and not at all once another program has changed it.
#include "DxfDescribe.h"
#include "DxfTestSupport.h"

#include "platform/cad/dxf/DxfLayout.h"
#include "platform/cad/dxf/DxfReader.h"
#include "platform/cad/dxf/DxfWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

// 60,000 entities of every kind the benchmark has, about 14 MB: several chunks, and mapped rather than read.
const fs::path& BigDrawing() {
    static const fs::path path = [] {
        fs::path made = dxftest::Drawings() / "big.dxf";
        dxftest::RunPython("big " + made.string() + " 60000");
        return made;
    }();
    return path;
}

const std::string& BigText() {
    static const std::string text = dxftest::Slurp(BigDrawing());
    return text;
}

std::string Read(const std::string& content, unsigned threads, std::unique_ptr<cad::Database>& database,
                 bool strict = false) {
    cad::DxfReadOptions options;
    options.threads = threads;
    options.strict = strict;
    cad::DxfResult result = cad::ReadDxfText(content, cad::CodePage::Default(), database, options);
    std::string said = std::to_string(static_cast<int>(result.status)) + " " + result.Place() + ": " + result.detail;
    for (const std::string& warning : result.warnings)
        said += "\n" + warning;
    for (const std::string& note : result.DamageNotes("big.dxf"))
        said += "\n" + note;
    return said;
}

// The line (1-based) that holds `at`, and the lines of the entity around it: from its group 0 to the line before
// the next group 0.
int LineOf(const std::string& content, std::size_t at) {
    return static_cast<int>(std::count(content.begin(), content.begin() + static_cast<std::ptrdiff_t>(at), '\n')) + 1;
}
std::string EntityLinesAround(const std::string& content, std::size_t at) {
    std::size_t first = content.rfind("\n  0\n", at) + 1;
    std::size_t next = content.find("\n  0\n", at) + 1;
    return "lines " + std::to_string(LineOf(content, first)) + "-" + std::to_string(LineOf(content, next) - 1);
}

class ChunkedReading : public ::testing::TestWithParam<unsigned> {};

TEST_P(ChunkedReading, TheDrawingIsTheOneASingleReaderMakesAndIsSavedToTheByte) {
    std::unique_ptr<cad::Database> one;
    std::unique_ptr<cad::Database> many;
    ASSERT_EQ(Read(BigText(), 1, one), "0 line 0: ");
    ASSERT_EQ(Read(BigText(), GetParam(), many), "0 line 0: ");
    ASSERT_GT(one->PeekAs<cad::BlockTableRecord>(one->ModelSpaceId())->entities.size(), 60000u - 1);
    EXPECT_EQ(dxftest::FirstDifference(dxftest::Describe(*one), dxftest::Describe(*many)), "");
    std::string saved;
    ASSERT_TRUE(cad::WriteDxfText(*many, cad::CodePage::Default(), saved).Ok());
    EXPECT_TRUE(saved == BigText()) << "the unchanged drawing read on " << GetParam() << " threads is saved otherwise";
}

INSTANTIATE_TEST_SUITE_P(Threads, ChunkedReading, ::testing::Values(2u, 3u, 8u));

// The same drawing after `change`: read by one thread and by four, told and made alike.
void ExpectReadAlike(const std::string& content) {
    std::unique_ptr<cad::Database> one;
    std::unique_ptr<cad::Database> many;
    std::string saidByOne = Read(content, 1, one);
    EXPECT_EQ(Read(content, 4, many), saidByOne);
    ASSERT_EQ(one == nullptr, many == nullptr);
    if (one) {
        EXPECT_EQ(dxftest::FirstDifference(dxftest::Describe(*one), dxftest::Describe(*many)), "");
        std::string saved;
        ASSERT_TRUE(cad::WriteDxfText(*many, cad::CodePage::Default(), saved).Ok());
        EXPECT_TRUE(saved == content);
    }
}

TEST(ChunkedReadingFaults, AFaultDeepInTheEntitiesIsToldWithItsTrueLine) {
    std::string content = BigText();
    std::size_t at = content.find("\n 20\n", content.size() * 3 / 5) + 5;
    content.replace(at, content.find('\n', at) - at, "12,5");
    std::unique_ptr<cad::Database> database;
    std::string said = Read(content, 4, database, true);
    int line = static_cast<int>(std::count(content.begin(), content.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
    EXPECT_EQ(said, "3 line " + std::to_string(line) + ": expected a real after group 20, found \"12,5\"");
    EXPECT_EQ(database, nullptr);
    // Not read strictly, the entity is left out and the rest read, on one thread or on several alike.
    std::size_t entity = content.rfind("\n  0\n", at) + 5;
    std::string type = content.substr(entity, content.find('\n', entity) - entity);
    EXPECT_EQ(Read(content, 4, database),
              "0 line 0: \nbig.dxf, " + EntityLinesAround(content, at) + ": " +
                  (type == "INSERT" || type == "ARC" || type == "MTEXT" || type == "LWPOLYLINE" ? "an " : "a ") + type +
                  " could not be read and was left out");
    ExpectReadAlike(content);
}

TEST(ChunkedReadingFaults, AFaultAfterTheEntitiesIsToldAtTheLineOneReaderTells) {
    std::string content = BigText();
    std::size_t objects = content.find("\nOBJECTS\n");
    ASSERT_NE(objects, std::string::npos);
    std::size_t at = content.find("\n 70\n", objects) + 5;
    content.replace(at, content.find('\n', at) - at, "seven");
    std::unique_ptr<cad::Database> database;
    int line = static_cast<int>(std::count(content.begin(), content.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
    EXPECT_EQ(Read(content, 4, database, true),
              "3 line " + std::to_string(line) + ": expected an integer after group 70, found \"seven\"");
    std::size_t object = content.rfind("\n  0\n", at) + 5;
    std::string type = content.substr(object, content.find('\n', object) - object);
    EXPECT_EQ(Read(content, 4, database), "0 line 0: \nbig.dxf, " + EntityLinesAround(content, at) + ": a " + type +
                                              " could not be read and was left out");
    ExpectReadAlike(content);
}

TEST(ChunkedReadingFaults, ADrawingCutShortInItsEntitiesIsToldAsByOneReader) {
    std::string content = BigText().substr(0, BigText().size() * 2 / 3);
    content = content.substr(0, content.rfind("\n  0\nLINE\n") + 1);
    ExpectReadAlike(content);
    std::unique_ptr<cad::Database> database;
    EXPECT_NE(Read(content, 4, database).find("does not end with 0 ENDSEC"), std::string::npos);
}

TEST(ChunkedReadingFaults, UndefinedBlocksAndCrLfLinesReadAlike) {
    std::string content = BigText();
    for (std::size_t at = content.find("\n  2\nPART007\n", content.size() / 2); at != std::string::npos;
         at = content.find("\n  2\nPART007\n", at + 1))
        content.replace(at, 13, "\n  2\nNOSUCH\n");
    std::unique_ptr<cad::Database> database;
    EXPECT_EQ(Read(content, 4, database),
              "0 line 0: \nA block reference names the block \"NOSUCH\", which is not defined.");
    ExpectReadAlike(content);
    std::string crlf;
    crlf.reserve(BigText().size() * 11 / 10);
    for (char c : BigText()) {
        if (c == '\n')
            crlf += '\r';
        crlf += c;
    }
    ExpectReadAlike(crlf);
}

} // namespace

namespace {

fs::path Copy(const fs::path& from, const std::string& name) {
    fs::path to = dxftest::Drawings() / name;
    fs::copy_file(from, to, fs::copy_options::overwrite_existing);
    return to;
}

std::size_t FilesIn(const fs::path& folder) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

TEST(MappedDrawing, IsSavedInPiecesAsTheWholeTextWouldBe) {
    std::unique_ptr<cad::Database> database;
    ASSERT_TRUE(cad::ReadDxfFile(BigDrawing().string(), cad::CodePage::Default(), database).Ok());
    ASSERT_TRUE(database->Layout()->source.Mapped());
    fs::path target = dxftest::Drawings() / "big-saved.dxf";
    ASSERT_TRUE(cad::WriteDxfFile(*database, cad::CodePage::Default(), target.string()).Ok());
    EXPECT_TRUE(dxftest::Slurp(target) == BigText()) << "an unchanged big drawing is saved otherwise";

    // A change early, one late, an erasure and a new entity: pieces around them, and raw runs between.
    auto& entities = database->PeekAs<cad::BlockTableRecord>(database->ModelSpaceId())->entities;
    auto* early = database->PeekAs<cad::Line>(entities[7]);
    ASSERT_NE(early, nullptr);
    early->start.x = 1.5;
    early->Touch();
    cad::Line* late = nullptr;
    for (std::size_t i = entities.size(); i-- > 0 && !late;)
        late = database->PeekAs<cad::Line>(entities[i]);
    ASSERT_NE(late, nullptr);
    late->end.y = -2.25;
    late->Touch();
    database->SetErased(entities[entities.size() / 2], true);
    auto line = database->Make<cad::Line>();
    line->end = cad::Point3d{3.0, 4.0, 0.0};
    cad::ObjectId added = cad::kNullId;
    ASSERT_EQ(database->AppendEntity(database->ModelSpaceId(), std::move(line), &added), cad::ErrorStatus::Ok);
    std::string whole;
    ASSERT_TRUE(cad::WriteDxfText(*database, cad::CodePage::Default(), whole).Ok());
    ASSERT_TRUE(cad::WriteDxfFile(*database, cad::CodePage::Default(), target.string()).Ok());
    std::string pieces = dxftest::Slurp(target);
    EXPECT_EQ(pieces.size(), whole.size());
    EXPECT_TRUE(pieces == whole) << "the file written in pieces differs from the whole text";
    EXPECT_NE(whole.find("\n 10\n1.5\n"), std::string::npos);
    EXPECT_NE(whole.find("\n 21\n-2.25\n"), std::string::npos);
}

TEST(MappedDrawing, ChangedByAnotherProgramIsNotSavedAndNothingIsWritten) {
    fs::path source = Copy(BigDrawing(), "big-changed.dxf");
    std::unique_ptr<cad::Database> database;
    ASSERT_TRUE(cad::ReadDxfFile(source.string(), cad::CodePage::Default(), database).Ok());
    std::size_t before = FilesIn(dxftest::Drawings());
    {
        std::ofstream append(source, std::ios::app | std::ios::binary);
        append << "999\nadded by another program\n";
    }
    fs::path target = dxftest::Drawings() / "big-changed-saved.dxf";
    cad::DxfResult result = cad::WriteDxfFile(*database, cad::CodePage::Default(), target.string());
    EXPECT_EQ(result.status, cad::DxfStatus::CannotWrite);
    EXPECT_EQ(result.detail, "cannot save " + target.string() + ": another program changed " + source.string() +
                                 " after it was read, so the parts of the drawing not changed here cannot be copied "
                                 "from it. Nothing was written; open the drawing again and redo the changes.");
    EXPECT_FALSE(fs::exists(target));
    EXPECT_EQ(FilesIn(dxftest::Drawings()), before) << "a temporary file was left behind";
    // Saving over the changed file itself is refused alike, and leaves the other program's file as it is.
    std::string theirs = dxftest::Slurp(source);
    EXPECT_FALSE(cad::WriteDxfFile(*database, cad::CodePage::Default(), source.string()).Ok());
    EXPECT_TRUE(dxftest::Slurp(source) == theirs);
    std::string text;
    EXPECT_EQ(cad::WriteDxfText(*database, cad::CodePage::Default(), text).status, cad::DxfStatus::CannotWrite);
}

TEST(MappedDrawing, ASmallDrawingIsHeldWholeAndOutlivesChangesToItsFile) {
    fs::path source = Copy(dxftest::Drawings() / "R2018.dxf", "small-changed.dxf");
    std::string original = dxftest::Slurp(source);
    ASSERT_LT(original.size(), cad::DxfSource::kMapFrom);
    std::unique_ptr<cad::Database> database;
    ASSERT_TRUE(cad::ReadDxfFile(source.string(), cad::CodePage::Default(), database).Ok());
    EXPECT_FALSE(database->Layout()->source.Mapped());
    std::ofstream(source, std::ios::trunc | std::ios::binary) << "0\nEOF\n";
    fs::path target = dxftest::Drawings() / "small-changed-saved.dxf";
    ASSERT_TRUE(cad::WriteDxfFile(*database, cad::CodePage::Default(), target.string()).Ok());
    EXPECT_TRUE(dxftest::Slurp(target) == original);
}

TEST(MappedDrawing, SavedOverItselfItStaysReadableForTheNextSave) {
    fs::path source = Copy(BigDrawing(), "big-over-itself.dxf");
    std::unique_ptr<cad::Database> database;
    ASSERT_TRUE(cad::ReadDxfFile(source.string(), cad::CodePage::Default(), database).Ok());
    // The first save replaces the file the drawing was mapped from; the mapping keeps the bytes that were read.
    ASSERT_TRUE(cad::WriteDxfFile(*database, cad::CodePage::Default(), source.string()).Ok());
    ASSERT_TRUE(cad::WriteDxfFile(*database, cad::CodePage::Default(), source.string()).Ok());
    EXPECT_TRUE(dxftest::Slurp(source) == BigText());
}

} // namespace

#include "platform/cad/dxf/DxfSource.h"

#include <filesystem>

namespace {

// Touching a page of a mapping past the end of a file cut short raises SIGBUS; the guard turns it into zeros and
// the source says it changed.
TEST(MappedDrawing, CutShortByAnotherProgramReadsAsZerosAndIsToldChanged) {
    fs::path path = Copy(BigDrawing(), "big-cut.dxf");
    cad::DxfSource source;
    ASSERT_TRUE(source.Open(path.string()).Ok());
    ASSERT_TRUE(source.Mapped());
    EXPECT_EQ(source.Changed(), "");
    std::size_t size = source.Content().size();
    fs::resize_file(path, 8192);
    std::string_view content = source.Content();
    EXPECT_EQ(content[100], BigText()[100]);
    EXPECT_EQ(content[size / 2], '\0');
    EXPECT_EQ(content[size - 1], '\0');
    EXPECT_NE(source.Changed(), "");
}

} // namespace
