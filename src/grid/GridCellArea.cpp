#include "grid/GridParts.h"

#include "grid/GridControl.h"
#include "platform/ui/WindowSystem.h"

#include <algorithm>
#include <cmath>

namespace vantorel {

namespace {

constexpr std::size_t kTipLimit = 79; // what the tool tip's fixed buffer holds

// The cell under a point of the cell area, -1,-1 for none, and its rectangle.
struct CellHit {
    int col = -1;
    long row = -1;
    ui::Rect rect;
    bool OnCell() const { return col >= 0 && row >= 0; }
};

CellHit HitAt(GridControl& grid, ui::Point point) {
    CellHit hit;
    grid.CellAt(point, &hit.col, &hit.row);
    if (hit.col >= 0 || hit.row >= 0)
        grid.CellRect(hit.col, hit.row, &hit.rect);
    return hit;
}

} // namespace

void CellAreaWindow::OnPaint(ui::Canvas& canvas) {
    m_grid.PaintCells(canvas, ClientRect());
}

void CellAreaWindow::OnMouseDown(const ui::MouseEvent& event) {
    // While a cell is edited the editor's own keys (Enter, Escape, Tab) and the dialog's buttons end the
    // edit; a press beside the editor does nothing at all.
    if (m_grid.IsEditing())
        return;
    m_grid.Tip().Hide();
    bool right = event.button == ui::MouseButton::Right;
    SetCapture();
    SetFocus();
    m_sheet->moveReason = right ? MoveByRightClick : MoveByLeftClick;
    m_sheet->moveKeyFlags = event.modifiers;
    ui::Point point{event.x, event.y};
    CellHit hit = HitAt(m_grid, point);
    bool processed = false;
    if (hit.OnCell()) {
        m_grid.MoveTo(hit.col, hit.row);
        processed = TypeClick(hit.col, hit.row, right, 1, &hit.rect, &point);
        if (processed && !right)
            m_typeHoldsMouse = true;
    }
    if (right) {
        m_rightDown = true;
        m_grid.OnCellRightClick(hit.col, hit.row, 1, &hit.rect, &point, processed);
        if (m_sheet->popupMenu && hit.col >= 0)
            m_grid.OnPopupOpen(hit.col, hit.row, SectionCells);
    } else {
        m_leftDown = true;
        m_lastMouse = point;
        m_grid.OnCellLeftClick(hit.col, hit.row, 1, &hit.rect, &point, processed);
    }
    m_sheet->moveReason = MoveByKey;
}

bool CellAreaWindow::TypeClick(int col, long row, bool right, int down, ui::Rect* rect, ui::Point* point) {
    CellType& type = m_grid.TypeOfCell(col, row);
    return right ? type.OnRightClick(col, row, down, rect, point) : type.OnLeftClick(col, row, down, rect, point);
}

void CellAreaWindow::OnMouseUp(const ui::MouseEvent& event) {
    bool right = event.button == ui::MouseButton::Right;
    bool& down = right ? m_rightDown : m_leftDown;
    // A release answers its own press, even when that press opened an editor; one whose press was not taken
    // here is not taken either.
    if (!down) {
        if (HasCapture() && !m_leftDown && !m_rightDown)
            ReleaseCapture();
        return;
    }
    down = false;
    ui::Point point{event.x, event.y};
    CellHit hit = HitAt(m_grid, point);
    bool processed = hit.OnCell() && TypeClick(hit.col, hit.row, right, 0, &hit.rect, &point);
    if (right)
        m_grid.OnCellRightClick(hit.col, hit.row, 0, &hit.rect, &point, processed);
    else
        m_grid.OnCellLeftClick(hit.col, hit.row, 0, &hit.rect, &point, processed);
    if (HasCapture() && !m_leftDown && !m_rightDown)
        ReleaseCapture();
    m_typeHoldsMouse = false;
}

void CellAreaWindow::OnDoubleClick(const ui::MouseEvent& event) {
    if (event.button != ui::MouseButton::Left) {
        OnMouseDown(event);
        return;
    }
    if (m_grid.IsEditing())
        return;
    // The second press of a double click: its release answers it.
    m_leftDown = true;
    ui::Point point{event.x, event.y};
    CellHit hit = HitAt(m_grid, point);
    bool processed =
        hit.OnCell() && m_grid.TypeOfCell(hit.col, hit.row).OnDoubleClick(hit.col, hit.row, &hit.rect, &point);
    m_grid.OnCellDoubleClick(hit.col, hit.row, &hit.rect, &point, processed);
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
        DragLoop();
    m_sheet->moveReason = MoveByKey;
}

// The drag with the button held: the active cell follows the pointer, and while the pointer is beyond the
// cells the view steps towards it, turn after turn, until the mouse moves again or the button comes up. It
// pauses only after a step of one row or column, and only with drag acceleration on.
void CellAreaWindow::DragLoop() {
    ui::WindowSystem& system = ui::WindowSystem::Instance();
    for (;;) {
        DragStepResult step = DragStep();
        if (!step.outside)
            return;
        if (step.single && m_sheet->dragScrollAcceleration > 0)
            system.Pause(m_sheet->dragScrollDelay);
        if (system.LocalLoopTurn(!step.moved))
            return;
        if (!IsCreated() || !m_leftDown || !HasCapture() || m_grid.IsEditing())
            return;
    }
}

CellAreaWindow::DragStepResult CellAreaWindow::DragStep() {
    DragStepResult result;
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
    int activeCol = m_grid.GetActiveColumn();
    long activeRow = m_grid.GetActiveRow();
    if (dx == 0 && dy == 0) {
        if (col >= 0 && row >= 0 && (col != activeCol || row != activeRow))
            result.moved = m_grid.MoveTo(col, row) == GridOk;
        return result;
    }
    result.outside = true;
    int acceleration = m_sheet->dragScrollAcceleration;
    auto stepOf = [&](int distance, int unit) {
        if (acceleration <= 0)
            return 1;
        return static_cast<int>(std::pow(static_cast<double>(distance) / std::max(unit, 1) + 1.0, acceleration));
    };
    int stepX = stepOf(distanceX, m_sheet->defaultColumnWidth);
    int stepY = stepOf(distanceY, m_sheet->defaultRowHeight);
    int targetCol = activeCol;
    long targetRow = activeRow;
    if (dx != 0)
        targetCol = std::clamp(targetCol + dx * stepX, 0, std::max(m_grid.GetColumnCount() - 1, 0));
    else if (col >= 0)
        targetCol = col;
    if (dy != 0)
        targetRow = std::clamp(targetRow + dy * stepY, 0L, std::max(m_grid.GetRowCount() - 1, 0L));
    else if (row >= 0)
        targetRow = row;
    m_sheet->moveReason = MoveByDrag;
    if (targetCol != activeCol || targetRow != activeRow)
        result.moved = m_grid.MoveTo(targetCol, targetRow) == GridOk;
    result.single = (dy != 0 ? stepY : stepX) == 1;
    return result;
}

void CellAreaWindow::OnTimer(int id) {
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
            ui::WindowSystem::Instance().Pause(m_sheet->keyAccelerationDelay);
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
    m_rightDown = false;
}

} // namespace vantorel
