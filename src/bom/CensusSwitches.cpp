#include "bom/CensusSwitches.h"

#include "bom/BlockNames.h"
#include "host/HostServices.h"

namespace vantorel {

CensusSwitches ReadCensusSwitches() {
    CensusSwitches switches;
    switches.effectiveNames = HostSwitchOn("BOMNAMES");
    switches.nested = HostSwitchOn("BOMNESTED");
    switches.grids = HostSwitchOn("BOMMINSERT");
    switches.skipTables = HostSwitchOn("BOMSKIPTABLES");
    switches.keyAttribute = HostText("BOMKEYATTR");
    switches.attributeTags = SplitAttributeTags(HostText("BOMATTRS"));
    return switches;
}

std::vector<std::string> SplitAttributeTags(const std::string& text) {
    std::vector<std::string> tags;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t comma = text.find(',', start);
        std::size_t end = comma == std::string::npos ? text.size() : comma;
        std::size_t first = text.find_first_not_of(" \t", start);
        std::string tag;
        if (first != std::string::npos && first < end) {
            std::size_t last = text.find_last_not_of(" \t", end - 1);
            tag = text.substr(first, last - first + 1);
        }
        bool repeated = false;
        for (const std::string& kept : tags)
            repeated = repeated || CompareNoCase(kept.c_str(), tag.c_str()) == 0;
        // Drawings keep tags in capitals; the columns are headed as the drawing has them.
        for (char& c : tag)
            c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        if (!tag.empty() && !repeated)
            tags.push_back(std::move(tag));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return tags;
}

std::string AttributedName(const std::string& name, const std::vector<std::string>& values) {
    if (values.empty())
        return name;
    std::string text = name + " (";
    for (std::size_t i = 0; i < values.size(); ++i)
        text += (i ? ", " : "") + values[i];
    return text + ")";
}

} // namespace vantorel
