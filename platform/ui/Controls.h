#pragma once

#include "platform/ui/Window.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace ui {

enum ControlStyle : unsigned {
    ButtonDefault = 1u << 16, // the dialog's default push button: a heavier frame, pressed by Enter
    TextAlignCenter = 1u << 17,
    TextAlignRight = 1u << 18,
};

class StaticText : public Window {
public:
    // A colour of its own instead of the usual text colour; nullopt goes back to that.
    void SetTextColor(std::optional<Color> color) { m_color = color; Invalidate(); }
    std::optional<Color> TextColor() const { return m_color; }
    void OnPaint(Canvas& canvas) override;
    bool TakesFocus() const override { return false; }

private:
    std::optional<Color> m_color;
};

class PushButton : public Window {
public:
    void OnPaint(Canvas& canvas) override;
    void OnMouseDown(const MouseEvent& event) override;
    void OnMouseMove(const MouseEvent& event) override;
    void OnMouseUp(const MouseEvent& event) override;
    bool OnKeyDown(const KeyEvent& event) override;
    void OnKeyUp(const KeyEvent& event) override;
    void OnCaptureLost() override { m_pressed = false; m_tracking = false; Invalidate(); }
    // As a click does: tells the parent.
    void Click() { NotifyParent(NotifyClicked); }
    bool IsPressed() const { return m_pressed; }

protected:
    bool m_pressed = false;
    bool m_tracking = false;
};

class CheckBox : public PushButton {
public:
    bool IsChecked() const { return m_checked; }
    void SetChecked(bool checked) { m_checked = checked; Invalidate(); }
    void OnPaint(Canvas& canvas) override;
    void OnMouseUp(const MouseEvent& event) override;
    void OnKeyUp(const KeyEvent& event) override;

private:
    bool m_checked = false;
};

class GroupBox : public Window {
public:
    void OnPaint(Canvas& canvas) override;
    bool TakesFocus() const override { return false; }
};

// A single line of text with a selection and a caret. Subclasses refuse characters in AcceptChar.
class EditBox : public Window {
public:
    void SetText(const std::string& text) override;
    // The selection from `start` to `end` (the caret), clamped to the text; -1 as end means the end.
    void SetSelection(int start, int end);
    int SelectionStart() const { return std::min(m_anchor, m_caret); }
    int SelectionEnd() const { return std::max(m_anchor, m_caret); }
    int Caret() const { return m_caret; }
    // Replaces the selection, within the text limit.
    void ReplaceSelection(const std::string& text);
    // At most this many characters; 0 for no limit of its own.
    void SetTextLimit(int limit) { m_limit = limit; }
    int TextLimit() const { return m_limit; }

    void OnPaint(Canvas& canvas) override;
    void OnMouseDown(const MouseEvent& event) override;
    void OnMouseMove(const MouseEvent& event) override;
    void OnMouseUp(const MouseEvent& event) override;
    bool OnKeyDown(const KeyEvent& event) override;
    void OnChar(unsigned character, unsigned modifiers) override;
    unsigned WantedKeys(const KeyEvent&) const override { return WantArrows | WantChars; }
    void OnFocusGained(Window* previous) override;
    void OnFocusLost(Window* next) override;
    bool TakesFocus() const override { return true; }

protected:
    // Caret places a character before and after `position`.
    int Previous(int position) const;
    int Next(int position) const;
    // Whether a typed character may go in at the caret; the text as it would become is given.
    virtual bool AcceptChar(unsigned character, const std::string& wouldBe) { (void)character; (void)wouldBe; return true; }

private:
    int PositionAt(int x);
    void Changed();
    int m_anchor = 0;
    int m_caret = 0;
    int m_limit = 0;
    int m_scroll = 0; // pixels of text hidden on the left
    bool m_selecting = false;
};

class ListBox : public Window {
public:
    int AddItem(const std::string& text);
    void ClearItems();
    int ItemCount() const { return static_cast<int>(m_items.size()); }
    const std::string& Item(int index) const { return m_items[static_cast<std::size_t>(index)]; }
    int Selection() const { return m_selection; }
    void SetSelection(int index);
    // The height of a row: as set (an owner that sizes the list by its own measure of the font), else the font's
    // line.
    int ItemHeight() const;
    void SetItemHeight(int height);
    // At most this many rows are shown at once, however many would fit (0: as many as fit).
    void SetRowsShown(int rows);
    // Rows shown whole at once.
    int RowsInView() const {
        int fit = std::max(ClientRect().Height() / std::max(ItemHeight(), 1), 1);
        return m_rowsShown > 0 ? std::min(fit, m_rowsShown) : fit;
    }

    void OnPaint(Canvas& canvas) override;
    void OnMouseDown(const MouseEvent& event) override;
    void OnDoubleClick(const MouseEvent& event) override;
    bool OnKeyDown(const KeyEvent& event) override;
    void OnScroll(ScrollBar bar, ScrollCode code, int position) override;
    void OnSize(Size size) override;
    unsigned WantedKeys(const KeyEvent&) const override { return WantArrows; }
    bool TakesFocus() const override { return true; }
    // An item by its text, while it is scrolled into view.
    bool FindItem(const std::string& name, Rect& rect) const override;
    // "items N" and the items, a line each.
    std::string Describe() const override;

private:
    void UpdateScrollBar();
    void EnsureVisible(int index);
    std::vector<std::string> m_items;
    int m_selection = -1;
    int m_top = 0;
    int m_itemHeight = 0; // 0: the font's
    int m_rowsShown = 0;
};

// The system menu of a window with a close box, opened by Alt+Space: its one item, Close, sends the window's
// close message as the close box and Alt+F4 do. Enter or a click chooses it; Escape, or the focus going
// elsewhere, puts the menu away.
class SystemMenu : public ListBox {
public:
    static constexpr int kId = 0xF060; // the close command's number in the systems that had such menus
    // Shows the menu at the top left of `owner`'s client area, with the focus.
    void Open(Window& owner);
    bool OnKeyDown(const KeyEvent& event) override;
    void OnMouseDown(const MouseEvent& event) override;
    void OnFocusLost(Window* next) override;
    unsigned WantedKeys(const KeyEvent&) const override { return WantArrows | WantEnter | WantEscape; }

private:
    void Choose();
    Window* m_owner = nullptr;
    Window* m_before = nullptr; // had the focus before the menu
};

} // namespace ui
