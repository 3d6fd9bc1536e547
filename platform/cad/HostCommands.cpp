#include "platform/cad/HostCommands.h"

#include "platform/cad/Host.h"
#include "platform/cad/Text.h"

#include <cstdio>
#include <cstdlib>
#include <variant>

namespace cad {

namespace {

void UndoOne(Host& host) {
    std::string name;
    if (host.WorkingDatabase().Undo(&name))
        host.GetEditor().Print(name + "\n");
    else
        host.GetEditor().Print("Everything has been undone\n");
}

void Undo(Host& host) {
    Answer answer;
    const char* prompt = "Enter the number of operations to undo <1>: ";
    host.GetEditor().Print(prompt);
    if (host.GetEditor().Ask(Request::Text, prompt, answer) != RtNorm)
        return;
    long count = 1;
    if (const auto* text = std::get_if<TextAnswer>(&answer)) {
        char* end = nullptr;
        count = std::strtol(text->text.c_str(), &end, 10);
        if (text->text.empty() || !end || *end != '\0' || count < 1) {
            host.GetEditor().Print("Requires a positive whole number.\n");
            return;
        }
    } else if (std::holds_alternative<CancelAnswer>(answer)) {
        return;
    }
    for (long i = 0; i < count; ++i) {
        if (host.WorkingDatabase().UndoStepCount() == 0) {
            host.GetEditor().Print("Everything has been undone\n");
            return;
        }
        UndoOne(host);
    }
}

void Redo(Host& host) {
    std::string name;
    if (host.WorkingDatabase().Redo(&name))
        host.GetEditor().Print(name + "\n");
    else
        host.GetEditor().Print("Nothing has been undone that could be redone\n");
}

void Erase(Host& host) {
    Answer answer;
    if (host.GetEditor().Ask(Request::Selection, "Select objects: ", answer) != RtNorm)
        return;
    const auto* selection = std::get_if<SelectionAnswer>(&answer);
    if (!selection)
        return;
    Database& database = host.WorkingDatabase();
    std::vector<ObjectId> chosen = selection->ids;
    if (selection->everything) {
        const auto* model = database.PeekAs<BlockTableRecord>(database.ModelSpaceId());
        chosen = model ? model->entities : std::vector<ObjectId>{};
    }
    std::size_t erased = 0;
    for (ObjectId id : chosen) {
        const Object* object = database.Peek(id);
        if (!object || !IsEntityKind(object->Kind()) || object->IsErased())
            continue;
        database.SetErased(id, true);
        ++erased;
    }
    host.GetEditor().Print(std::to_string(erased) + " erased\n");
}

// Asks for a variable's new value, showing the one it has; Enter keeps it.
void AskVariable(Host& host, const std::string& name) {
    Editor& editor = host.GetEditor();
    if (!editor.FindVariable(name)) {
        editor.Print("Unknown variable name.\n");
        return;
    }
    std::string upper(name);
    for (char& c : upper)
        c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    std::string prompt = "Enter new value for " + upper + " <" + editor.VariableText(name) + ">: ";
    editor.Print(prompt);
    Answer answer;
    if (editor.Ask(Request::Text, prompt, answer) != RtNorm)
        return;
    const auto* text = std::get_if<TextAnswer>(&answer);
    if (!text || text->text.empty())
        return;
    std::string error;
    if (editor.SetVariableFromText(name, text->text, error) != RtNorm)
        editor.Print(error + "\n");
}

void SetVar(Host& host) {
    const char* prompt = "Enter variable name or [?]: ";
    Editor& editor = host.GetEditor();
    editor.Print(prompt);
    Answer answer;
    if (editor.Ask(Request::Text, prompt, answer) != RtNorm)
        return;
    const auto* text = std::get_if<TextAnswer>(&answer);
    if (!text || text->text.empty())
        return;
    if (text->text == "?" || text->text == "*") {
        // Every variable with its value, a line each; the drawing's name and folder as they are now.
        [[maybe_unused]] const VariableValue* current = host.Variable("DWGNAME");
        editor.Print("\n");
        for (const std::string& name : editor.VariableNames()) {
            char line[64];
            std::snprintf(line, sizeof line, "%-16s ", name.c_str());
            editor.Print(line + editor.VariableText(name) + "\n");
        }
        return;
    }
    AskVariable(host, text->text);
}

} // namespace

void AskVariableValue(Host& host, const std::string& name) {
    AskVariable(host, name);
}

const std::vector<HostCommand>& HostCommands() {
    static const std::vector<HostCommand> s_commands = {
        {"ERASE", "erase the objects you select", true},
        {"U", "undo the last command's changes to the drawing", false},
        {"UNDO", "undo the changes of several commands", false},
        {"REDO", "redo what U or UNDO took back", false},
        {"REDRAW", "redraw the view without the temporary marks on it", false},
        {"SETVAR", "show or change a system variable (typing its name does the same)", false},
    };
    return s_commands;
}

const HostCommand* FindHostCommand(std::string_view typed) {
    for (const HostCommand& command : HostCommands())
        if (NamesEqual(command.name, typed))
            return &command;
    return nullptr;
}

void RunHostCommand(Host& host, const HostCommand& command) {
    std::string_view name = command.name;
    if (name == "ERASE")
        Erase(host);
    else if (name == "U")
        UndoOne(host);
    else if (name == "UNDO")
        Undo(host);
    else if (name == "REDO")
        Redo(host);
    else if (name == "REDRAW")
        host.GetEditor().Redraw();
    else if (name == "SETVAR")
        SetVar(host);
}

} // namespace cad
