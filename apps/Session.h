#pragma once

#include "platform/cad/Input.h"
#include "platform/ui/Geometry.h"

#include <deque>
#include <iosfwd>
#include <string>
#include <vector>

namespace ui {
class WindowSystem;
}

// A user's session as a list of steps: the answers the editor's requests get (files, selections, points,
// drag events) and what the user does in a dialog (clicks, keys, snapshots), taken in order by whoever asks.
namespace hostapp {

struct Step {
    enum Kind {
        File,          // text: a path
        Cancel,        // ESC at any prompt, or a file dialog closed
        SelectAll,
        SelectAllLayouts, // model space, paper space and every layout
        SelectLayer,   // text: the layer
        SelectWindow,  // a, b: the corners; what lies wholly inside
        Point,         // a: a picked point
        Motion,        // a: the cursor
        Return,        // RETURN at a prompt or during a drag
        Scale,         // number: drag the table just built to this scale, then pick
        ClickControl,  // text: the control's id or its text
        ClickHeader,   // text: a column heading of the dialog's grid
        Key,           // number: a key pressed in the dialog
        TypeText,      // text: characters typed in the dialog
        Answer,        // number: the answer of the next message box
        Snapshot,      // text: a PNG of the dialog
        ClickCell,     // text: a grid column (number or heading), number: the row; button: its drop-list button
        Choose,        // text: an item of an open list
        Wait,          // number: milliseconds that pass
        Dump,          // text: a control id or nothing; the dialog's controls and grids, written to the log
        CloseBox,      // a click on the dialog's close box
    };
    Kind kind = Cancel;
    std::string text;
    double number = 0.0;
    cad::Point3d a;
    cad::Point3d b;
    bool button = false;
    unsigned modifiers = 0; // of a key: Alt, Ctrl, Shift held
    int line = 0; // in the script it came from
};

// One line of a script as a session step: false, with why, when it is none. Lines that drive the host
// itself (open, command, save) are not steps and are refused here; the script runner takes them.
bool ParseStep(const std::string& line, Step& step, std::string& error);

class Session : public cad::InputSource {
public:
    void Add(Step step) { m_steps.push_back(std::move(step)); }
    bool Empty() const { return m_steps.empty(); }
    // Where dumps and the message boxes met are written; nowhere when null.
    void SetLog(std::ostream* log) { m_log = log; }
    // Files answered to a dialog for a file to be created were named on the command line: the user's explicit
    // choice, replaced without a question. Otherwise the question is a message box, answered by a step.
    void SetFilesFromCommandLine(bool given) { m_filesFromCommandLine = given; }
    // The first thing that went wrong, with the step it happened at; empty while all is well.
    const std::string& Error() const { return m_error; }

    // Connects the session to the editor and the window system, and back off when it ends.
    void Attach();
    void Detach();

    bool Next(cad::Request request, const std::string& prompt, cad::Answer& answer, std::string& error) override;
    // A dialog waits for the user: the next step is done in it. False when there is no step for it.
    bool Idle(ui::WindowSystem& system);
    bool MessageBoxAnswer(const std::string& text, int type, int& answer);
    bool ConfirmReplace(const cad::FilePrompt& prompt, const std::string& path) override;

private:
    bool Fail(const Step& step, const std::string& why);
    bool Select(const Step& step, cad::Answer& answer);
    bool ScaleEvents(const Step& step, cad::Answer& answer);
    std::deque<Step> m_steps;
    std::deque<cad::InputEvent> m_pendingEvents;
    cad::Point3d m_lastPoint;
    std::string m_error;
    std::ostream* m_log = nullptr;
    bool m_filesFromCommandLine = false;
};

} // namespace hostapp
