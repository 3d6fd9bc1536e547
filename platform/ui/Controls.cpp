#include "platform/ui/Controls.h"

#include "platform/text/CodePage.h"
#include "platform/ui/WindowSystem.h"

#include <algorithm>
#include <vector>

namespace ui {

namespace {
unsigned AlignmentOf(const Window& window) {
    return window.HasStyle(TextAlignCenter) ? TextCenter : window.HasStyle(TextAlignRight) ? TextRight : TextLeft;
}

} // namespace

namespace {
// A label's text broken into lines at blanks, as static controls break it: a word that does not fit after
// the words before it starts the next line; a word longer than the whole width stays on its own line.
std::vector<std::string> WrapWords(const Font& font, const std::string& text, int width) {
    std::vector<std::string> lines;
    std::string line;
    std::size_t at = 0;
    while (at <= text.size()) {
        std::size_t blank = text.find(' ', at);
        std::string word = text.substr(at, blank == std::string::npos ? std::string::npos : blank - at);
        std::string longer = line.empty() ? word : line + " " + word;
        if (!line.empty() && MeasureText(font, longer).width > width) {
            lines.push_back(line);
            line = word;
        } else {
            line = longer;
        }
        if (blank == std::string::npos)
            break;
        at = blank + 1;
    }
    lines.push_back(line);
    return lines;
}
} // namespace

void StaticText::OnPaint(Canvas& canvas) {
    Rect client = ClientRect();
    canvas.FillRect(client, SystemColorOf(SystemColor::ButtonFace));
    canvas.SetTextColor(m_color ? *m_color : SystemColorOf(IsEnabledInTree() ? SystemColor::ButtonText : SystemColor::GrayText));
    Font font = GetFont();
    if (MeasureText(font, Text()).width <= client.Width()) {
        canvas.DrawText(client, Text(), AlignmentOf(*this));
        return;
    }
    int height = MeasureText(font, "Ay").height;
    Rect line = client;
    for (const std::string& text : WrapWords(font, Text(), client.Width())) {
        if (line.top >= client.bottom)
            break;
        line.bottom = line.top + height;
        canvas.DrawText(line, text, AlignmentOf(*this));
        line.top += height;
    }
}

// Push buttons

void PushButton::OnPaint(Canvas& canvas) {
    Rect face = ClientRect();
    canvas.FillRect(face, SystemColorOf(SystemColor::ButtonFace));
    Rect edge = face;
    if (HasStyle(ButtonDefault) || HasFocus()) {
        canvas.FrameRect(edge, SystemColorOf(SystemColor::WindowFrame));
        edge = edge.Inflate(-1, -1);
    }
    if (m_pressed) {
        canvas.FrameRect(edge, SystemColorOf(SystemColor::ButtonShadow));
    } else {
        canvas.Draw3dRect(edge, SystemColorOf(SystemColor::ButtonHighlight), SystemColorOf(SystemColor::ButtonDarkShadow));
        canvas.Draw3dRect(edge.Inflate(-1, -1), SystemColorOf(SystemColor::ButtonFace), SystemColorOf(SystemColor::ButtonShadow));
    }
    canvas.SetTextColor(SystemColorOf(IsEnabledInTree() ? SystemColor::ButtonText : SystemColor::GrayText));
    Rect label = m_pressed ? face.Offset(1, 1) : face;
    canvas.DrawText(label, Text(), TextCenter | TextVCenter | TextSingleLine | TextMnemonic);
    if (HasFocus())
        canvas.DrawFocusRect(face.Inflate(-4, -4));
}

void PushButton::OnMouseDown(const MouseEvent& event) {
    if (event.button != MouseButton::Left)
        return;
    SetFocus();
    SetCapture();
    m_pressed = true;
    m_tracking = true;
    Invalidate();
}

void PushButton::OnMouseMove(const MouseEvent& event) {
    if (!m_tracking)
        return;
    bool inside = ClientRect().Contains(Point{event.x, event.y});
    if (inside != m_pressed) {
        m_pressed = inside;
        Invalidate();
    }
}

void PushButton::OnMouseUp(const MouseEvent& event) {
    if (!m_tracking)
        return;
    bool inside = ClientRect().Contains(Point{event.x, event.y});
    m_tracking = false;
    m_pressed = false;
    ReleaseCapture();
    Invalidate();
    if (inside)
        Click();
}

bool PushButton::OnKeyDown(const KeyEvent& event) {
    if (event.key != KeySpace)
        return false;
    m_pressed = true;
    Invalidate();
    return true;
}

void PushButton::OnKeyUp(const KeyEvent& event) {
    if (event.key != KeySpace || !m_pressed)
        return;
    m_pressed = false;
    Invalidate();
    Click();
}

// Check boxes

void CheckBox::OnPaint(Canvas& canvas) {
    Rect client = ClientRect();
    canvas.FillRect(client, SystemColorOf(SystemColor::ButtonFace));
    int size = 13;
    int top = (client.Height() - size) / 2;
    Rect box = Rect::FromSize(0, top, size, size);
    canvas.FillRect(box, SystemColorOf(m_pressed ? SystemColor::ButtonFace : SystemColor::Window));
    canvas.Draw3dRect(box, SystemColorOf(SystemColor::ButtonShadow), SystemColorOf(SystemColor::ButtonHighlight));
    canvas.Draw3dRect(box.Inflate(-1, -1), SystemColorOf(SystemColor::ButtonDarkShadow), SystemColorOf(SystemColor::ButtonFace));
    if (IsChecked()) {
        canvas.SetPen(Pen{SystemColorOf(SystemColor::WindowText)});
        for (int i = 0; i < 3; ++i) {
            canvas.Line(box.left + 3, box.top + 5 + i, box.left + 5, box.top + 7 + i);
            canvas.Line(box.left + 5, box.top + 7 + i, box.left + 10, box.top + 2 + i);
        }
    }
    canvas.SetTextColor(SystemColorOf(IsEnabledInTree() ? SystemColor::ButtonText : SystemColor::GrayText));
    Rect label{size + 4, 0, client.right, client.bottom};
    canvas.DrawText(label, Text(), TextLeft | TextVCenter | TextSingleLine | TextMnemonic);
    if (HasFocus()) {
        Size extent = canvas.TextExtent(WithoutMnemonic(Text()));
        int y = (client.Height() - extent.height) / 2;
        canvas.DrawFocusRect(Rect::FromSize(label.left - 1, y - 1, extent.width + 2, extent.height + 2));
    }
}

void CheckBox::OnMouseUp(const MouseEvent& event) {
    if (m_tracking && ClientRect().Contains(Point{event.x, event.y}))
        m_checked = !m_checked; // an automatic check box turns itself, then tells
    PushButton::OnMouseUp(event);
}

void CheckBox::OnKeyUp(const KeyEvent& event) {
    if (event.key == KeySpace && m_pressed)
        m_checked = !m_checked;
    PushButton::OnKeyUp(event);
}

// Group boxes

void GroupBox::OnPaint(Canvas& canvas) {
    Rect client = ClientRect();
    Size extent = canvas.TextExtent(Text().empty() ? " " : Text());
    int middle = extent.height / 2;
    Rect frame{client.left, client.top + middle, client.right, client.bottom};
    canvas.Draw3dRect(frame, SystemColorOf(SystemColor::ButtonShadow), SystemColorOf(SystemColor::ButtonHighlight));
    canvas.Draw3dRect(frame.Inflate(-1, -1), SystemColorOf(SystemColor::ButtonHighlight), SystemColorOf(SystemColor::ButtonShadow));
    if (!Text().empty()) {
        Rect label = Rect::FromSize(8, 0, extent.width + 4, extent.height);
        canvas.FillRect(label, SystemColorOf(SystemColor::ButtonFace));
        canvas.SetTextColor(SystemColorOf(SystemColor::ButtonText));
        canvas.DrawText(label.Offset(2, 0), Text(), TextLeft | TextSingleLine | TextNoClip);
    }
}

// Edit boxes

void EditBox::SetText(const std::string& text) {
    std::string limited = m_limit > 0 && static_cast<int>(text.size()) > m_limit ? text.substr(0, static_cast<std::size_t>(m_limit)) : text;
    Window::SetText(limited);
    m_anchor = m_caret = static_cast<int>(limited.size());
    m_scroll = 0;
}

void EditBox::SetSelection(int start, int end) {
    int length = static_cast<int>(Text().size());
    m_anchor = std::clamp(start < 0 ? length : start, 0, length);
    m_caret = std::clamp(end < 0 ? length : end, 0, length);
    Invalidate();
}

void EditBox::ReplaceSelection(const std::string& text) {
    std::string value = Text();
    int start = SelectionStart();
    int end = SelectionEnd();
    std::string inserted = text;
    if (m_limit > 0) {
        int room = m_limit - (static_cast<int>(value.size()) - (end - start));
        if (room < static_cast<int>(inserted.size()))
            inserted = inserted.substr(0, static_cast<std::size_t>(std::max(room, 0)));
    }
    value.replace(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start), inserted);
    Window::SetText(value);
    m_anchor = m_caret = start + static_cast<int>(inserted.size());
    Changed();
}

