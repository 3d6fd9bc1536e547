#include "DxfTestSupport.h"

#include "platform/cad/Host.h"
#include "platform/cad/arx/adslib.h"
#include "platform/cad/arx/dbents.h"
#include "platform/cad/arx/dbsymtb.h"
#include "platform/cad/dxf/DxfReader.h"
#include "platform/cad/dxf/DxfWriter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;

class DxfWriteVersion : public ::testing::TestWithParam<const char*> {
protected:
    fs::path Source() const { return dxftest::Drawings() / (std::string(GetParam()) + ".dxf"); }
    fs::path Target() const { return dxftest::Drawings() / (std::string(GetParam()) + "-saved.dxf"); }
};

TEST_P(DxfWriteVersion, AnUnchangedDrawingIsWrittenBackByteForByte) {
    std::unique_ptr<cad::Database> database;
    ASSERT_TRUE(cad::ReadDxfFile(Source().string(), cad::CodePage::Default(), database).Ok());
    std::string text;
    ASSERT_TRUE(cad::WriteDxfText(*database, cad::CodePage::Default(), text).Ok());
    EXPECT_TRUE(text == dxftest::Slurp(Source())) << "the saved drawing differs from the one read";
}

// What the table command will add: a text style, a block of lines and attribute definitions, and a
// reference to it with attributes, all through the host interface.
void AddTableBlock() {
    AcDbDatabase* database = acdbHostApplicationServices()->workingDatabase();
    AcDbTextStyleTable* styles = nullptr;
    ASSERT_EQ(database->getSymbolTable(styles, AcDb::kForWrite), Acad::eOk);
    auto* style = new AcDbTextStyleTableRecord();
    ASSERT_EQ(style->setName("QVTTABLE"), Acad::eOk);
    ASSERT_EQ(style->setFileName("simpheb.shx"), Acad::eOk);
    AcDbObjectId styleId;
    ASSERT_EQ(styles->add(styleId, style), Acad::eOk);
    EXPECT_EQ(style->close(), Acad::eOk);
    EXPECT_EQ(styles->close(), Acad::eOk);

    AcDbBlockTable* blocks = nullptr;
    ASSERT_EQ(database->getSymbolTable(blocks, AcDb::kForWrite), Acad::eOk);
    auto* block = new AcDbBlockTableRecord();
    ASSERT_EQ(block->setName("QVT0001"), Acad::eOk);
    ASSERT_EQ(block->setOrigin(AcGePoint3d(0, 0, 0)), Acad::eOk);
    ASSERT_EQ(blocks->add(block), Acad::eOk);
    EXPECT_EQ(blocks->close(), Acad::eOk);
    auto* line = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(10, 0, 0));
    ASSERT_EQ(block->appendAcDbEntity(line), Acad::eOk);
    EXPECT_EQ(line->close(), Acad::eOk);
    auto* cell = new AcDbAttributeDefinition(AcGePoint3d(1, -1, 0), "DOOR", "QVT_1_1", "", styleId);
    EXPECT_EQ(cell->setHeight(0.25), Acad::eOk);
    EXPECT_EQ(cell->setHorizontalMode(AcDb::kTextCenter), Acad::eOk);
    EXPECT_EQ(cell->setAlignmentPoint(AcGePoint3d(2, -1, 0)), Acad::eOk);
    EXPECT_EQ(cell->setPreset(true), Acad::eOk);
    ASSERT_EQ(block->appendAcDbEntity(cell), Acad::eOk);
    EXPECT_EQ(cell->close(), Acad::eOk);
    EXPECT_EQ(block->close(), Acad::eOk);

    resbuf attreq{nullptr, RTSHORT, {}};
    attreq.resval.rint = 0;
    ASSERT_EQ(acedSetVar("ATTREQ", &attreq), RTNORM);
    ads_point corner = {20.0, 30.0, 0.0};
    EXPECT_EQ(acedCommand(RTSTR, ".INSERT", RTSTR, "QVT0001", RTPOINT, corner, RTREAL, 2.0, RTREAL, 2.0, RTSTR, "0",
                          0),
              RTNORM);
    attreq.resval.rint = 1;
    ASSERT_EQ(acedSetVar("ATTREQ", &attreq), RTNORM);
}

