// The viewer's own commands: which layout is on view, and where the view looks.
#include "GuiApp.h"
#include "GuiText.h"

#include "platform/cad/Host.h"
#include "platform/cad/Text.h"

#include <algorithm>
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
    auto chosen = std::find_if(layouts.begin(), layouts.end(),
                               [&](const render::LayoutEntry& l) { return cad::NamesEqual(l.name, name); });
    if (chosen == layouts.end()) {
        PrintLine("No layout is named \"" + name + "\": type one of " + list);
        return;
    }
    m_space = chosen->block == database.ModelSpaceId() ? cad::kNullId : chosen->block;
    main.status.SetLayout(chosen->name);
    Reload();
    main.view.FitAll();
    PrintLine("Showing " + chosen->name);
    Trace("layout " + chosen->name);
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

void GuiApp::PanByPoints() {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    if (!AskPoint("Base point: ", x1, y1) || !AskPoint("Second point: ", x2, y2))
        return;
    main.view.Pan(x2 - x1, y2 - y1);
}

} // namespace gui