int EditBox::Previous(int position) const {
    return static_cast<int>(textkit::Active().PreviousBoundary(Text(), static_cast<std::size_t>(position)));
}

int EditBox::Next(int position) const {
    return static_cast<int>(textkit::Active().NextBoundary(Text(), static_cast<std::size_t>(position)));
}

void EditBox::Changed() {
    Invalidate();
    NotifyParent(NotifyChange);
}

int EditBox::PositionAt(int x) {
    Font font = GetFont();
    int target = x + m_scroll - 2;
    const std::string& text = Text();
    const textkit::CodePage& codec = textkit::Active();
    for (std::size_t i = 0; i < text.size(); i = codec.NextBoundary(text, i)) {
        int left = MeasureText(font, text.substr(0, i)).width;
        int right = MeasureText(font, text.substr(0, codec.NextBoundary(text, i))).width;
        if (target < (left + right) / 2)
            return static_cast<int>(i);
    }
    return static_cast<int>(text.size());
}

void EditBox::OnPaint(Canvas& canvas) {
    Rect client = ClientRect();
    canvas.FillRect(client, SystemColorOf(IsEnabledInTree() ? SystemColor::Window : SystemColor::ButtonFace));
    const std::string& text = Text();
    Font font = GetFont();
    int caretX = MeasureText(font, text.substr(0, static_cast<std::size_t>(m_caret))).width;
    // Keep the caret in view.
    if (caretX - m_scroll > client.Width() - 4)
        m_scroll = caretX - client.Width() + 4;
    if (caretX < m_scroll)
        m_scroll = caretX;
    int height = MeasureText(font, "Ay").height;
    int top = (client.Height() - height) / 2;
    canvas.SetTextColor(SystemColorOf(IsEnabledInTree() ? SystemColor::WindowText : SystemColor::GrayText));
    canvas.DrawText(Rect{2 - m_scroll, top, client.right + 10000, top + height}, text, TextLeft | TextSingleLine);
    if (HasFocus() && SelectionStart() != SelectionEnd()) {
        int from = MeasureText(font, text.substr(0, static_cast<std::size_t>(SelectionStart()))).width;
        std::string selected = text.substr(static_cast<std::size_t>(SelectionStart()),
                                           static_cast<std::size_t>(SelectionEnd() - SelectionStart()));
        int width = MeasureText(font, selected).width;
        Rect band = Rect::FromSize(2 + from - m_scroll, top, width, height);
        canvas.FillRect(band, SystemColorOf(SystemColor::Highlight));
        canvas.SetTextColor(SystemColorOf(SystemColor::HighlightText));
        canvas.DrawText(band, selected, TextLeft | TextSingleLine | TextNoClip);
    }
    if (HasFocus())
        canvas.FillRect(Rect::FromSize(2 + caretX - m_scroll, top, 1, height), SystemColorOf(SystemColor::WindowText));
}

