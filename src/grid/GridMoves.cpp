#include "grid/GridControl.h"

#include <algorithm>

namespace vantorel {

int GridControl::GotoCell(int col, long row) {
    return MoveTo(col, row);
}

int GridControl::MoveTo(int col, long row) {
    GridSheet& s = *m_sheet;
    s.dragColumn = col;
    s.dragRow = row;
    if (!OnAllowMove(s.activeColumn, s.activeRow, col, row)) {
        s.dragColumn = s.activeColumn;
        s.dragRow = s.activeRow;
        return GridOutOfRange2;
    }
    int firstCol = s.firstColumn;
    long firstRow = s.firstRow;
    if (ScrollIntoView(col, row, &firstCol, &firstRow) &&
        OnAllowScroll(s.firstColumn, s.firstRow, firstCol, firstRow)) {
        s.firstColumn = firstCol;
        s.firstRow = firstRow;
        UpdateScrollBars();
    }
    if (!s.multiSelect || m_editing) {
        s.activeColumn = s.dragColumn;
        s.activeRow = s.dragRow;
    } else {
        // New block on a plain move, extended with Shift, another block with Ctrl.
        SelectionBlock block{s.dragColumn, s.dragRow, s.dragColumn, s.dragRow};
        if ((s.moveKeyFlags & ui::ModShift) && !s.selection.empty()) {
            s.selection.back().endColumn = s.dragColumn;
            s.selection.back().endRow = s.dragRow;
        } else if (s.moveKeyFlags & ui::ModControl) {
            s.selection.push_back(block);
        } else {
            s.selection.assign(1, block);
        }
        s.activeColumn = s.dragColumn;
        s.activeRow = s.dragRow;
    }
    RunChangeSequence();
    return GridOk;
}

void GridControl::RunChangeSequence() {
    GridSheet& s = *m_sheet;
    int oldCol = s.previousActiveColumn;
    long oldRow = s.previousActiveRow;
    int newCol = s.activeColumn;
    long newRow = s.activeRow;
    int oldFirstCol = s.previousFirstColumn;
    long oldFirstRow = s.previousFirstRow;
    int newFirstCol = s.firstColumn;
    long newFirstRow = s.firstRow;
    bool columnChanged = oldCol != newCol;
    bool rowChanged = oldRow != newRow;
    if (columnChanged) {
        s.dataSource->OnActiveColumnChange(oldCol, newCol);
        OnActiveColumnChanged(oldCol, newCol);
    }
    if (rowChanged) {
        s.dataSource->OnActiveRowChange(oldRow, newRow);
        OnActiveRowChanged(oldRow, newRow);
    }
    if (columnChanged || rowChanged)
        OnActiveCellChanged(oldCol, newCol, oldRow, newRow);
    if (oldFirstCol != newFirstCol)
        OnFirstColumnChanged(oldFirstCol, newFirstCol);
    if (oldFirstRow != newFirstRow)
        OnFirstRowChanged(oldFirstRow, newFirstRow);
    if (columnChanged || rowChanged) {
        GridCell cell;
        if (oldCol < s.columnCount && (oldCol >= 0 || oldRow >= 0) && oldRow >= -s.columnHeaderRows) {
            ResolveCell(oldCol, oldRow, &cell);
            TypeFor(cell.GetCellType()).OnFocusOut(oldCol, oldRow, &cell);
        }
        if (newCol < s.columnCount && (newCol >= 0 || newRow >= 0)) {
            ResolveCell(newCol, newRow, &cell);
            TypeFor(cell.GetCellType()).OnFocusIn(newCol, newRow, &cell);
        }
    }
    if (m_bound) {
        m_cellArea.Invalidate();
        if (rowChanged || oldFirstRow != newFirstRow)
            m_rowHeader.Invalidate();
        if (columnChanged || oldFirstCol != newFirstCol)
            m_columnHeader.Invalidate();
    }
    // Last of all: a callback that moved again has had its own sequence report the move from the same old
    // cell, and what is current now is where the next sequence starts.
    s.previousActiveColumn = s.activeColumn;
    s.previousActiveRow = s.activeRow;
    s.previousFirstColumn = s.firstColumn;
    s.previousFirstRow = s.firstRow;
}

bool GridControl::ScrollIntoView(int col, long row, int* firstCol, long* firstRow) const {
    const GridSheet& s = *m_sheet;
    bool changed = false;
    ui::Rect area = m_cellArea.ClientRect();
    if (row >= s.lockedRows && row < s.rowCount) {
        long first = *firstRow;
        if (row < first) {
            first = row;
        } else {
            int available = area.Height() - s.lockedHeight;
            long y = 0;
            for (long r = first; r <= row && r < s.rowCount; ++r)
                y += s.RowHeight(r);
            if (y > available) {
                // The lowest first row that still shows `row` whole.
                long sum = 0;
                first = row;
                while (first > s.lockedRows && sum + s.RowHeight(first) <= available) {
                    sum += s.RowHeight(first);
                    --first;
                }
                if (sum + s.RowHeight(first) > available && first < row)
                    ++first;
            }
        }
        first = std::max(first, s.lockedRows);
        if (first != *firstRow) {
            *firstRow = first;
            changed = true;
        }
    }
    if (col >= s.lockedColumns && col < s.columnCount) {
        int first = *firstCol;
        if (col < first) {
            first = col;
        } else {
            int available = area.Width() - s.lockedWidth;
            long x = 0;
            for (int c = first; c <= col; ++c)
                x += s.columns[static_cast<std::size_t>(c)].width;
            if (x > available) {
                long sum = 0;
                first = col;
                while (first > s.lockedColumns && sum + s.columns[static_cast<std::size_t>(first)].width <= available) {
                    sum += s.columns[static_cast<std::size_t>(first)].width;
                    --first;
                }
                if (sum + s.columns[static_cast<std::size_t>(first)].width > available && first < col)
                    ++first;
            }
        }
        first = std::max(first, s.lockedColumns);
        if (first != *firstCol) {
            *firstCol = first;
            changed = true;
        }
    }
    return changed;
}

int GridControl::StepActiveRow(int where) {
    GridSheet& s = *m_sheet;
    if (where < StepUp || where > StepLast)
        return GridOk;
    if (s.multiSelect && !(s.moveKeyFlags & ui::ModShift))
        s.selection.clear();
    if (s.rowCount <= 0)
        return GridOk;
    long row = s.activeRow;
    long page = std::max(RowsPerPage(), 1L);
    long target = row;
    switch (where) {
    case StepUp: target = row - 1; break;
    case StepDown: target = row + 1; break;
    case StepPageUp: target = row - page; break;
    case StepPageDown: target = row + page; break;
    case StepFirst: target = 0; break;
    case StepLast: target = s.rowCount - 1; break;
    default: break;
    }
    target = std::clamp(target, 0L, s.rowCount - 1);
    if (target == row)
        return GridOk;
    return MoveTo(s.activeColumn, target);
}

int GridControl::SortRows(int col, int flags) {
    if (col < 0 || col >= m_sheet->columnCount)
        return GridOutOfRange;
    int source = SourceColumn(col);
    return m_sheet->defaultDataSource->Sort(&source, 1, flags, *this);
}

int GridControl::BeginSelectionAt(int col, long row) {
    GridSheet& s = *m_sheet;
    s.selection.assign(1, SelectionBlock{col, row, col, row});
    RepaintCell(col, row);
    return GridOk;
}

void GridControl::KeyInCells(unsigned key, unsigned modifiers, int step) {
    GridSheet& s = *m_sheet;
    s.moveReason = MoveByKey;
    s.moveKeyFlags = modifiers;
    bool processed = false;
    if (s.activeColumn < s.columnCount && s.activeRow >= 0)
        processed = TypeOfCell(s.activeColumn, s.activeRow).OnKeyPress(s.activeColumn, s.activeRow, &key);
    OnGridKey(&key, processed);
    if (key == 0 || s.columnCount == 0 || s.rowCount == 0)
        return;
    bool control = (modifiers & ui::ModControl) != 0;
    int col = s.activeColumn;
    long row = s.activeRow;
    switch (key) {
    case ui::KeyLeft:
        if (col > 0)
            MoveTo(std::max(col - step, 0), row);
        break;
    case ui::KeyRight:
        if (col < s.columnCount - 1)
            MoveTo(std::min(col + step, s.columnCount - 1), row);
        break;
    case ui::KeyUp:
        if (row > 0)
            MoveTo(col, std::max(row - step, 0L));
        break;
    case ui::KeyDown: {
        long target = row + step;
        if (target > s.rowCount - 1) {
            // The source may find more rows first.
            long before = s.rowCount;
            s.dataSource->OnMovePastLastRow();
            OnPastLastRow(s.rowCount, target - (before - 1), s.rowCount - before);
            target = std::min(target, s.rowCount - 1);
        }
        if (target != row)
            MoveTo(col, target);
        break;
    }
    case ui::KeyPageUp: StepActiveRow(StepPageUp); break;
    case ui::KeyPageDown: StepActiveRow(StepPageDown); break;
    case ui::KeyHome:
        if (control)
            StepActiveRow(StepFirst);
        else if (col != 0)
            MoveTo(0, row);
        break;
    case ui::KeyEnd:
        if (control)
            StepActiveRow(StepLast);
        else if (col != s.columnCount - 1)
            MoveTo(s.columnCount - 1, row);
        break;
    default: break;
    }
}

void GridControl::CharInCells(unsigned character) {
    GridSheet& s = *m_sheet;
    bool processed = false;
    if (s.activeColumn < s.columnCount && s.activeRow >= 0)
        processed = TypeOfCell(s.activeColumn, s.activeRow).OnCharacter(s.activeColumn, s.activeRow, &character);
    OnGridChar(&character, processed);
}

void GridControl::OnFocusGained(ui::Window* previous) {
    (void)previous;
    // The grid is one tab stop; the keys go to its cells.
    if (m_bound && !m_editing)
        m_cellArea.SetFocus();
}

} // namespace vantorel
