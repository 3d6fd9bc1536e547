#include "GridTestSupport.h"

#include <filesystem>
#include <string>
#include <vector>

namespace {

using namespace gridtest;

TEST_F(GridTest, BindingMakesTheSevenPartsAndTheTip) {
    for (int id = 1; id <= 7; ++id)
        EXPECT_NE(grid.FindChild(id), nullptr) << id;
    EXPECT_EQ(grid.FindChild(GridControl::IdCellArea), &grid.CellArea());
    EXPECT_STREQ(grid.Tip().ClassName(), "HintWnd");
    EXPECT_EQ(grid.Id(), kPlaceholder);
    EXPECT_STREQ(grid.TypeFor(0).GetTypeName(), "Normal Cell Type (default)");
    EXPECT_STREQ(grid.TypeFor(1).GetTypeName(), "Standard DropList");
    EXPECT_STREQ(grid.TypeFor(2).GetTypeName(), "Standard CheckBox Type");
    EXPECT_EQ(grid.RegisterCellType(nullptr), -1);
    vantorel::SortArrowCellType arrow;
    EXPECT_EQ(grid.RegisterCellType(&arrow), 4);
    EXPECT_EQ(&grid.TypeFor(4), &arrow);
    EXPECT_EQ(&grid.TypeFor(99), &grid.TypeFor(0)); // unregistered: the normal type
    GridControl unbound;
    EXPECT_FALSE(unbound.BindToDialogControl(dialog.get(), 999));
}

TEST_F(GridTest, ResultCodesAtTheBounds) {
    EXPECT_EQ(grid.SetColumnCount(32001, false), 1);
    EXPECT_EQ(grid.SetColumnCount(-1, false), 1);
    EXPECT_EQ(grid.SetColumnCount(32000, false), 0);
    EXPECT_EQ(grid.SetColumnCount(0, false), 0);
    EXPECT_EQ(grid.GetActiveColumn(), -1);
    EXPECT_EQ(grid.SetColumnCount(3, false), 0);
    EXPECT_EQ(grid.GetActiveColumn(), 0);
    EXPECT_EQ(grid.GetColumnWidth(3), 1);
    EXPECT_EQ(grid.GetColumnWidth(2), 75);
    EXPECT_EQ(grid.SetColumnWidth(3, 10), 1);
    EXPECT_EQ(grid.SetColumnWidth(-1, 1025), 2);
    EXPECT_EQ(grid.SetBaseRowHeight(0), 1);
    EXPECT_EQ(grid.SetBaseRowHeight(1025), 1);
    EXPECT_EQ(grid.SetBaseRowHeight(1024), 0);
    EXPECT_EQ(grid.SetRowHeaderWidth(1025), 1);
    EXPECT_EQ(grid.SetRowHeaderWidth(0), 0);
    EXPECT_EQ(grid.GetRowHeaderWidth(), 0);
    EXPECT_EQ(grid.SetRowHeaderWidth(30), 0); // growing from nothing: the first header column takes it
    EXPECT_EQ(grid.Sheet().headerColumnWidths.front(), 30);
    EXPECT_EQ(grid.SetRowCount(-1, false), 1);
    EXPECT_EQ(grid.InsertRowAt(1), 1);
    EXPECT_EQ(grid.InsertRowAt(0), 0); // at the end
    EXPECT_EQ(grid.GetRowCount(), 1);
    EXPECT_EQ(grid.RemoveRow(-1), 1);
    EXPECT_EQ(grid.RemoveRow(1), 1);
    EXPECT_EQ(grid.RemoveRow(0), 0);
    GridCell cell;
    EXPECT_EQ(grid.ReadCell(3, 0, &cell), 1);
    EXPECT_EQ(grid.StepActiveRow(9), 0);
}

TEST_F(GridTest, RowCountClampsTheActiveRowAndMakesRowZeroActiveThroughAMove) {
    grid.SetColumnCount(2, false);
    grid.SetRowCount(5, false);
    EXPECT_EQ(grid.GetActiveRow(), 0);
    // The column count made column 0 active but left the previous column as it was: the move reports it.
    EXPECT_EQ(grid.log, (std::vector<std::string>{"col -1>0", "row -1>0", "cell"}));
    grid.StepActiveRow(vantorel::StepLast);
    EXPECT_EQ(grid.GetActiveRow(), 4);
    grid.SetRowCount(2, false);
    EXPECT_EQ(grid.GetActiveRow(), 1);
    grid.SetRowCount(0, false);
    EXPECT_EQ(grid.GetActiveRow(), -1);
    grid.log.clear();
    grid.SetRowCount(3, false);
    EXPECT_EQ(grid.GetActiveRow(), 0);
    EXPECT_EQ(grid.log, (std::vector<std::string>{"row -1>0", "cell"}));
    grid.SetRowCount(64001, false);
    EXPECT_TRUE(grid.Sheet().uniformRowHeight);
    EXPECT_TRUE(grid.Sheet().rowHeights.empty());
}

TEST_F(GridTest, CellsResolveFromDefaultsAndTheStore) {
    grid.SetColumnCount(2, false);
    grid.SetRowCount(1, false);
    EXPECT_EQ(grid.GetCellText(0, 0), nullptr);
    grid.SetCellText(1, -1, "Price");
    EXPECT_STREQ(grid.GetCellText(1, -1), "Price");
    GridCell cell;
    grid.ResolveCell(1, -1, &cell);
    EXPECT_STREQ(cell.GetText(), "Price");
    EXPECT_EQ(cell.GetBorderStyle(), 0x2000);
    EXPECT_EQ(cell.GetAlignment(), 0x24);
    grid.SetCellText(0, 5, "beyond");
    grid.ResolveCell(0, 5, &cell); // past the row count: defaults only
    EXPECT_STREQ(cell.GetText(), "");
    EXPECT_EQ(cell.Mask(), 0x8787u);
    grid.SetRowCount(6, false);
    EXPECT_STREQ(grid.GetCellText(0, 5), "beyond");
}

TEST_F(GridTest, TheChangeSequenceReportsOnlyWhatChanged) {
    Fill(4);
    ASSERT_EQ(grid.GotoCell(0, 2), 0);
    EXPECT_EQ(grid.log, (std::vector<std::string>{"row 0>2", "cell"}));
    grid.log.clear();
    grid.GotoCell(2, 2);
    EXPECT_EQ(grid.log, (std::vector<std::string>{"col 0>2", "cell"}));
    grid.log.clear();
    grid.GotoCell(2, 2);
    EXPECT_TRUE(grid.log.empty());
    grid.allowMove = false;
    EXPECT_EQ(grid.GotoCell(1, 1), 2);
    EXPECT_TRUE(grid.log.empty());
    EXPECT_EQ(grid.GetActiveColumn(), 2);
    EXPECT_EQ(grid.Sheet().previousActiveRow, 2);
}

TEST_F(GridTest, KeysNavigateWithAcceleration) {
    Fill(40);
    grid.CellArea().SetFocus();
    system.PressKey(ui::KeyRight);
    system.PressKey(ui::KeyDown);
    EXPECT_EQ(grid.GetActiveColumn(), 1);
    EXPECT_EQ(grid.GetActiveRow(), 1);
    system.PressKey(ui::KeyEnd);
    EXPECT_EQ(grid.GetActiveColumn(), 2);
    EXPECT_EQ(grid.GetActiveRow(), 1);
    system.PressKey(ui::KeyEnd, ui::ModControl);
    EXPECT_EQ(grid.GetActiveRow(), 39);
    EXPECT_GT(grid.GetFirstRow(), 0); // scrolled into view
    system.PressKey(ui::KeyHome, ui::ModControl);
    system.PressKey(ui::KeyHome);
    EXPECT_EQ(grid.GetActiveRow(), 0);
    EXPECT_EQ(grid.GetActiveColumn(), 0);
    // Held down: steps 1, 1, 2, 2, 9 with acceleration 2.
    grid.Sheet().keyAcceleration = 2;
    std::vector<long> rows;
    for (int press = 0; press < 5; ++press) {
        system.KeyDown(ui::KeyDown);
        rows.push_back(grid.GetActiveRow());
    }
    EXPECT_EQ(rows, (std::vector<long>{1, 2, 4, 6, 15}));
    system.KeyUp(ui::KeyDown);
    EXPECT_EQ(grid.CellArea().KeyPressCount(), 0);
    system.PressKey(ui::KeyDown);
    EXPECT_EQ(grid.GetActiveRow(), 16);
}

TEST_F(GridTest, EveryHeaderClickReachesTheCallbackTwice) {
    Fill(2);
    Rect header = grid.ColumnHeader().ScreenRect();
    system.Click(Point{header.left + 70, header.top + 5});
    EXPECT_EQ(grid.log, (std::vector<std::string>{"header 1,-1 down 1", "header 1,-1 down 0"}));
}

TEST_F(GridTest, SizingPullsAHiddenColumnOpenAndNeverGoesNegative) {
    Fill(2);
    grid.SetColumnWidth(1, 0);
    Rect header = grid.ColumnHeader().ScreenRect();
    Point edge{header.left + 60 + 1, header.top + 5};
    system.MouseMove(edge);
    EXPECT_EQ(grid.ColumnHeader().SizingColumn(), 1);
    EXPECT_EQ(grid.ColumnHeader().Cursor(), vantorel::GridCursor::SizeWestEast);
    system.MouseDown(edge);
    system.MouseMove(Point{edge.x + 25, edge.y});
    system.MouseUp(Point{edge.x + 25, edge.y});
    EXPECT_EQ(grid.GetColumnWidth(0), 60);
    EXPECT_EQ(grid.GetColumnWidth(1), 25);
    Point right{header.left + 85 - 1, header.top + 5};
    system.MouseMove(right);
    EXPECT_EQ(grid.ColumnHeader().SizingColumn(), 1);
    system.MouseDown(right);
    system.MouseMove(Point{right.x - 200, right.y});
    EXPECT_EQ(grid.GetColumnWidth(1), 0);
    system.MouseUp(Point{right.x - 200, right.y});
    EXPECT_TRUE(grid.log.empty()); // sizing is not a click
}

TEST_F(GridTest, ClicksBelowTheLastRowGiveMinusOne) {
    Fill(2);
    grid.GotoCell(1, 1);
    grid.log.clear();
    Rect area = grid.CellArea().ScreenRect();
    system.Click(Point{area.left + 10, area.top + 100});
    EXPECT_EQ(grid.log, (std::vector<std::string>{"click -1,-1 down 1", "click -1,-1 down 0"}));
    EXPECT_EQ(grid.GetActiveColumn(), 1);
    grid.log.clear();
    system.Click(CellPoint(0, 0));
    EXPECT_EQ(grid.log, (std::vector<std::string>{"col 1>0", "row 1>0", "cell", "click 0,0 down 1", "click 0,0 down 0"}));
}

TEST_F(GridTest, WheelScrollsThreeRowsAndTheThumbWaitsForRelease) {
    Fill(100);
    Rect area = grid.CellArea().ScreenRect();
    grid.CellArea().SetFocus();
    system.MouseWheel(Point{area.left + 5, area.top + 5}, -120);
    EXPECT_EQ(grid.GetFirstRow(), 3);
    system.MouseWheel(Point{area.left + 5, area.top + 5}, 120);
    EXPECT_EQ(grid.GetFirstRow(), 0);
    system.MouseWheel(Point{area.left + 5, area.top + 5}, 120);
    EXPECT_EQ(grid.GetFirstRow(), 0);
    ASSERT_TRUE(grid.VerticalBar().IsVisible());
    grid.VerticalBar().OnScroll(ui::ScrollBar::Vertical, ui::ScrollCode::ThumbTrack, 40);
    EXPECT_EQ(grid.GetFirstRow(), 0);
    grid.VerticalBar().OnScroll(ui::ScrollBar::Vertical, ui::ScrollCode::ThumbPosition, 40);
    EXPECT_EQ(grid.GetFirstRow(), 40);
    grid.Sheet().liveVerticalTracking = true;
    grid.VerticalBar().OnScroll(ui::ScrollBar::Vertical, ui::ScrollCode::ThumbTrack, 10);
    EXPECT_EQ(grid.GetFirstRow(), 10);
    EXPECT_EQ(grid.log.back(), "first 40>10");
}

// Opens the editor on (col, row) as a derived grid would.
class EditingTest : public GridTest {};

TEST_F(EditingTest, PriceKeysAndTheEditorsEndings) {
    Fill(3);
    ASSERT_EQ(grid.BeginEditAt(1, 0, 0), 0);
    EXPECT_TRUE(grid.OwnEditor().HasFocus());
    system.PressKey(ui::KeyDelete);
    system.Type("1.2.3x");
    EXPECT_EQ(grid.OwnEditor().Text(), "1.23");
    system.PressKey(ui::KeyBack);
    EXPECT_EQ(grid.OwnEditor().Text(), "1.2");
    system.PressKey(ui::KeyEscape);
    EXPECT_FALSE(grid.IsEditing());
    EXPECT_STREQ(grid.GetCellText(1, 0), "r0c1");
    EXPECT_EQ(grid.log.back(), "end 1,0 1.2 cancelled");

    ASSERT_EQ(grid.BeginEditAt(2, 0, 'a'), 0);
    system.Type("|b");
    EXPECT_EQ(grid.OwnEditor().Text(), "ab");
    system.PressKey(ui::KeyEnter);
    EXPECT_STREQ(grid.GetCellText(2, 0), "ab");
    EXPECT_TRUE(grid.IsEditing()); // on to the cell below
    EXPECT_EQ(grid.EditRow(), 1);
    system.PressKey(ui::KeyUp);
    EXPECT_EQ(grid.EditRow(), 0);
    system.PressKey(ui::KeyTab); // the last column: no wrap
    EXPECT_FALSE(grid.IsEditing());

    grid.acceptEdit = false;
    ASSERT_EQ(grid.BeginEditAt(0, 2, 'z'), 0);
    system.PressKey(ui::KeyEnter);
    EXPECT_TRUE(grid.IsEditing());
    EXPECT_TRUE(grid.OwnEditor().HasFocus());
    EXPECT_STREQ(grid.GetCellText(0, 2), "r2c0");
    grid.acceptEdit = true;
    system.PressKey(ui::KeyEnter); // the last row: just closes
    EXPECT_FALSE(grid.IsEditing());
    EXPECT_STREQ(grid.GetCellText(0, 2), "z");

    ASSERT_EQ(grid.BeginEditAt(0, 0, 'q'), 0);
    Rect ok = dialog->Control(1)->ScreenRect();
    system.MouseDown(Point{ok.left + 5, ok.top + 5}); // a dialog button takes the focus
    EXPECT_FALSE(grid.IsEditing());
    EXPECT_EQ(grid.log.back(), "end 0,0 q cancelled");
    EXPECT_STREQ(grid.GetCellText(0, 0), "r0c0");
}

TEST_F(EditingTest, MaskPlaceholdersAndLiterals) {
    vantorel::MaskedEdit& edit = grid.OwnEditor();
    edit.SetMask("(000)\\0-LL");
    EXPECT_EQ(edit.Placeholders().size(), 9u);
    EXPECT_EQ(edit.TextLimit(), 9);
    Fill(1);
    grid.Sheet().gridDefaultCell.SetEditMask("(000)\\0-LL");
    grid.SetColumnCount(4, false);
    ASSERT_EQ(grid.BeginEditAt(3, 0, 0), 0);
    system.Type("12a3xy9");
    EXPECT_EQ(grid.OwnEditor().Text(), "(123)0-xy");
    EXPECT_TRUE(vantorel::PlaceholderAccepts('#', '-'));
    EXPECT_FALSE(vantorel::PlaceholderAccepts('0', ' '));
    EXPECT_TRUE(vantorel::PlaceholderAccepts('a', ' '));
}

TEST_F(GridTest, DropListChoicesHeightAndPlacement) {
    using vantorel::DropListCellType;
    EXPECT_EQ(DropListCellType::SplitChoices("a\nb\nc\n"), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(DropListCellType::SplitChoices("a\nb\nc"), (std::vector<std::string>{"a", "b"}));
    Fill(6);
    grid.SetCellTypeIndex(0, 0, 1);
    grid.SetCellCaption(0, 0, "chair\ndesk\nlamp\n");
    auto& drop = static_cast<DropListCellType&>(grid.TypeFor(1));
    Rect cell;
    ASSERT_TRUE(grid.CellRect(0, 0, &cell));
    Point button = grid.CellArea().ClientToScreen(Point{cell.right - 3, cell.top + 5});
    system.MouseDown(button);
    ASSERT_TRUE(drop.List().IsVisible());
    EXPECT_TRUE(drop.List().HasFocus());
    // Items as high as the grid's 8-point font is made: 11 pixels.
    const int item = 11;
    EXPECT_EQ(drop.ListRect().Height(), 4 * item + 2);
    EXPECT_EQ(drop.ListRect().left, cell.left + 10);
    EXPECT_EQ(drop.ListRect().top, cell.bottom);
    system.MouseUp(button);
    EXPECT_TRUE(drop.List().IsVisible()); // the release that opened it chooses nothing
    system.PressKey(ui::KeyDown);
    system.PressKey(ui::KeyDown);
    system.PressKey(ui::KeyEnter);
    EXPECT_FALSE(drop.List().IsVisible());
    EXPECT_STREQ(grid.GetCellText(0, 0), "desk");
    EXPECT_EQ(drop.OpenColumn(), -1);

    // Twenty choices at the bottom row: fifteen shown, moved up to end at the area's bottom.
    std::string caption;
    for (int i = 0; i < 20; ++i)
        caption += "name" + std::to_string(i) + "\n";
    grid.SetCellTypeIndex(0, 5, 1);
    grid.SetCellCaption(0, 5, caption);
    ASSERT_TRUE(grid.CellRect(0, 5, &cell));
    Point low = grid.CellArea().ClientToScreen(Point{cell.right - 3, cell.top + 5});
    system.MouseDown(low);
    ASSERT_TRUE(drop.List().IsVisible());
    EXPECT_EQ(drop.ListRect().Height(), 16 * item + 2);
    EXPECT_EQ(drop.List().ItemCount(), 20);
    EXPECT_EQ(drop.ListRect().bottom, std::max(grid.CellArea().ClientRect().bottom, drop.ListRect().Height()));
    system.PressKey(ui::KeyEscape);
    EXPECT_FALSE(drop.List().IsVisible());
    EXPECT_EQ(drop.OpenColumn(), -2); // closed without a choice
}

TEST_F(GridTest, CheckBoxClickStoresOneWithSixDecimals) {
    Fill(1);
    grid.SetCellTypeIndex(2, 0, 2);
    grid.SetCellText(2, 0, "");
    Rect cell;
    ASSERT_TRUE(grid.CellRect(2, 0, &cell));
    Rect box = vantorel::CheckBoxCellType::BoxRect(cell);
    EXPECT_EQ(box.Width(), 12);
    system.Click(grid.CellArea().ClientToScreen(Point{box.right, box.bottom})); // the edge counts
    EXPECT_STREQ(grid.GetCellText(2, 0), "1.000000");
    system.Click(grid.CellArea().ClientToScreen(Point{box.left + 2, box.top + 2}));
    EXPECT_STREQ(grid.GetCellText(2, 0), "0.000000");
    grid.CellArea().SetFocus();
    system.Char(' ');
    EXPECT_STREQ(grid.GetCellText(2, 0), "1.000000");
}

// Beside its box a check box cell is a normal cell: it shows its text, and its caption nowhere.
TEST_F(GridTest, ACheckBoxCellShowsItsTextBesideTheBoxNotItsCaption) {
    Fill(1);
    grid.SetColumnWidth(2, 120);
    grid.SetCellTypeIndex(2, 0, 2);
    Rect cell;
    ASSERT_TRUE(grid.CellRect(2, 0, &cell));
    Point origin = grid.CellArea().ClientToScreen(Point{cell.left, cell.top});
    Point corner{origin.x - dialog->ScreenRect().left, origin.y - dialog->ScreenRect().top};
    auto shown = [&](const char* text, const char* caption) {
        grid.SetCellText(2, 0, text);
        grid.SetCellCaption(2, 0, caption);
        grid.RepaintAll();
        auto image = system.Render(*dialog);
        std::string pixels;
        for (int y = 0; y < cell.Height(); ++y)
            for (int x = 0; x < cell.Width(); ++x) {
                ui::Color c = image->Pixel(corner.x + x, corner.y + y);
                pixels += static_cast<char>(c.r / 2 + c.g / 3 + c.b / 6);
            }
        return pixels;
    };
    std::string withCaption = shown("1.000000", "Oak finish");
    EXPECT_TRUE(withCaption == shown("1.000000", "")) << "the caption shows";
    EXPECT_FALSE(withCaption == shown("1.500000", "Oak finish")) << "the text does not show";
}

TEST_F(GridTest, RenderedGridShowsLinesRaisedHeadersAndShortenedText) {
    Fill(3);
    grid.SetCellText(0, -1, "Block name");
    grid.SetCellText(1, 1, "a text far too long to fit in sixty pixels");
    grid.RepaintAll();
    auto image = system.Render(*dialog);
    ASSERT_TRUE(image);
    Rect area = grid.CellArea().ScreenRect();
    Rect header = grid.ColumnHeader().ScreenRect();
    Rect dialogRect = dialog->ScreenRect();
    auto at = [&](int x, int y) { return image->Pixel(x - dialogRect.left, y - dialogRect.top); };
    // The grid line at the right edge of column 0, between rows.
    EXPECT_EQ(at(area.left + 59, area.top + 30), (ui::Color{220, 220, 220}));
    EXPECT_EQ(at(area.left + 30, area.top + 19), (ui::Color{220, 220, 220}));
    // Header cells: highlight at the top left, shadow at the bottom right, button face inside.
    EXPECT_EQ(at(header.left + 30, header.top), ui::SystemColorOf(ui::SystemColor::ButtonHighlight));
    EXPECT_EQ(at(header.left + 30, header.top + 19), ui::SystemColorOf(ui::SystemColor::ButtonShadow));
    EXPECT_EQ(at(header.left + 2, header.top + 3), ui::SystemColorOf(ui::SystemColor::ButtonFace));
    EXPECT_TRUE(image->SavePng(::testing::TempDir() + "grid.png"));
    ui::Image scratch(10, 10);
    ui::Canvas canvas(scratch);
    std::string shown = vantorel::FitText(canvas, "a text far too long to fit in sixty pixels", 52);
    EXPECT_EQ(shown.substr(shown.size() - 3), "...");
    EXPECT_LE(canvas.TextExtent(shown).width, 52);
}

} // namespace

namespace {

TEST_F(GridTest, APressOnTheButtonThatClosedTheListDoesNotReopenIt) {
    Fill(3);
    grid.SetCellTypeIndex(0, 0, 1);
    grid.SetCellCaption(0, 0, "chair\ndesk\n");
    auto& drop = static_cast<vantorel::DropListCellType&>(grid.TypeFor(1));
    Rect cell;
    ASSERT_TRUE(grid.CellRect(0, 0, &cell));
    Point button = grid.CellArea().ClientToScreen(Point{cell.right - 3, cell.top + 5});
    system.Click(button);
    ASSERT_TRUE(drop.List().IsVisible());
    system.Advance(1000); // no double click
    system.Click(button); // closes it: the same press reaches the button but does not reopen
    EXPECT_FALSE(drop.List().IsVisible());
    EXPECT_EQ(drop.OpenColumn(), -1);
    system.Advance(1000);
    system.Click(button);
    EXPECT_TRUE(drop.List().IsVisible());
    system.PressKey(ui::KeyEscape);
}

TEST_F(GridTest, CellTipsAskTheCallbackAndKeepSeventyNineCharacters) {
    Fill(3);
    grid.Sheet().cellTips = true;
    system.MouseMove(CellPoint(2, 1));
    EXPECT_FALSE(grid.Tip().IsVisible());
    system.Advance(600);
    EXPECT_TRUE(grid.Tip().IsVisible());
    EXPECT_EQ(grid.CellArea().TipText(), "Col:2 Row:1");
    EXPECT_EQ(grid.Tip().Text(), "Col:2 Row:1");

    grid.longTips = true;
    system.MouseMove(CellPoint(0, 0));
    system.Advance(600);
    EXPECT_EQ(grid.CellArea().TipText(), std::string(79, 'x'));
}

TEST_F(GridTest, TheHeaderRowCanBeMadeTallerByItsLowerEdge) {
    Fill(2);
    Rect header = grid.ColumnHeader().ScreenRect();
    Point edge{header.left + 30, header.top + 19};
    system.MouseMove(edge);
    EXPECT_EQ(grid.ColumnHeader().Cursor(), vantorel::GridCursor::SizeNorthSouth);
    system.MouseDown(edge);
    system.MouseMove(Point{edge.x, edge.y + 10});
    system.MouseUp(Point{edge.x, edge.y + 10});
    EXPECT_EQ(grid.GetColumnHeaderHeight(), 30);
    EXPECT_EQ(grid.CellArea().WindowRect().top, 30);
}

TEST_F(GridTest, MovingPastTheLastRowIsReported) {
    struct PastRows : RecordingGrid {
        void OnPastLastRow(long count, long past, long found) override {
            log.push_back("past " + std::to_string(count) + " " + std::to_string(past) + " " + std::to_string(found));
        }
    };
    PastRows other;
    ASSERT_TRUE(other.BindToDialogControl(dialog.get(), 1));
    other.SetColumnCount(1, false);
    other.SetRowCount(2, false);
    other.GotoCell(0, 1);
    other.log.clear();
    other.CellArea().SetFocus();
    system.PressKey(ui::KeyDown);
    EXPECT_EQ(other.log, (std::vector<std::string>{"past 2 1 0"}));
    EXPECT_EQ(other.GetActiveRow(), 1);
    other.Destroy();
}

} // namespace

namespace {

TEST_F(GridTest, ScrollTipsFollowTheThumbAndGoWithIt) {
    Fill(100);
    grid.VerticalBar().OnScroll(ui::ScrollBar::Vertical, ui::ScrollCode::ThumbTrack, 30);
    EXPECT_FALSE(grid.Tip().IsVisible()); // off by default
    grid.Sheet().rowScrollTips = true;
    grid.VerticalBar().OnScroll(ui::ScrollBar::Vertical, ui::ScrollCode::ThumbTrack, 30);
    EXPECT_TRUE(grid.Tip().IsVisible());
    grid.VerticalBar().OnScroll(ui::ScrollBar::Vertical, ui::ScrollCode::ThumbPosition, 30);
    EXPECT_FALSE(grid.Tip().IsVisible());
    EXPECT_EQ(grid.GetFirstRow(), 30);
}

TEST_F(GridTest, RowsAreSizedByTheirLowerEdgeInTheRowHeader) {
    Fill(3);
    grid.SetRowHeaderWidth(30);
    grid.RepaintAll();
    Rect header = grid.RowHeader().ScreenRect();
    Point edge{header.left + 10, header.top + 20};
    system.MouseMove(edge);
    EXPECT_EQ(grid.RowHeader().Cursor(), vantorel::GridCursor::SizeNorthSouth);
    system.MouseDown(edge);
    system.MouseMove(Point{edge.x, edge.y + 15});
    system.MouseUp(Point{edge.x, edge.y + 15});
    EXPECT_EQ(grid.GetRowHeight(0), 35);
    EXPECT_EQ(grid.GetRowHeight(1), 20);
}

} // namespace
