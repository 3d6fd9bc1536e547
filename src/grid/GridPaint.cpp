#include "grid/GridControl.h"

namespace vantorel {

namespace {

bool InSelection(const GridSheet& sheet, int col, long row) {
    for (const SelectionBlock& block : sheet.selection) {
        int c1 = std::min(block.startColumn, block.endColumn);
        int c2 = std::max(block.startColumn, block.endColumn);
        long r1 = std::min(block.startRow, block.endRow);
        long r2 = std::max(block.startRow, block.endRow);
        if (col >= c1 && col <= c2 && row >= r1 && row <= r2)
            return true;
    }
    return false;
}

} // namespace

void GridControl::OnPaint(ui::Canvas& canvas) {
    // Only the box between the two scroll bars shows; the parts cover the rest.
    canvas.FillRect(ClientRect(), ui::SystemColorOf(ui::SystemColor::ButtonFace));
}

// Only the rows and columns in view are read, so a screen costs the same however long the grid is.
void GridControl::PaintCells(ui::Canvas& canvas, const ui::Rect& area) {
    const GridSheet& s = *m_sheet;
    OnPrepareDC(canvas, 0, SectionCells);
    canvas.FillRect(area, OnDefaultBackColor(SectionCells));
    std::vector<int> columns;
    std::vector<int> lefts;
    ColumnEdges(&columns, &lefts);
    std::vector<long> rows = VisibleRows();
    GridCell cell;
    ui::Rect focus;
    bool focusShown = false;
    int y = 0;
    for (long row : rows) {
        int height = s.RowHeight(row);
        for (std::size_t i = 0; i < columns.size(); ++i) {
            int col = columns[i];
            int width = s.columns[static_cast<std::size_t>(col)].width;
            if (width <= 0)
                continue;
            ui::Rect rect = ui::Rect::FromSize(lefts[i], y, width, height);
            ResolveCell(col, row, &cell);
            bool current = col == s.activeColumn && row == s.activeRow;
            bool selected = current || InSelection(s, col, row);
            TypeFor(cell.GetCellType()).DrawCell(canvas, &rect, col, row, &cell, selected, current);
            if (current) {
                focus = rect;
                focusShown = true;
            }
        }
        y += height;
    }
    if (focusShown && m_cellArea.HasFocus())
        OnDrawFocus(canvas, &focus);
}

void GridControl::PaintColumnHeader(ui::Canvas& canvas, const ui::Rect& area) {
    const GridSheet& s = *m_sheet;
    OnPrepareDC(canvas, 0, SectionColumnHeader);
    canvas.FillRect(area, OnDefaultBackColor(SectionColumnHeader));
    std::vector<int> columns;
    std::vector<int> lefts;
    ColumnEdges(&columns, &lefts);
    GridCell cell;
    int y = 0;
    for (int k = s.columnHeaderRows; k >= 1; --k) {
        long row = -k;
        int height = s.headerRowHeights[static_cast<std::size_t>(k - 1)];
        for (std::size_t i = 0; i < columns.size(); ++i) {
            int col = columns[i];
            int width = s.columns[static_cast<std::size_t>(col)].width;
            if (width <= 0)
                continue;
            ui::Rect rect = ui::Rect::FromSize(lefts[i], y, width, height);
            ResolveCell(col, row, &cell);
            TypeFor(cell.GetCellType()).DrawCell(canvas, &rect, col, row, &cell, false, false);
        }
        y += height;
    }
}

void GridControl::PaintRowHeader(ui::Canvas& canvas, const ui::Rect& area) {
    const GridSheet& s = *m_sheet;
    OnPrepareDC(canvas, 0, SectionRowHeader);
    canvas.FillRect(area, OnDefaultBackColor(SectionRowHeader));
    GridCell cell;
    int y = 0;
    for (long row : VisibleRows()) {
        int height = s.RowHeight(row);
        int x = 0;
        for (int k = s.rowHeaderColumns; k >= 1; --k) {
            int col = -k;
            int width = s.headerColumnWidths[static_cast<std::size_t>(k - 1)];
            if (width > 0) {
                ui::Rect rect = ui::Rect::FromSize(x, y, width, height);
                ResolveCell(col, row, &cell);
                TypeFor(cell.GetCellType()).DrawCell(canvas, &rect, col, row, &cell, false, row == s.activeRow);
            }
            x += width;
        }
        y += height;
    }
}

void GridControl::PaintCorner(ui::Canvas& canvas, const ui::Rect& area) {
    OnPrepareDC(canvas, 0, SectionColumnHeader);
    canvas.FillRect(area, OnDefaultBackColor(SectionColumnHeader));
    if (area.IsEmpty())
        return;
    GridCell cell;
    ResolveCell(-1, -1, &cell);
    ui::Rect rect = area;
    TypeFor(cell.GetCellType()).DrawCell(canvas, &rect, -1, -1, &cell, false, false);
}

} // namespace vantorel
