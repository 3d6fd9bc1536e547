#include "bom/CensusSwitches.h"

#include "host/HostServices.h"

namespace vantorel {

CensusSwitches ReadCensusSwitches() {
    CensusSwitches switches;
    switches.effectiveNames = HostSwitchOn("BOMNAMES");
    switches.nested = HostSwitchOn("BOMNESTED");
    switches.grids = HostSwitchOn("BOMMINSERT");
    switches.skipTables = HostSwitchOn("BOMSKIPTABLES");
    switches.keyAttribute = HostText("BOMKEYATTR");
    return switches;
}

} // namespace vantorel
