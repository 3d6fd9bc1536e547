#include "grid/GridParts.h"

#include "grid/GridControl.h"
#include "platform/ui/WindowSystem.h"

#include <algorithm>

namespace vantorel {

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
