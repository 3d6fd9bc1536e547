#pragma once

#include "platform/ui/Canvas.h"
#include "platform/ui/Geometry.h"
#include "platform/ui/Keys.h"

#include <string>
#include <vector>

namespace ui {

enum WindowStyle : unsigned {
    StyleChild = 1u << 0,
    StylePopup = 1u << 1,
    StyleVisible = 1u << 2,
    StyleDisabled = 1u << 3,
    StyleTabStop = 1u << 4,
    StyleGroup = 1u << 5,
    StyleBorder = 1u << 6,   // a one-pixel frame
    StyleSunken = 1u << 7,   // a two-pixel sunken edge, as edit boxes and list boxes have
    StyleHScroll = 1u << 8,
    StyleVScroll = 1u << 9,
    StyleCaption = 1u << 10, // a title bar
    StyleSysMenu = 1u << 11, // with a caption: a close box at its right, which sends the close message
};

// What a scroll bar holds: the range, the page shown and where the thumb is.
struct ScrollInfo {
    int minimum = 0;
    int maximum = 100;
    int page = 0;
    int position = 0;
    int trackPosition = 0; // while the thumb is dragged
    friend bool operator==(const ScrollInfo&, const ScrollInfo&) = default;
};

// Notifications a control sends to its parent.
enum Notification : int {
    NotifyClicked = 0,
    NotifySelectionChange = 1,
    NotifyDoubleClicked = 2,
    NotifyChange = 0x300,
    NotifySetFocus = 0x100,
    NotifyKillFocus = 0x200,
};

class WindowSystem;

// A window: a rectangle in its parent's client area (in screen pixels for one without parent), children in
// z-order, the bottom first, and messages as virtual handlers.
class Window {
public:
    Window();
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // `rect` in the parent's client coordinates. False when already created.
    bool Create(Window* parent, const Rect& rect, int id, const std::string& text, unsigned style);
    // Destroys the children first, then this window; handlers see OnDestroy.
    void Destroy();
    bool IsCreated() const { return m_created; }

    Window* Parent() const { return m_parent; }
    const std::vector<Window*>& Children() const { return m_children; }
    Window* FindChild(int id) const;
    // The window without a parent that holds this one.
    Window* TopLevel();
    int Id() const { return m_id; }
    void SetId(int id) { m_id = id; }
    unsigned Style() const { return m_style; }
    void SetStyle(unsigned style) { m_style = style; Invalidate(); }
    bool HasStyle(unsigned style) const { return (m_style & style) == style; }

    const std::string& Text() const { return m_text; }
    virtual void SetText(const std::string& text);

    // In the parent's client coordinates.
    Rect WindowRect() const { return m_rect; }
    void Move(const Rect& rect);
    // (0, 0) to the client area's size: the window less its frame and scroll bars.
    Rect ClientRect() const;
    // Where the client area begins, from the window's own corner.
    Point ClientOrigin() const;
    Point ClientToScreen(Point p) const;
    Point ScreenToClient(Point p) const;
    Rect ScreenRect() const;

    void Show(bool visible);
    bool IsVisible() const { return HasStyle(StyleVisible); }
    // Visible, and so are all its parents.
    bool IsShown() const;
    void Enable(bool enabled);
    bool IsEnabled() const { return !HasStyle(StyleDisabled); }
    // Enabled, and so are all its parents.
    bool IsEnabledInTree() const;
    // Top of its siblings.
    void BringToTop();

    void SetFocus();
    bool HasFocus() const;
    void SetCapture();
    void ReleaseCapture();
    bool HasCapture() const;
    void Invalidate();
    bool NeedsPaint() const { return m_invalid; }

    // Timers fire OnTimer on the window system's clock.
    void SetTimer(int id, int milliseconds);
    void KillTimer(int id);

    void SetScrollInfo(ScrollBar bar, const ScrollInfo& info);
    const ScrollInfo& GetScrollInfo(ScrollBar bar) const { return bar == ScrollBar::Vertical ? m_vertical : m_horizontal; }
    void SetScrollPosition(ScrollBar bar, int position);
    void ShowScrollBar(ScrollBar bar, bool show);
    bool HasScrollBar(ScrollBar bar) const {
        return HasStyle(bar == ScrollBar::Vertical ? StyleVScroll : StyleHScroll);
    }

    // The font its text is drawn with; children take their parent's unless given their own.
    void SetFont(const Font& font) { m_font = font; m_hasFont = true; Invalidate(); }
    Font GetFont() const;

