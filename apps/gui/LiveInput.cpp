#include "GuiApp.h"
#include "GuiText.h"

#include "platform/cad/Host.h"
#include "platform/ui/Controls.h"
#include "platform/ui/WindowSystem.h"

#include <algorithm>
#include <cstdlib>

namespace gui {

namespace {
const char* RequestWord(cad::Request request) {
    switch (request) {
    case cad::Request::File: return "file";
    case cad::Request::Point: return "point";
    case cad::Request::Selection: return "selection";
    case cad::Request::Text: return "text";
    case cad::Request::Event: return "event";
    }
    return "?";
}

bool ParseXY(const std::string& text, double& x, double& y) {
    std::size_t comma = text.find(',');
    if (comma == std::string::npos)
        return false;
    char* end = nullptr;
    std::string first = text.substr(0, comma);
    std::string second = text.substr(comma + 1);
    x = std::strtod(first.c_str(), &end);
    if (first.empty() || !end || *end != '\0')
        return false;
    y = std::strtod(second.c_str(), &end);
    return !second.empty() && end && *end == '\0';
}
} // namespace

bool LiveInput::Next(cad::Request request, const std::string& prompt, cad::Answer& answer, std::string&) {
    if (request == cad::Request::File) {
        cad::FilePrompt file;
        if (!cad::ParseFilePrompt(prompt, file))
            file.title = prompt;
        std::string path;
        if (m_app.ChooseFile(file, path))
            answer = cad::FileAnswer{path};
        else
            answer = cad::CancelAnswer{};
        return true;
    }
    if (request != cad::Request::Event)
        m_pending.clear();
    if (request == cad::Request::Event && !m_pending.empty()) {
        answer = std::move(m_pending.front());
        m_pending.pop_front();
        return true;
    }
    bool again = m_request == request && m_prompt == OneLine(prompt);
    m_request = request;
    m_prompt = OneLine(prompt);
    m_asking = true;
    m_answered = false;
    if (request == cad::Request::Selection) {
        m_selected.clear();
        m_saidFound = false;
        // Objects picked before the command are its selection, as PICKFIRST asks.
        const cad::VariableValue* pickFirst = cad::Host::Instance().Variable("PICKFIRST");
        const auto* on = pickFirst ? std::get_if<std::int16_t>(pickFirst) : nullptr;
        if (!m_preselected.empty() && on && *on != 0) {
            answer = cad::SelectionAnswer{false, m_preselected};
            m_app.PrintLine(m_prompt);
            m_app.PrintLine(std::to_string(m_preselected.size()) + " found");
            m_app.Trace("request selection \"" + m_prompt + "\" answered by " + std::to_string(m_preselected.size()) +
                        " picked before");
            ClearPreselection();
            return true;
        }
    }
    // The drag loop of a table asks for one event after another; one line says it began.
    if (!again || request != cad::Request::Event)
        m_app.Trace(std::string("request ") + RequestWord(request) + " \"" + m_prompt + "\"");
    // A selection starts with nothing highlighted; anything else only needs the cursor and vectors again.
    if (request == cad::Request::Selection)
        m_app.main.view.SceneChanged();
    else
        m_app.main.view.Invalidate();
    m_app.main.commandLine.Invalidate();
    ui::WindowSystem& system = ui::WindowSystem::Instance();
    bool ran = system.RunUntil([this] { return m_answered || m_app.quitting; });
    m_asking = false;
    m_app.main.commandLine.Invalidate();
    if (request == cad::Request::Selection) {
        m_selected.clear();
        m_app.main.view.SceneChanged();
    }
    answer = ran && m_answered ? m_answer : cad::Answer{cad::CancelAnswer{}};
    return true;
}

void LiveInput::Answer(cad::Answer answer) {
    if (!m_asking)
        return;
    if (m_answered) {
        // Input that comes in the same breath as the answer belongs to the module's next look at the mouse:
        // kept for it, except that a move is worth keeping only as the latest one.
        if (m_request == cad::Request::Event) {
            const auto* event = std::get_if<cad::InputEvent>(&answer);
            bool motion = event && event->type == cad::EventType::Motion;
            const auto* last = m_pending.empty() ? nullptr : std::get_if<cad::InputEvent>(&m_pending.back());
            if (motion && last && last->type == cad::EventType::Motion)
                m_pending.back() = std::move(answer);
            else
                m_pending.push_back(std::move(answer));
        }
        return;
    }
    m_answer = std::move(answer);
    m_answered = true;
}

void LiveInput::SayFound(std::size_t found, std::size_t duplicates, std::size_t removed) {
    std::string line = removed > 0 ? std::to_string(removed) + " removed" : std::to_string(found) + " found";
    if (duplicates > 0)
        line += " (" + std::to_string(duplicates) + " duplicate)";
    if (m_saidFound || duplicates > 0 || removed > 0 || m_selected.size() != found)
        line += ", " + std::to_string(m_selected.size()) + " total";
    m_saidFound = true;
    m_app.PrintLine(line);
}

void LiveInput::Add(const std::vector<cad::ObjectId>& ids) {
    std::size_t duplicates = 0;
    for (cad::ObjectId id : ids) {
        if (std::find(m_selected.begin(), m_selected.end(), id) == m_selected.end())
            m_selected.push_back(id);
        else
            ++duplicates;
    }
    SayFound(ids.size(), duplicates, 0);
    m_app.Trace("selected " + std::to_string(m_selected.size()));
}

void LiveInput::Pick(double x, double y, double tolerance, bool remove) {
    cad::ObjectId id = m_app.scene.Pick(x, y, tolerance);
    if (id == cad::kNullId)
        return;
    if (!m_asking) {
        Preselect({id});
        return;
    }
    auto found = std::find(m_selected.begin(), m_selected.end(), id);
    if (remove) {
        if (found != m_selected.end()) {
            m_selected.erase(found);
            SayFound(0, 0, 1);
        }
        m_app.Trace("selected " + std::to_string(m_selected.size()));
        return;
    }
    Add({id});
}

void LiveInput::Rectangle(const Box& box, bool crossing) {
    std::vector<cad::ObjectId> inside = m_app.scene.InBox(box, crossing);
    if (!m_asking) {
        Preselect(inside);
        return;
    }
    Add(inside);
}

void LiveInput::Preselect(const std::vector<cad::ObjectId>& ids) {
    for (cad::ObjectId id : ids)
        if (std::find(m_preselected.begin(), m_preselected.end(), id) == m_preselected.end())
            m_preselected.push_back(id);
    m_app.Trace("picked " + std::to_string(m_preselected.size()));
    m_app.main.view.SceneChanged();
}

void LiveInput::ClearPreselection() {
    if (m_preselected.empty())
        return;
    m_preselected.clear();
    m_app.main.view.SceneChanged();
}

void LiveInput::SelectLayer(const std::string& name) {
    cad::Database& db = cad::Host::Instance().WorkingDatabase();
    const auto* layers = db.PeekAs<cad::SymbolTable>(db.LayerTableId());
    bool known = false;
    for (cad::ObjectId id : layers ? layers->records : std::vector<cad::ObjectId>{}) {
        const auto* layer = db.PeekAs<cad::LayerTableRecord>(id);
        known = known || (layer && !layer->IsErased() && cad::NamesEqual(layer->name, name));
    }
    if (!known) {
        m_app.PrintLine("No layer is named \"" + name + "\".");
        return;
    }
    const auto* model = db.PeekAs<cad::BlockTableRecord>(db.ModelSpaceId());
    std::vector<cad::ObjectId> on;
    for (cad::ObjectId id : model ? model->entities : std::vector<cad::ObjectId>{}) {
        const auto* entity = db.PeekAs<cad::Entity>(id);
        if (entity && !entity->IsErased() && cad::NamesEqual(entity->layer.str(), name))
            on.push_back(id);
    }
    Add(on);
    m_app.main.view.SceneChanged();
}

void LiveInput::SelectAll() {
    cad::Database& db = cad::Host::Instance().WorkingDatabase();
    const auto* model = db.PeekAs<cad::BlockTableRecord>(db.ModelSpaceId());
    std::vector<cad::ObjectId> all;
    for (cad::ObjectId id : model ? model->entities : std::vector<cad::ObjectId>{}) {
        const cad::Object* object = db.Peek(id);
        if (!object || object->IsErased())
            continue;
        all.push_back(id);
    }
    Add(all);
    m_app.main.view.SceneChanged();
}

void LiveInput::Motion(double x, double y) {
    Answer(cad::InputEvent{cad::EventType::Motion, cad::Point3d{x, y, 0.0}, 0});
}

void LiveInput::Key(int key) {
    if (m_asking && m_request == cad::Request::Event)
        Answer(cad::InputEvent{cad::EventType::Key, cad::Point3d{}, key});
}

void LiveInput::Escape() {
    if (!m_asking) {
        ClearPreselection();
        return;
    }
    // "*Cancel*" follows the prompt on its line.
    if (m_asking && !m_answered)
        m_app.OpenPrompt();
    Answer(cad::CancelAnswer{});
}

void LiveInput::Typed(const std::string& typed) {
    std::string text = Trim(typed);
    if (!text.empty() && m_request != cad::Request::Event)
        m_app.EchoTyped(text);
    switch (m_request) {
    case cad::Request::Point: {
        double x = 0.0;
        double y = 0.0;
        if (text.empty())
            Answer(cad::EmptyAnswer{});
        else if (ParseXY(text, x, y))
            Answer(cad::PointAnswer{cad::Point3d{x, y, 0.0}});
        else
            m_app.PrintLine("Point or option keyword required.");
        break;
    }
    case cad::Request::Selection:
        // "all" takes every object and asks on, as a drawing editor does: Enter ends the selection.
        if (Upper(text) == "ALL") {
            SelectAll();
        } else if (Upper(text).rfind("LAYER ", 0) == 0 && !Trim(text.substr(6)).empty()) {
            SelectLayer(Trim(text.substr(6)));
        } else if (text.empty() && m_selected.empty()) {
            // Nothing chosen yet: how to choose, and the selection goes on.
            m_app.PrintLine("Nothing selected: click objects, drag a window, type all or layer NAME; Escape cancels.");
        } else if (text.empty()) {
            Answer(cad::SelectionAnswer{false, m_selected});
        } else {
            m_app.PrintLine("Expects a point, a window, all or layer NAME.");
        }
        break;
    case cad::Request::Text:
        if (text.empty())
            Answer(cad::EmptyAnswer{});
        else
            Answer(cad::TextAnswer{typed});
        break;
    case cad::Request::Event: Key(ui::KeyEnter); break;
    default: break;
    }
}

} // namespace gui
