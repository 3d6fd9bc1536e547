#include "GuiApp.h"
#include "GuiText.h"

#include "platform/cad/Host.h"
#include "platform/ui/Controls.h"
#include "platform/ui/WindowSystem.h"

#include <algorithm>
#include <cmath>

namespace gui {

namespace {
constexpr int kDragThreshold = 3;
constexpr int kPickPixels = 5;
constexpr double kWheelStep = 1.25;
const ui::Color kInk{255, 255, 255};
} // namespace

void DrawingView::Remember() {
    // Enough views back for any session; the oldest go first.
    constexpr std::size_t kMostViews = 50;
    if (m_previous.size() >= kMostViews)
        m_previous.erase(m_previous.begin());
    m_previous.push_back(m_view);
}

void DrawingView::ZoomWindow(const Box& box) {
    Remember();
    m_view.centreX = (box.minX + box.maxX) / 2;
    m_view.centreY = (box.minY + box.maxY) / 2;
    double w = std::max(box.maxX - box.minX, 1e-9);
    double h = std::max(box.maxY - box.minY, 1e-9);
    m_view.scale = std::clamp(std::min(m_view.width / w, m_view.height / h), 1e-9, 1e9);
    SceneChanged();
}

void DrawingView::ZoomScale(double factor) {
    Remember();
    m_view.scale = std::clamp(m_view.scale * factor, 1e-9, 1e9);
    SceneChanged();
}

void DrawingView::Pan(double dx, double dy) {
    Remember();
    m_view.centreX -= dx;
    m_view.centreY -= dy;
    SceneChanged();
}

bool DrawingView::ZoomPrevious() {
    if (m_previous.empty())
        return false;
    ViewTransform back = m_previous.back();
    m_previous.pop_back();
    m_view.centreX = back.centreX;
    m_view.centreY = back.centreY;
    m_view.scale = back.scale;
    SceneChanged();
    return true;
}

void DrawingView::FitAll() {
    ViewTransform before = m_view;
    bool wasFitted = m_fitted;
    m_view.width = std::max(1, ClientRect().Width());
    m_view.height = std::max(1, ClientRect().Height());
    m_view.Fit(m_app.scene.Extents());
    // The view before goes back on ZOOM Previous, unless this one is the same.
    if (wasFitted && (before.centreX != m_view.centreX || before.centreY != m_view.centreY || before.scale != m_view.scale)) {
        ViewTransform now = m_view;
        m_view = before;
        Remember();
        m_view = now;
    }
    m_fitted = true;
    SceneChanged();
}

void DrawingView::OnSize(ui::Size size) {
    m_view.width = std::max(1, size.width);
    m_view.height = std::max(1, size.height);
    if (!m_fitted && size.width > 0 && size.height > 0)
        FitAll();
    SceneChanged();
}

void DrawingView::OnPaint(ui::Canvas& canvas) {
    ui::Rect client = ClientRect();
    if (!m_scene || m_scene->Width() != client.Width() || m_scene->Height() != client.Height() || m_sceneDirty) {
        m_scene = std::make_unique<ui::Image>(client.Width(), client.Height());
        std::vector<cad::ObjectId> selected = m_app.input.Asking() ? m_app.input.Selected() : m_app.input.Preselected();
        std::sort(selected.begin(), selected.end());
        const cad::VariableValue* lineweights = cad::Host::Instance().Variable("LWDISPLAY");
        const auto* on = lineweights ? std::get_if<std::int16_t>(lineweights) : nullptr;
        m_app.scene.Render(*m_scene, m_view, selected, on && *on != 0);
        m_sceneDirty = false;
    }
    canvas.DrawImage(*m_scene, 0, 0);
    // What the module draws for the moment, such as the rubber band of a table being placed.
    canvas.SetPen(ui::Pen{ui::Color{255, 220, 60}, 1, ui::PenStyle::Solid});
    for (const cad::ScreenVector& v : cad::Host::Instance().GetEditor().Screen())
        canvas.Line(static_cast<int>(m_view.ScreenX(v.from.x)), static_cast<int>(m_view.ScreenY(v.from.y)),
                    static_cast<int>(m_view.ScreenX(v.to.x)), static_cast<int>(m_view.ScreenY(v.to.y)));
    const LiveInput& input = m_app.input;
    if (input.Asking() && input.Request() == cad::Request::Selection && m_pressed &&
        (std::abs(m_cursor.x - m_pressAt.x) > kDragThreshold || std::abs(m_cursor.y - m_pressAt.y) > kDragThreshold)) {
        bool crossing = m_cursor.x < m_pressAt.x;
        canvas.SetPen(crossing ? ui::Pen{ui::Color{80, 220, 80}, 1, ui::PenStyle::Dot}
                               : ui::Pen{ui::Color{90, 140, 255}, 1, ui::PenStyle::Solid});
        canvas.SetHollowBrush();
        canvas.Rectangle(ui::Rect{std::min(m_pressAt.x, m_cursor.x), std::min(m_pressAt.y, m_cursor.y),
                                  std::max(m_pressAt.x, m_cursor.x) + 1, std::max(m_pressAt.y, m_cursor.y) + 1});
    }
    if (input.Asking() && client.Contains(m_cursor)) {
        canvas.SetPen(ui::Pen{kInk, 1, ui::PenStyle::Solid});
        canvas.Line(m_cursor.x - 10, m_cursor.y, m_cursor.x + 11, m_cursor.y);
        canvas.Line(m_cursor.x, m_cursor.y - 10, m_cursor.x, m_cursor.y + 11);
        if (input.Request() == cad::Request::Selection) {
            canvas.SetHollowBrush();
            canvas.Rectangle(ui::Rect{m_cursor.x - kPickPixels, m_cursor.y - kPickPixels, m_cursor.x + kPickPixels + 1,
                                      m_cursor.y + kPickPixels + 1});
        }
    }
}

void DrawingView::OnMouseDown(const ui::MouseEvent& event) {
    m_cursor = ui::Point{event.x, event.y};
    if (event.button != ui::MouseButton::Left) {
        m_panning = true;
        m_panFrom = m_cursor;
        SetCapture();
        return;
    }
    m_pressed = true;
    m_pressAt = m_cursor;
    SetCapture();
}

void DrawingView::OnMouseMove(const ui::MouseEvent& event) {
    m_cursor = ui::Point{event.x, event.y};
    m_app.main.status.SetCursor(m_view.WorldX(m_cursor.x), m_view.WorldY(m_cursor.y));
    if (m_panning) {
        m_view.centreX -= (m_cursor.x - m_panFrom.x) / m_view.scale;
        m_view.centreY += (m_cursor.y - m_panFrom.y) / m_view.scale;
        m_panFrom = m_cursor;
        SceneChanged();
        return;
    }
    if (m_app.input.Asking() && m_app.input.Request() == cad::Request::Event)
        m_app.input.Motion(m_view.WorldX(m_cursor.x), m_view.WorldY(m_cursor.y));
    Invalidate();
}

void DrawingView::OnMouseUp(const ui::MouseEvent& event) {
    m_cursor = ui::Point{event.x, event.y};
    if (m_panning && event.button != ui::MouseButton::Left) {
        m_panning = false;
        ReleaseCapture();
        return;
    }
    if (!m_pressed)
        return;
    m_pressed = false;
    ReleaseCapture();
    LiveInput& input = m_app.input;
    // Between commands a pick or a window chooses objects for the next command (noun, then verb).
    bool choosing = !input.Asking() && !m_app.busy;
    if (!input.Asking() && !choosing)
        return;
    double x = m_view.WorldX(m_cursor.x);
    double y = m_view.WorldY(m_cursor.y);
    bool dragged = std::abs(m_cursor.x - m_pressAt.x) > kDragThreshold || std::abs(m_cursor.y - m_pressAt.y) > kDragThreshold;
    switch (choosing ? cad::Request::Selection : input.Request()) {
    case cad::Request::Selection:
        if (dragged) {
            Box box;
            box.Add(m_view.WorldX(m_pressAt.x), m_view.WorldY(m_pressAt.y));
            box.Add(x, y);
            input.Rectangle(box, m_cursor.x < m_pressAt.x);
        } else {
            input.Pick(x, y, kPickPixels / m_view.scale, (event.modifiers & ui::ModShift) != 0);
        }
        SceneChanged();
        break;
    case cad::Request::Point: input.Answer(cad::PointAnswer{cad::Point3d{x, y, 0.0}}); break;
    case cad::Request::Event: input.Answer(cad::InputEvent{cad::EventType::Pick, cad::Point3d{x, y, 0.0}, 0}); break;
    default: break;
    }
    Invalidate();
}

void DrawingView::OnMouseWheel(const ui::MouseEvent& event) {
    if (event.wheelDelta == 0)
        return;
    double x = m_view.WorldX(event.x);
    double y = m_view.WorldY(event.y);
    double factor = std::pow(kWheelStep, event.wheelDelta / 120.0);
    m_view.scale = std::clamp(m_view.scale * factor, 1e-9, 1e9);
    // The point under the cursor stays where it is.
    m_view.centreX = x - (event.x - m_view.width / 2.0) / m_view.scale;
    m_view.centreY = y - (m_view.height / 2.0 - event.y) / m_view.scale;
    m_app.Trace("zoom scale " + std::to_string(m_view.scale));
    SceneChanged();
}

} // namespace gui
