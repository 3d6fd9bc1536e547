#pragma once

#include "grid/GridCell.h"
#include "grid/GridControl.h"

namespace vantorel {

// How the dialogs' grids order two cells of the column being sorted, the result as the grid's comparison
// wants it (negative: `first` before `second`). Flag 2 sorts down. Missing cells and cells without text come
// first, empty texts last whichever way, equal texts (without regard to case) are equal; then `number`, when
// the column holds numbers, compares the texts' values; otherwise numeric cells by value, the rest as text.
[[nodiscard]] int CompareForSort(const GridCell* first, const GridCell* second, int flags,
                                 double (*number)(const char* text));

inline constexpr int kAscendingArrow = 0x20;
inline constexpr int kDescendingArrow = 0x10;

// A click on column `col`'s heading: the same column as before turns the order round, another one sorts up;
// the rows are sorted and the arrow moves to that heading, drawn with the cell type `arrowIndex`.
void SortByHeading(GridControl& grid, int col, int arrowIndex, int& sortColumn, bool& ascending);

} // namespace vantorel