void EditBox::OnMouseDown(const MouseEvent& event) {
    if (event.button != MouseButton::Left)
        return;
    SetFocus();
    int at = PositionAt(event.x);
    SetSelection((event.modifiers & ModShift) ? m_anchor : at, at);
    m_selecting = true;
    SetCapture();
}

void EditBox::OnMouseMove(const MouseEvent& event) {
    if (m_selecting)
        SetSelection(m_anchor, PositionAt(event.x));
}

void EditBox::OnMouseUp(const MouseEvent&) {
    if (!m_selecting)
        return;
    m_selecting = false;
    ReleaseCapture();
}

bool EditBox::OnKeyDown(const KeyEvent& event) {
    int length = static_cast<int>(Text().size());
    bool extend = (event.modifiers & ModShift) != 0;
    auto moveTo = [&](int position) {
        position = std::clamp(position, 0, length);
        SetSelection(extend ? m_anchor : position, position);
    };
    switch (event.key) {
    // The caret steps over a character, never into the middle of a double-byte one.
    case KeyLeft:
        moveTo(!extend && SelectionStart() != SelectionEnd() ? SelectionStart() : Previous(m_caret));
        return true;
    case KeyRight:
        moveTo(!extend && SelectionStart() != SelectionEnd() ? SelectionEnd() : Next(m_caret));
        return true;
    case KeyHome: moveTo(0); return true;
    case KeyEnd: moveTo(length); return true;
    case KeyDelete:
        if (SelectionStart() == SelectionEnd() && m_caret < length)
            SetSelection(m_caret, Next(m_caret));
        if (SelectionStart() != SelectionEnd())
            ReplaceSelection("");
        return true;
    case KeyBack:
        return true; // the character it types does the deleting
    default: break;
    }
    if (event.key == 'A' && (event.modifiers & ModControl)) {
        SetSelection(0, length);
        return true;
    }
    return false;
}

