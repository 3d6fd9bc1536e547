#pragma once

#include "grid/GridCell.h"

#include <list>
#include <optional>

namespace vantorel {

enum DataSourceResult : int { SourceFound = 0, SourceNothing = 1 };

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
    virtual void OnActiveRowChange(long oldRow, long newRow) { (void)oldRow; (void)newRow; }
    virtual void OnActiveColumnChange(int oldCol, int newCol) { (void)oldCol; (void)newCol; }
    virtual void OnMovePastLastRow() {}
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
