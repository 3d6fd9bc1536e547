// The viewer's own commands: which layout is on view, and where the view looks.
#include "GuiApp.h"
#include "GuiText.h"

#include "platform/cad/Host.h"
#include "platform/cad/Text.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <cstdlib>
#include <variant>

namespace gui {

void GuiApp::ChooseLayout() {
    const cad::Database& database = cad::Host::Instance().WorkingDatabase();
    std::vector<render::LayoutEntry> layouts = render::Layouts(database);
    std::string current = "Model";
    std::string list;
    for (const render::LayoutEntry& layout : layouts) {
        if (layout.block == (m_space == cad::kNullId ? database.ModelSpaceId() : m_space))
            current = layout.name;
        list += (list.empty() ? "" : ", ") + layout.name;
    }
    PrintLine("Layouts: " + list);
    cad::Answer answer;
    std::string error;
    if (!input.Next(cad::Request::Text, "Layout to show <" + current + ">: ", answer, error))
        return;
    const auto* typed = std::get_if<cad::TextAnswer>(&answer);
    if (!typed)
        return;
    std::string name = Trim(typed->text);
    if (!ShowLayout(name))
        PrintLine("No layout is named \"" + name + "\": type one of " + list);
}

bool GuiApp::ShowLayout(const std::string& name) {
    const cad::Database& database = cad::Host::Instance().WorkingDatabase();
    std::vector<render::LayoutEntry> layouts = render::Layouts(database);
    auto chosen = std::find_if(layouts.begin(), layouts.end(),
                               [&](const render::LayoutEntry& l) { return cad::NamesEqual(l.name, name); });
    if (chosen == layouts.end())
        return false;
    m_space = chosen->block == database.ModelSpaceId() ? cad::kNullId : chosen->block;
    std::string shown = chosen->name;
    Reload();
    main.view.FitAll();
    PrintLine("Showing " + shown);
    Trace("layout " + shown);
    return true;
}

bool GuiApp::AskPoint(const std::string& prompt, double& x, double& y) {
    cad::Answer answer;
    std::string error;
    if (!input.Next(cad::Request::Point, prompt, answer, error))
        return false;
    const auto* point = std::get_if<cad::PointAnswer>(&answer);
    if (!point)
        return false;
    x = point->point.x;
    y = point->point.y;
    return true;
}

void GuiApp::Zoom() {
    cad::Answer answer;
    std::string error;
    if (!input.Next(cad::Request::Text, "Zoom [Extents/Window/Previous] or a scale (2, 0.5) <Extents>: ", answer, error))
        return;
    if (std::holds_alternative<cad::CancelAnswer>(answer))
        return;
    const auto* typed = std::get_if<cad::TextAnswer>(&answer);
    std::string option = typed ? Upper(Trim(typed->text)) : std::string();
    if (option.empty() || option == "E" || option == "EXTENTS" || option == "A" || option == "ALL") {
        main.view.FitAll();
        return;
    }
    if (option == "W" || option == "WINDOW") {
        double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
        if (!AskPoint("First corner: ", x1, y1) || !AskPoint("Opposite corner: ", x2, y2))
            return;
        if (x1 == x2 || y1 == y2) {
            PrintLine("The window has no area: give two corners apart.");
            return;
        }
        Box box;
        box.Add(x1, y1);
        box.Add(x2, y2);
        main.view.ZoomWindow(box);
        return;
    }
    if (option == "P" || option == "PREVIOUS") {
        if (!main.view.ZoomPrevious())
            PrintLine("No previous view.");
        return;
    }
    // A scale: "2" or "2x", both relative to the view as it is.
    std::string number = option.back() == 'X' ? option.substr(0, option.size() - 1) : option;
    char* end = nullptr;
    double factor = std::strtod(number.c_str(), &end);
    if (end == number.c_str() || *end != '\0' || !(factor > 0.0) || factor > 1e6) {
        PrintLine("Type E, W, P or a scale greater than 0, such as 2 or 0.5.");
        return;
    }
    main.view.ZoomScale(factor);
}

void GuiApp::Layers() {
    cad::Host& host = cad::Host::Instance();
    cad::Database& db = host.WorkingDatabase();
    const auto* table = db.PeekAs<cad::SymbolTable>(db.LayerTableId());
    if (!table)
        return;
    // How many objects each layer holds, in every layout.
    std::map<std::string, std::size_t> counts;
    for (cad::ObjectId space : db.LayoutBlocks()) {
        const auto* block = db.PeekAs<cad::BlockTableRecord>(space);
        for (cad::ObjectId id : block ? block->entities : std::vector<cad::ObjectId>{})
            if (const auto* entity = db.PeekAs<cad::Entity>(id); entity && !entity->IsErased())
                ++counts[Upper(entity->layer.str())];
    }
    PrintLine("Layer                    Colour  On   Frozen  Objects");
    for (cad::ObjectId id : table->records) {
        const auto* layer = db.PeekAs<cad::LayerTableRecord>(id);
        if (!layer || layer->IsErased())
            continue;
        char row[160];
        std::snprintf(row, sizeof row, "%-24s %6d  %-4s %-7s %7zu", layer->name.c_str(), std::abs(layer->color),
                      layer->color < 0 ? "off" : "on", (layer->flags & cad::kLayerFrozen) ? "yes" : "no",
                      counts[Upper(layer->name)]);
        PrintLine(row);
    }
    std::string current;
    if (const auto* value = host.Variable("CLAYER"))
        if (const auto* text = std::get_if<std::string>(value))
            current = *text;
    db.BeginUndoStep("LAYER");
    for (;;) {
        cad::Answer answer;
        std::string error;
        if (!input.Next(cad::Request::Text, "Layer [ON/OFF/Freeze/Thaw] and its name (off WALLS), or Enter to end: ",
                        answer, error))
            break;
        const auto* typed = std::get_if<cad::TextAnswer>(&answer);
        if (!typed)
            break;
        std::string line = Trim(typed->text);
        std::size_t space = line.find(' ');
        std::string option = Upper(line.substr(0, space));
        std::string name = space == std::string::npos ? std::string() : Trim(line.substr(space + 1));
        bool known = option == "ON" || option == "OFF" || option == "F" || option == "FREEZE" || option == "T" ||
                     option == "THAW";
        if (!known || name.empty()) {
            PrintLine("Type ON, OFF, FREEZE or THAW and a layer's name, such as off WALLS.");
            continue;
        }
        cad::ObjectId found = cad::kNullId;
        for (cad::ObjectId id : table->records) {
            const auto* layer = db.PeekAs<cad::LayerTableRecord>(id);
            if (layer && !layer->IsErased() && cad::NamesEqual(layer->name, name))
                found = id;
        }
        const auto* layer = db.PeekAs<cad::LayerTableRecord>(found);
        if (!layer) {
            PrintLine("No layer is named \"" + name + "\".");
            continue;
        }
        bool freezing = option == "F" || option == "FREEZE";
        if (freezing && cad::NamesEqual(layer->name, current)) {
            PrintLine("Cannot freeze the current layer " + layer->name + ": make another layer current first.");
            continue;
        }
        int color = std::abs(layer->color == 0 ? 7 : layer->color);
        bool off = option == "OFF" || (option != "ON" && layer->color < 0);
        int flags = layer->flags;
        if (freezing)
            flags |= cad::kLayerFrozen;
        else if (option == "T" || option == "THAW")
            flags &= ~cad::kLayerFrozen;
        [[maybe_unused]] bool changed = db.ChangeLayer(found, off ? -color : color, flags);
        std::string state = option == "ON" ? "on" : option == "OFF" ? "off" : freezing ? "frozen" : "thawed";
        PrintLine("Layer " + layer->name + " is " + state + ".");
        Trace("layer " + layer->name + " " + state);
        Reload();
    }
    db.EndUndoStep();
    Reload();
}

void GuiApp::PanByPoints() {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    if (!AskPoint("Base point: ", x1, y1) || !AskPoint("Second point: ", x2, y2))
        return;
    main.view.Pan(x2 - x1, y2 - y1);
}

} // namespace gui
