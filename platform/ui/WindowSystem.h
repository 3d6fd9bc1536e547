#pragma once

#include "platform/ui/Canvas.h"
#include "platform/ui/Keys.h"
#include "platform/ui/Window.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ui {

class WindowSystem;

// A beep as it was asked for: its tone and length, and when.
struct BeepRecord {
    int frequency = 0;  // Hz; 0 for the system's default sound
    int duration = 0;   // ms
    std::int64_t at = 0;
    friend bool operator==(const BeepRecord&, const BeepRecord&) = default;
};

// Where input comes from while a modal loop waits: a live window on screen, or a test.
class Backend {
public:
    virtual ~Backend() = default;
    // Called when nothing is queued. Queue more input (or end the loop) and return true; false means no
    // input will ever come, and the loop ends with kNoInput rather than wait for ever.
    virtual bool WaitForInput(WindowSystem& system) = 0;
    // A top-level window has changed and may be shown again.
    virtual void Present(Window& window) { (void)window; }
    // For a local loop that goes on working while the mouse is still (a drag that scrolls on its own): brings
    // the clock up to date, leaves all input queued, and says whether a mouse move or button release waits,
    // which ends such a loop. `idle`: the loop's last turn changed nothing, so it may wait for the user. A
    // backend that will give no more input says yes.
    virtual bool MouseInputWaiting(WindowSystem& system, bool idle) { (void)system; (void)idle; return true; }
    // Lets `ms` milliseconds pass inside a local loop, taking no input.
    virtual void Pause(WindowSystem& system, int ms);
    // Sounds a beep; a backend without a loudspeaker keeps quiet.
    virtual void Beep(const BeepRecord& beep) { (void)beep; }
};

// The headless backend: input only from the test, time only when the test advances it.
class HeadlessBackend : public Backend {
public:
    // Runs each time a modal loop has nothing to do; return false when the test has nothing more to give.
    std::function<bool(WindowSystem&)> onIdle;
    // Asked for the answer of a message box when none is queued; false leaves the first button's answer.
    std::function<bool(const std::string& text, int type, int& answer)> onMessageBox;
    // Asked by each turn of a local loop; true when the test has a mouse move or release to give next. Without
    // it there is none to wait for, and the loop ends after its first turn.
    std::function<bool(WindowSystem&)> onMouseInputWaiting;
    bool WaitForInput(WindowSystem& system) override { return onIdle ? onIdle(system) : false; }
    bool MouseInputWaiting(WindowSystem& system, bool idle) override {
        (void)idle;
        return onMouseInputWaiting ? onMouseInputWaiting(system) : true;
    }
};


enum MessageBoxType { MessageBoxOk = 0, MessageBoxYesNoCancel = 3, MessageBoxYesNo = 4 };
enum MessageBoxResult { ResultOk = 1, ResultCancel = 2, ResultYes = 6, ResultNo = 7 };
// What a modal loop ends with when the backend says no input will come.
inline constexpr int kNoInput = -1;

struct ShownMessageBox {
    std::string text;
    std::string caption;
    int type = MessageBoxOk;
    int answer = 0;
};

// The one window system of the process: the windows without parent, focus, capture, timers on its clock,
// input, posted work and modal loops.
class WindowSystem {
public:
    static WindowSystem& Instance();

    void SetBackend(Backend* backend) { m_backend = backend ? backend : &m_headless; }
    HeadlessBackend& Headless() { return m_headless; }

    // Focus and capture
    Window* Focus() const { return m_focus; }
    void SetFocus(Window* window);
    Window* Capture() const { return m_capture; }
    void SetCapture(Window* window);
    void ReleaseCapture();

    // Input at screen positions, delivered at once to whoever should get it.
    void MouseDown(Point screen, MouseButton button = MouseButton::Left, unsigned modifiers = ModNone);
    void MouseUp(Point screen, MouseButton button = MouseButton::Left, unsigned modifiers = ModNone);
    void MouseMove(Point screen, unsigned modifiers = ModNone);
    void MouseWheel(Point screen, int delta, unsigned modifiers = ModNone);
    // A press and release; twice within the double-click time makes a double click.
    void Click(Point screen, MouseButton button = MouseButton::Left, unsigned modifiers = ModNone);
    void KeyDown(int key, unsigned modifiers = ModNone);
    void KeyUp(int key, unsigned modifiers = ModNone);
    void Char(unsigned character, unsigned modifiers = ModNone);
    // Key down, the character it types (for keys that type one) and key up.
    void PressKey(int key, unsigned modifiers = ModNone);
    void Type(const std::string& text);

