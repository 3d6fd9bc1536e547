#include "BomTestSupport.h"

#include "bom/BlockCensus.h"
#include "platform/cad/Host.h"

namespace {

using vantorel::BlockCensus;
using vantorel::BomReport;
using vantorel::ReportRow;

// A drawing of its own in the embedded editor, with the blocks it is given; references are added by name
// and the selection is answered with them.
class CensusDrawing : public ::testing::Test {
protected:
    void SetUp() override {
        cad::Host& host = cad::Host::Instance();
        m_document = &host.Documents().NewDocument("");
        host.Documents().MakeCurrent(m_document);
        host.GetEditor().Script().Clear();
        bomtest::TakeAlerts();
    }
    void TearDown() override {
        cad::Host::Instance().GetEditor().Script().Clear();
        EXPECT_EQ(Database().OpenObjectCount(), 0u);
        cad::Host::Instance().Documents().CloseDocument(m_document);
    }
    cad::Database& Database() { return m_document->GetDatabase(); }
    cad::ObjectId Block(const std::string& name) {
        auto record = std::make_unique<cad::BlockTableRecord>();
        record->name = name;
        cad::ObjectId id = cad::kNullId;
        EXPECT_EQ(Database().AddRecord(Database().BlockTableId(), std::move(record), &id), cad::ErrorStatus::Ok);
        return id;
    }
    // Made directly: the insert command refuses the names of anonymous blocks, which drawings still hold.
    cad::ObjectId Reference(const std::string& blockName) {
        auto reference = std::make_unique<cad::BlockReference>();
        reference->blockId = Database().FindRecord(Database().BlockTableId(), blockName);
        EXPECT_NE(reference->blockId, cad::kNullId) << blockName;
        cad::ObjectId id = cad::kNullId;
        EXPECT_EQ(Database().AppendEntity(Database().ModelSpaceId(), std::move(reference), &id), cad::ErrorStatus::Ok);
        return id;
    }
    void Select(std::vector<cad::ObjectId> ids) {
        cad::Host::Instance().GetEditor().Script().Push(cad::SelectionAnswer{false, std::move(ids)});
    }
    void Cancel() { cad::Host::Instance().GetEditor().Script().Push(cad::CancelAnswer{}); }