    // Paints this window and its children, frame and scroll bars included, at the canvas's origin.
    void PaintTree(Canvas& canvas);
    // The deepest shown and enabled-or-not window under `screen`.
    Window* HitTest(Point screen);

    // Handlers. Mouse positions are in client coordinates.
    virtual void OnCreate() {}
    virtual void OnDestroy() {}
    virtual void OnPaint(Canvas& canvas);
    virtual void OnMouseDown(const MouseEvent&) {}
    virtual void OnMouseUp(const MouseEvent&) {}
    virtual void OnDoubleClick(const MouseEvent& event) { OnMouseDown(event); }
    virtual void OnMouseMove(const MouseEvent&) {}
    virtual void OnMouseWheel(const MouseEvent&) {}
    // True when the key was used.
    virtual bool OnKeyDown(const KeyEvent&) { return false; }
    virtual void OnKeyUp(const KeyEvent&) {}
    virtual void OnChar(unsigned character, unsigned modifiers) { (void)character; (void)modifiers; }
    virtual void OnTimer(int id) { (void)id; }
    virtual void OnScroll(ScrollBar bar, ScrollCode code, int position) { (void)bar; (void)code; (void)position; }
    virtual void OnSize(Size size) { (void)size; }
    virtual void OnFocusGained(Window* previous) { (void)previous; }
    virtual void OnFocusLost(Window* next) { (void)next; }
    virtual void OnCaptureLost() {}
    // A child's notification; the id is the child's.
    virtual void OnCommand(int id, int code) { (void)id; (void)code; }
    // The close box; a top-level window is destroyed by default.
    virtual void OnClose() { Destroy(); }
    // A key the focused window `focus` below this top-level window does not take itself: a dialog handles
    // Enter, Escape and Tab here. True when used.
    virtual bool OnDialogKey(Window* focus, const KeyEvent& event) { (void)focus; (void)event; return false; }
    // The keys this window takes itself when it has the focus in a dialog.
    virtual unsigned WantedKeys(const KeyEvent&) const { return WantNone; }
    // Whether a click may give it the focus, or Tab may stop at it.
    virtual bool TakesFocus() const { return HasStyle(StyleTabStop); }

    // A part of the window a user can point at by what it shows (a heading, say), for scripted sessions and
    // tests that click it: its rectangle in client coordinates. False when the window has no such part.
    virtual bool FindItem(const std::string& name, Rect& rect) const { (void)name; (void)rect; return false; }
    // What the window holds beyond its text (a grid's rows, say), in lines, for the records of scripted
    // sessions; empty when its text says it all.
    virtual std::string Describe() const { return {}; }

    // Tells the parent, as a control does.
    void NotifyParent(int code);

    // Paints the frame and scroll bars, outside the client area.
    virtual void PaintNonClient(Canvas& canvas);
    // A press on the frame or a scroll bar; false when the point is in the client area.
    bool NonClientMouseDown(Point windowPoint, const MouseEvent& event);
    void NonClientMouseMove(Point windowPoint);
    void NonClientMouseUp();
    // The release of a press that NonClientMouseDown took without capturing the mouse: on the close box it
    // was pressed on, the close message.
    void NonClientRelease(Point windowPoint);
    // The close box of a caption with a system menu, in window coordinates; empty when there is none.
    Rect CloseBoxRect() const;
    bool InNonClientDrag() const { return m_scrollDrag != ScrollDrag::None; }

private:
    friend class WindowSystem;
    // A scroll bar's thumb, or the caption of a window being moved by it.
    enum class ScrollDrag { None, Vertical, Horizontal, Caption };
    int FrameWidth() const;
    Rect ScrollBarRect(ScrollBar bar) const; // in window coordinates
    int ScrollThumbLength(ScrollBar bar) const;
    Rect ScrollThumbRect(ScrollBar bar) const;
    void PaintScrollBar(Canvas& canvas, ScrollBar bar);

    Window* m_parent = nullptr;
    std::vector<Window*> m_children; // not owned
    Rect m_rect;
    int m_id = 0;
    std::string m_text;
    unsigned m_style = 0;
    bool m_created = false;
    bool m_destroying = false;
    bool m_invalid = true;
    Font m_font;
    bool m_hasFont = false;
    ScrollInfo m_horizontal;
    ScrollInfo m_vertical;
    ScrollDrag m_scrollDrag = ScrollDrag::None;
    int m_dragOffset = 0;
    Point m_moveFrom; // where in the window its caption was taken
    bool m_closePressed = false;
};

} // namespace ui
