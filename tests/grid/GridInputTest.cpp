// What the grid does with the mouse and the keys while a cell is edited, its drag loop, its scroll tip, and the
// arguments its change callbacks get when rows, columns and moves change the active cell.
#include "GridTestSupport.h"

#include <string>
#include <vector>

namespace {

using namespace gridtest;

// Opens the editor on the press, as the catalogue's grid does, and writes down every key its editor offers.
class EditOnPressGrid : public RecordingGrid {
public:
    bool refuseBackspace = false;
    void OnCellLeftClick(int col, long row, int down, Rect* rect, Point* point, bool processed) override {
        RecordingGrid::OnCellLeftClick(col, row, down, rect, point, processed);
        if (down == 1 && col >= 0)
            BeginEdit();
    }
    bool OnEditKey(int col, long row, ui::Window* editor, unsigned* key) override {
        log.push_back("key " + std::to_string(*key));
        if (refuseBackspace && *key == ui::KeyBack)
            return false;
        return GridControl::OnEditKey(col, row, editor, key);
    }
};

TEST_F(GridTest, AScrollBarEndsTheEditBeforeTheViewMoves) {
    Fill(40);
    ASSERT_EQ(grid.BeginEditAt(0, 0, 'x'), 0);
    grid.log.clear();
    Rect bar = grid.VerticalBar().ScreenRect();
    system.Click(Point{bar.left + 5, bar.bottom - 5}); // the arrow down
    EXPECT_FALSE(grid.IsEditing());
    EXPECT_STREQ(grid.GetCellText(0, 0), "x");
    EXPECT_EQ(grid.log, (std::vector<std::string>{"end 0,0 x", "first 0>1"}));
    system.PressKey(ui::KeyEnter); // no editor is left to store anything elsewhere
    EXPECT_STREQ(grid.GetCellText(0, 1), "r1c0");

    // An edit that may not end keeps its editor over its own cell, and the view stays.
    grid.acceptEdit = false;
    system.Advance(1000);
    ASSERT_EQ(grid.BeginEditAt(1, 5, 'y'), 0);
    long first = grid.GetFirstRow();
    system.Click(Point{bar.left + 5, bar.bottom - 5});
    EXPECT_TRUE(grid.IsEditing());
    EXPECT_EQ(grid.EditRow(), 5);
    EXPECT_EQ(grid.GetFirstRow(), first);
    EXPECT_TRUE(grid.OwnEditor().HasFocus());
    grid.acceptEdit = true;
    system.PressKey(ui::KeyEscape);
}

TEST_F(GridTest, APressInTheCellsWhileEditingIsIgnoredWithItsRelease) {
    Fill(3);
    ASSERT_EQ(grid.BeginEditAt(2, 0, 'q'), 0);
    grid.log.clear();
    system.Click(CellPoint(0, 2));
    system.Advance(1000);
    system.Click(CellPoint(1, 1), ui::MouseButton::Right);
    EXPECT_TRUE(grid.log.empty());
    EXPECT_TRUE(grid.IsEditing());
    EXPECT_EQ(grid.EditColumn(), 2);
    EXPECT_EQ(grid.GetActiveColumn(), 2);
    EXPECT_EQ(grid.GetActiveRow(), 0);
    EXPECT_EQ(grid.OwnEditor().Text(), "q");
    system.PressKey(ui::KeyEnter);
    EXPECT_STREQ(grid.GetCellText(2, 0), "q");
}

class GridPressRelease : public GridFixture<EditOnPressGrid> {};

TEST_F(GridPressRelease, APressThatOpensTheEditorStillGetsItsRelease) {
    grid.SetColumnCount(2, false);
    grid.SetRowCount(3, false);
    grid.log.clear();
    Rect cell;
    ASSERT_TRUE(grid.CellRect(0, 1, &cell));
    system.Click(grid.CellArea().ClientToScreen(Point{cell.left + 5, cell.top + 5}));
    EXPECT_EQ(grid.log, (std::vector<std::string>{"row 0>1", "cell", "click 0,1 down 1", "click 0,1 down 0"}));
    ASSERT_TRUE(grid.IsEditing());

    // Backspace is offered to OnEditKey like every character, and a refusal keeps the text.
    grid.log.clear();
    system.Type("ab");
    grid.refuseBackspace = true;
    system.PressKey(ui::KeyBack);
    EXPECT_EQ(grid.OwnEditor().Text(), "ab");
    grid.refuseBackspace = false;
    system.PressKey(ui::KeyBack);
    EXPECT_EQ(grid.OwnEditor().Text(), "a");
    EXPECT_EQ(grid.log, (std::vector<std::string>{"key 97", "key 98", "key 8", "key 8"}));
    system.PressKey(ui::KeyEscape);
}

TEST_F(GridTest, DraggingBelowTheCellsStepsWithoutPausesUnlessAccelerated) {
    Fill(100);
    Rect area = grid.CellArea().ScreenRect();
    int turns = 0;
    system.Headless().onMouseInputWaiting = [&](WindowSystem&) { return ++turns >= 10; };
    std::int64_t start = system.Now();
    system.MouseDown(CellPoint(0, 0));
    system.MouseMove(Point{area.left + 10, area.bottom + 30});
    // Ten turns of the loop, a row each, and no time spent waiting.
    EXPECT_EQ(grid.GetActiveRow(), 10);
    EXPECT_EQ(system.Now(), start);

    // Accelerated, ten pixels out: steps of trunc(10 / 20 + 1) = 1 row, each followed by the 200 ms pause.
    grid.Sheet().dragScrollAcceleration = 1;
    turns = 0;
    system.MouseMove(Point{area.left + 10, area.bottom + 10});
    EXPECT_EQ(grid.GetActiveRow(), 20);
    EXPECT_EQ(system.Now(), start + 10 * 200);
    // Fifty pixels out: steps of trunc(50 / 20 + 1) = 3 rows, without a pause.
    turns = 0;
    system.MouseMove(Point{area.left + 10, area.bottom + 50});
    EXPECT_EQ(grid.GetActiveRow(), 50);
    EXPECT_EQ(system.Now(), start + 10 * 200);

    system.MouseUp(Point{area.left + 10, area.bottom + 50});
    turns = 0;
    system.MouseMove(Point{area.left + 10, area.bottom + 50});
    EXPECT_EQ(grid.GetActiveRow(), 50);
    EXPECT_EQ(turns, 0);
}

TEST_F(GridTest, TheScrollTipShowsWhereThePointerIs) {
    Fill(100);
    grid.Sheet().rowScrollTips = true;
    Rect bar = grid.VerticalBar().ScreenRect();
    int arrow = ui::SystemMetricOf(ui::SystemMetric::ScrollBarWidth);
    Point thumb{bar.left + 5, bar.top + arrow + 3};
    system.MouseDown(thumb);
    Point dragged{bar.left + 7, bar.top + arrow + 60};
    system.MouseMove(dragged);
    ASSERT_TRUE(grid.Tip().IsVisible());
    EXPECT_EQ(grid.Tip().WindowRect().left, dragged.x);
    EXPECT_EQ(grid.Tip().WindowRect().top, dragged.y);
    system.MouseUp(dragged);
    EXPECT_FALSE(grid.Tip().IsVisible());
    EXPECT_GT(grid.GetFirstRow(), 0);
}

// The change callbacks with every argument.
class ArgumentsGrid : public RecordingGrid {
public:
    long bounceFrom = -1; // a move onto this row moves on by one more row, from inside the callback
    void OnActiveRowChanged(long o, long n) override {
        RecordingGrid::OnActiveRowChanged(o, n);
        if (n == bounceFrom)
            StepActiveRow(vantorel::StepDown);
    }
    void OnActiveCellChanged(int oc, int nc, long orow, long nrow) override {
        log.push_back("cell " + std::to_string(oc) + ">" + std::to_string(nc) + " " + std::to_string(orow) + ">" +
                      std::to_string(nrow));
    }
};

class GridArguments : public GridFixture<ArgumentsGrid> {};

TEST_F(GridArguments, AMoveFromInsideACallbackIsReportedFromTheSameOldCell) {
    grid.SetColumnCount(2, false);
    grid.SetRowCount(4, false);
    grid.log.clear();
    grid.bounceFrom = 1;
    grid.GotoCell(0, 1);
    // The previous cell is set last, so the inner move also starts from row 0.
    EXPECT_EQ(grid.log, (std::vector<std::string>{"row 0>1", "row 0>2", "cell 0>0 0>2", "cell 0>0 0>1"}));
    EXPECT_EQ(grid.GetActiveRow(), 2);
    EXPECT_EQ(grid.Sheet().previousActiveRow, 2);
    grid.log.clear();
    grid.bounceFrom = -1;
    grid.GotoCell(0, 3);
    EXPECT_EQ(grid.log, (std::vector<std::string>{"row 2>3", "cell 0>0 2>3"}));
}

TEST_F(GridArguments, AColumnCountThatMovesTheActiveColumnLeavesThePreviousOne) {
    grid.SetColumnCount(3, false);
    EXPECT_EQ(grid.GetActiveColumn(), 0);
    EXPECT_EQ(grid.Sheet().previousActiveColumn, -1);
    grid.SetRowCount(2, false);
    EXPECT_EQ(grid.log, (std::vector<std::string>{"col -1>0", "row -1>0", "cell -1>0 -1>0"}));
    grid.GotoCell(2, 1);
    grid.log.clear();
    grid.SetColumnCount(1, false);
    EXPECT_EQ(grid.GetActiveColumn(), 0);
    EXPECT_EQ(grid.Sheet().previousActiveColumn, 2);
    EXPECT_TRUE(grid.log.empty());
    grid.GotoCell(0, 0);
    EXPECT_EQ(grid.log, (std::vector<std::string>{"col 2>0", "row 1>0", "cell 2>0 1>0"}));
}

TEST_F(GridArguments, InsertingAtMinusOneGoesToTheStoreAndAddsARow) {
    grid.SetColumnCount(2, false);
    grid.SetCellText(0, -1, "Heading");
    grid.log.clear();
    EXPECT_EQ(grid.InsertRowAt(-1), 0);
    EXPECT_EQ(grid.GetRowCount(), 1);
    EXPECT_EQ(grid.log, (std::vector<std::string>{"col -1>0", "row -1>0", "cell -1>0 -1>0"}));
    // The store put an empty row in front of the heading row it held, so the heading's cells come next.
    EXPECT_EQ(grid.GetCellText(0, -1), nullptr);
    EXPECT_STREQ(grid.GetCellText(0, 0), "Heading");
    // A row the store holds nothing for: nothing moves there, but the grid still counts a row more.
    grid.log.clear();
    EXPECT_EQ(grid.InsertRowAt(-5), 0);
    EXPECT_EQ(grid.GetRowCount(), 2);
    EXPECT_TRUE(grid.log.empty());
    EXPECT_EQ(grid.InsertRowAt(3), 1);
}

} // namespace
