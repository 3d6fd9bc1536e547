#pragma once

#include "grid/GridCell.h"

#include <list>
#include <vector>
#include <optional>

namespace ui {
class Window;
}

namespace vantorel {

enum DataSourceResult : int { SourceFound = 0, SourceNothing = 1 };
enum SortFlags : int { SortAscending = 1, SortDescending = 2 };

// Decides the order of two rows' key cells; null for a cell not stored. Positive: `upper` goes below.
class CellComparer {
public:
    virtual ~CellComparer() = default;
    virtual int OnCompareCells(const GridCell* upper, const GridCell* lower, int flags) = 0;
};

// The comparison a grid makes unless it says otherwise: descending swaps the two; absent cells first, then
// cells without text; numbers, booleans and kind 5 by their number, anything else by its text.
[[nodiscard]] int DefaultCompareCells(const GridCell* a, const GridCell* b, int flags);

// The store behind a grid: all cell data lives here, never in the window. Columns are the source column
// indices of the grid's columns; negative rows and columns are header cells.
class CellDataSource {
public:
    virtual ~CellDataSource() = default;
    virtual int AddRow() = 0;
    virtual int InsertRow(long row) = 0;
    virtual int RemoveRow(long row) = 0;
    // Merges the stored cell into `cell`: SourceFound, or SourceNothing with `cell` untouched.
    virtual int ReadCell(int col, long row, GridCell* cell) = 0;
    virtual int WriteCell(int col, long row, const GridCell& cell) = 0;
    // The data rows ordered by the key columns, as repeated passes of adjacent swaps would leave them.
    virtual int Sort(const int* columns, int columnCount, int flags, CellComparer& comparer) = 0;
    virtual void OnActiveRowChange(long oldRow, long newRow) { (void)oldRow; (void)newRow; }
    virtual void OnActiveColumnChange(int oldCol, int newCol) { (void)oldCol; (void)newCol; }
    virtual void OnMovePastLastRow() {}
    // Whether editing a cell may start; a source may hand over an editor of its own.
    virtual bool OnEditStart(int col, long row, ui::Window** editor) { (void)col; (void)row; (void)editor; return true; }
    // Whether the edit may end with this text; false keeps the editor open.
    virtual bool OnEditFinish(int col, long row, const char* text, bool cancelled) {
        (void)col; (void)row; (void)text; (void)cancelled;
        return true;
    }
};

// Sparse: a run of row nodes, each a run of cell nodes holding a cell or nothing. The last row and cell
// visited are remembered with their numbers, and every access walks from there, so reading neighbouring
// cells costs a step or two.
class MemoryDataSource : public CellDataSource {
public:
    int AddRow() override { return 0; } // rows exist without being added
    // A new empty row node in front of an existing one; nothing for a row without a node.
    int InsertRow(long row) override;
    int RemoveRow(long row) override;
    int ReadCell(int col, long row, GridCell* cell) override;
    int WriteCell(int col, long row, const GridCell& cell) override;
    // A stable merge of the row nodes from row 0 on: the very order the adjacent-swap passes give, each
    // comparison asked with the row that came first as the upper one, in n log n comparisons.
    int Sort(const int* columns, int columnCount, int flags, CellComparer& comparer) override;

    // Rows with a node, for tests and the sort.
    long FirstRow() const { return m_firstRow; }
    long RowNodeCount() const { return static_cast<long>(m_rows.size()); }

private:
    struct RowNode {
        int firstColumn = 0;
        std::list<std::optional<GridCell>> cells;
    };
    using RowIt = std::list<RowNode>::iterator;
    // The node of `row`, made (with every node between) when `create`; end() when absent.
    RowIt FindRow(long row, bool create);
    std::optional<GridCell>* FindCell(RowNode& node, int col, bool create);

    std::list<RowNode> m_rows;
    long m_firstRow = 0;
    RowIt m_lastRow = m_rows.end();
    long m_lastRowIndex = 0;
    // The last cell visited, in the last row.
    std::list<std::optional<GridCell>>::iterator m_lastCell;
    int m_lastCellIndex = 0;
    bool m_hasLastCell = false;
};

} // namespace vantorel
