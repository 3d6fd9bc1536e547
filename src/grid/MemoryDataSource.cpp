#include "grid/CellDataSource.h"

#include <cstdlib>
#include <iterator>

namespace vantorel {

MemoryDataSource::RowIt MemoryDataSource::FindRow(long row, bool create) {
    // The remembered cell belongs to the remembered row: it holds only while that row stays the one.
    bool sameRow = m_lastRow != m_rows.end() && m_lastRowIndex == row;
    if (!sameRow)
        m_hasLastCell = false;
    if (m_rows.empty()) {
        if (!create)
            return m_rows.end();
        m_rows.emplace_back();
        m_firstRow = row;
        m_lastRow = m_rows.begin();
        m_lastRowIndex = row;
        m_hasLastCell = false;
        return m_lastRow;
    }
    long lastIndex = m_firstRow + static_cast<long>(m_rows.size()) - 1;
    if (row < m_firstRow || row > lastIndex) {
        if (!create)
            return m_rows.end();
        // Nodes on the way, before the first (header rows) or after the last.
        while (row < m_firstRow) {
            m_rows.emplace_front();
            --m_firstRow;
        }
        while (row > m_firstRow + static_cast<long>(m_rows.size()) - 1)
            m_rows.emplace_back();
        if (m_lastRow == m_rows.end()) {
            m_lastRow = m_rows.begin();
            m_lastRowIndex = m_firstRow;
        }
    }
    if (m_lastRow == m_rows.end()) {
        m_lastRow = m_rows.begin();
        m_lastRowIndex = m_firstRow;
    }
    // Walk from where we last were, or from whichever end is nearer.
    long fromLast = std::labs(row - m_lastRowIndex);
    long fromFirst = row - m_firstRow;
    long fromEnd = m_firstRow + static_cast<long>(m_rows.size()) - 1 - row;
    if (fromFirst < fromLast && fromFirst <= fromEnd) {
        m_lastRow = m_rows.begin();
        m_lastRowIndex = m_firstRow;
    } else if (fromEnd < fromLast) {
        m_lastRow = std::prev(m_rows.end());
        m_lastRowIndex = m_firstRow + static_cast<long>(m_rows.size()) - 1;
    }
    while (m_lastRowIndex < row) {
        ++m_lastRow;
        ++m_lastRowIndex;
    }
    while (m_lastRowIndex > row) {
        --m_lastRow;
        --m_lastRowIndex;
    }
    return m_lastRow;
}

std::optional<GridCell>* MemoryDataSource::FindCell(RowNode& node, int col, bool create) {
    auto& cells = node.cells;
    if (cells.empty()) {
        if (!create)
            return nullptr;
        cells.emplace_back();
        node.firstColumn = col;
        m_lastCell = cells.begin();
        m_lastCellIndex = col;
        m_hasLastCell = true;
        return &*m_lastCell;
    }
    int lastColumn = node.firstColumn + static_cast<int>(cells.size()) - 1;
    if (col < node.firstColumn || col > lastColumn) {
        if (!create)
            return nullptr;
        while (col < node.firstColumn) {
            cells.emplace_front();
            --node.firstColumn;
        }
        while (col > node.firstColumn + static_cast<int>(cells.size()) - 1)
            cells.emplace_back();
        m_hasLastCell = false;
    }
    if (!m_hasLastCell) {
        m_lastCell = cells.begin();
        m_lastCellIndex = node.firstColumn;
        m_hasLastCell = true;
    }
    while (m_lastCellIndex < col) {
        ++m_lastCell;
        ++m_lastCellIndex;
    }
    while (m_lastCellIndex > col) {
        --m_lastCell;
        --m_lastCellIndex;
    }
    return &*m_lastCell;
}

int MemoryDataSource::ReadCell(int col, long row, GridCell* cell) {
    RowIt node = FindRow(row, false);
    if (node == m_rows.end())
        return SourceNothing;
    std::optional<GridCell>* stored = FindCell(*node, col, false);
    if (!stored || !stored->has_value())
        return SourceNothing;
    if (cell)
        cell->MergeFrom(**stored);
    return SourceFound;
}

int MemoryDataSource::WriteCell(int col, long row, const GridCell& cell) {
    RowIt node = FindRow(row, true);
    std::optional<GridCell>* stored = FindCell(*node, col, true);
    *stored = cell;
    return SourceFound;
}

int MemoryDataSource::InsertRow(long row) {
    RowIt node = FindRow(row, false);
    if (node == m_rows.end())
        return SourceFound;
    m_rows.insert(node, RowNode{});
    // The remembered row is the one pushed down: it now has the next number, its remembered cell with it.
    ++m_lastRowIndex;
    return SourceFound;
}

int MemoryDataSource::RemoveRow(long row) {
    RowIt node = FindRow(row, false);
    if (node == m_rows.end())
        return SourceFound;
    RowIt next = m_rows.erase(node);
    m_hasLastCell = false;
    if (next != m_rows.end()) {
        m_lastRow = next;
        m_lastRowIndex = row;
    } else {
        m_lastRow = m_rows.begin();
        m_lastRowIndex = m_firstRow;
    }
    return SourceFound;
}

} // namespace vantorel
