// BOMFIND: the references behind a row of the report, shown in the drawing.
#include "GuiApp.h"
#include "GuiText.h"

#include "references/ReferenceList.h"

#include "bom/CensusSwitches.h"
#include "platform/cad/Host.h"
#include "platform/text/CodePage.h"

#include <algorithm>
#include <map>
#include <variant>

namespace gui {

void GuiApp::FindReferences() {
    const cad::Database& database = cad::Host::Instance().WorkingDatabase();
    cad::ObjectId space = m_space == cad::kNullId || m_spaceOf != &database ? database.ModelSpaceId() : m_space;
    const auto* block = database.PeekAs<cad::BlockTableRecord>(space);
    references::ReferenceList list(database, references::CountingRules::FromHost());
    list.Count(block ? block->entities : std::vector<cad::ObjectId>{});
    // Every name a reference answers to: its row's, and its name's alone when the row shows attribute values.
    const textkit::CodePage& page = textkit::Active();
    auto rowName = [](const references::CountedReference& r) {
        return vantorel::AttributedName(r.facts->countedName, r.facts->values);
    };
    cad::Answer answer;
    std::string error;
    if (!input.Next(cad::Request::Text, "Name to find as the report counts it (Enter lists them): ", answer, error))
        return;
    const auto* typed = std::get_if<cad::TextAnswer>(&answer);
    if (!typed && !std::holds_alternative<cad::EmptyAnswer>(answer))
        return;
    std::string wanted = typed ? page.Lower(Trim(typed->text)) : std::string();
    if (wanted.empty()) {
        std::map<std::string, std::uint64_t> counts;
        for (const references::CountedReference& r : list.References())
            counts[rowName(r)] += r.count;
        std::string names;
        for (const auto& [name, count] : counts)
            names += (names.empty() ? "" : ", ") + name + " " + std::to_string(count);
        PrintLine(names.empty() ? "No block references are counted in this layout." : "Counted here: " + names);
        return;
    }
    std::uint64_t found = 0;
    std::vector<cad::ObjectId> placed;
    for (const references::CountedReference& r : list.References()) {
        if (r.facts->countedName != wanted && page.Lower(rowName(r)) != wanted)
            continue;
        found += r.count;
        placed.push_back(r.outermost);
    }
    std::sort(placed.begin(), placed.end());
    placed.erase(std::unique(placed.begin(), placed.end()), placed.end());
    if (found == 0) {
        PrintLine("No reference in this layout is counted as \"" + Trim(typed->text) +
                  "\": BOMFIND and Enter lists the names counted here.");
        return;
    }
    input.ClearPreselection();
    input.Preselect(placed);
    Box box = scene.BoxOf(placed);
    if (!box.Empty()) {
        // A margin round them, and room for a single point.
        double margin = std::max({box.maxX - box.minX, box.maxY - box.minY, 1e-6}) * 0.1;
        box.Add(box.minX - margin, box.minY - margin);
        box.Add(box.maxX + margin, box.maxY + margin);
        main.view.ZoomWindow(box);
    }
    std::string nested = placed.size() == found ? std::string()
                                                : " in " + std::to_string(placed.size()) + " placed reference" +
                                                      (placed.size() == 1 ? "" : "s");
    PrintLine(std::to_string(found) + " reference" + (found == 1 ? "" : "s") + " counted as " + Trim(typed->text) +
              nested + ", highlighted; Escape clears.");
    Trace("found " + std::to_string(found));
}

} // namespace gui
