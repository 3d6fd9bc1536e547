#include "dialogs/SortOrder.h"

#include "bom/BlockNames.h"

namespace vantorel {

namespace {
int CompareNumbers(double a, double b) {
    return a < b ? -1 : (a > b ? 1 : 0);
}
} // namespace

int CompareForSort(const GridCell* first, const GridCell* second, int flags, double (*number)(const char* text)) {
    // Sorting down compares the other way round, except where empty cells are put.
    const bool up = (flags & 2) == 0;
    const GridCell* x = up ? first : second;
    const GridCell* y = up ? second : first;
    if (!x)
        return y ? -1 : 0;
    if (!y)
        return 1;
    if (!x->HasProperty(CellText))
        return y->HasProperty(CellText) ? -1 : 0;
    const char* xText = x->GetText() ? x->GetText() : "";
    const char* yText = y->GetText() ? y->GetText() : "";
    if (CompareNoCase(xText, yText) == 0)
        return 0;
    if (*xText == '\0')
        return up ? 1 : -1;
    if (*yText == '\0')
        return up ? -1 : 1;
    if (number)
        return CompareNumbers(number(xText), number(yText));
    int kind = x->GetValueKind();
    if (kind == 2 || kind == 3 || kind == 5)
        return CompareNumbers(x->GetNumber(), y->GetNumber());
    return CompareBlockNames(xText, yText);
}

void SortByHeading(GridControl& grid, int col, int arrowIndex, int& sortColumn, bool& ascending) {
    grid.SetCellTypeIndex(sortColumn, -1, 0);
    if (col == sortColumn) {
        ascending = !ascending;
    } else {
        sortColumn = col;
        ascending = true;
    }
    grid.SortRows(col, ascending ? 1 : 2);
    grid.SetCellTypeIndex(col, -1, arrowIndex);
    grid.SetCellTypeStyle(col, -1, ascending ? kAscendingArrow : kDescendingArrow);
}

} // namespace vantorel
