#include "grid/CellDataSource.h"
#include "grid/GridCell.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using vantorel::GridCell;
using vantorel::MemoryDataSource;

TEST(GridCells, UnsetPropertiesGiveTheirDefaultsAndMergingTakesOnlyWhatIsSet) {
    GridCell cell;
    EXPECT_EQ(cell.GetText(), nullptr);
    EXPECT_EQ(cell.GetValueKind(), vantorel::ValueText);
    EXPECT_EQ(cell.GetBackColor(), ui::SystemColorOf(ui::SystemColor::Window));
    EXPECT_EQ(GridCell::Defaults().Mask(), 0x8787u);
    EXPECT_STREQ(GridCell::Defaults().GetText(), "");

    GridCell into;
    into.SetText("kept?");
    into.SetAlignment(2);
    GridCell from;
    from.SetText("taken");
    from.SetUserValue(7);
    into.MergeFrom(from);
    EXPECT_STREQ(into.GetText(), "taken");
    EXPECT_EQ(into.GetAlignment(), 2);
    EXPECT_EQ(into.GetUserValue(), 7);
    into.ReplaceWith(from);
    EXPECT_FALSE(into.HasProperty(vantorel::CellAlignment));

    GridCell picture;
    int bitmap = 0;
    picture.SetBitmap(&bitmap);
    EXPECT_TRUE(picture.HasProperty(vantorel::CellBitmap));
    picture.SetBitmap(nullptr);
    EXPECT_FALSE(picture.HasProperty(vantorel::CellBitmap));
}

TEST(GridCells, NumbersAndBooleansAreStoredAsTheirTexts) {
    GridCell cell;
    cell.SetNumber(12.5);
    EXPECT_STREQ(cell.GetText(), "12.500000");
    EXPECT_EQ(cell.GetValueKind(), vantorel::ValueNumber);
    cell.SetDecimalPlaces(2);
    cell.SetNumber(3.14159);
    EXPECT_STREQ(cell.GetText(), "3.14");
    EXPECT_DOUBLE_EQ(cell.GetNumber(), 3.14);
    cell.SetBool(true);
    EXPECT_STREQ(cell.GetText(), "1");
    EXPECT_EQ(cell.GetValueKind(), vantorel::ValueBoolean);
    cell.SetText("x");
    EXPECT_EQ(cell.GetValueKind(), vantorel::ValueText);
    EXPECT_EQ(GridCell().GetNumber(), 0.0);
}

std::string TextAt(MemoryDataSource& store, int col, long row) {
    GridCell cell;
    if (store.ReadCell(col, row, &cell) != vantorel::SourceFound)
        return "<none>";
    return cell.GetText() ? cell.GetText() : "<no text>";
}

TEST(MemoryDataSources, CellsAreSparseAndHeaderRowsComeBeforeTheFirst) {
    MemoryDataSource store;
    GridCell cell;
    cell.SetText("b");
    store.WriteCell(2, 5, cell);
    cell.SetText("header");
    store.WriteCell(0, -1, cell);
    cell.SetText("a");
    store.WriteCell(0, 0, cell);
    EXPECT_EQ(TextAt(store, 2, 5), "b");
    EXPECT_EQ(TextAt(store, 0, -1), "header");
    EXPECT_EQ(TextAt(store, 0, 0), "a");
    EXPECT_EQ(TextAt(store, 1, 5), "<none>");  // a node on the way, holding nothing
    EXPECT_EQ(TextAt(store, 0, 99), "<none>"); // beyond every node
    EXPECT_EQ(store.FirstRow(), -1);
    EXPECT_EQ(store.RowNodeCount(), 7);

    // Writing replaces the whole stored cell.
    GridCell plain;
    plain.SetUserValue(3);
    store.WriteCell(2, 5, plain);
    EXPECT_EQ(TextAt(store, 2, 5), "<no text>");
}

TEST(MemoryDataSources, InsertingAndRemovingRowsShiftWhatFollows) {
    MemoryDataSource store;
    for (long row = 0; row < 4; ++row) {
        GridCell cell;
        cell.SetText("r" + std::to_string(row));
        store.WriteCell(0, row, cell);
    }
    EXPECT_EQ(TextAt(store, 0, 3), "r3"); // remember the last row
    store.InsertRow(1);
    EXPECT_EQ(TextAt(store, 0, 1), "<none>");
    EXPECT_EQ(TextAt(store, 0, 2), "r1");
    EXPECT_EQ(TextAt(store, 0, 4), "r3");
    store.RemoveRow(0);
    EXPECT_EQ(TextAt(store, 0, 0), "<none>");
    EXPECT_EQ(TextAt(store, 0, 1), "r1");
    EXPECT_EQ(TextAt(store, 0, 3), "r3");
    EXPECT_EQ(store.InsertRow(50), vantorel::SourceFound); // no node there: nothing happens
    EXPECT_EQ(store.RemoveRow(50), vantorel::SourceFound);
    EXPECT_EQ(store.RowNodeCount(), 4);
}

TEST(MemoryDataSources, ReadingWalksFromTheLastPlaceInEitherDirection) {
    MemoryDataSource store;
    for (long row = 0; row < 200; ++row) {
        for (int col = 0; col < 5; ++col) {
            GridCell cell;
            cell.SetText(std::to_string(col) + ":" + std::to_string(row));
            store.WriteCell(col, row, cell);
        }
    }
    for (long row = 199; row >= 0; row -= 7) {
        for (int col = 4; col >= 0; --col)
            ASSERT_EQ(TextAt(store, col, row), std::to_string(col) + ":" + std::to_string(row));
    }
    EXPECT_EQ(TextAt(store, 0, 100), "0:100");
    EXPECT_EQ(TextAt(store, 4, 3), "4:3");
}

} // namespace
