#include "host/Commands.h"

#include "host/HostServices.h"
#include "host/ResourceScope.h"

namespace vantorel {

void RegisterCommands() {
    if (AcEdCommandStack* stack = FindCommandStack())
        [[maybe_unused]] Acad::ErrorStatus status = stack->addCommand(
            kCommandGroup, "VirivIdiro_Global", "KXBOMT", ACRX_CMD::kModal, &RunCatalogCommand, nullptr, -1, nullptr,
            nullptr);
    if (AcEdCommandStack* stack = FindCommandStack())
        [[maybe_unused]] Acad::ErrorStatus status = stack->addCommand(
            kCommandGroup, "CalcPrice_Global", "KXBOMC", ACRX_CMD::kTransparent, &RunReportCommand, nullptr, -1,
            nullptr, nullptr);
}

void RemoveCommands() {
    if (AcEdCommandStack* stack = FindCommandStack())
        [[maybe_unused]] Acad::ErrorStatus status = stack->removeGroup(kCommandGroup);
}

// FIXME: the BOM Template dialog runs here once the window framework exists.
void RunCatalogCommand() {
    ResourceScope scope;
}

// FIXME: the report flow runs here once the census, the report dialog and the table exist.
void RunReportCommand() {
    ResourceScope scope;
}

} // namespace vantorel
