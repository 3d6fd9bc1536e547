#include "host/Commands.h"

#include "host/HostServices.h"
#include "host/ResourceScope.h"

#include "bom/BlockCensus.h"
#include "bom/BomReport.h"
#include "dialogs/BomReportDialog.h"
#include "dialogs/BomTemplateDialog.h"
#include "platform/ui/WindowSystem.h"
#include "table/TablePlacement.h"

#include <memory>

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

namespace {
// The host's main window as the framework knows it; null when the host shows none.
ui::Window* HostMainWindow() {
    return ui::WindowSystem::Instance().FromHandle(adsw_acadMainWnd());
}

void ReportFlow() {
    auto dialog = std::make_unique<BomReportDialog>(HostMainWindow());
    // As with the catalogue command: no dialog, no command, and nothing said.
    if (!dialog->HasTemplate())
        return;
    dialog->LoadSettings();
    resbuf chosen{};
    if (acedGetFileD("Open", g_catalogFile.c_str(), "prc", 2, &chosen) == RTNORM && chosen.restype == RTSTR) {
        HostString name(chosen.resval.rstring);
        std::string path = name.Get();
        if (!dialog->report.ReadCatalog(path))
            return;
        g_catalogFile = path;
    } else {
        g_catalogFile.clear();
    }
    BlockCensus census;
    census.cataloguedOnly = dialog->grid.cataloguedOnly;
    if (!census.CountSelection(dialog->report))
        return;
    if (dialog->Run() != ui::kIdOk)
        return;
    if (dialog->replaced.found)
        placeTableAt(dialog->tableBlockName, dialog->replaced.corner, dialog->replaced.scale);
    else
        placeTable(dialog->tableBlockName, dialog->grid.tableWidth, dialog->grid.tableHeight);
}
} // namespace

void RunCatalogCommand() {
    ResourceScope scope;
    auto dialog = std::make_unique<BomTemplateDialog>(HostMainWindow());
    // A dialog that cannot be made ends the command without a word; there is nothing to lose yet.
    if (dialog->HasTemplate())
        [[maybe_unused]] int result = dialog->Run();
}

void RunReportCommand() {
    ResourceScope scope;
    ReportFlow();
}

} // namespace vantorel