    // Work to do once the current message is handled; the modal loop runs it in order.
    void Post(std::function<void()> work);
    // Runs what is posted until nothing is; the number of items run.
    int RunPending();

    // Time
    std::int64_t Now() const { return m_now; }
    // Moves the clock on, firing every timer that falls due on the way, in time order.
    void Advance(int milliseconds);
    void StartTimer(Window* window, int id, int milliseconds);
    void StopTimer(Window* window, int id);
    bool HasTimer(const Window* window, int id) const;

    // Runs messages until `ended` says so; false when the backend gave up first.
    bool RunUntil(const std::function<bool()>& ended);
    // Modal dialogs that ended because no user was there to answer them (no screen, no script), in order.
    const std::vector<std::string>& DialogsWithoutUser() const { return m_dialogsWithoutUser; }
    void NoteDialogWithoutUser(const std::string& title) { m_dialogsWithoutUser.push_back(title); }
    // One turn of a local loop that works while the user holds still: timers that are due fire and posted work
    // runs, while input stays queued. True when a mouse move or button release waits, which ends the loop.
    bool LocalLoopTurn(bool idle);
    // Time passes inside a local loop.
    void Pause(int milliseconds) { m_backend->Pause(*this, milliseconds); }
    // Where the pointer was last seen, in screen coordinates.
    Point PointerPosition() const { return m_pointer; }

    // A modal message box. With the headless backend the answer comes from those queued (the first
    // button's when none is); with any other the box is shown and runs modally. Every box is kept.
    int MessageBox(Window* owner, const std::string& text, const std::string& caption, int type);
    void QueueMessageBoxAnswer(int answer) { m_messageBoxAnswers.push_back(answer); }
    const std::vector<ShownMessageBox>& MessageBoxes() const { return m_messageBoxes; }
    // A tone of `frequency` Hz for `duration` ms; the live backend plays it. Every beep is kept.
    void Beep(int frequency, int duration);
    // The system's default warning sound, as a control makes when it refuses a key.
    void MessageBeep() { Beep(0, 0); }
    int Beeps() const { return static_cast<int>(m_beeps.size()); }
    const std::vector<BeepRecord>& BeepRecords() const { return m_beeps; }


    // The window a handle stands for (a window's own address), or null when no such window is open.
    Window* FromHandle(const void* handle) const;
    // Windows without parent, the bottom first.
    const std::vector<Window*>& TopLevels() const { return m_topLevels; }
    // The shown window without parent at `screen`, from the top down; a modal one hides those below it.
    Window* TopLevelAt(Point screen) const;
    // An image of a window, its children and frame included.
    [[nodiscard]] std::unique_ptr<Image> Render(Window& window);

    // Forgets every kept record and queued answer: one test's leftovers do not reach the next.
    void Reset();

    // For Window: its coming and going.
    void Register(Window* window);
    void Unregister(Window* window);
    void PushModal(Window* window) { m_modal.push_back(window); }
    void PopModal() { if (!m_modal.empty()) m_modal.pop_back(); }
    Window* Modal() const { return m_modal.empty() ? nullptr : m_modal.back(); }

private:
    WindowSystem() = default;
    Window* MouseTarget(Point screen);
    void DeliverKeyDown(const KeyEvent& event);

    HeadlessBackend m_headless;
    Backend* m_backend = &m_headless;
    Window* m_focus = nullptr;
    Window* m_capture = nullptr;
    std::vector<Window*> m_topLevels;
    std::vector<Window*> m_modal;
    std::deque<std::function<void()>> m_posted;
    struct Timer {
        Window* window;
        int id;
        int interval;
        std::int64_t due;
    };
    std::vector<Timer> m_timers;
    std::int64_t m_now = 0;
    // The last press, for double clicks.
    Window* m_lastPressWindow = nullptr;
    Point m_lastPressAt;
    std::int64_t m_lastPressTime = -1000000;
    MouseButton m_lastPressButton = MouseButton::Left;
    Window* m_pressedNonClient = nullptr;
    std::deque<int> m_messageBoxAnswers;
    std::vector<ShownMessageBox> m_messageBoxes;
    std::vector<BeepRecord> m_beeps;
    std::vector<std::string> m_dialogsWithoutUser;
    Point m_pointer;
};

} // namespace ui
