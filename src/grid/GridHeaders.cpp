#include "grid/GridParts.h"

#include "grid/GridControl.h"

#include <algorithm>

namespace vantorel {

namespace {
constexpr int kSizingSlack = 3; // pixels either side of a border that pick it up
} // namespace

void ColumnHeaderWindow::OnPaint(ui::Canvas& canvas) {
    m_grid.PaintColumnHeader(canvas, ClientRect());
}

bool CellAreaWindow::FindItem(const std::string& name, ui::Rect& rect) const {
    if (name.rfind("cell:", 0) != 0)
        return false;
    std::size_t colon = name.rfind(':');
    if (colon <= 4)
        return false;
    std::string column = name.substr(5, colon - 5);
    char* end = nullptr;
    long row = std::strtol(name.c_str() + colon + 1, &end, 10);
    if (colon + 1 == name.size() || !end || *end != '\0')
        return false;
    int col = -1;
    for (int c = 0; c < m_sheet->columnCount && col < 0; ++c) {
        const char* heading = m_grid.GetCellText(c, -1);
        if (column == std::to_string(c) || (heading && column == heading))
            col = c;
    }
    return col >= 0 && m_grid.CellRect(col, row, &rect);
}

bool ColumnHeaderWindow::FindItem(const std::string& name, ui::Rect& rect) const {
    const GridSheet& s = *m_sheet;
    std::vector<int> columns;
    std::vector<int> lefts;
    m_grid.ColumnEdges(&columns, &lefts);
    int top = 0;
    for (int k = s.columnHeaderRows; k > 1; --k)
        top += s.headerRowHeights[static_cast<std::size_t>(k - 1)];
    int height = s.columnHeaderRows > 0 ? s.headerRowHeights[0] : 0;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        int width = s.columns[static_cast<std::size_t>(columns[i])].width;
        if (width <= 0)
            continue;
        const char* text = m_grid.GetCellText(columns[i], -1);
        if (name == "#" + std::to_string(columns[i]) || (text && name == text)) {
            rect = ui::Rect::FromSize(lefts[i], top, width, height);
            return true;
        }
    }
    return false;
}

bool ColumnHeaderWindow::HitTest(ui::Point point, int* col, long* row, ui::Rect* rect) const {
    const GridSheet& s = *m_sheet;
    std::vector<int> columns;
    std::vector<int> lefts;
    m_grid.ColumnEdges(&columns, &lefts);
    int y = 0;
    for (int k = s.columnHeaderRows; k >= 1; --k) {
        int height = s.headerRowHeights[static_cast<std::size_t>(k - 1)];
        if (point.y >= y && point.y < y + height) {
            for (std::size_t i = 0; i < columns.size(); ++i) {
                int width = s.columns[static_cast<std::size_t>(columns[i])].width;
                if (point.x >= lefts[i] && point.x < lefts[i] + width) {
                    *col = columns[i];
                    *row = -k;
                    *rect = ui::Rect::FromSize(lefts[i], y, width, height);
                    return true;
                }
            }
            return false;
        }
        y += height;
    }
    return false;
}

void ColumnHeaderWindow::OnMouseMove(const ui::MouseEvent& event) {
    GridSheet& s = *m_sheet;
    if (m_capturing) {
        if (m_sizing == Sizing::Column) {
            int width = std::max(m_startSize + (event.x - m_startX), 0);
            m_grid.OnColumnResizing(m_column, &width);
            m_grid.SetColumnWidth(m_column, width);
        } else if (m_sizing == Sizing::Height) {
            int height = std::max(m_startSize + (event.y - m_startY), 0);
            if (m_grid.OnHeaderHeightResizing(&height))
                m_grid.SetColumnHeaderHeight(height);
        }
        m_grid.RepaintAll();
        return;
    }
    m_sizing = Sizing::None;
    m_cursor = GridCursor::Arrow;
    if (s.userColumnSizing) {
        std::vector<int> columns;
        std::vector<int> lefts;
        m_grid.ColumnEdges(&columns, &lefts);
        for (std::size_t i = 0; i < columns.size(); ++i) {
            int col = columns[i];
            int edge = lefts[i] + s.columns[static_cast<std::size_t>(col)].width;
            if (!(edge - kSizingSlack < event.x && event.x < edge + kSizingSlack))
                continue;
            // A hidden column right after this one is pulled open instead.
            if (col + 1 < s.columnCount && s.columns[static_cast<std::size_t>(col + 1)].width == 0)
                col = col + 1;
            if (m_grid.OnAllowColumnResize(col)) {
                m_sizing = Sizing::Column;
                m_column = col;
                m_startSize = s.columns[static_cast<std::size_t>(col)].width;
                m_startX = event.x;
                m_cursor = GridCursor::SizeWestEast;
            }
            return;
        }
    }
    int bottom = 0;
    for (int k = s.columnHeaderRows; k >= 1; --k)
        bottom += s.headerRowHeights[static_cast<std::size_t>(k - 1)];
    if (bottom - kSizingSlack < event.y && event.y < bottom + kSizingSlack && m_grid.OnAllowHeaderHeightResize()) {
        m_sizing = Sizing::Height;
        m_startSize = s.columnHeaderHeight;
        m_startY = event.y;
        m_cursor = GridCursor::SizeNorthSouth;
    }
}

