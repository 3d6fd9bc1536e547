// The report grid in a dialog of its own: what ShowReport leaves in the grid and in its store, and what a click
// on a heading does with it.
#include "dialogs/ReportGrid.h"
#include "grid/CellDataSource.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/WindowSystem.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <memory>
#include <string>

namespace {

using vantorel::BomReport;
using vantorel::ReportRow;

class ReportGridTest : public ::testing::Test {
protected:
    void SetUp() override {
        ui::WindowSystem::Instance().Reset();
        vantorel::showPrice = 1;
        ui::DialogTemplate t;
        t.id = 201;
        t.title = "BOM Report";
        t.units = ui::Rect::FromSize(0, 0, 394, 277);
        t.controls = {{ui::ControlKind::Placeholder, 216, "", ui::Rect::FromSize(7, 25, 380, 215), ui::StyleVisible}};
        dialog = std::make_unique<ui::Dialog>(t);
        ASSERT_TRUE(dialog->CreateFromTemplate(nullptr, ui::Point{0, 0}));
        ASSERT_TRUE(grid.BindToDialogControl(dialog.get(), 216));
    }
    void TearDown() override {
        grid.Destroy();
        dialog->Destroy();
    }
    // The rows as the text file and the table read them: "|"-separated, a line each.
    std::string Shown() const {
        std::string text;
        for (long row = 0; row < grid.ShownRowCount(); ++row) {
            for (int col = 0; col < vantorel::ReportGrid::kColumns; ++col)
                text += (col ? "|" : "") + grid.ShownText(col, row);
            text += "\n";
        }
        return text;
    }
    void ClickHeading(const std::string& heading) {
        ui::Rect rect;
        ASSERT_TRUE(grid.ColumnHeader().FindItem(heading, rect));
        ui::Point at = grid.ColumnHeader().ClientToScreen(ui::Point{(rect.left + rect.right) / 2, rect.top + 2});
        ui::WindowSystem::Instance().Click(at);
        ui::WindowSystem::Instance().Advance(1000);
    }
    long StoredRows() const {
        auto* store = dynamic_cast<vantorel::MemoryDataSource*>(grid.DataSource());
        return store ? store->RowNodeCount() : -1;
    }
    std::unique_ptr<ui::Dialog> dialog;
    vantorel::ReportGrid grid;
};

TEST_F(ReportGridTest, RowsShowTwoDecimalsAndTheSummaryTheSumOfTotals) {
    BomReport report;
    report.AppendRow(ReportRow{"door", 2.5, 3, "Wooden door", 7.5});
    report.AppendRow(ReportRow{"window", 2.5, 3, "", 7.5});
    report.AppendRow(ReportRow{"lamp", 12.5, 0, "unused", 0.0});
    grid.ShowReport(report);
    EXPECT_EQ(Shown(), "door|2.50|3|Wooden door|7.50\n"
                       "window|2.50|3||7.50\n"
                       "lamp|12.50|0|unused|0.00\n"
                       "Summary:||||15.00\n");
    grid.cataloguedOnly = true;
    grid.ShowReport(report);
    EXPECT_EQ(Shown(), "door|2.50|3|Wooden door|7.50\n"
                       "window|2.50|3||7.50\n"
                       "Summary:||||15.00\n");
}

TEST_F(ReportGridTest, AnEmptyReportHasNoSummaryUntilAHeadingIsClicked) {
    grid.ShowReport(BomReport{});
    EXPECT_EQ(Shown(), "");
    ClickHeading("Total");
    EXPECT_EQ(Shown(), "Summary:||||0.00\n");
}

TEST_F(ReportGridTest, ASecondReportWithFewerRowsLeavesNothingOfTheFirst) {
    BomReport first;
    first.AppendRow(ReportRow{"door", 2.0, 5, "d", 10.0});
    first.AppendRow(ReportRow{"window", 1.0, 3, "w", 3.0});
    first.AppendRow(ReportRow{"lamp", 4.0, 1, "l", 4.0});
    grid.ShowReport(first);
    BomReport second;
    second.AppendRow(ReportRow{"chair", 12.5, 0, "Oak", 0.0});
    grid.ShowReport(second);
    EXPECT_EQ(Shown(), "chair|12.50|0|Oak|0.00\n"
                       "Summary:||||0.00\n");
    // The headings and the two rows: no cell of the first report is kept to come back.
    EXPECT_EQ(StoredRows(), 3);
    ClickHeading("Total");
    ClickHeading("Total");
    EXPECT_EQ(Shown(), "chair|12.50|0|Oak|0.00\n"
                       "Summary:||||0.00\n");
}

TEST_F(ReportGridTest, TotalsAtTheEdgeOfTheDoublesStillSumToANumber) {
    BomReport report;
    report.AppendRow(ReportRow{"big", DBL_MAX, 1, "", DBL_MAX});
    report.AppendRow(ReportRow{"bigger", DBL_MAX, 1, "", DBL_MAX});
    grid.ShowReport(report);
    std::string summary = grid.ShownText(4, 2);
    EXPECT_EQ(summary.find_first_not_of("0123456789."), std::string::npos) << summary;
    EXPECT_EQ(summary.size(), 312u); // the 309 digits of the largest double, its point and two decimals
}

} // namespace
