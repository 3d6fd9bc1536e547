#include "platform/ui/Dialog.h"

#include "platform/ui/WindowSystem.h"

#include <algorithm>

namespace ui {

Rect DialogUnitsToPixels(const Font& font, const Rect& units) {
    Size base = AverageCharSizeOf(font);
    auto x = [&](int u) { return (u * base.width + 2) / 4; };
    auto y = [&](int u) { return (u * base.height + 4) / 8; };
    return Rect{x(units.left), y(units.top), x(units.right), y(units.bottom)};
}

namespace {
std::unique_ptr<Window> MakeControl(ControlKind kind) {
    switch (kind) {
    case ControlKind::Button: return std::make_unique<PushButton>();
    case ControlKind::CheckBox: return std::make_unique<CheckBox>();
    case ControlKind::GroupBox: return std::make_unique<GroupBox>();
    case ControlKind::Edit: return std::make_unique<EditBox>();
    case ControlKind::ListBox: return std::make_unique<ListBox>();
    case ControlKind::Static:
    case ControlKind::Placeholder: return std::make_unique<StaticText>();
    }
    return std::make_unique<StaticText>();
}
} // namespace

bool Dialog::CreateFromTemplate(Window* owner, Point screen) {
    (void)owner;
    Rect client = DialogUnitsToPixels(m_template.font, Rect{0, 0, m_template.units.Width(), m_template.units.Height()});
    // The frame and title bar come around the client area the template sizes.
    Rect rect = Rect::FromSize(screen.x, screen.y, client.Width() + 2, client.Height() + 2 + 18);
    unsigned frame = StylePopup | StyleBorder | StyleCaption | StyleVisible | (m_template.systemMenu ? StyleSysMenu : 0u);
    if (!Create(nullptr, rect, m_template.id, m_template.title, frame))
        return false;
    Font font = m_template.font;
    OnSetFont(font);
    SetFont(font);
    m_ended = false;
    for (const ControlTemplate& control : m_template.controls) {
        std::unique_ptr<Window> window = MakeControl(control.kind);
        unsigned style = control.style;
        if (control.kind == ControlKind::Edit || control.kind == ControlKind::ListBox)
            style |= StyleSunken;
        window->Create(this, DialogUnitsToPixels(m_template.font, control.units), control.id, control.text, style);
        m_controls.push_back(std::move(window));
    }
    if (OnInitDialog()) {
        if (Window* first = NextTabStop(nullptr, false))
            first->SetFocus();
    }
    return true;
}

int Dialog::DoModal(Window* owner) {
    WindowSystem& system = WindowSystem::Instance();
    if (!IsCreated()) {
        // Over the middle of its owner, as a user expects a dialog to come up.
        Point at{0, 0};
        if (owner) {
            Rect client = DialogUnitsToPixels(m_template.font, Rect{0, 0, m_template.units.Width(), m_template.units.Height()});
            Rect over = owner->ScreenRect();
            at = Point{std::max(0, over.left + (over.Width() - client.Width() - 2) / 2),
                       std::max(0, over.top + (over.Height() - client.Height() - 20) / 2)};
        }
        if (!CreateFromTemplate(owner, at))
            return kNoInput;
    }
    bool ownerWasEnabled = owner && owner->IsEnabled();
    if (owner)
        owner->Enable(false);
    system.PushModal(this);
    if (!system.RunUntil([this] { return m_ended; }) && !m_ended) {
        system.NoteDialogWithoutUser(Text());
        EndDialog(kNoInput);
    }
    system.PopModal();
    if (owner && ownerWasEnabled)
        owner->Enable(true);
    Destroy();
    m_controls.clear();
    if (owner && ownerWasEnabled)
        owner->SetFocus();
    return m_result;
}

void Dialog::EndDialog(int result) {
    m_result = result;
    m_ended = true;
}

bool Dialog::TakeOverPlaceholder(int id, Window& replacement, unsigned style) {
    Window* placeholder = FindChild(id);
    if (!placeholder)
        return false;
    Rect rect = placeholder->WindowRect();
    // The replacement takes the placeholder's place in the tab order too.
    auto& children = const_cast<std::vector<Window*>&>(Children());
    std::size_t at = 0;
    while (at < children.size() && children[at] != placeholder)
        ++at;
    placeholder->Destroy();
    if (!replacement.Create(this, rect, id, "", style))
        return false;
    children.pop_back();
    children.insert(children.begin() + static_cast<std::ptrdiff_t>(std::min(at, children.size())), &replacement);
    return true;
}

void Dialog::ExchangeCheck(int id, int& value, bool toControl) {
    auto* box = dynamic_cast<CheckBox*>(FindChild(id));
    if (!box)
        return;
    if (toControl)
        box->SetChecked(value != 0);
    else
        value = box->IsChecked() ? 1 : 0;
}

void Dialog::OnCommand(int id, int code) {
    if (code != NotifyClicked)
        return;
    if (id == kIdOk)
        OnOK();
    else if (id == kIdCancel)
        OnCancel();
}

Window* Dialog::NextTabStop(Window* from, bool backwards) const {
    const auto& children = Children();
    int count = static_cast<int>(children.size());
    if (count == 0)
        return nullptr;
    int start = -1;
    for (int i = 0; i < count; ++i) {
        if (children[static_cast<std::size_t>(i)] == from)
            start = i;
    }
    for (int step = 1; step <= count; ++step) {
        int index = start < 0 ? (backwards ? count - step : step - 1)
                              : ((start + (backwards ? -step : step)) % count + count) % count;
        Window* candidate = children[static_cast<std::size_t>(index)];
        if (candidate->IsVisible() && candidate->IsEnabled() && candidate->TakesFocus())
            return candidate;
    }
    return nullptr;
}

bool Dialog::PressMnemonic(Window* focus, char letter) {
    std::vector<Window*> marked;
    for (Window* child : Children()) {
        if (child->IsVisible() && child->IsEnabled() && dynamic_cast<PushButton*>(child) &&
            MnemonicOf(child->Text()) == letter)
            marked.push_back(child);
    }
    if (marked.empty()) {
        WindowSystem::Instance().MessageBeep();
        return false;
    }
    // Two controls with one letter take the focus in turn, and neither is pressed.
    if (marked.size() > 1) {
        auto at = std::find(marked.begin(), marked.end(), focus);
        Window* next = at == marked.end() || at + 1 == marked.end() ? marked.front() : *(at + 1);
        next->SetFocus();
        return true;
    }
    if (auto* box = dynamic_cast<CheckBox*>(marked.front())) {
        box->SetFocus();
        box->SetChecked(!box->IsChecked());
    }
    static_cast<PushButton*>(marked.front())->Click();
    return true;
}

bool Dialog::SystemKey(const KeyEvent& event) {
    if (!(event.modifiers & ModAlt) || !HasStyle(StyleSysMenu) || !HasStyle(StyleCaption))
        return false;
    if (event.key == KeyF4) {
        OnClose();
        return true;
    }
    if (event.key == KeySpace) {
        m_systemMenu.Open(*this);
        return true;
    }
    return false;
}

bool Dialog::OnDialogKey(Window* focus, const KeyEvent& event) {
    if (SystemKey(event))
        return true;
    if ((event.modifiers & ModAlt) && ((event.key >= 'A' && event.key <= 'Z') || (event.key >= '0' && event.key <= '9')))
        return PressMnemonic(focus, static_cast<char>(event.key));
    if (event.key == KeyEscape) {
        OnCommand(kIdCancel, NotifyClicked);
        return true;
    }
    if (event.key == KeyEnter) {
        // A focused push button is pressed; otherwise the default one, if it may be.
        if (auto* button = dynamic_cast<PushButton*>(focus); button && !dynamic_cast<CheckBox*>(focus)) {
            button->Click();
            return true;
        }
        for (Window* child : Children()) {
            if (child->HasStyle(ButtonDefault)) {
                if (child->IsEnabled() && child->IsVisible())
                    OnCommand(child->Id(), NotifyClicked);
                return true;
            }
        }
        OnCommand(kIdOk, NotifyClicked);
        return true;
    }
    if (event.key == KeyTab) {
        Window* from = focus;
        while (from && from->Parent() != this)
            from = from->Parent();
        if (Window* next = NextTabStop(from, (event.modifiers & ModShift) != 0))
            next->SetFocus();
        return true;
    }
    return false;
}

void Dialog::OnPaint(Canvas& canvas) {
    canvas.FillRect(ClientRect(), SystemColorOf(SystemColor::ButtonFace));
}

} // namespace ui