void ColumnHeaderWindow::OnMouseDown(const ui::MouseEvent& event) {
    bool right = event.button == ui::MouseButton::Right;
    if (!right && m_sizing != Sizing::None) {
        m_capturing = true;
        SetCapture();
        return;
    }
    ui::Point point{event.x, event.y};
    int col = -1;
    long row = -1;
    ui::Rect rect;
    if (!HitTest(point, &col, &row, &rect))
        return;
    SetCapture();
    if (!right && m_grid.OnColumnDragStart(col))
        m_dragSource = col;
    CellType& type = m_grid.TypeOfCell(col, row);
    if (right) {
        bool processed = type.OnRightClick(col, row, 1, &rect, &point);
        m_grid.OnColumnHeaderRightClick(col, row, 1, &rect, &point, processed);
    } else {
        bool processed = type.OnLeftClick(col, row, 1, &rect, &point);
        m_grid.OnColumnHeaderLeftClick(col, row, 1, &rect, &point, processed);
    }
}

void ColumnHeaderWindow::OnMouseUp(const ui::MouseEvent& event) {
    bool right = event.button == ui::MouseButton::Right;
    if (m_capturing && !right) {
        if (m_sizing == Sizing::Column) {
            int current = m_grid.GetColumnWidth(m_column);
            int width = current;
            m_grid.OnColumnResized(m_column, &width);
            if (width != current)
                m_grid.SetColumnWidth(m_column, width);
        } else if (m_sizing == Sizing::Height) {
            int height = m_sheet->columnHeaderHeight;
            if (m_grid.OnHeaderHeightResized(&height) && height != m_sheet->columnHeaderHeight)
                m_grid.SetColumnHeaderHeight(height);
        }
        m_capturing = false;
        m_sizing = Sizing::None;
        if (HasCapture())
            ReleaseCapture();
        m_grid.RepaintAll();
        return;
    }
    ui::Point point{event.x, event.y};
    int col = -1;
    long row = -1;
    ui::Rect rect;
    bool hit = HitTest(point, &col, &row, &rect);
    if (HasCapture())
        ReleaseCapture();
    int source = m_dragSource;
    m_dragSource = -1;
    if (!hit)
        return;
    CellType& type = m_grid.TypeOfCell(col, row);
    if (right) {
        bool processed = type.OnRightClick(col, row, 0, &rect, &point);
        m_grid.OnColumnHeaderRightClick(col, row, 0, &rect, &point, processed);
        return;
    }
    bool processed = type.OnLeftClick(col, row, 0, &rect, &point);
    m_grid.OnColumnHeaderLeftClick(col, row, 0, &rect, &point, processed);
    if (m_sheet->columnMoving && source >= 0 && col != source) {
        int to = col > source ? col - 1 : col;
        if (m_grid.OnAllowColumnMove(source, to))
            m_grid.MoveColumn(source, col, col < source);
    }
}

void ColumnHeaderWindow::OnDoubleClick(const ui::MouseEvent& event) {
    if (event.button != ui::MouseButton::Left || m_sizing != Sizing::None) {
        OnMouseDown(event);
        return;
    }
    ui::Point point{event.x, event.y};
    int col = -1;
    long row = -1;
    ui::Rect rect;
    if (!HitTest(point, &col, &row, &rect))
        return;
    bool processed = m_grid.TypeOfCell(col, row).OnDoubleClick(col, row, &rect, &point);
    m_grid.OnColumnHeaderDoubleClick(col, row, &rect, &point, processed);
}

void RowHeaderWindow::OnPaint(ui::Canvas& canvas) {
    m_grid.PaintRowHeader(canvas, ClientRect());
}

bool RowHeaderWindow::HitTest(ui::Point point, int* col, long* row, ui::Rect* rect) const {
    const GridSheet& s = *m_sheet;
    int x = 0;
    int foundCol = 0;
    int left = 0;
    int width = 0;
    for (int k = s.rowHeaderColumns; k >= 1; --k) {
        int w = s.headerColumnWidths[static_cast<std::size_t>(k - 1)];
        if (point.x >= x && point.x < x + w) {
            foundCol = -k;
            left = x;
            width = w;
            break;
        }
        x += w;
    }
    if (foundCol == 0)
        return false;
    int y = 0;
    for (long r : m_grid.VisibleRows()) {
        int height = s.RowHeight(r);
        if (point.y >= y && point.y < y + height) {
            *col = foundCol;
            *row = r;
            *rect = ui::Rect::FromSize(left, y, width, height);
            return true;
        }
        y += height;
    }
    return false;
}