void EditBox::OnChar(unsigned character, unsigned modifiers) {
    (void)modifiers;
    if (character == static_cast<unsigned>(KeyBack)) {
        if (SelectionStart() == SelectionEnd() && m_caret > 0)
            SetSelection(Previous(m_caret), m_caret);
        if (SelectionStart() != SelectionEnd())
            ReplaceSelection("");
        return;
    }
    if (character < 32 || character == 127)
        return; // control characters are keys, handled as such
    std::string value = Text();
    std::string typed(1, static_cast<char>(character));
    std::string wouldBe = value;
    wouldBe.replace(static_cast<std::size_t>(SelectionStart()), static_cast<std::size_t>(SelectionEnd() - SelectionStart()), typed);
    if (m_limit > 0 && static_cast<int>(wouldBe.size()) > m_limit) {
        WindowSystem::Instance().MessageBeep();
        return;
    }
    if (!AcceptChar(character, wouldBe))
        return;
    ReplaceSelection(typed);
}

void EditBox::OnFocusGained(Window*) {
    NotifyParent(NotifySetFocus);
}

void EditBox::OnFocusLost(Window*) {
    NotifyParent(NotifyKillFocus);
}

// List boxes

int ListBox::ItemHeight() const {
    return m_itemHeight > 0 ? m_itemHeight : MeasureText(GetFont(), "Ay").height;
}

void ListBox::SetItemHeight(int height) {
    m_itemHeight = std::max(height, 0);
    UpdateScrollBar();
    Invalidate();
}

void ListBox::SetRowsShown(int rows) {
    m_rowsShown = std::max(rows, 0);
    UpdateScrollBar();
    Invalidate();
}

bool ListBox::FindItem(const std::string& name, Rect& rect) const {
    int height = ItemHeight();
    Rect client = ClientRect();
    int last = std::min(ItemCount(), m_top + RowsInView() + (m_rowsShown > 0 ? 0 : 1));
    for (int i = m_top; i < last; ++i) {
        int top = (i - m_top) * height;
        if (top >= client.bottom)
            break;
        if (m_items[static_cast<std::size_t>(i)] == name) {
            rect = Rect::FromSize(0, top, client.Width(), height);
            return true;
        }
    }
    return false;
}

std::string ListBox::Describe() const {
    // A list longer than its window says how many rows it shows at once.
    int inView = RowsInView();
    std::string text = "items " + std::to_string(m_items.size()) +
                       (ItemCount() > inView ? " (" + std::to_string(inView) + " in view)" : std::string()) + "\n";
    for (const std::string& item : m_items)
        text += item + "\n";
    return text;
}

int ListBox::AddItem(const std::string& text) {
    m_items.push_back(text);
    UpdateScrollBar();
    Invalidate();
    return ItemCount() - 1;
}

void ListBox::ClearItems() {
    m_items.clear();
    m_selection = -1;
    m_top = 0;
    UpdateScrollBar();
    Invalidate();
}

void ListBox::SetSelection(int index) {
    m_selection = index >= 0 && index < ItemCount() ? index : -1;
    if (m_selection >= 0)
        EnsureVisible(m_selection);
    Invalidate();
}

void ListBox::UpdateScrollBar() {
    int visible = RowsInView();
    bool needed = ItemCount() > visible;
    ShowScrollBar(ScrollBar::Vertical, needed);
    if (needed)
        SetScrollInfo(ScrollBar::Vertical, ScrollInfo{0, ItemCount() - 1, visible, m_top, m_top});
    else
        m_top = 0;
}

void ListBox::EnsureVisible(int index) {
    int visible = RowsInView();
    if (index < m_top)
        m_top = index;
    else if (index >= m_top + visible)
        m_top = index - visible + 1;
    UpdateScrollBar();
}

