#include "Session.h"

#include "render/Scene.h"

#include "platform/cad/Host.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/WindowSystem.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <utility>

namespace hostapp {

namespace {
std::string Upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// The table block with the highest number: the one the report's Insert has just built.
const cad::BlockTableRecord* NewestTable(const cad::Database& db) {
    const auto* table = db.PeekAs<cad::SymbolTable>(db.BlockTableId());
    const cad::BlockTableRecord* newest = nullptr;
    int highest = 0;
    for (cad::ObjectId id : table ? table->records : std::vector<cad::ObjectId>{}) {
        const auto* block = db.PeekAs<cad::BlockTableRecord>(id);
        if (!block || block->IsErased())
            continue;
        std::string name = Upper(block->name);
        if (name.size() == 7 && name.compare(0, 3, "QVT") == 0 && std::atoi(name.c_str() + 3) > highest) {
            highest = std::atoi(name.c_str() + 3);
            newest = block;
        }
    }
    return newest;
}

const char* KindName(Step::Kind kind) {
    switch (kind) {
    case Step::File: return "file";
    case Step::Cancel: return "cancel";
    case Step::SelectAll:
    case Step::SelectAllLayouts:
    case Step::SelectLayer:
    case Step::SelectWindow: return "select";
    case Step::Point: return "pick";
    case Step::Motion: return "move";
    case Step::Return: return "enter";
    case Step::Scale: return "scale";
    case Step::ClickControl: return "click";
    case Step::ClickHeader: return "header";
    case Step::Key: return "key";
    case Step::TypeText: return "type";
    case Step::Answer: return "answer";
    case Step::Snapshot: return "snapshot";
    case Step::ClickCell: return "cell";
    case Step::Choose: return "choose";
    case Step::Wait: return "wait";
    case Step::Dump: return "dump";
    case Step::CloseBox: return "close";
    }
    return "?";
}

ui::Point Centre(const ui::Window& window, const ui::Rect& client) {
    return window.ClientToScreen(ui::Point{(client.left + client.right) / 2, (client.top + client.bottom) / 2});
}

// The control of a dialog by its id or by its text, the mnemonic's '&' not counted.
ui::Window* FindControl(ui::Dialog& dialog, const std::string& name) {
    char* end = nullptr;
    long id = std::strtol(name.c_str(), &end, 10);
    if (!name.empty() && end && *end == '\0')
        return dialog.Control(static_cast<int>(id));
    for (ui::Window* child : dialog.Children()) {
        std::string text = child->Text();
        text.erase(std::remove(text.begin(), text.end(), '&'), text.end());
        if (text == name && child->IsVisible())
            return child;
    }
    return nullptr;
}

// A part that some window of the tree shows (a heading, a cell, a list item): the window and the part's
// rectangle in its client coordinates.
ui::Window* FindShownItem(ui::Window& window, const std::string& name, ui::Rect& rect) {
    if (window.IsShown() && window.FindItem(name, rect))
        return &window;
    for (ui::Window* child : window.Children())
        if (ui::Window* found = FindShownItem(*child, name, rect))
            return found;
    return nullptr;
}

bool FindHeader(ui::Window& window, const std::string& name, ui::Point& screen) {
    ui::Rect rect;
    ui::Window* found = FindShownItem(window, name, rect);
    if (found)
        screen = Centre(*found, rect);
    return found != nullptr;
}

void DescribeTo(std::ostream& out, const ui::Window& window, const std::string& indent) {
    std::istringstream lines(window.Describe());
    for (std::string line; std::getline(lines, line);)
        out << indent << line << "\n";
}

// Windows inside a control that show something of their own, such as a grid's open drop list.
void DumpShownParts(std::ostream& out, const ui::Window& window) {
    for (const ui::Window* part : window.Children()) {
        if (!part->IsShown())
            continue;
        if (!part->Describe().empty()) {
            out << "    part " << part->Id() << "\n";
            DescribeTo(out, *part, "      ");
        }
        DumpShownParts(out, *part);
    }
}

// The dialog's controls with an id (labels and frames without one never change), or only control `only`.
void DumpWindow(std::ostream& out, const ui::Window& window, int only) {
    for (const ui::Window* child : window.Children()) {
        if (child->Id() == -1 || (only != -1 && child->Id() != only))
            continue;
        out << "  " << child->Id() << " \"" << child->Text() << "\"";
        if (!child->IsEnabled())
            out << " disabled";
        if (!child->IsShown())
            out << " hidden";
        out << "\n";
        DescribeTo(out, *child, "    ");
        DumpShownParts(out, *child);
    }
}

const std::pair<const char*, int> kKeyNames[] = {
    {"escape", ui::KeyEscape}, {"enter", ui::KeyEnter}, {"tab", ui::KeyTab},   {"back", ui::KeyBack},
    {"delete", ui::KeyDelete}, {"up", ui::KeyUp},       {"down", ui::KeyDown}, {"left", ui::KeyLeft},
    {"right", ui::KeyRight},   {"home", ui::KeyHome},   {"end", ui::KeyEnd},   {"pageup", ui::KeyPageUp},
    {"pagedown", ui::KeyPageDown}, {"f2", ui::KeyF2},   {"space", ui::KeySpace}, {"insert", ui::KeyInsert},
    {"f4", ui::KeyF4},
};

// " (1000 Hz 50 ms, default sound)": every beep so far, or nothing when there was none.
std::string BeepTones(const ui::WindowSystem& system) {
    std::string text;
    for (const ui::BeepRecord& beep : system.BeepRecords()) {
        text += text.empty() ? " (" : ", ";
        text += beep.frequency > 0 ? std::to_string(beep.frequency) + " Hz " + std::to_string(beep.duration) + " ms"
                                   : std::string("default sound");
    }
    return text.empty() ? text : text + ")";
}

bool ParseNumber(const std::string& text, double& value) {
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && end && *end == '\0';
}

bool ParsePoint(const std::string& text, cad::Point3d& point) {
    auto comma = text.find(',');
    if (comma == std::string::npos)
        return false;
    double x = 0.0;
    double y = 0.0;
    if (!ParseNumber(text.substr(0, comma), x) || !ParseNumber(text.substr(comma + 1), y))
        return false;
    point = cad::Point3d{x, y, 0.0};
    return true;
}
} // namespace

void Session::Attach() {
    cad::Host::Instance().GetEditor().SetInput(this);
    ui::WindowSystem& system = ui::WindowSystem::Instance();
    system.Headless().onIdle = [this](ui::WindowSystem& s) { return Idle(s); };
    system.Headless().onMessageBox = [this](const std::string& text, int type, int& answer) {
        return MessageBoxAnswer(text, type, answer);
    };
}

void Session::Detach() {
    cad::Host::Instance().GetEditor().SetInput(nullptr);
    ui::WindowSystem& system = ui::WindowSystem::Instance();
    system.Headless().onIdle = nullptr;
    system.Headless().onMessageBox = nullptr;
}

bool Session::Fail(const Step& step, const std::string& why) {
    if (m_error.empty()) {
        std::ostringstream text;
        if (step.line > 0)
            text << "line " << step.line << ": ";
        text << why;
        m_error = text.str();
    }
    return false;
}

bool Session::Select(const Step& step, cad::Answer& answer) {
    cad::SelectionAnswer selection;
    const cad::Database& db = cad::Host::Instance().WorkingDatabase();
    if (step.kind == Step::SelectAll || step.kind == Step::SelectAllLayouts) {
        selection.everything = true;
        selection.allLayouts = step.kind == Step::SelectAllLayouts;
    } else if (step.kind == Step::SelectLayer) {
        const auto* model = db.PeekAs<cad::BlockTableRecord>(db.ModelSpaceId());
        for (cad::ObjectId id : model ? model->entities : std::vector<cad::ObjectId>{}) {
            const auto* entity = db.PeekAs<cad::Entity>(id);
            if (entity && !entity->IsErased() && Upper(entity->layer) == Upper(step.text))
                selection.ids.push_back(id);
        }
    } else {
        // What the live view would take in a window dragged between the two corners.
        render::Scene scene;
        scene.Build(db);
        render::Box window;
        window.Add(step.a.x, step.a.y);
        window.Add(step.b.x, step.b.y);
        selection.ids = scene.InBox(window, false);
    }
    answer = selection;
    return true;
}

bool Session::ScaleEvents(const Step& step, cad::Answer& answer) {
    const cad::BlockTableRecord* table = NewestTable(cad::Host::Instance().WorkingDatabase());
    if (!table)
        return Fail(step, "there is no table block to drag");
    render::Box box;
    for (cad::ObjectId id : table->entities) {
        const auto* line = cad::Host::Instance().WorkingDatabase().PeekAs<cad::Line>(id);
        if (line) {
            box.Add(line->start.x, line->start.y);
            box.Add(line->end.x, line->end.y);
        }
    }
    if (box.Empty())
        return Fail(step, "the table block has no rules");
    cad::Point3d corner{m_lastPoint.x + step.number * (box.maxX - box.minX),
                        m_lastPoint.y - step.number * (box.maxY - box.minY), 0.0};
    m_pendingEvents.push_back(cad::InputEvent{cad::EventType::Pick, corner, 0});
    answer = cad::InputEvent{cad::EventType::Motion, corner, 0};
    return true;
}

bool Session::Next(cad::Request request, const std::string& prompt, cad::Answer& answer, std::string& error) {
    if (request == cad::Request::Event && !m_pendingEvents.empty()) {
        answer = m_pendingEvents.front();
        m_pendingEvents.pop_front();
        return true;
    }
    if (m_steps.empty()) {
        error = std::string("the session has no answer for the ") + cad::RequestName(request) + " request" +
                (prompt.empty() ? "" : " \"" + prompt + "\"");
        Fail(Step{}, error);
        return false;
    }
    Step step = m_steps.front();
    if (m_log && request == cad::Request::File)
        *m_log << "file dialog \"" << prompt << "\"\n";
    bool ok = false;
    switch (step.kind) {
    case Step::Cancel:
        answer = cad::CancelAnswer{};
        ok = true;
        break;
    case Step::File:
        ok = request == cad::Request::File;
        answer = cad::FileAnswer{step.text};
        break;
    case Step::SelectAll:
    case Step::SelectAllLayouts:
    case Step::SelectLayer:
    case Step::SelectWindow: ok = request == cad::Request::Selection && Select(step, answer); break;
    case Step::Point:
        if (request == cad::Request::Point) {
            answer = cad::PointAnswer{step.a};
            m_lastPoint = step.a;
            ok = true;
        } else if (request == cad::Request::Event) {
            answer = cad::InputEvent{cad::EventType::Pick, step.a, 0};
            ok = true;
        }
        break;
    case Step::Motion:
        ok = request == cad::Request::Event;
        answer = cad::InputEvent{cad::EventType::Motion, step.a, 0};
        break;
    case Step::Return:
        if (request == cad::Request::Event) {
            answer = cad::InputEvent{cad::EventType::Key, {}, 13};
            ok = true;
        } else if (request == cad::Request::Point || request == cad::Request::Text) {
            answer = cad::EmptyAnswer{};
            ok = true;
        }
        break;
    case Step::Scale: ok = request == cad::Request::Event && ScaleEvents(step, answer); break;
    case Step::TypeText:
        // Typed at a prompt of the command line and ended by Enter.
        ok = request == cad::Request::Text;
        answer = cad::TextAnswer{step.text};
        break;
    default: break;
    }
    if (!ok) {
        error = std::string("the ") + cad::RequestName(request) + " request" +
                (prompt.empty() ? "" : " \"" + prompt + "\"") + " cannot take the step \"" + KindName(step.kind) + "\"";
        Fail(step, error);
        return false;
    }
    m_steps.pop_front();
    return true;
}

bool Session::ConfirmReplace(const cad::FilePrompt& prompt, const std::string& path) {
    if (m_filesFromCommandLine)
        return true;
    ui::WindowSystem& system = ui::WindowSystem::Instance();
    int answer = system.MessageBox(system.Modal(), cad::ReplaceQuestion(path), prompt.title, ui::MessageBoxYesNo);
    // A script without the answer has already failed: nothing is replaced on a guess.
    return answer == ui::ResultYes && m_error.empty();
}

bool Session::MessageBoxAnswer(const std::string& text, int, int& answer) {
    if (m_steps.empty() || m_steps.front().kind != Step::Answer)
        return Fail(m_steps.empty() ? Step{} : m_steps.front(), "a message box \"" + text + "\" wants an answer");
    answer = static_cast<int>(m_steps.front().number);
    m_steps.pop_front();
    if (m_log)
        *m_log << "message box \"" << text << "\": " << answer << "\n";
    return true;
}

bool Session::Idle(ui::WindowSystem& system) {
    if (!m_error.empty() || m_steps.empty())
        return false;
    auto* dialog = dynamic_cast<ui::Dialog*>(system.Modal());
    Step step = m_steps.front();
    if (!dialog)
        return Fail(step, "no dialog is open");
    m_steps.pop_front();
    switch (step.kind) {
    case Step::ClickControl: {
        ui::Window* control = FindControl(*dialog, step.text);
        if (!control || !control->IsShown())
            return Fail(step, "the dialog has no control \"" + step.text + "\"");
        system.Click(Centre(*control, control->ClientRect()));
        system.Advance(600); // so that the next click is no double click
        return true;
    }
    case Step::ClickHeader: {
        ui::Point at;
        if (!FindHeader(*dialog, step.text, at))
            return Fail(step, "the dialog shows no heading \"" + step.text + "\"");
        system.Click(at);
        system.Advance(600);
        return true;
    }
    case Step::ClickCell: {
        ui::Rect rect;
        ui::Window* area = FindShownItem(*dialog, "cell:" + step.text + ":" + std::to_string(static_cast<long>(step.number)), rect);
        if (!area)
            return Fail(step, "the dialog shows no cell " + step.text + " " + std::to_string(static_cast<long>(step.number)));
        ui::Point at = step.button ? area->ClientToScreen(ui::Point{rect.right - 6, (rect.top + rect.bottom) / 2})
                                   : area->ClientToScreen(ui::Point{rect.left + 4, (rect.top + rect.bottom) / 2});
        system.Click(at);
        system.Advance(600);
        return true;
    }
    case Step::Choose: {
        ui::Rect rect;
        for (ui::Window* top : system.TopLevels()) {
            if (ui::Window* list = FindShownItem(*top, step.text, rect)) {
                system.Click(Centre(*list, rect));
                system.Advance(600);
                return true;
            }
        }
        return Fail(step, "no open list offers \"" + step.text + "\"");
    }
    case Step::Wait: system.Advance(static_cast<int>(step.number)); return true;
    case Step::CloseBox: {
        ui::Rect box = dialog->CloseBoxRect();
        if (box.IsEmpty())
            return Fail(step, "the dialog \"" + dialog->Text() + "\" has no close box");
        ui::Rect frame = dialog->ScreenRect();
        system.Click(ui::Point{frame.left + (box.left + box.right) / 2, frame.top + (box.top + box.bottom) / 2});
        system.Advance(600);
        return true;
    }
    case Step::Dump:
        if (m_log) {
            *m_log << "dialog \"" << dialog->Text() << "\", beeps " << system.Beeps() << BeepTones(system) << "\n";
            DumpWindow(*m_log, *dialog, step.text.empty() ? -1 : std::atoi(step.text.c_str()));
            m_log->flush();
        }
        return true;
    case Step::Key: system.PressKey(static_cast<int>(step.number), step.modifiers); return true;
    case Step::TypeText: system.Type(step.text); return true;
    case Step::Snapshot: {
        std::unique_ptr<ui::Image> image = system.Render(*dialog);
        if (!image || !image->SavePng(step.text))
            return Fail(step, "cannot write the snapshot " + step.text);
        return true;
    }
    default:
        return Fail(step, std::string("the dialog \"") + dialog->Text() + "\" cannot take the step \"" +
                              KindName(step.kind) + "\"");
    }
}

} // namespace hostapp

