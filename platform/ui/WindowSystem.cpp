#include "platform/ui/WindowSystem.h"

#include "platform/ui/Dialog.h"

#include <algorithm>
#include <cstdlib>

namespace ui {

WindowSystem& WindowSystem::Instance() {
    static auto* s_system = new WindowSystem();
    return *s_system;
}

void WindowSystem::Register(Window* window) {
    if (!window->Parent())
        m_topLevels.push_back(window);
}

void WindowSystem::Unregister(Window* window) {
    m_topLevels.erase(std::remove(m_topLevels.begin(), m_topLevels.end(), window), m_topLevels.end());
    m_modal.erase(std::remove(m_modal.begin(), m_modal.end(), window), m_modal.end());
    m_timers.erase(std::remove_if(m_timers.begin(), m_timers.end(), [window](const Timer& t) { return t.window == window; }),
                   m_timers.end());
    if (m_focus == window)
        m_focus = nullptr;
    if (m_capture == window)
        m_capture = nullptr;
    if (m_lastPressWindow == window)
        m_lastPressWindow = nullptr;
    if (m_pressedNonClient == window)
        m_pressedNonClient = nullptr;
}

void WindowSystem::SetFocus(Window* window) {
    if (window == m_focus)
        return;
    if (window && (!window->IsCreated() || !window->IsEnabledInTree()))
        return;
    Window* previous = m_focus;
    m_focus = window;
    if (previous) {
        previous->Invalidate();
        previous->OnFocusLost(window);
    }
    // The handler of the one that lost it may have moved the focus again.
    if (window && m_focus == window) {
        window->Invalidate();
        window->OnFocusGained(previous);
    }
}

void WindowSystem::SetCapture(Window* window) {
    if (m_capture == window)
        return;
    Window* previous = m_capture;
    m_capture = window;
    if (previous)
        previous->OnCaptureLost();
}

void WindowSystem::ReleaseCapture() {
    Window* previous = m_capture;
    m_capture = nullptr;
    if (previous)
        previous->OnCaptureLost();
}

Window* WindowSystem::TopLevelAt(Point screen) const {
    Window* modal = Modal();
    for (auto it = m_topLevels.rbegin(); it != m_topLevels.rend(); ++it) {
        if ((*it)->IsVisible() && (*it)->ScreenRect().Contains(screen))
            return *it;
        if (*it == modal)
            return nullptr; // what lies below a modal window takes no input
    }
    return nullptr;
}

Window* WindowSystem::MouseTarget(Point screen) {
    if (m_capture)
        return m_capture;
    Window* top = TopLevelAt(screen);
    Window* hit = top ? top->HitTest(screen) : nullptr;
    return hit && hit->IsEnabledInTree() ? hit : nullptr;
}

namespace {
MouseEvent EventAt(Window& window, Point screen, MouseButton button, unsigned modifiers) {
    Point client = window.ScreenToClient(screen);
    return MouseEvent{client.x, client.y, button, modifiers, 0};
}
Point WindowPoint(Window& window, Point screen) {
    Rect rect = window.ScreenRect();
    return Point{screen.x - rect.left, screen.y - rect.top};
}
} // namespace

void Backend::Pause(WindowSystem& system, int ms) {
    system.Advance(ms);
}

void WindowSystem::MouseDown(Point screen, MouseButton button, unsigned modifiers) {
    m_pointer = screen;
    Window* target = MouseTarget(screen);
    if (!target)
        return;
    MouseEvent event = EventAt(*target, screen, button, modifiers);
    if (!m_capture && target->NonClientMouseDown(WindowPoint(*target, screen), event)) {
        m_pressedNonClient = target;
        return;
    }
    int distance = SystemMetricOf(SystemMetric::DoubleClickDistance);
    bool doubleClick = target == m_lastPressWindow && button == m_lastPressButton &&
                       m_now - m_lastPressTime <= SystemMetricOf(SystemMetric::DoubleClickTime) &&
                       std::abs(screen.x - m_lastPressAt.x) <= distance && std::abs(screen.y - m_lastPressAt.y) <= distance;
    if (doubleClick) {
        m_lastPressTime = -1000000; // a third press starts again
        target->OnDoubleClick(event);
        return;
    }
    m_lastPressWindow = target;
    m_lastPressButton = button;
    m_lastPressAt = screen;
    m_lastPressTime = m_now;
    target->OnMouseDown(event);
}

void WindowSystem::MouseUp(Point screen, MouseButton button, unsigned modifiers) {
    m_pointer = screen;
    if (m_capture && m_capture->InNonClientDrag()) {
        m_capture->NonClientMouseUp();
        return;
    }
    if (m_pressedNonClient && !m_capture) {
        Window* pressed = m_pressedNonClient;
        m_pressedNonClient = nullptr;
        pressed->NonClientRelease(WindowPoint(*pressed, screen));
        return;
    }
    Window* target = MouseTarget(screen);
    if (target)
        target->OnMouseUp(EventAt(*target, screen, button, modifiers));
}

void WindowSystem::MouseMove(Point screen, unsigned modifiers) {
    m_pointer = screen;
    if (m_capture && m_capture->InNonClientDrag()) {
        m_capture->NonClientMouseMove(WindowPoint(*m_capture, screen));
        return;
    }
    Window* target = MouseTarget(screen);
    if (target)
        target->OnMouseMove(EventAt(*target, screen, MouseButton::Left, modifiers));
}

void WindowSystem::MouseWheel(Point screen, int delta, unsigned modifiers) {
    // The wheel turns what is under the pointer, as desktops do today; over nothing, what has the focus.
    m_pointer = screen;
    Window* target = MouseTarget(screen);
    if (!target)
        target = m_focus;
    if (!target)
        return;
    MouseEvent event = EventAt(*target, screen, MouseButton::Middle, modifiers);
    event.wheelDelta = delta;
    target->OnMouseWheel(event);
}

void WindowSystem::Click(Point screen, MouseButton button, unsigned modifiers) {
    MouseDown(screen, button, modifiers);
    MouseUp(screen, button, modifiers);
}

void WindowSystem::DeliverKeyDown(const KeyEvent& event) {
    Window* focus = m_focus ? m_focus : Modal();
    if (!focus)
        return;
    // Alt and a key belong to the dialog's mnemonics, whoever has the focus.
    if ((event.modifiers & ModAlt) && focus->TopLevel()->OnDialogKey(focus, event))
        return;
    unsigned wanted = focus->WantedKeys(event);
    unsigned needed = event.key == KeyTab      ? WantTab
                      : event.key == KeyEnter  ? WantEnter
                      : event.key == KeyEscape ? WantEscape
                      : (event.key >= ui::KeyLeft && event.key <= ui::KeyDown) ? WantArrows
                                                                         : 0u;
    if (needed != 0 && (wanted & needed) == 0 && focus->TopLevel()->OnDialogKey(focus, event))
        return;
    if (m_focus == focus || !m_focus)
        focus->OnKeyDown(event);
}

void WindowSystem::KeyDown(int key, unsigned modifiers) {
    DeliverKeyDown(KeyEvent{key, modifiers, false});
}

void WindowSystem::KeyUp(int key, unsigned modifiers) {
    if (m_focus)
        m_focus->OnKeyUp(KeyEvent{key, modifiers, false});
}

void WindowSystem::Char(unsigned character, unsigned modifiers) {
    if (!m_focus)
        return;
    unsigned needed = character == '\t' ? WantTab : character == '\r' ? WantEnter : character == 27 ? WantEscape : 0u;
    KeyEvent asKey{character == '\r' ? static_cast<int>(KeyEnter) : static_cast<int>(character), modifiers, false};
    if (needed != 0 && (m_focus->WantedKeys(asKey) & needed) == 0)
        return;
    m_focus->OnChar(character, modifiers);
}

void WindowSystem::PressKey(int key, unsigned modifiers) {
    KeyDown(key, modifiers);
    // Backspace types a character of its own, and editors delete on that character.
    if (key == KeyBack)
        Char(static_cast<unsigned>(KeyBack), modifiers);
    KeyUp(key, modifiers);
}

void WindowSystem::Type(const std::string& text) {
    for (char c : text)
        Char(static_cast<unsigned char>(c));
}

void WindowSystem::Post(std::function<void()> work) {
    m_posted.push_back(std::move(work));
}

int WindowSystem::RunPending() {
    int count = 0;
    while (!m_posted.empty()) {
        std::function<void()> work = std::move(m_posted.front());
        m_posted.pop_front();
        work();
        ++count;
    }
    return count;
}

void WindowSystem::StartTimer(Window* window, int id, int milliseconds) {
    int interval = milliseconds > 0 ? milliseconds : 1;
    for (Timer& timer : m_timers) {
        if (timer.window == window && timer.id == id) {
            timer.interval = interval;
            timer.due = m_now + interval;
            return;
        }
    }
    m_timers.push_back(Timer{window, id, interval, m_now + interval});
}

void WindowSystem::StopTimer(Window* window, int id) {
    m_timers.erase(std::remove_if(m_timers.begin(), m_timers.end(),
                                  [&](const Timer& t) { return t.window == window && t.id == id; }),
                   m_timers.end());
}

bool WindowSystem::HasTimer(const Window* window, int id) const {
    return std::any_of(m_timers.begin(), m_timers.end(), [&](const Timer& t) { return t.window == window && t.id == id; });
}

void WindowSystem::Advance(int milliseconds) {
    std::int64_t target = m_now + std::max(milliseconds, 0);
    for (;;) {
        auto next = std::min_element(m_timers.begin(), m_timers.end(),
                                     [](const Timer& a, const Timer& b) { return a.due < b.due; });
        if (next == m_timers.end() || next->due > target)
            break;
        m_now = next->due;
        next->due += next->interval;
        Window* window = next->window;
        int id = next->id;
        window->OnTimer(id); // may stop or start timers, or destroy the window
        RunPending();
    }
    m_now = target;
}

bool WindowSystem::RunUntil(const std::function<bool()>& ended) {
    // A backend that keeps saying "more to come" without ever ending the loop is a test's mistake; stop it
    // rather than spin for ever.
    constexpr int kMostIdleTurns = 1000000;
    int idle = 0;
    while (!ended()) {
        if (RunPending() > 0)
            continue;
        if (ended())
            break;
        if (++idle > kMostIdleTurns || !m_backend->WaitForInput(*this))
            return false;
    }
    return true;
}

bool WindowSystem::LocalLoopTurn(bool idle) {
    Advance(0);
    RunPending();
    return m_backend->MouseInputWaiting(*this, idle);
}

void WindowSystem::Beep(int frequency, int duration) {
    m_beeps.push_back(BeepRecord{frequency, duration, m_now});
    m_backend->Beep(m_beeps.back());
}

namespace {
// The box itself, for a backend with a user in front of it: the text above a row of buttons, the first
// of them the default, Escape the same as Cancel (or No, where there is no Cancel).
class MessageBoxDialog : public Dialog {
public:
    MessageBoxDialog(DialogTemplate t, int escapeResult) : Dialog(std::move(t)), m_escape(escapeResult) {}
    void OnCommand(int id, int code) override {
        if (code == NotifyClicked)
            EndDialog(id);
    }
    void OnCancel() override { EndDialog(m_escape); }
    bool OnDialogKey(Window* focus, const KeyEvent& event) override {
        if (event.key == KeyEscape) {
            OnCancel();
            return true;
        }
        return Dialog::OnDialogKey(focus, event);
    }

private:
    int m_escape;
};

int RunMessageBox(Window* owner, const std::string& text, const std::string& caption, int type) {
    std::vector<std::pair<int, const char*>> buttons;
    if (type == MessageBoxYesNoCancel)
        buttons = {{ResultYes, "&Yes"}, {ResultNo, "&No"}, {ResultCancel, "Cancel"}};
    else if (type == MessageBoxYesNo)
        buttons = {{ResultYes, "&Yes"}, {ResultNo, "&No"}};
    else
        buttons = {{ResultOk, "OK"}};
    Font font;
    Size base = AverageCharSizeOf(font);
    Size extent = MeasureText(font, text);
    int textWidth = (extent.width * 4 + base.width - 1) / std::max(base.width, 1) + 1;
    int buttonsWidth = static_cast<int>(buttons.size()) * 54 - 4;
    int width = std::max(textWidth, buttonsWidth) + 20;
    int textHeight = (extent.height * 8 + base.height - 1) / std::max(base.height, 1);
    DialogTemplate t;
    t.title = caption;
    t.units = Rect::FromSize(0, 0, width, textHeight + 40);
    t.controls.push_back(ControlTemplate{ControlKind::Static, 0xFFFF, text, Rect::FromSize(10, 10, width - 20, textHeight),
                                         StyleVisible});
    int x = (width - buttonsWidth) / 2;
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        unsigned style = StyleVisible | StyleTabStop | (i == 0 ? ButtonDefault : 0u);
        t.controls.push_back(ControlTemplate{ControlKind::Button, buttons[i].first, buttons[i].second,
                                             Rect::FromSize(x + static_cast<int>(i) * 54, textHeight + 20, 50, 14), style});
    }
    MessageBoxDialog box(std::move(t), type == MessageBoxOk ? ResultOk : type == MessageBoxYesNo ? ResultNo : ResultCancel);
    int result = box.DoModal(owner);
    return result == kNoInput ? (type == MessageBoxOk ? ResultOk : ResultCancel) : result;
}
} // namespace