TEST_P(DxfWriteVersion, AddedObjectsPassTheAuditAndReadBackInBothReaders) {
    cad::Host& host = cad::Host::Instance();
    ASSERT_TRUE(host.OpenDrawing(Source().string()).Ok());
    AddTableBlock();
    EXPECT_EQ(host.WorkingDatabase().OpenObjectCount(), 0u);
    cad::DxfResult saved = host.SaveDrawing(Target().string());
    ASSERT_TRUE(saved.Ok()) << saved.detail;
    host.Documents().CloseDocument(&host.Documents().Current());

    std::string summary = dxftest::EzdxfSummary(Target());
    EXPECT_NE(summary.find("errors 0\n"), std::string::npos) << summary;
    EXPECT_NE(summary.find("insert QVT0001 at 20,30 scale 2 [QVT_1_1=DOOR]\n"), std::string::npos) << summary;
    EXPECT_NE(summary.find("insert DOOR at 5,5 scale 1 [PRICE=9.99]\n"), std::string::npos) << summary;
    EXPECT_NE(summary.find("block QVT0001 LINE ATTDEF\n"), std::string::npos) << summary;
    EXPECT_NE(summary.find("attdef QVT0001 QVT_1_1=DOOR style QVTTABLE\n"), std::string::npos) << summary;
    EXPECT_NE(summary.find("style QVTTABLE simpheb.shx"), std::string::npos) << summary;

    std::unique_ptr<cad::Database> again;
    ASSERT_TRUE(cad::ReadDxfFile(Target().string(), cad::CodePage::Default(), again).Ok());
    const auto* model = again->PeekAs<cad::BlockTableRecord>(again->ModelSpaceId());
    ASSERT_EQ(model->entities.size(), 7u);
    const auto* reference = again->PeekAs<cad::BlockReference>(model->entities.back());
    ASSERT_NE(reference, nullptr);
    EXPECT_EQ(again->PeekAs<cad::BlockTableRecord>(reference->blockId)->name, "QVT0001");
    ASSERT_EQ(reference->attributes.size(), 1u);
    EXPECT_EQ(again->PeekAs<cad::Attribute>(reference->attributes[0])->text, "DOOR");

    // Saving once more changes nothing.
    std::string text;
    ASSERT_TRUE(cad::WriteDxfText(*again, cad::CodePage::Default(), text).Ok());
    EXPECT_TRUE(text == dxftest::Slurp(Target()));
}

TEST_P(DxfWriteVersion, NewHandlesAreUniqueAndTheSeedIsRaised) {
    if (std::string(GetParam()).starts_with("R12"))
        GTEST_SKIP() << "R12 drawings need no handles";
    cad::Host& host = cad::Host::Instance();
    ASSERT_TRUE(host.OpenDrawing(Source().string()).Ok());
    std::uint64_t seed = host.WorkingDatabase().Header().handseed;
    AddTableBlock();
    ASSERT_TRUE(host.SaveDrawing(Target().string()).Ok());
    host.Documents().CloseDocument(&host.Documents().Current());
    std::string text = dxftest::Slurp(Target());
    std::set<std::string> handles;
    std::size_t count = 0;
    cad::DxfTagStream stream(text);
    cad::DxfTag tag;
    while (stream.Next(tag)) {
        if (tag.code != 5)
            continue;
        EXPECT_TRUE(handles.insert(std::string(tag.value)).second) << "handle " << tag.value << " twice";
        ++count;
    }
    EXPECT_FALSE(stream.Failed());
    EXPECT_GT(count, 10u);
    std::unique_ptr<cad::Database> again;
    ASSERT_TRUE(cad::ReadDxfFile(Target().string(), cad::CodePage::Default(), again).Ok());
    EXPECT_GT(again->Header().handseed, seed);
}

INSTANTIATE_TEST_SUITE_P(Versions, DxfWriteVersion,
                         ::testing::Values("R12", "R2000", "R2004", "R2010", "R2018", "R12-bin", "R2000-bin",
                                           "R2004-bin", "R2010-bin", "R2018-bin"));

std::string Replaced(std::string text, const std::vector<std::pair<std::string, std::string>>& changes) {
    for (const auto& [from, to] : changes) {
        std::size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from << " is not in\n" << text;
        if (at != std::string::npos)
            text.replace(at, from.size(), to);
    }
    return text;
}

class DxfPatchVersion : public ::testing::TestWithParam<const char*> {};