void RowHeaderWindow::OnMouseMove(const ui::MouseEvent& event) {
    GridSheet& s = *m_sheet;
    if (m_capturing) {
        if (m_sizing == Sizing::Row) {
            int height = std::max(m_startSize + (event.y - m_startY), 0);
            m_grid.OnRowResizing(m_row, &height);
            m_grid.SetRowHeight(m_row, height);
        } else if (m_sizing == Sizing::Width) {
            int width = std::max(m_startSize + (event.x - m_startX), 0);
            if (m_grid.OnHeaderWidthResizing(&width))
                m_grid.SetRowHeaderWidth(width);
        }
        m_grid.RepaintAll();
        return;
    }
    m_sizing = Sizing::None;
    m_cursor = GridCursor::Arrow;
    if (s.userRowSizing) {
        int y = 0;
        for (long r : m_grid.VisibleRows()) {
            y += s.RowHeight(r);
            if (y - kSizingSlack < event.y && event.y < y + kSizingSlack) {
                if (m_grid.OnAllowRowResize(r)) {
                    m_sizing = Sizing::Row;
                    m_row = r;
                    m_startSize = s.RowHeight(r);
                    m_startY = event.y;
                    m_cursor = GridCursor::SizeNorthSouth;
                }
                return;
            }
        }
    }
    int right = s.rowHeaderWidth;
    if (right - kSizingSlack < event.x && event.x < right + kSizingSlack && m_grid.OnAllowHeaderWidthResize()) {
        m_sizing = Sizing::Width;
        m_startSize = s.rowHeaderWidth;
        m_startX = event.x;
        m_cursor = GridCursor::SizeWestEast;
    }
}

void RowHeaderWindow::OnMouseDown(const ui::MouseEvent& event) {
    bool right = event.button == ui::MouseButton::Right;
    if (!right && m_sizing != Sizing::None) {
        m_capturing = true;
        SetCapture();
        return;
    }
    ui::Point point{event.x, event.y};
    int col = -1;
    long row = -1;
    ui::Rect rect;
    if (!HitTest(point, &col, &row, &rect))
        return;
    SetCapture();
    CellType& type = m_grid.TypeOfCell(col, row);
    bool processed = right ? type.OnRightClick(col, row, 1, &rect, &point) : type.OnLeftClick(col, row, 1, &rect, &point);
    if (right)
        m_grid.OnRowHeaderRightClick(col, row, 1, &rect, &point, processed);
    else
        m_grid.OnRowHeaderLeftClick(col, row, 1, &rect, &point, processed);
}

void RowHeaderWindow::OnMouseUp(const ui::MouseEvent& event) {
    bool right = event.button == ui::MouseButton::Right;
    if (m_capturing && !right) {
        if (m_sizing == Sizing::Row) {
            int current = m_grid.GetRowHeight(m_row);
            int height = current;
            m_grid.OnRowResized(m_row, &height);
            if (height != current)
                m_grid.SetRowHeight(m_row, height);
        } else if (m_sizing == Sizing::Width) {
            int width = m_sheet->rowHeaderWidth;
            if (m_grid.OnHeaderWidthResized(&width) && width != m_sheet->rowHeaderWidth)
                m_grid.SetRowHeaderWidth(width);
        }
        m_capturing = false;
        m_sizing = Sizing::None;
        if (HasCapture())
            ReleaseCapture();
        m_grid.RepaintAll();
        return;
    }
    if (HasCapture())
        ReleaseCapture();
    ui::Point point{event.x, event.y};
    int col = -1;
    long row = -1;
    ui::Rect rect;
    if (!HitTest(point, &col, &row, &rect))
        return;
    CellType& type = m_grid.TypeOfCell(col, row);
    bool processed = right ? type.OnRightClick(col, row, 0, &rect, &point) : type.OnLeftClick(col, row, 0, &rect, &point);
    if (right)
        m_grid.OnRowHeaderRightClick(col, row, 0, &rect, &point, processed);
    else
        m_grid.OnRowHeaderLeftClick(col, row, 0, &rect, &point, processed);
}

void RowHeaderWindow::OnDoubleClick(const ui::MouseEvent& event) {
    if (event.button != ui::MouseButton::Left || m_sizing != Sizing::None) {
        OnMouseDown(event);
        return;
    }
    ui::Point point{event.x, event.y};
    int col = -1;
    long row = -1;
    ui::Rect rect;
    if (!HitTest(point, &col, &row, &rect))
        return;
    bool processed = m_grid.TypeOfCell(col, row).OnDoubleClick(col, row, &rect, &point);
    m_grid.OnRowHeaderDoubleClick(col, row, &rect, &point, processed);
}

} // namespace vantorel