int WindowSystem::MessageBox(Window* owner, const std::string& text, const std::string& caption, int type) {
    int answer = 0;
    if (m_backend == &m_headless) {
        // Headless, the test answers; without an answer, the first button, as Enter would press it.
        answer = type == MessageBoxOk ? ResultOk : ResultYes;
        if (!m_messageBoxAnswers.empty()) {
            answer = m_messageBoxAnswers.front();
            m_messageBoxAnswers.pop_front();
        } else if (m_headless.onMessageBox) {
            int given = answer;
            if (m_headless.onMessageBox(text, type, given))
                answer = given;
        }
    } else {
        answer = RunMessageBox(owner, text, caption, type);
    }
    m_messageBoxes.push_back(ShownMessageBox{text, caption, type, answer});
    return answer;
}

Window* WindowSystem::FromHandle(const void* handle) const {
    for (Window* window : m_topLevels) {
        if (window == handle)
            return window;
    }
    return nullptr;
}

std::unique_ptr<Image> WindowSystem::Render(Window& window) {
    auto image = std::make_unique<Image>(window.WindowRect().Width(), window.WindowRect().Height());
    Canvas canvas(*image);
    window.PaintTree(canvas);
    return image;
}

void WindowSystem::Reset() {
    m_posted.clear();
    m_messageBoxAnswers.clear();
    m_messageBoxes.clear();
    m_beeps.clear();
    m_dialogsWithoutUser.clear();
    m_lastPressWindow = nullptr;
    m_lastPressTime = -1000000;
    m_headless.onIdle = nullptr;
    m_headless.onMessageBox = nullptr;
    m_headless.onMouseInputWaiting = nullptr;
}

} // namespace ui
