#include "grid/GridParts.h"

#include "grid/GridControl.h"
#include "platform/ui/WindowSystem.h"

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

namespace vantorel {

namespace {

constexpr int kSizingSlack = 3; // pixels either side of a border that pick it up
constexpr std::size_t kTipLimit = 79; // what the tool tip's fixed buffer holds

ui::Rect RectOf(GridControl& grid, int col, long row) {
    ui::Rect rect;
    if (col < 0 && row < 0)
        return rect;
    grid.CellRect(col, row, &rect);
    return rect;
}

} // namespace

// ---- Cell area ----------------------------------------------------------------------------------------

void CellAreaWindow::OnPaint(ui::Canvas& canvas) {
    m_grid.PaintCells(canvas, ClientRect());
}

void CellAreaWindow::OnMouseDown(const ui::MouseEvent& event) {
    if (m_grid.IsEditing()) {
        // A click beside the editor ends the edit, keeping what was typed; it does nothing else.
        SetFocus();
        return;
    }
    m_grid.Tip().Hide();
    bool right = event.button == ui::MouseButton::Right;
    SetCapture();
    SetFocus();
    m_sheet->moveReason = right ? MoveByRightClick : MoveByLeftClick;
    m_sheet->moveKeyFlags = event.modifiers;
    ui::Point point{event.x, event.y};
    int col = -1;
    long row = -1;
    m_grid.CellAt(point, &col, &row);
    ui::Rect rect = RectOf(m_grid, col, row);
    bool processed = false;
    if (col >= 0 && row >= 0) {
        m_grid.MoveTo(col, row);
        CellType& type = m_grid.TypeOfCell(col, row);
        processed = right ? type.OnRightClick(col, row, 1, &rect, &point) : type.OnLeftClick(col, row, 1, &rect, &point);
        if (processed && !right)
            m_typeHoldsMouse = true;
    }
    if (right) {
        m_grid.OnCellRightClick(col, row, 1, &rect, &point, processed);
        if (m_sheet->popupMenu && col >= 0)
            m_grid.OnPopupOpen(col, row, SectionCells);
    } else {
        m_grid.OnCellLeftClick(col, row, 1, &rect, &point, processed);
        m_leftDown = true;
        m_lastMouse = point;
    }
    m_sheet->moveReason = MoveByKey;
}

void CellAreaWindow::OnMouseUp(const ui::MouseEvent& event) {
    bool right = event.button == ui::MouseButton::Right;
    KillTimer(kDragTimer);
    if (m_grid.IsEditing()) {
        if (HasCapture())
            ReleaseCapture();
        m_leftDown = false;
        return;
    }
    ui::Point point{event.x, event.y};
    int col = -1;
    long row = -1;
    m_grid.CellAt(point, &col, &row);
    ui::Rect rect = RectOf(m_grid, col, row);
    bool processed = false;
    if (col >= 0 && row >= 0) {
        CellType& type = m_grid.TypeOfCell(col, row);
        processed = right ? type.OnRightClick(col, row, 0, &rect, &point) : type.OnLeftClick(col, row, 0, &rect, &point);
    }
    if (right)
        m_grid.OnCellRightClick(col, row, 0, &rect, &point, processed);
    else
        m_grid.OnCellLeftClick(col, row, 0, &rect, &point, processed);
    if (HasCapture())
        ReleaseCapture();
    m_typeHoldsMouse = false;
    if (!right)
        m_leftDown = false;
}

void CellAreaWindow::OnDoubleClick(const ui::MouseEvent& event) {
    if (event.button != ui::MouseButton::Left) {
        OnMouseDown(event);
        return;
    }
    if (m_grid.IsEditing())
        return;
    ui::Point point{event.x, event.y};
    int col = -1;
    long row = -1;
    m_grid.CellAt(point, &col, &row);
    ui::Rect rect = RectOf(m_grid, col, row);
    bool processed = false;
    if (col >= 0 && row >= 0) {
        processed = m_grid.TypeOfCell(col, row).OnDoubleClick(col, row, &rect, &point);
    }
    m_grid.OnCellDoubleClick(col, row, &rect, &point, processed);
}

void CellAreaWindow::OnMouseMove(const ui::MouseEvent& event) {
    if (m_grid.IsEditing())
        return;
    ui::Point point{event.x, event.y};
    m_lastFlags = event.modifiers;
    if (m_sheet->cellTips) {
        m_grid.Tip().Hide();
        SetTimer(kTipTimer, kTipDelayMs);
    }
    m_lastMouse = point;
    int col = -1;
    long row = -1;
    m_grid.CellAt(point, &col, &row);
    if (m_typeHoldsMouse) {
        int activeCol = m_grid.GetActiveColumn();
        long activeRow = m_grid.GetActiveRow();
        bool processed = m_grid.TypeOfCell(activeCol, activeRow).OnPointerMove(activeCol, activeRow, &point, event.modifiers);
        m_grid.OnCellMouseMove(col, row, &point, event.modifiers, processed);
        return;
    }
    m_sheet->moveReason = MoveByDrag;
    bool processed = false;
    if (col >= 0 && row >= 0) {
        processed = m_grid.TypeOfCell(col, row).OnPointerMove(col, row, &point, event.modifiers);
    }
    m_grid.OnCellMouseMove(col, row, &point, event.modifiers, processed);
    if (m_leftDown && HasCapture())
        DragStep();
    m_sheet->moveReason = MoveByKey;
}

// One pass of the drag: the active cell follows the pointer, and beyond the area the view steps towards it
// until the pointer moves again or the button comes up.
void CellAreaWindow::DragStep() {
    ui::Rect area = ClientRect();
    ui::Point p = m_lastMouse;
    std::vector<long> rows = m_grid.VisibleRows(false);
    std::vector<int> columns = m_grid.VisibleColumns(false);
    int col = -1;
    long row = -1;
    m_grid.CellAt(p, &col, &row);
    bool wholeRow = row >= 0 && std::find(rows.begin(), rows.end(), row) != rows.end();
    bool wholeCol = col >= 0 && std::find(columns.begin(), columns.end(), col) != columns.end();
    int dx = 0;
    int dy = 0;
    int distanceX = 0;
    int distanceY = 0;
    if (p.x < 0) {
        dx = -1;
        distanceX = -p.x;
    } else if (p.x >= area.right || (col >= 0 && !wholeCol)) {
        dx = 1;
        distanceX = std::max(p.x - area.right, 0);
    }
    if (p.y < 0) {
        dy = -1;
        distanceY = -p.y;
    } else if (p.y >= area.bottom || (row >= 0 && !wholeRow)) {
        dy = 1;
        distanceY = std::max(p.y - area.bottom, 0);
    }
    if (dx == 0 && dy == 0) {
        KillTimer(kDragTimer);
        if (col >= 0 && row >= 0 && (col != m_grid.GetActiveColumn() || row != m_grid.GetActiveRow()))
            m_grid.MoveTo(col, row);
        return;
    }
    int acceleration = m_sheet->dragScrollAcceleration;
    auto stepOf = [&](int distance, int unit) {
        if (acceleration <= 0)
            return 1;
        return static_cast<int>(std::pow(static_cast<double>(distance) / std::max(unit, 1) + 1.0, acceleration));
    };
    int stepX = stepOf(distanceX, m_sheet->defaultColumnWidth);
    int stepY = stepOf(distanceY, m_sheet->defaultRowHeight);
    int targetCol = m_grid.GetActiveColumn();
    long targetRow = m_grid.GetActiveRow();
    if (dx != 0)
        targetCol = std::clamp(targetCol + dx * stepX, 0, std::max(m_grid.GetColumnCount() - 1, 0));
    else if (col >= 0)
        targetCol = col;
    if (dy != 0)
        targetRow = std::clamp(targetRow + dy * stepY, 0L, std::max(m_grid.GetRowCount() - 1, 0L));
    else if (row >= 0)
        targetRow = row;
    m_sheet->moveReason = MoveByDrag;
    if (targetCol != m_grid.GetActiveColumn() || targetRow != m_grid.GetActiveRow())
        m_grid.MoveTo(targetCol, targetRow);
    bool single = (dy != 0 ? stepY : stepX) == 1;
    SetTimer(kDragTimer, acceleration > 0 && single ? m_sheet->dragScrollDelay : kDragStepMs);
}

void CellAreaWindow::OnTimer(int id) {
    if (id == kDragTimer) {
        if (!m_leftDown || !HasCapture()) {
            KillTimer(kDragTimer);
            return;
        }
        DragStep();
        m_sheet->moveReason = MoveByKey;
        return;
    }
    if (id == kTipTimer) {
        KillTimer(kTipTimer);
        int col = -1;
        long row = -1;
        m_grid.CellAt(m_lastMouse, &col, &row);
        if (col < 0 || !m_sheet->cellTips)
            return;
        std::string text;
        if (!m_grid.OnCellTip(col, row, SectionCells, &text))
            return;
        if (text.size() > kTipLimit)
            text.resize(kTipLimit);
        m_tipText = text;
        ui::Point screen = ClientToScreen(m_lastMouse);
        m_grid.Tip().ShowAt(ui::Point{screen.x, screen.y + 20}, text);
    }
}

void CellAreaWindow::OnMouseWheel(const ui::MouseEvent& event) {
    if (m_grid.IsEditing())
        return;
    long rows = static_cast<long>(event.wheelDelta / 120) * 3;
    m_grid.SetFirstRow(m_grid.GetFirstRow() - rows);
}

bool CellAreaWindow::OnKeyDown(const ui::KeyEvent& event) {
    int step = 1;
    int acceleration = m_sheet->keyAcceleration;
    if (acceleration > 0) {
        int q = m_keyPresses / acceleration;
        step = q * q * q + 1;
        if (q == 0 && m_keyPresses > 1 && m_sheet->keyAccelerationDelay > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(m_sheet->keyAccelerationDelay));
    }
    ++m_keyPresses;
    m_grid.KeyInCells(static_cast<unsigned>(event.key), event.modifiers, step);
    return true;
}

void CellAreaWindow::OnKeyUp(const ui::KeyEvent& event) {
    (void)event;
    m_keyPresses = 0;
}

void CellAreaWindow::OnChar(unsigned character, unsigned modifiers) {
    (void)modifiers;
    if (!m_grid.IsEditing())
        m_grid.CharInCells(character);
}

void CellAreaWindow::OnFocusGained(ui::Window* previous) {
    (void)previous;
    m_typeHoldsMouse = false;
    m_keyPresses = 0;
    m_grid.OnFocusGained(static_cast<int>(SectionCells));
    Invalidate();
}

void CellAreaWindow::OnFocusLost(ui::Window* next) {
    (void)next;
    Invalidate();
    m_grid.OnFocusLost(static_cast<int>(SectionCells));
}

void CellAreaWindow::OnCaptureLost() {
    m_typeHoldsMouse = false;
    m_leftDown = false;
    KillTimer(kDragTimer);
}

// ---- Column header ------------------------------------------------------------------------------------

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

// ---- Row header ---------------------------------------------------------------------------------------

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

// ---- Corner, sheet tabs, scroll bars, tip -------------------------------------------------------------

void CornerWindow::OnPaint(ui::Canvas& canvas) {
    m_grid.PaintCorner(canvas, ClientRect());
}

void CornerWindow::OnMouseDown(const ui::MouseEvent& event) {
    ui::Rect rect = ClientRect();
    ui::Point point{event.x, event.y};
    CellType& type = m_grid.TypeOfCell(-1, -1);
    SetCapture();
    if (event.button == ui::MouseButton::Right)
        m_grid.OnCornerRightClick(1, &rect, &point, type.OnRightClick(-1, -1, 1, &rect, &point));
    else
        m_grid.OnCornerLeftClick(1, &rect, &point, type.OnLeftClick(-1, -1, 1, &rect, &point));
}

void CornerWindow::OnMouseUp(const ui::MouseEvent& event) {
    ui::Rect rect = ClientRect();
    ui::Point point{event.x, event.y};
    if (HasCapture())
        ReleaseCapture();
    CellType& type = m_grid.TypeOfCell(-1, -1);
    if (event.button == ui::MouseButton::Right)
        m_grid.OnCornerRightClick(0, &rect, &point, type.OnRightClick(-1, -1, 0, &rect, &point));
    else
        m_grid.OnCornerLeftClick(0, &rect, &point, type.OnLeftClick(-1, -1, 0, &rect, &point));
}

void CornerWindow::OnDoubleClick(const ui::MouseEvent& event) {
    ui::Rect rect = ClientRect();
    ui::Point point{event.x, event.y};
    m_grid.OnCornerDoubleClick(&rect, &point, m_grid.TypeOfCell(-1, -1).OnDoubleClick(-1, -1, &rect, &point));
}

void SheetTabWindow::OnPaint(ui::Canvas& canvas) {
    ui::Rect area = ClientRect();
    canvas.FillRect(area, ui::SystemColorOf(ui::SystemColor::ButtonFace));
    int count = m_grid.GetSheetCount();
    if (count <= 1 || area.IsEmpty())
        return;
    int width = area.Width() / count;
    canvas.SetTextColor(ui::SystemColorOf(ui::SystemColor::ButtonText));
    for (int i = 0; i < count; ++i) {
        ui::Rect tab{i * width, 0, (i + 1) * width, area.bottom};
        canvas.FrameRect(tab, ui::SystemColorOf(ui::SystemColor::ButtonShadow));
        canvas.DrawText(tab, std::to_string(i + 1), ui::TextCenter | ui::TextVCenter | ui::TextSingleLine);
    }
}

void SheetTabWindow::OnMouseDown(const ui::MouseEvent& event) {
    int count = m_grid.GetSheetCount();
    int width = ClientRect().Width() / std::max(count, 1);
    if (count > 1 && width > 0)
        m_grid.OnSheetTabClick(std::min(event.x / width, count - 1));
}

void GridScrollBar::OnScroll(ui::ScrollBar bar, ui::ScrollCode code, int position) {
    (void)bar;
    m_grid.Scrolled(m_bar, code, position);
}

void GridScrollBar::OnMouseDown(const ui::MouseEvent& event) {
    (void)event;
}

void TipWindow::ShowAt(ui::Point screen, const std::string& text) {
    if (!IsCreated())
        return;
    SetText(text);
    ui::Size size = ui::MeasureText(GetFont(), text.empty() ? " " : text);
    Move(ui::Rect::FromSize(screen.x, screen.y, size.width + 8, size.height + 4));
    Show(true);
    BringToTop();
}

void TipWindow::Hide() {
    if (IsCreated() && IsVisible())
        Show(false);
}

void TipWindow::OnPaint(ui::Canvas& canvas) {
    ui::Rect area = ClientRect();
    canvas.FillRect(area, ui::SystemColorOf(ui::SystemColor::InfoBackground));
    canvas.SetTextColor(ui::SystemColorOf(ui::SystemColor::InfoText));
    canvas.DrawText(area.Inflate(-3, 0), Text(), ui::TextLeft | ui::TextVCenter | ui::TextSingleLine);
}

} // namespace vantorel