namespace hostapp {

bool ParseStep(const std::string& line, Step& step, std::string& error) {
    std::string word = line.substr(0, line.find(' '));
    std::string rest = word.size() < line.size() ? line.substr(word.size() + 1) : std::string();
    step = Step{};
    auto need = [&](bool ok, const char* form) {
        if (!ok)
            error = std::string("\"") + word + "\" takes " + form;
        return ok;
    };
    if (word == "file") {
        step.kind = Step::File;
        step.text = rest;
        return need(!rest.empty(), "a path");
    }
    if (word == "close") {
        step.kind = Step::CloseBox;
        return need(rest.empty(), "nothing more");
    }
    if (word == "cancel" || word == "enter") {
        step.kind = word == "cancel" ? Step::Cancel : Step::Return;
        return need(rest.empty(), "nothing more");
    }
    if (word == "dump") {
        step.kind = Step::Dump;
        step.text = rest;
        char* end = nullptr;
        [[maybe_unused]] long id = std::strtol(rest.c_str(), &end, 10);
        return need(rest.empty() || (end && *end == '\0'), "nothing, or the id of one control");
    }
    if (word == "select") {
        if (rest == "all" || rest == "all-layouts") {
            step.kind = rest == "all" ? Step::SelectAll : Step::SelectAllLayouts;
            return true;
        }
        if (rest.rfind("layer ", 0) == 0 && rest.size() > 6) {
            step.kind = Step::SelectLayer;
            step.text = rest.substr(6);
            return true;
        }
        step.kind = Step::SelectWindow;
        auto space = rest.find(' ');
        bool ok = rest.rfind("window ", 0) == 0 && space != std::string::npos;
        if (ok) {
            std::string corners = rest.substr(7);
            auto comma = corners.find(',', corners.find(',') + 1);
            ok = comma != std::string::npos && ParsePoint(corners.substr(0, comma), step.a) &&
                 ParsePoint(corners.substr(comma + 1), step.b);
        }
        return need(ok, "all, all-layouts, layer NAME or window X1,Y1,X2,Y2");
    }
    if (word == "pick" || word == "move") {
        step.kind = word == "pick" ? Step::Point : Step::Motion;
        return need(ParsePoint(rest, step.a), "X,Y");
    }
    if (word == "scale" || word == "wait") {
        step.kind = word == "scale" ? Step::Scale : Step::Wait;
        return need(ParseNumber(rest, step.number) && step.number >= 0.0, "a number");
    }
    if (word == "click" || word == "header" || word == "choose" || word == "snapshot" || word == "type") {
        step.kind = word == "click" ? Step::ClickControl : word == "header" ? Step::ClickHeader
                  : word == "choose" ? Step::Choose : word == "snapshot" ? Step::Snapshot : Step::TypeText;
        step.text = rest;
        return need(!rest.empty(), "a text");
    }
    if (word == "cell" || word == "drop") {
        step.kind = Step::ClickCell;
        step.button = word == "drop";
        auto space = rest.rfind(' ');
        bool ok = space != std::string::npos && space > 0 && ParseNumber(rest.substr(space + 1), step.number);
        if (ok)
            step.text = rest.substr(0, space);
        return need(ok, "a column (its number or heading) and a row");
    }
    if (word == "key") {
        step.kind = Step::Key;
        // "alt+f4": keys held with it first.
        const std::pair<const char*, unsigned> held[] = {
            {"alt+", ui::ModAlt}, {"ctrl+", ui::ModControl}, {"shift+", ui::ModShift}};
        for (bool more = true; more;) {
            more = false;
            for (const auto& [prefix, modifier] : held) {
                if (rest.rfind(prefix, 0) == 0 && rest.size() > std::strlen(prefix)) {
                    step.modifiers |= modifier;
                    rest = rest.substr(std::strlen(prefix));
                    more = true;
                }
            }
        }
        for (const auto& [name, key] : kKeyNames)
            if (rest == name)
                step.number = key;
        // A letter: its key ("alt+s"); a number stays a key code.
        if (rest.size() == 1 && std::isalpha(static_cast<unsigned char>(rest[0])))
            step.number = std::toupper(static_cast<unsigned char>(rest[0]));
        if (step.number == 0.0 && !ParseNumber(rest, step.number))
            return need(false, "a key name (escape, enter, tab, back, delete, up, down, ...) or a key code");
        return true;
    }
    if (word == "answer") {
        step.kind = Step::Answer;
        const std::pair<const char*, int> answers[] = {{"ok", ui::ResultOk}, {"cancel", ui::ResultCancel},
                                                        {"yes", ui::ResultYes}, {"no", ui::ResultNo}};
        for (const auto& [name, value] : answers)
            if (rest == name)
                step.number = value;
        return need(step.number != 0.0, "yes, no, cancel or ok");
    }
    error = "\"" + word + "\" is no step of a script";
    return false;
}

} // namespace hostapp