void ListBox::OnSize(Size) {
    UpdateScrollBar();
}

void ListBox::OnPaint(Canvas& canvas) {
    Rect client = ClientRect();
    canvas.FillRect(client, SystemColorOf(SystemColor::Window));
    int height = ItemHeight();
    int last = std::min(ItemCount(), m_top + RowsInView() + (m_rowsShown > 0 ? 0 : 1));
    for (int i = m_top, y = 0; i < last && y < client.bottom; ++i, y += height) {
        Rect row{0, y, client.right, y + height};
        bool selected = i == m_selection;
        if (selected)
            canvas.FillRect(row, SystemColorOf(SystemColor::Highlight));
        canvas.SetTextColor(SystemColorOf(selected ? SystemColor::HighlightText : SystemColor::WindowText));
        canvas.DrawText(row.Inflate(-2, 0), Item(i), TextLeft | TextVCenter | TextSingleLine);
        if (selected && HasFocus())
            canvas.DrawFocusRect(row);
    }
}

void ListBox::OnMouseDown(const MouseEvent& event) {
    SetFocus();
    int row = event.y / std::max(ItemHeight(), 1);
    if (m_rowsShown > 0 && row >= RowsInView())
        return; // the room below the rows shown
    int index = m_top + row;
    if (index < ItemCount() && index != m_selection) {
        SetSelection(index);
        NotifyParent(NotifySelectionChange);
    }
}

void ListBox::OnDoubleClick(const MouseEvent& event) {
    int row = event.y / std::max(ItemHeight(), 1);
    if (m_rowsShown > 0 && row >= RowsInView())
        return;
    int index = m_top + row;
    if (index < ItemCount())
        NotifyParent(NotifyDoubleClicked);
}

bool ListBox::OnKeyDown(const KeyEvent& event) {
    int next = m_selection;
    if (event.key == KeyUp)
        next = std::max(m_selection - 1, 0);
    else if (event.key == KeyDown)
        next = std::min(m_selection + 1, ItemCount() - 1);
    else if (event.key == KeyHome)
        next = 0;
    else if (event.key == KeyEnd)
        next = ItemCount() - 1;
    else
        return false;
    if (next != m_selection && next >= 0) {
        SetSelection(next);
        NotifyParent(NotifySelectionChange);
    }
    return true;
}

void ListBox::OnScroll(ScrollBar bar, ScrollCode code, int position) {
    if (bar != ScrollBar::Vertical)
        return;
    int visible = RowsInView();
    int top = m_top;
    switch (code) {
    case ScrollCode::LineUp: --top; break;
    case ScrollCode::LineDown: ++top; break;
    case ScrollCode::PageUp: top -= visible; break;
    case ScrollCode::PageDown: top += visible; break;
    case ScrollCode::ThumbTrack:
    case ScrollCode::ThumbPosition: top = position; break;
    case ScrollCode::Top: top = 0; break;
    case ScrollCode::Bottom: top = ItemCount(); break;
    case ScrollCode::EndScroll: return;
    }
    m_top = std::clamp(top, 0, std::max(ItemCount() - visible, 0));
    SetScrollPosition(ScrollBar::Vertical, m_top);
    Invalidate();
}

void SystemMenu::Open(Window& owner) {
    m_owner = &owner;
    m_before = WindowSystem::Instance().Focus();
    if (!IsCreated()) {
        Create(&owner, Rect{0, 0, 120, 20}, kId, "", StyleChild | StyleBorder);
        AddItem("Close");
    }
    SetFont(owner.GetFont());
    Move(Rect{0, 0, 120, ItemHeight() + 4});
    SetSelection(0);
    BringToTop();
    Show(true);
    SetFocus();
}

void SystemMenu::Choose() {
    Show(false);
    if (m_owner)
        m_owner->OnClose();
}

bool SystemMenu::OnKeyDown(const KeyEvent& event) {
    if (event.key == KeyEnter) {
        Choose();
        return true;
    }
    if (event.key == KeyEscape) {
        Show(false);
        if (m_before)
            m_before->SetFocus();
        return true;
    }
    return ListBox::OnKeyDown(event);
}

void SystemMenu::OnMouseDown(const MouseEvent& event) {
    if (event.y < ItemHeight())
        Choose();
}

void SystemMenu::OnFocusLost(Window*) {
    Show(false);
}

} // namespace ui
