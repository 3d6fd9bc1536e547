#include "bom/CensusSwitches.h"

#include "host/HostServices.h"

namespace vantorel {

namespace {
// A switch is on when its variable holds a number other than 0; off when the host does not have it.
bool SwitchOn(const char* variable) {
    resbuf value{};
    if (acedGetVar(variable, &value) != RTNORM)
        return false;
    if (value.restype == RTSTR) {
        acad_free(value.resval.rstring);
        return false;
    }
    return (value.restype == RTSHORT && value.resval.rint != 0) || (value.restype == RTLONG && value.resval.rlong != 0);
}

std::string TextOf(const char* variable) {
    resbuf value{};
    if (acedGetVar(variable, &value) != RTNORM || value.restype != RTSTR)
        return {};
    HostString text(value.resval.rstring);
    return text.Get();
}
} // namespace

CensusSwitches ReadCensusSwitches() {
    CensusSwitches switches;
    switches.effectiveNames = SwitchOn("BOMNAMES");
    switches.nested = SwitchOn("BOMNESTED");
    switches.grids = SwitchOn("BOMMINSERT");
    switches.skipTables = SwitchOn("BOMSKIPTABLES");
    switches.keyAttribute = TextOf("BOMKEYATTR");
    return switches;
}

} // namespace vantorel
