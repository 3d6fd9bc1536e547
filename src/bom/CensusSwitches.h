#pragma once

#include <string>
#include <vector>

namespace vantorel {

// What the census counts beyond each selected reference once under its stored name. The host's system
// variables say it; a host that has none of them leaves every one off, and the census is the plain one.
struct CensusSwitches {
    bool effectiveNames = false; // BOMNAMES 1: a dynamic block's state counts under the block's own name
    bool nested = false;         // BOMNESTED 1: the references inside a counted reference's definition count too
    bool grids = false;          // BOMMINSERT 1: a MINSERT counts columns × rows times
    bool skipTables = false;     // BOMSKIPTABLES 1: this program's own table blocks are not counted or offered
    std::string keyAttribute;    // BOMKEYATTR: a reference with this attribute counts under its value
    // BOMATTRS "TAG,TAG": references of one name with other values of these attributes count in rows of their own.
    std::vector<std::string> attributeTags;

    bool AnyCountingSwitch() const {
        return effectiveNames || nested || grids || skipTables || !keyAttribute.empty() || !attributeTags.empty();
    }
};

// The switches as the host's variables stand now.
[[nodiscard]] CensusSwitches ReadCensusSwitches();
// The tags of a BOMATTRS text in capitals: split at commas, blanks around each dropped, empty ones and repeats
// (in any case) left out.
[[nodiscard]] std::vector<std::string> SplitAttributeTags(const std::string& text);
// A row's name with the values of its attributes after it: "desk (oak, 160)"; the name alone without values.
[[nodiscard]] std::string AttributedName(const std::string& name, const std::vector<std::string>& values);

} // namespace vantorel
