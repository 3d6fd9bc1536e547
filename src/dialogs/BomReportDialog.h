#pragma once

#include "bom/BomReport.h"
#include "dialogs/DialogResources.h"
#include "dialogs/ReportGrid.h"
#include "table/TableOptions.h"
#include "platform/ui/Dialog.h"
#include "table/PriceTableBuilder.h"

namespace vantorel {

// The "BOM Report" dialog: the counted report in a sortable grid, saved as a text file or built into a table
// block. It ends with OK only when a table block was built and is to be placed.
class BomReportDialog : public ui::Dialog {
public:
    enum ControlId : int { IdClose = 212, IdAttachNew = 213, IdGrid = 216, IdCatalogPath = 214, IdSaveToFile = 200,
                           IdInsert = 207, IdShowPrice = 221 };

    explicit BomReportDialog(ui::Window* parent);
    ~BomReportDialog() override;

    // False when the module's template could not be found: the dialog cannot be shown.
    bool HasTemplate() const { return Template().id == kReportDialogId; }
    ui::Window* Parent() const { return m_parent; }
    // The widths and the catalogue path remembered from the last report.
    void LoadSettings();
    int Run() { return DoModal(m_parent); }

    void CloseReport();
    void SaveReportToFile();
    void onInsertTable();
    void ToggleShowPrice();
    void AttachNewCatalog();

    bool OnInitDialog() override;
    void OnCommand(int id, int code) override;
    // Enter where no button takes it ends the report like a close, but without keeping the settings.
    void OnOK() override { EndDialog(ui::kIdCancel); }
    void OnClose() override { CloseReport(); }
    void OnMouseDown(const ui::MouseEvent& event) override;

    ReportGrid grid;
    BomReport report;
    char tableBlockName[kTableNameSize] = {};
    // The table Insert refreshed in place of the one placed before, when the drawing's switch asks for that.
    PlacedTable replaced;
    ui::Window* catalogPathLabel = nullptr;
    int showPriceValue = 0;

private:
    ui::Window* m_parent;
};

// The report dialog made last; the grid's Escape reaches its dialog through it.
extern BomReportDialog* g_lastReportDialog;

} // namespace vantorel
