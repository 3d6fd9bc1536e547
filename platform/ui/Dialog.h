#pragma once

#include "platform/ui/Canvas.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Window.h"

#include <memory>
#include <string>
#include <vector>

namespace ui {

enum class ControlKind { Static, Button, CheckBox, GroupBox, Edit, ListBox, Placeholder };

// A control of a dialog template; its rectangle is in dialog units.
struct ControlTemplate {
    ControlKind kind = ControlKind::Static;
    int id = 0;
    std::string text;
    Rect units;
    unsigned style = StyleVisible;
};

// A dialog as a resource describes it: title, client size in dialog units, font and controls in tab order.
struct DialogTemplate {
    int id = 0;
    std::string title;
    Rect units;
    Font font{"MS Sans Serif", 8, false};
    std::vector<ControlTemplate> controls;
    bool systemMenu = false; // a close box on the caption: a click on it is the window's close message
};

inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

// Dialog units to pixels: a horizontal unit is a quarter of the font's average character width, a
// vertical one an eighth of its height.
[[nodiscard]] Rect DialogUnitsToPixels(const Font& font, const Rect& units);

// A dialog made from a template: its controls, Enter for the default button, Escape for Cancel, Tab
// through the controls that take the focus, and a modal loop that ends with a result.
class Dialog : public Window {
public:
    explicit Dialog(DialogTemplate dialogTemplate) : m_template(std::move(dialogTemplate)) {}

    // Makes the window and its controls, calls OnInitDialog; the window is placed at `screen`.
    bool CreateFromTemplate(Window* owner, Point screen = Point{0, 0});
    // Runs modally until EndDialog; the owner takes no input meanwhile. The window is destroyed before it
    // returns. kNoInput when the backend has no more input to give.
    int DoModal(Window* owner = nullptr);
    void EndDialog(int result);
    bool IsEnded() const { return m_ended; }
    int Result() const { return m_result; }

    Window* Control(int id) const { return FindChild(id); }
    // The control `id` gives its place and id to `replacement`, which is created there with `style`.
    bool TakeOverPlaceholder(int id, Window& replacement, unsigned style);
    // Check box value exchange: into the control when `toControl`, else out of it.
    void ExchangeCheck(int id, int& value, bool toControl);
    const DialogTemplate& Template() const { return m_template; }

    // Handlers
    // The template's font as the framework hands it to the dialog; the dialog may change it first.
    virtual void OnSetFont(Font& font) { (void)font; }
    // True: the focus goes to the first control that takes it.
    virtual bool OnInitDialog() { return true; }
    virtual void OnOK() { EndDialog(kIdOk); }
    virtual void OnCancel() { EndDialog(kIdCancel); }
    void OnCommand(int id, int code) override;
    void OnClose() override { OnCancel(); }
    bool OnDialogKey(Window* focus, const KeyEvent& event) override;
    void OnPaint(Canvas& canvas) override;

    // The next (or previous) control after `from` that Tab stops at.
    Window* NextTabStop(Window* from, bool backwards) const;
    // Alt and a letter: the button or check box whose text marks that letter with "&" is pressed; of two
    // with the same letter the next takes the focus. False, with the warning sound, when none has it.
    bool PressMnemonic(Window* focus, char letter);
    // Alt+F4 sends the close message, Alt+Space opens the system menu; only a dialog with a close box has them.
    bool SystemKey(const KeyEvent& event);

private:
    DialogTemplate m_template;
    std::vector<std::unique_ptr<Window>> m_controls;
    bool m_ended = false;
    int m_result = 0;
    SystemMenu m_systemMenu;
};

} // namespace ui