// Changing a field must not cost the object what this editor does not model.
TEST_P(DxfPatchVersion, ChangedObjectsKeepEverythingElseTheFileGaveThem) {
    fs::path source = dxftest::Drawings() / (std::string("extras") + GetParam() + ".dxf");
    fs::path target = dxftest::Drawings() / (std::string("extras") + GetParam() + "-changed.dxf");
    std::string before = dxftest::RunPython("extras " + source.string());
    ASSERT_NE(before.find("errors 0\n"), std::string::npos) << before;

    std::unique_ptr<cad::Database> database;
    ASSERT_TRUE(cad::ReadDxfFile(source.string(), cad::CodePage::Default(), database).Ok());
    cad::BlockReference* reference = nullptr;
    cad::Line* line = nullptr;
    for (cad::ObjectId id : database->PeekAs<cad::BlockTableRecord>(database->ModelSpaceId())->entities) {
        reference = reference ? reference : database->PeekAs<cad::BlockReference>(id);
        line = line ? line : database->PeekAs<cad::Line>(id);
    }
    ASSERT_NE(reference, nullptr);
    ASSERT_NE(line, nullptr);
    reference->position = cad::Point3d{4.0, 4.0, 0.0};
    reference->Touch();
    auto* attribute = database->PeekAs<cad::Attribute>(reference->attributes.at(0));
    attribute->text = "P-2";
    attribute->Touch();
    line->end = cad::Point3d{6.0, 6.0, 0.0};
    line->Touch();
    auto* layer = database->PeekAs<cad::LayerTableRecord>(database->FindRecord(database->LayerTableId(), "Hidden"));
    layer->color = 5;
    layer->Touch();
    auto* style = database->PeekAs<cad::TextStyleTableRecord>(database->FindRecord(database->TextStyleTableId(), "Notes"));
    style->widthFactor = 0.8;
    style->Touch();
    ASSERT_TRUE(cad::WriteDxfFile(*database, cad::CodePage::Default(), target.string()).Ok());

    std::string after = dxftest::RunPython("extras " + target.string());
    EXPECT_EQ(after, Replaced(before, {{"at 1,1", "at 4,4"}, {"CODE=P-1", "CODE=P-2"}, {"to 5,5", "to 6,6"},
                                       {"color 3 frozen", "color 5 frozen"}, {"width 1 ", "width 0.8 "}}));

    // Our reader sees the changes, and a second save of what it read changes nothing.
    std::unique_ptr<cad::Database> again;
    ASSERT_TRUE(cad::ReadDxfFile(target.string(), cad::CodePage::Default(), again).Ok());
    const auto* hidden = again->PeekAs<cad::LayerTableRecord>(again->FindRecord(again->LayerTableId(), "Hidden"));
    EXPECT_EQ(hidden->color, 5);
    std::string text;
    ASSERT_TRUE(cad::WriteDxfText(*again, cad::CodePage::Default(), text).Ok());
    EXPECT_TRUE(text == dxftest::Slurp(target));
}

INSTANTIATE_TEST_SUITE_P(Versions, DxfPatchVersion, ::testing::Values("R2000", "R2018", "R2000-bin", "R2018-bin"));

