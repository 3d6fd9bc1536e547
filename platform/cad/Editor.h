#pragma once

#include "platform/cad/Geometry.h"
#include "platform/cad/Input.h"
#include "platform/cad/Objects.h"
#include "platform/cad/Status.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace cad {

using VariableValue = std::variant<std::int16_t, std::int32_t, double, std::string, Point3d>;

struct ScreenVector {
    Point3d from;
    Point3d to;
    int colour = 0;
    int highlight = 0;
    friend bool operator==(const ScreenVector&, const ScreenVector&) = default;
};

// The editor's side of the user: command line, alerts, system variables, temporary vectors on screen,
// selection sets and the source of every answer the user gives.
class Editor {
public:
    Editor();

    void Print(std::string_view text);
    const std::string& CommandLine() const { return m_commandLine; }
    void ClearCommandLine() { m_commandLine.clear(); }
    // Whether command-line text and alerts also go to the terminal.
    void SetTerminalEcho(bool echo) { m_terminalEcho = echo; }

    void Alert(std::string_view message);
    const std::vector<std::string>& Alerts() const { return m_alerts; }
    // A live editor shows each alert as a box the user must close; the alert is kept all the same.
    void SetAlertShower(std::function<void(const std::string&)> shower) { m_alertShower = std::move(shower); }
    // What turns a spreadsheet of prices into a catalogue for a file dialog that opens one (.prc) while
    // BOMFILEFORMATS is on: the catalogue's path from the spreadsheet's, false after saying why there is none. Without
    // one the dialogs offer catalogues alone.
    using CatalogueConverter = std::function<bool(const std::string& spreadsheet, std::string& catalogue)>;
    void SetCatalogueConverter(CatalogueConverter converter) { m_catalogueConverter = std::move(converter); }
    const CatalogueConverter& GetCatalogueConverter() const { return m_catalogueConverter; }
    void ClearAlerts() { m_alerts.clear(); }

    // Names without regard to case. Unknown names give null.
    const VariableValue* FindVariable(std::string_view name) const;
    // RtNorm; RtReject for a read-only variable or a value of the wrong type; RtError for an unknown name.
    [[nodiscard]] int SetVariable(std::string_view name, const VariableValue& value);
    // A value typed for the variable, read as its type: RtNorm, or RtError with what is wrong in `error`
    // ("Requires an integer value.").
    [[nodiscard]] int SetVariableFromText(std::string_view name, std::string_view text, std::string& error);
    // The value as the command line shows it: "1", "0.2000", "3.0000,4.0000,0.0000", the text itself.
    std::string VariableText(std::string_view name) const;
    // Every variable's name, upper case, in alphabetical order.
    std::vector<std::string> VariableNames() const;
    // For the host itself: sets read-only variables too and creates the variable when missing.
    void DefineVariable(std::string_view name, VariableValue value, bool readOnly);

    void SetInput(InputSource* source) { m_input = source ? source : &m_script; }
    ScriptedInput& Script() { return m_script; }
    // RtNorm with the answer, or RtError after printing why no answer fits (the message is kept too).
    [[nodiscard]] int Ask(Request request, const std::string& prompt, Answer& answer);
    const std::vector<std::string>& InputErrors() const { return m_inputErrors; }
    // Whether the existing file chosen in a file dialog for a file to be created is to be replaced.
    [[nodiscard]] bool ConfirmReplace(const FilePrompt& prompt, const std::string& path) {
        return m_input->ConfirmReplace(prompt, path);
    }

    // Colour -1 is exclusive-or ink: drawing a vector that is on screen removes it.
    void DrawVector(const ScreenVector& vector);
    const std::vector<ScreenVector>& Screen() const { return m_screen; }
    void Redraw() { m_screen.clear(); }

    int InitGetBits() const { return m_initGetBits; }
    void SetInitGet(int bits, std::string keywords);
    // Each input request consumes the settings of the preceding initget.
    void ResetInitGet();

    // How many objects the last object selection kept after its filter; -1 when none was made since Forget.
    void NoteSelection(const std::vector<ObjectId>& kept) {
        m_lastSelectionKept = static_cast<long>(kept.size());
        m_lastSelection = kept;
    }
    long LastSelectionKept() const { return m_lastSelectionKept; }
    // What it kept, in order: what a report just made counted.
    const std::vector<ObjectId>& LastSelection() const { return m_lastSelection; }
    void ForgetSelection() {
        m_lastSelectionKept = -1;
        m_lastSelection.clear();
    }

    std::int64_t AddSelectionSet(std::vector<ObjectId> ids);
    const std::vector<ObjectId>* FindSelectionSet(std::int64_t handle) const;
    bool FreeSelectionSet(std::int64_t handle);
    std::size_t SelectionSetCount() const { return m_selectionSets.size(); }

private:
    struct Variable {
        VariableValue value;
        bool readOnly = false;
        long long low = -32768; // what a typed integer may be
        long long high = 32767;
        bool positive = false;  // a typed real must be above 0
    };
    // Switches take 0 or 1 when typed.
    void DefineSwitch(std::string_view name);
    std::map<std::string, Variable> m_variables; // keys in upper case
    std::string m_commandLine;
    std::vector<std::string> m_alerts;
    std::function<void(const std::string&)> m_alertShower;
    CatalogueConverter m_catalogueConverter;
    std::vector<std::string> m_inputErrors;
    bool m_echoLineOpen = false;
    bool m_terminalEcho = false;
    ScriptedInput m_script;
    InputSource* m_input = &m_script;
    std::vector<ScreenVector> m_screen;
    int m_initGetBits = 0;
    std::string m_initGetKeywords;
    std::map<std::int64_t, std::vector<ObjectId>> m_selectionSets;
    std::int64_t m_nextSelectionSet = 1;
    long m_lastSelectionKept = -1;
    std::vector<ObjectId> m_lastSelection;
};

} // namespace cad
