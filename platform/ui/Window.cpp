#include "platform/ui/Window.h"

#include "platform/ui/WindowSystem.h"

#include <algorithm>

namespace ui {

Window::Window() = default;

Window::~Window() {
    Destroy();
}

bool Window::Create(Window* parent, const Rect& rect, int id, const std::string& text, unsigned style) {
    if (m_created)
        return false;
    m_parent = parent;
    m_rect = rect;
    m_id = id;
    m_text = text;
    m_style = style | (parent ? StyleChild : 0u);
    m_created = true;
    m_invalid = true;
    if (parent)
        parent->m_children.push_back(this);
    WindowSystem::Instance().Register(this);
    OnCreate();
    OnSize(Size{ClientRect().Width(), ClientRect().Height()});
    return true;
}

void Window::Destroy() {
    if (!m_created || m_destroying)
        return;
    m_destroying = true;
    // The last child first, so that a window never outlives what it holds.
    while (!m_children.empty())
        m_children.back()->Destroy();
    OnDestroy();
    WindowSystem::Instance().Unregister(this);
    if (m_parent) {
        auto& siblings = m_parent->m_children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
        m_parent->Invalidate();
    }
    m_parent = nullptr;
    m_created = false;
    m_destroying = false;
}

Window* Window::FindChild(int id) const {
    for (Window* child : m_children) {
        if (child->m_id == id)
            return child;
    }
    return nullptr;
}

Window* Window::TopLevel() {
    Window* window = this;
    while (window->m_parent)
        window = window->m_parent;
    return window;
}

void Window::SetText(const std::string& text) {
    if (m_text == text)
        return;
    m_text = text;
    Invalidate();
}

void Window::Move(const Rect& rect) {
    Rect before = m_rect;
    m_rect = rect;
    Invalidate();
    if (m_parent)
        m_parent->Invalidate();
    if (before.Width() != rect.Width() || before.Height() != rect.Height())
        OnSize(Size{ClientRect().Width(), ClientRect().Height()});
}

int Window::FrameWidth() const {
    if (HasStyle(StyleSunken))
        return 2;
    return HasStyle(StyleBorder) ? 1 : 0;
}

Point Window::ClientOrigin() const {
    int frame = FrameWidth();
    int caption = HasStyle(StyleCaption) ? 18 : 0;
    return Point{frame, frame + caption};
}

Rect Window::ClientRect() const {
    int frame = FrameWidth();
    int caption = HasStyle(StyleCaption) ? 18 : 0;
    int width = m_rect.Width() - 2 * frame - (HasStyle(StyleVScroll) ? SystemMetricOf(SystemMetric::ScrollBarWidth) : 0);
    int height = m_rect.Height() - 2 * frame - caption -
                 (HasStyle(StyleHScroll) ? SystemMetricOf(SystemMetric::ScrollBarHeight) : 0);
    return Rect{0, 0, std::max(width, 0), std::max(height, 0)};
}

Point Window::ClientToScreen(Point p) const {
    Point origin = ClientOrigin();
    Point at{p.x + origin.x + m_rect.left, p.y + origin.y + m_rect.top};
    return m_parent ? m_parent->ClientToScreen(at) : at;
}

Point Window::ScreenToClient(Point p) const {
    Point zero = ClientToScreen(Point{0, 0});
    return Point{p.x - zero.x, p.y - zero.y};
}

Rect Window::ScreenRect() const {
    Point corner = m_parent ? m_parent->ClientToScreen(Point{m_rect.left, m_rect.top}) : Point{m_rect.left, m_rect.top};
    return Rect::FromSize(corner.x, corner.y, m_rect.Width(), m_rect.Height());
}

void Window::Show(bool visible) {
    if (visible == IsVisible())
        return;
    m_style = visible ? (m_style | StyleVisible) : (m_style & ~StyleVisible);
    if (!visible) {
        WindowSystem& system = WindowSystem::Instance();
        for (Window* w = system.Focus(); w; w = w->m_parent) {
            if (w == this) {
                system.SetFocus(m_parent ? m_parent->TopLevel() : nullptr);
                break;
            }
        }
    }
    Invalidate();
    if (m_parent)
        m_parent->Invalidate();
}

bool Window::IsShown() const {
    for (const Window* w = this; w; w = w->m_parent) {
        if (!w->IsVisible())
            return false;
    }
    return true;
}

void Window::Enable(bool enabled) {
    if (enabled == IsEnabled())
        return;
    m_style = enabled ? (m_style & ~StyleDisabled) : (m_style | StyleDisabled);
    if (!enabled) {
        WindowSystem& system = WindowSystem::Instance();
        if (system.Capture() == this)
            system.ReleaseCapture();
    }
    Invalidate();
}

bool Window::IsEnabledInTree() const {
    for (const Window* w = this; w; w = w->m_parent) {
        if (!w->IsEnabled())
            return false;
    }
    return true;
}

void Window::BringToTop() {
    if (!m_parent)
        return;
    auto& siblings = m_parent->m_children;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    siblings.push_back(this);
    m_parent->Invalidate();
}

void Window::SetFocus() {
    WindowSystem::Instance().SetFocus(this);
}

bool Window::HasFocus() const {
    return WindowSystem::Instance().Focus() == this;
}

void Window::SetCapture() {
    WindowSystem::Instance().SetCapture(this);
}

void Window::ReleaseCapture() {
    if (HasCapture())
        WindowSystem::Instance().ReleaseCapture();
}

bool Window::HasCapture() const {
    return WindowSystem::Instance().Capture() == this;
}

void Window::Invalidate() {
    m_invalid = true;
}

void Window::SetTimer(int id, int milliseconds) {
    WindowSystem::Instance().StartTimer(this, id, milliseconds);
}

void Window::KillTimer(int id) {
    WindowSystem::Instance().StopTimer(this, id);
}

void Window::SetScrollInfo(ScrollBar bar, const ScrollInfo& info) {
    ScrollInfo& target = bar == ScrollBar::Vertical ? m_vertical : m_horizontal;
    target = info;
    // The thumb stays where a page still fits.
    int highest = std::max(target.minimum, target.maximum - std::max(target.page - 1, 0));
    target.position = std::clamp(target.position, target.minimum, highest);
    target.trackPosition = target.position;
    Invalidate();
}

void Window::SetScrollPosition(ScrollBar bar, int position) {
    ScrollInfo info = GetScrollInfo(bar);
    info.position = position;
    SetScrollInfo(bar, info);
}

void Window::ShowScrollBar(ScrollBar bar, bool show) {
    unsigned style = bar == ScrollBar::Vertical ? StyleVScroll : StyleHScroll;
    bool shown = HasStyle(style);
    if (shown == show)
        return;
    m_style = show ? (m_style | style) : (m_style & ~style);
    Invalidate();
    OnSize(Size{ClientRect().Width(), ClientRect().Height()});
}

Font Window::GetFont() const {
    for (const Window* w = this; w; w = w->m_parent) {
        if (w->m_hasFont)
            return w->m_font;
    }
    return Font{};
}

void Window::NotifyParent(int code) {
    if (m_parent)
        m_parent->OnCommand(m_id, code);
}

void Window::OnPaint(Canvas& canvas) {
    canvas.FillRect(ClientRect(), SystemColorOf(SystemColor::ButtonFace));
}

// Frame and scroll bars

Rect Window::ScrollBarRect(ScrollBar bar) const {
    Point origin = ClientOrigin();
    Rect client = ClientRect().Offset(origin.x, origin.y);
    int width = SystemMetricOf(SystemMetric::ScrollBarWidth);
    if (bar == ScrollBar::Vertical)
        return Rect{client.right, client.top, client.right + width, client.bottom};
    return Rect{client.left, client.bottom, client.right, client.bottom + width};
}

int Window::ScrollThumbLength(ScrollBar bar) const {
    const ScrollInfo& info = GetScrollInfo(bar);
    Rect track = ScrollBarRect(bar);
    int arrow = SystemMetricOf(SystemMetric::ScrollBarWidth);
    int length = (bar == ScrollBar::Vertical ? track.Height() : track.Width()) - 2 * arrow;
    int range = info.maximum - info.minimum + 1;
    if (length <= 0 || range <= 0)
        return 0;
    int thumb = info.page > 0 ? static_cast<int>(static_cast<long long>(length) * info.page / range) : arrow;
    return std::clamp(thumb, std::min(8, length), length);
}

Rect Window::ScrollThumbRect(ScrollBar bar) const {
    const ScrollInfo& info = GetScrollInfo(bar);
    Rect track = ScrollBarRect(bar);
    int arrow = SystemMetricOf(SystemMetric::ScrollBarWidth);
    int length = (bar == ScrollBar::Vertical ? track.Height() : track.Width()) - 2 * arrow;
    int thumb = ScrollThumbLength(bar);
    int span = info.maximum - info.minimum - std::max(info.page - 1, 0);
    int position = m_scrollDrag != ScrollDrag::None ? info.trackPosition : info.position;
    int offset = span > 0 ? static_cast<int>(static_cast<long long>(length - thumb) * (position - info.minimum) / span) : 0;
    if (bar == ScrollBar::Vertical)
        return Rect{track.left, track.top + arrow + offset, track.right, track.top + arrow + offset + thumb};
    return Rect{track.left + arrow + offset, track.top, track.left + arrow + offset + thumb, track.bottom};
}

void Window::PaintScrollBar(Canvas& canvas, ScrollBar bar) {
    Rect track = ScrollBarRect(bar);
    int arrow = SystemMetricOf(SystemMetric::ScrollBarWidth);
    canvas.FillRect(track, Color{236, 233, 216});
    Rect first = bar == ScrollBar::Vertical ? Rect{track.left, track.top, track.right, track.top + arrow}
                                            : Rect{track.left, track.top, track.left + arrow, track.bottom};
    Rect second = bar == ScrollBar::Vertical ? Rect{track.left, track.bottom - arrow, track.right, track.bottom}
                                             : Rect{track.right - arrow, track.top, track.right, track.bottom};
    for (const Rect& button : {first, second, ScrollThumbRect(bar)}) {
        canvas.FillRect(button, SystemColorOf(SystemColor::ButtonFace));
        canvas.Draw3dRect(button, SystemColorOf(SystemColor::ButtonHighlight), SystemColorOf(SystemColor::ButtonDarkShadow));
    }
    // Arrow heads: small triangles of lines.
    canvas.SetPen(Pen{SystemColorOf(SystemColor::ButtonText)});
    for (int i = 0; i < 4; ++i) {
        if (bar == ScrollBar::Vertical) {
            int cx = first.left + arrow / 2;
            canvas.Line(cx - i, first.top + 6 + i, cx + i + 1, first.top + 6 + i);
            canvas.Line(cx - i, second.bottom - 7 - i, cx + i + 1, second.bottom - 7 - i);
        } else {
            int cy = first.top + arrow / 2;
            canvas.Line(first.left + 6 + i, cy - i, first.left + 6 + i, cy + i + 1);
            canvas.Line(second.right - 7 - i, cy - i, second.right - 7 - i, cy + i + 1);
        }
    }
}

void Window::PaintNonClient(Canvas& canvas) {
    Rect whole{0, 0, m_rect.Width(), m_rect.Height()};
    if (HasStyle(StyleSunken)) {
        canvas.Draw3dRect(whole, SystemColorOf(SystemColor::ButtonShadow), SystemColorOf(SystemColor::ButtonHighlight));
        canvas.Draw3dRect(whole.Inflate(-1, -1), SystemColorOf(SystemColor::ButtonDarkShadow),
                          SystemColorOf(SystemColor::ButtonFace));
    } else if (HasStyle(StyleBorder)) {
        canvas.FrameRect(whole, SystemColorOf(SystemColor::WindowFrame));
    }
    if (HasStyle(StyleCaption)) {
        int frame = FrameWidth();
        Rect bar{frame, frame, whole.right - frame, frame + 18};
        canvas.FillRect(bar, SystemColorOf(SystemColor::Highlight));
        canvas.SetFont(Font{"MS Sans Serif", 8, true});
        canvas.SetTextColor(SystemColorOf(SystemColor::HighlightText));
        canvas.DrawText(bar.Inflate(-4, 0), m_text, TextLeft | TextVCenter | TextSingleLine);
        Rect box = CloseBoxRect();
        if (!box.IsEmpty()) {
            canvas.FillRect(box, SystemColorOf(SystemColor::ButtonFace));
            Color light = SystemColorOf(SystemColor::ButtonHighlight);
            Color dark = SystemColorOf(SystemColor::ButtonDarkShadow);
            canvas.Draw3dRect(box, m_closePressed ? dark : light, m_closePressed ? light : dark);
            int shift = m_closePressed ? 1 : 0;
            canvas.SetPen(Pen{SystemColorOf(SystemColor::ButtonText), 1});
            for (int thick = 0; thick < 2; ++thick) {
                canvas.Line(box.left + 4 + thick + shift, box.top + 4 + shift, box.right - 4 + thick + shift,
                            box.bottom - 4 + shift);
                canvas.Line(box.right - 5 + thick + shift, box.top + 4 + shift, box.left + 3 + thick + shift,
                            box.bottom - 4 + shift);
            }
        }
    }
    if (HasStyle(StyleVScroll))
        PaintScrollBar(canvas, ScrollBar::Vertical);
    if (HasStyle(StyleHScroll))
        PaintScrollBar(canvas, ScrollBar::Horizontal);
    if (HasStyle(StyleVScroll) && HasStyle(StyleHScroll)) {
        Rect vertical = ScrollBarRect(ScrollBar::Vertical);
        Rect horizontal = ScrollBarRect(ScrollBar::Horizontal);
        canvas.FillRect(Rect{vertical.left, horizontal.top, vertical.right, horizontal.bottom},
                        SystemColorOf(SystemColor::ButtonFace));
    }
}

Rect Window::CloseBoxRect() const {
    if (!HasStyle(StyleCaption) || !HasStyle(StyleSysMenu))
        return Rect{};
    int frame = FrameWidth();
    int right = m_rect.Width() - frame - 2;
    return Rect{right - 16, frame + 2, right, frame + 16};
}

bool Window::NonClientMouseDown(Point at, const MouseEvent& event) {
    if (event.button != MouseButton::Left)
        return false;
    if (CloseBoxRect().Contains(at)) {
        m_closePressed = true;
        Invalidate();
        return true;
    }
    // A window with a caption of its own (a dialog) is moved by dragging it there.
    int frame = FrameWidth();
    if (HasStyle(StyleCaption) && HasStyle(StylePopup) && at.y >= frame && at.y < frame + 18 && at.x >= frame &&
        at.x < m_rect.Width() - frame) {
        m_scrollDrag = ScrollDrag::Caption;
        m_moveFrom = at;
        WindowSystem::Instance().SetCapture(this);
        return true;
    }
    for (ScrollBar bar : {ScrollBar::Vertical, ScrollBar::Horizontal}) {
        if (!HasScrollBar(bar) || !ScrollBarRect(bar).Contains(at))
            continue;
        Rect track = ScrollBarRect(bar);
        Rect thumb = ScrollThumbRect(bar);
        int arrow = SystemMetricOf(SystemMetric::ScrollBarWidth);
        bool vertical = bar == ScrollBar::Vertical;
        int along = vertical ? at.y : at.x;
        int start = vertical ? track.top : track.left;
        int end = vertical ? track.bottom : track.right;
        if (thumb.Contains(at)) {
            m_scrollDrag = vertical ? ScrollDrag::Vertical : ScrollDrag::Horizontal;
            m_dragOffset = along - (vertical ? thumb.top : thumb.left);
            ScrollInfo& info = vertical ? m_vertical : m_horizontal;
            info.trackPosition = info.position;
            WindowSystem::Instance().SetCapture(this);
            return true;
        }
        const ScrollInfo& info = GetScrollInfo(bar);
        ScrollCode code = along < start + arrow                             ? ScrollCode::LineUp
                          : along >= end - arrow                            ? ScrollCode::LineDown
                          : along < (vertical ? thumb.top : thumb.left)     ? ScrollCode::PageUp
                                                                            : ScrollCode::PageDown;
        OnScroll(bar, code, info.position);
        OnScroll(bar, ScrollCode::EndScroll, GetScrollInfo(bar).position);
        return true;
    }
    Point origin = ClientOrigin();
    return !ClientRect().Offset(origin.x, origin.y).Contains(at);
}

void Window::NonClientMouseMove(Point at) {
    if (m_scrollDrag == ScrollDrag::None)
        return;
    if (m_scrollDrag == ScrollDrag::Caption) {
        // The point taken stays under the pointer; the caption never goes above the top, where it could not be
        // taken again.
        int dx = at.x - m_moveFrom.x;
        int dy = std::max(at.y - m_moveFrom.y, -m_rect.top);
        if (dx != 0 || dy != 0)
            Move(m_rect.Offset(dx, dy));
        return;
    }
    ScrollBar bar = m_scrollDrag == ScrollDrag::Vertical ? ScrollBar::Vertical : ScrollBar::Horizontal;
    bool vertical = bar == ScrollBar::Vertical;
    ScrollInfo& info = vertical ? m_vertical : m_horizontal;
    Rect track = ScrollBarRect(bar);
    int arrow = SystemMetricOf(SystemMetric::ScrollBarWidth);
    int length = (vertical ? track.Height() : track.Width()) - 2 * arrow - ScrollThumbLength(bar);
    int span = info.maximum - info.minimum - std::max(info.page - 1, 0);
    int offset = (vertical ? at.y - track.top : at.x - track.left) - arrow - m_dragOffset;
    int position = length > 0 ? info.minimum + static_cast<int>(static_cast<long long>(offset) * span / length) : info.minimum;
    position = std::clamp(position, info.minimum, std::max(info.minimum, info.minimum + span));
    if (position != info.trackPosition) {
        info.trackPosition = position;
        Invalidate();
        OnScroll(bar, ScrollCode::ThumbTrack, position);
    }
}

void Window::NonClientMouseUp() {
    if (m_scrollDrag == ScrollDrag::None)
        return;
    if (m_scrollDrag == ScrollDrag::Caption) {
        m_scrollDrag = ScrollDrag::None;
        WindowSystem::Instance().ReleaseCapture();
        return;
    }
    ScrollBar bar = m_scrollDrag == ScrollDrag::Vertical ? ScrollBar::Vertical : ScrollBar::Horizontal;
    int position = GetScrollInfo(bar).trackPosition;
    m_scrollDrag = ScrollDrag::None;
    WindowSystem::Instance().ReleaseCapture();
    OnScroll(bar, ScrollCode::ThumbPosition, position);
    OnScroll(bar, ScrollCode::EndScroll, GetScrollInfo(bar).position);
}

void Window::NonClientRelease(Point at) {
    if (!m_closePressed)
        return;
    m_closePressed = false;
    Invalidate();
    if (CloseBoxRect().Contains(at))
        OnClose();
}

void Window::PaintTree(Canvas& canvas) {
    canvas.Save();
    canvas.Clip(Rect{0, 0, m_rect.Width(), m_rect.Height()});
    canvas.SetFont(GetFont());
    PaintNonClient(canvas);
    Point origin = ClientOrigin();
    canvas.Translate(origin.x, origin.y);
    canvas.Clip(ClientRect());
    canvas.Save();
    OnPaint(canvas);
    canvas.Restore();
    m_invalid = false;
    for (Window* child : m_children) {
        if (!child->IsVisible())
            continue;
        canvas.Save();
        canvas.Translate(child->m_rect.left, child->m_rect.top);
        child->PaintTree(canvas);
        canvas.Restore();
    }
    canvas.Restore();
}

Window* Window::HitTest(Point screen) {
    if (!IsVisible() || !ScreenRect().Contains(screen))
        return nullptr;
    Point client = ScreenToClient(screen);
    if (ClientRect().Contains(client)) {
        for (auto it = m_children.rbegin(); it != m_children.rend(); ++it) {
            if (Window* hit = (*it)->HitTest(screen))
                return hit;
        }
    }
    return this;
}

} // namespace ui
