#include "dialogs/BomReportDialog.h"

#include "bom/BlockCensus.h"
#include "bom/BomMessages.h"
#include "bom/SettingsFiles.h"
#include "exporters/ExportedReport.h"
#include "dialogs/DialogResources.h"
#include "host/HostServices.h"
#include "host/ModuleState.h"

#include <cstdio>

namespace vantorel {

BomReportDialog* g_lastReportDialog = nullptr;

namespace {
SettingsPaths ReportSettingsPaths() {
    return BuildSettingsPaths(SettingsSide::Report, modulePath);
}
} // namespace

BomReportDialog::BomReportDialog(ui::Window* parent)
    : ui::Dialog(LoadDialogTemplate(kReportDialogId)), m_parent(parent) {
    g_lastReportDialog = this;
}

BomReportDialog::~BomReportDialog() {
    if (grid.IsCreated())
        grid.Destroy();
}

void BomReportDialog::LoadSettings() {
    vantorel::LoadSettings(ReportSettingsPaths(), SettingsSide::Report, grid.columnWidths, g_catalogFile);
}

bool BomReportDialog::OnInitDialog() {
    ExchangeCheck(IdShowPrice, showPriceValue, true);
    if (!grid.BindToDialogControl(this, IdGrid))
        return true;
    grid.ShowReport(report);
    catalogPathLabel = Control(IdCatalogPath);
    if (catalogPathLabel)
        catalogPathLabel->SetText(g_catalogFile);
    showPriceValue = showPrice;
    ExchangeCheck(IdShowPrice, showPriceValue, true);
    return true;
}

void BomReportDialog::OnCommand(int id, int code) {
    if (code != ui::NotifyClicked) {
        ui::Dialog::OnCommand(id, code);
        return;
    }
    switch (id) {
    case IdClose: CloseReport(); break;
    case IdSaveToFile: SaveReportToFile(); break;
    case IdInsert: onInsertTable(); break;
    case IdShowPrice: ToggleShowPrice(); break;
    case IdAttachNew: AttachNewCatalog(); break;
    default: ui::Dialog::OnCommand(id, code); break;
    }
}

void BomReportDialog::OnMouseDown(const ui::MouseEvent& event) {
    SetFocus();
    ui::Dialog::OnMouseDown(event);
}

void BomReportDialog::CloseReport() {
    grid.SaveColumnWidths();
    int current[kReportColumns];
    for (int c = 0; c < kReportColumns; ++c)
        current[c] = grid.GetColumnWidth(c);
    SaveSettings(ReportSettingsPaths(), SettingsSide::Report, current, grid.columnWidths, g_catalogFile);
    EndDialog(ui::kIdCancel);
}

void BomReportDialog::SaveReportToFile() {
    std::string drawingName = HostText("DWGNAME");
    std::string proposal = ProposeReportFileName(g_catalogFile, drawingName);
    // With the host's BOMFILEFORMATS on, the dialog offers the other formats too, and a name ending in .csv, .xlsx
    // or .json asks for that format; otherwise every name gets the text file.
    bool formats = HostSwitchOn("BOMFILEFORMATS");
    resbuf chosen{};
    if (acedGetFileD("Save as", proposal.c_str(), formats ? "txt;csv;xlsx;json" : "txt", 1, &chosen) != RTNORM)
        return;
    HostString name(chosen.restype == RTSTR ? chosen.resval.rstring : nullptr);
    if (chosen.restype != RTSTR)
        return;
    std::string format = formats ? ExportFormatOf(name.Get()) : std::string();
    if (format.empty()) {
        [[maybe_unused]] bool written = grid.WriteTextFile(name.Get(), "w");
        return;
    }
    int codePage = _getmbcp();
    ExportedReport exported = ExportShownReport(grid, showPrice, codePage, ReadCensusSwitches());
    exported.catalog = CodePageToUtf8(g_catalogFile, codePage);
    exported.drawings.push_back(CodePageToUtf8(HostText("DWGPREFIX") + drawingName, codePage));
    std::string error;
    bool written = format == "csv"    ? WriteCsv(name.Get(), exported, error)
                   : format == "json" ? WriteJson(name.Get(), exported, error)
                                      : WriteXlsx(name.Get(), exported, error);
    if (!written)
        AlertFileNotOpened(name.Get());
}

void BomReportDialog::onInsertTable() {
    CloseReport();
    [[maybe_unused]] int existed = ensureTableTextStyle();
    TableOptions options = ReadTableOptions();
    if (options.replace) {
        // The table placed before gives way: its definition is filled anew, its reference placed again.
        PlacedTable placed = FindPlacedTable();
        if (placed.found && ClearPlacedTable(placed)) {
            replaced = placed;
            std::snprintf(tableBlockName, sizeof tableBlockName, "%.7s", placed.blockName.c_str());
            EndDialog(grid.buildTableBlock(tableBlockName, kTableStyleName, options.textHeight, options.cellsAsText) == 1
                          ? ui::kIdOk
                          : ui::kIdCancel);
            return;
        }
    }
    int number = nextTableNumber() + 1;
    if (number > kLastTableNumber) {
        acedAlert(kTooLargeTableNumber);
        EndDialog(ui::kIdCancel);
        return;
    }
    // The number is at most four digits here, so the name always fits its eight bytes.
    char name[16];
    std::snprintf(name, sizeof name, "QVT%04i", number);
    std::snprintf(tableBlockName, sizeof tableBlockName, "%.7s", name);
    EndDialog(grid.buildTableBlock(tableBlockName, kTableStyleName, options.textHeight, options.cellsAsText) == 1
                  ? ui::kIdOk
                  : ui::kIdCancel);
}

void BomReportDialog::ToggleShowPrice() {
    ExchangeCheck(IdShowPrice, showPriceValue, false);
    showPrice = showPriceValue;
    grid.ApplyShowPrice();
}

void BomReportDialog::AttachNewCatalog() {
    resbuf chosen{};
    if (acedGetFileD("Open", g_catalogFile.c_str(), "prc", 2, &chosen) != RTNORM || chosen.restype != RTSTR)
        return;
    HostString name(chosen.resval.rstring);
    std::string path = name.Get();
    if (!report.ReadCatalog(path, [this] { grid.DeleteAllRows(); }))
        return;
    g_catalogFile = path;
    BlockCensus census;
    census.cataloguedOnly = grid.cataloguedOnly;
    if (!census.CountSelection(report))
        return;
    grid.ShowReport(report);
    if (catalogPathLabel)
        catalogPathLabel->SetText(g_catalogFile);
}

} // namespace vantorel