TEST(DxfSave, ADrawingMadeHereIsSavedAsR12ThatBothReadersTake) {
    cad::Host& host = cad::Host::Instance();
    cad::Document& document = host.Documents().NewDocument("");
    host.Documents().MakeCurrent(&document);
    cad::DxfResult unnamed = host.SaveDrawing("");
    EXPECT_EQ(unnamed.status, cad::DxfStatus::CannotWrite);
    EXPECT_EQ(unnamed.detail, "the drawing has no file yet; give the name to save it as");

    AddTableBlock();
    cad::Database& database = host.WorkingDatabase();
    cad::ObjectId noteId = cad::kNullId;
    ASSERT_EQ(database.AppendEntity(database.PaperSpaceId(), cad::ObjectPtr<cad::Entity>(new cad::Line()), &noteId),
              cad::ErrorStatus::Ok);
    fs::path target = dxftest::Drawings() / "made-here.dxf";
    cad::DxfResult saved = host.SaveDrawing(target.string());
    ASSERT_TRUE(saved.Ok()) << saved.detail;
    EXPECT_EQ(document.Path(), target.string());
    host.Documents().CloseDocument(&document);

    std::string text = dxftest::Slurp(target);
    EXPECT_EQ(text.rfind("  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1009\n  9\n$DWGCODEPAGE\n  3\nANSI_1252\n", 0), 0u);
    EXPECT_TRUE(text.ends_with("  0\nENDSEC\n  0\nEOF\n"));
    std::string summary = dxftest::EzdxfSummary(target);
    EXPECT_NE(summary.find("errors 0\n"), std::string::npos) << summary;
    EXPECT_NE(summary.find("insert QVT0001 at 20,30 scale 2 [QVT_1_1=DOOR]\n"), std::string::npos) << summary;
    EXPECT_NE(summary.find("block QVT0001 LINE ATTDEF\n"), std::string::npos) << summary;
    EXPECT_NE(summary.find("attdef QVT0001 QVT_1_1=DOOR style QVTTABLE\n"), std::string::npos) << summary;
    EXPECT_NE(summary.find("style QVTTABLE simpheb.shx"), std::string::npos) << summary;

    std::unique_ptr<cad::Database> again;
    ASSERT_TRUE(cad::ReadDxfFile(target.string(), cad::CodePage::Default(), again).Ok());
    const auto* model = again->PeekAs<cad::BlockTableRecord>(again->ModelSpaceId());
    ASSERT_EQ(model->entities.size(), 1u);
    const auto* reference = again->PeekAs<cad::BlockReference>(model->entities[0]);
    ASSERT_NE(reference, nullptr);
    EXPECT_EQ(again->PeekAs<cad::BlockTableRecord>(reference->blockId)->name, "QVT0001");
    EXPECT_EQ(again->PeekAs<cad::BlockTableRecord>(again->PaperSpaceId())->entities.size(), 1u);
    std::string twice;
    ASSERT_TRUE(cad::WriteDxfText(*again, cad::CodePage::Default(), twice).Ok());
    EXPECT_TRUE(twice == text) << "a second save differs";
}

TEST(DxfSave, AFailedSaveLeavesNothingBehind) {
    cad::Host& host = cad::Host::Instance();
    ASSERT_TRUE(host.OpenDrawing((dxftest::Drawings() / "R2000.dxf").string()).Ok());
    cad::DxfResult result = host.SaveDrawing("/nonexistent-folder/plan.dxf");
    EXPECT_EQ(result.status, cad::DxfStatus::CannotWrite);
    EXPECT_EQ(result.detail, "cannot write beside /nonexistent-folder/plan.dxf: No such file or directory");
    host.Documents().CloseDocument(&host.Documents().Current());
}

TEST(DxfSave, SavingOverTheOriginalLeavesNoTemporaryFile) {
    fs::path folder = dxftest::Drawings() / "overwrite";
    fs::create_directories(folder);
    fs::copy_file(dxftest::Drawings() / "R2018.dxf", folder / "plan.dxf", fs::copy_options::overwrite_existing);
    cad::Host& host = cad::Host::Instance();
    ASSERT_TRUE(host.OpenDrawing((folder / "plan.dxf").string()).Ok());
    AddTableBlock();
    ASSERT_TRUE(host.SaveDrawing("").Ok());
    host.Documents().CloseDocument(&host.Documents().Current());
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder))
        ++files;
    EXPECT_EQ(files, 1u);
    EXPECT_NE(dxftest::Slurp(folder / "plan.dxf").find("QVT0001"), std::string::npos);
}

TEST(DxfSave, TextIsWrittenInTheFilesOwnCodePage) {
    cad::Host& host = cad::Host::Instance();
    host.SetActiveCodePage(*cad::CodePage::Find(1255));
    ASSERT_TRUE(host.OpenDrawing((dxftest::Drawings() / "hebrew1255.dxf").string()).Ok());
    cad::ObjectId id = cad::kNullId;
    ASSERT_EQ(cad::InsertBlock(host.WorkingDatabase(), host.GetEditor(), "\xE3\xEC\xFA", {1, 1, 0}, 1, 1, 0, false,
                               &id),
              cad::RtNorm);
    fs::path target = dxftest::Drawings() / "hebrew1255-saved.dxf";
    ASSERT_TRUE(host.SaveDrawing(target.string()).Ok());
    host.Documents().CloseDocument(&host.Documents().Current());
    host.SetActiveCodePage(cad::CodePage::Default());
    std::string summary = dxftest::EzdxfSummary(target);
    EXPECT_NE(summary.find("errors 0\n"), std::string::npos) << summary;
    EXPECT_NE(summary.find("insert \xD7\x93\xD7\x9C\xD7\xAA at 1,1 scale 1 []"), std::string::npos) << summary;
}

} // namespace
