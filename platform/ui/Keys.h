#pragma once

// Virtual-key codes, as keyboards have reported them to dialogs for decades.
namespace ui {

enum Key : int {
    KeyBack = 8,
    KeyTab = 9,
    KeyEnter = 13,
    KeyShift = 16,
    KeyControl = 17,
    KeyEscape = 27,
    KeySpace = 32,
    KeyPageUp = 33,
    KeyPageDown = 34,
    KeyEnd = 35,
    KeyHome = 36,
    KeyLeft = 37,
    KeyUp = 38,
    KeyRight = 39,
    KeyDown = 40,
    KeyInsert = 45,
    KeyDelete = 46,
    KeyF1 = 112,
    KeyF2 = 113,
    KeyF4 = 115,
};

enum Modifier : unsigned { ModNone = 0, ModShift = 1, ModControl = 2, ModAlt = 4 };

enum class MouseButton { Left, Right, Middle };

struct MouseEvent {
    int x = 0; // in the client area of the window that receives it
    int y = 0;
    MouseButton button = MouseButton::Left;
    unsigned modifiers = ModNone;
    int wheelDelta = 0; // 120 per notch, away from the user positive
};

struct KeyEvent {
    int key = 0;
    unsigned modifiers = ModNone;
    bool repeat = false;
};

// What a focused window asks to receive itself rather than leave to its dialog.
enum WantedKeys : unsigned {
    WantNone = 0,
    WantArrows = 1,
    WantTab = 2,
    WantEnter = 4,
    WantEscape = 8,
    WantChars = 16,
    WantAllKeys = 0xFFFF,
};

// Scroll bar requests and notifications.
enum class ScrollBar { Horizontal, Vertical };
enum class ScrollCode { LineUp, LineDown, PageUp, PageDown, ThumbTrack, ThumbPosition, Top, Bottom, EndScroll };

} // namespace ui