    cad::Document* m_document = nullptr;
};

TEST_F(CensusDrawing, EachReferenceAddsOneAndTheItemPriceToItsCataloguedRow) {
    Block("DOOR");
    Block("Lamp");
    BomReport report;
    report.AppendRow(ReportRow{"Door", 12.5, 0, "Wooden door", 0.0});
    report.AppendRow(ReportRow{"Window", 3.0, 0, "", 0.0});
    cad::ObjectId door = Reference("DOOR");
    cad::ObjectId lamp = Reference("Lamp");
    Select({lamp, door, door, lamp, door, lamp, lamp});
    BlockCensus census;
    ASSERT_TRUE(census.CountSelection(report));
    EXPECT_EQ(report.Rows(), (std::vector<ReportRow>{{"door", 12.5, 3, "Wooden door", 37.5},
                                                     {"window", 3.0, 0, "", 0.0},
                                                     {"lamp", 0.0, 4, "", 0.0}}));
    EXPECT_EQ(bomtest::TakeAlerts(), std::vector<std::string>{});
}

TEST_F(CensusDrawing, WithoutACatalogueEveryBlockGetsARowInTheOrderItFirstComes) {
    Block("B");
    Block("*U2");
    Block("a");
    cad::ObjectId b = Reference("B");
    cad::ObjectId anonymous = Reference("*U2");
    cad::ObjectId a = Reference("a");
    Select({a, b, anonymous, b, a});
    BomReport report;
    BlockCensus census;
    ASSERT_TRUE(census.CountSelection(report));
    EXPECT_EQ(report.Rows(), (std::vector<ReportRow>{{"a", 0.0, 2, "", 0.0}, {"b", 0.0, 2, "", 0.0},
                                                     {"*u2", 0.0, 1, "", 0.0}}));
}

TEST_F(CensusDrawing, OfTwoRowsWithOneNameOnlyTheLaterIsCounted) {
    Block("Door");
    BomReport report;
    report.AppendRow(ReportRow{"DOOR", 1.0, 0, "first", 0.0});
    report.AppendRow(ReportRow{"door", 2.0, 0, "second", 0.0});
    cad::ObjectId door = Reference("Door");
    Select({door, door});
    BlockCensus census;
    ASSERT_TRUE(census.CountSelection(report));
    EXPECT_EQ(report.Rows(), (std::vector<ReportRow>{{"door", 1.0, 0, "first", 0.0}, {"door", 2.0, 2, "second", 4.0}}));
}

TEST_F(CensusDrawing, CataloguedOnlyLeavesOtherBlocksUncounted) {
    Block("Door");
    Block("Lamp");
    BomReport report;
    report.AppendRow(ReportRow{"door", 2.0, 0, "", 0.0});
    Select({Reference("Lamp"), Reference("Door")});
    BlockCensus census;
    census.cataloguedOnly = true;
    ASSERT_TRUE(census.CountSelection(report));
    EXPECT_EQ(report.Rows(), (std::vector<ReportRow>{{"door", 2.0, 1, "", 2.0}}));
}

TEST_F(CensusDrawing, ACancelledSelectionCountsNothingAndSaysNothing) {
    Block("Door");
    Reference("Door");
    BomReport report;
    report.AppendRow(ReportRow{"Door", 2.0, 0, "", 0.0});
    Cancel();
    BlockCensus census;
    EXPECT_FALSE(census.CountSelection(report));
    EXPECT_EQ(report.Rows(), (std::vector<ReportRow>{{"door", 2.0, 0, "", 0.0}}));
    EXPECT_EQ(bomtest::TakeAlerts(), std::vector<std::string>{});
}

TEST_F(CensusDrawing, AReferenceOrBlockThatCannotBeOpenedStopsTheCensusWithItsAlert) {
    cad::ObjectId doorBlock = Block("Door");
    Block("Lamp");
    cad::ObjectId lamp = Reference("Lamp");
    cad::ObjectId door = Reference("Door");
    BomReport report;
    BlockCensus census;
    cad::Object* held = nullptr;
    ASSERT_EQ(Database().Open(door, cad::OpenMode::Write, &held), cad::ErrorStatus::Ok);
    Select({lamp, door, lamp});
    EXPECT_FALSE(census.CountSelection(report));
    EXPECT_EQ(bomtest::TakeAlerts(), std::vector<std::string>{"\nCannot open the object INSERT"});
    EXPECT_EQ(report.Rows(), (std::vector<ReportRow>{{"lamp", 0.0, 1, "", 0.0}})); // counted so far, kept
    ASSERT_EQ(Database().Close(door, cad::OpenMode::Write), cad::ErrorStatus::Ok);

    ASSERT_EQ(Database().Open(doorBlock, cad::OpenMode::Write, &held), cad::ErrorStatus::Ok);
    Select({door});
    EXPECT_FALSE(census.CountSelection(report));
    EXPECT_EQ(bomtest::TakeAlerts(), std::vector<std::string>{"\nCannot open the object BlockTableRecord"});
    ASSERT_EQ(Database().Close(doorBlock, cad::OpenMode::Write), cad::ErrorStatus::Ok);
}

TEST_F(CensusDrawing, OnlyBlockReferencesAreSelectedAndTheSetIsGivenBack) {
    Block("Door");
    auto line = std::make_unique<cad::Line>();
    cad::ObjectId lineId = cad::kNullId;
    ASSERT_EQ(Database().AppendEntity(Database().ModelSpaceId(), std::move(line), &lineId), cad::ErrorStatus::Ok);
    cad::ObjectId door = Reference("Door");
    Select({lineId, door, lineId});
    BomReport report;
    BlockCensus census;
    ASSERT_TRUE(census.CountSelection(report));
    EXPECT_EQ(report.Rows(), (std::vector<ReportRow>{{"door", 0.0, 1, "", 0.0}}));
    EXPECT_EQ(cad::Host::Instance().GetEditor().SelectionSetCount(), 0u);
}

} // namespace
