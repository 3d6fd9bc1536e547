#include "dialogs/BomTemplateDialog.h"

#include "bom/SettingsFiles.h"
#include "host/HostServices.h"
#include "host/ModuleState.h"
#include "platform/ui/WindowSystem.h"

namespace vantorel {

BomTemplateDialog* g_templateDialog = nullptr;

namespace {
constexpr int kFileToCreate = 1;
constexpr int kExistingFile = 2;
constexpr int kFlashPeriod = 200;
// One high short beep with the blinking message.
constexpr int kIncompleteBeepHz = 1000;
constexpr int kIncompleteBeepMs = 50;

SettingsPaths CatalogueSettingsPaths() {
    return BuildSettingsPaths(SettingsSide::Catalogue, modulePath);
}

// The path the host's file dialog answered with; false when the user closed it or no name came back.
bool ChooseCatalogFile(const char* title, const char* proposal, int flags, std::string& path) {
    resbuf chosen{};
    if (acedGetFileD(title, proposal, "prc", flags, &chosen) != RTNORM)
        return false;
    if (chosen.restype != RTSTR || !chosen.resval.rstring)
        return false;
    HostString name(chosen.resval.rstring);
    path = name.Get();
    return true;
}

void EnableControl(ui::Window* control, bool enabled) {
    if (control)
        control->Enable(enabled);
}
} // namespace

BomTemplateDialog::BomTemplateDialog(ui::Window* parent)
    : ui::Dialog(LoadDialogTemplate(kTemplateDialogId)), m_parent(parent) {
    g_templateDialog = this;
}

BomTemplateDialog::~BomTemplateDialog() {
    if (grid.IsCreated())
        grid.Destroy();
    if (messageLabel.IsCreated())
        messageLabel.Destroy();
    if (g_templateDialog == this)
        g_templateDialog = nullptr;
}

void BomTemplateDialog::OnSetFont(ui::Font& font) {
    // The catalogue's columns line up only in a fixed-pitch face.
    font.face = "Courier";
}

bool BomTemplateDialog::OnInitDialog() {
    moveDownButton = Control(IdMoveDown);
    moveUpButton = Control(IdMoveUp);
    deleteRowButton = Control(IdDeleteRow);
    insertRowButton = Control(IdInsertRow);
    saveAsButton = Control(IdSaveAs);
    saveButton = Control(IdSave);
    currentFileLabel = Control(IdCurrentFile);
    if (TakeOverPlaceholder(IdMessage, messageLabel, ui::StyleChild | ui::StyleVisible))
        messageLabel.SetTextColor(ui::Color{255, 0, 0});
    for (ui::Window* button : {saveButton, saveAsButton, insertRowButton, deleteRowButton, moveUpButton,
                               moveDownButton})
        EnableControl(button, false);
    gridBound = false;
    catalogInUse = false;
    LoadSettings(CatalogueSettingsPaths(), SettingsSide::Catalogue, grid.columnWidths, g_templateFile);
    return true;
}

void BomTemplateDialog::OnCommand(int id, int code) {
    if (code != ui::NotifyClicked) {
        ui::Dialog::OnCommand(id, code);
        return;
    }
    switch (id) {
    case IdInsertRow: InsertRow(); break;
    case IdDeleteRow: DeleteRow(); break;
    case IdMoveUp: MoveUp(); break;
    case IdMoveDown: MoveDown(); break;
    case IdNew: NewCatalog(); break;
    case IdOpen: OpenCatalog(); break;
    case IdSave: SaveCatalog(); break;
    case IdSaveAs: SaveCatalogAs(); break;
    case IdClose: CloseTemplate(); break;
    default: ui::Dialog::OnCommand(id, code); break;
    }
}

void BomTemplateDialog::EnableSave(bool enabled) {
    EnableControl(saveButton, enabled);
}

void BomTemplateDialog::EnableMoveButtons(bool up, bool down) {
    EnableControl(moveUpButton, up);
    EnableControl(moveDownButton, down);
}

void BomTemplateDialog::ShowCurrentFile() {
    if (currentFileLabel)
        currentFileLabel->SetText(g_templateFile);
}

void BomTemplateDialog::BindGrid() {
    gridBound = true;
    [[maybe_unused]] bool bound = grid.BindToDialogControl(this, IdGrid);
    EnableControl(insertRowButton, true);
    EnableControl(deleteRowButton, true);
}

BomTemplateDialog::SaveAnswer BomTemplateDialog::AskToSave() {
    if (!grid.catalog.IsModified() || g_templateFile.empty() || grid.GetRowCount() < 1)
        return SaveAnswer::NotAsked;
    int answer = ui::WindowSystem::Instance().MessageBox(this, "Save changes to " + g_templateFile,
                                                         kTemplateDialogTitle, ui::MessageBoxYesNoCancel);
    if (answer == ui::ResultYes)
        return SaveAnswer::Yes;
    if (answer == ui::ResultNo)
        return SaveAnswer::No;
    return SaveAnswer::Cancel;
}

void BomTemplateDialog::ShowIncomplete(const IncompleteEntry& failure) {
    messageLabel.StartFlash(0, kFlashPeriod, failure.message);
    ui::WindowSystem::Instance().Beep(kIncompleteBeepHz, kIncompleteBeepMs);
    [[maybe_unused]] int selected = grid.BeginSelectionAt(failure.column, failure.index);
}

bool BomTemplateDialog::EntriesComplete() {
    IncompleteEntry failure;
    if (grid.catalog.CheckEntriesComplete(&failure))
        return true;
    ShowIncomplete(failure);
    return false;
}

void BomTemplateDialog::MarkSaved() {
    ShowCurrentFile();
    grid.catalog.SetModified(false);
    EnableSave(false);
}

void BomTemplateDialog::InsertRow() {
    if (!catalogInUse)
        return;
    long r = grid.GetActiveRow();
    long row;
    if (r != -1 && r < grid.GetRowCount() - 1) {
        if (grid.InsertRowAt(r + 1) != GridOk)
            return;
        row = r + 1;
    } else {
        if (grid.AddRow() != GridOk)
            return;
        row = grid.GetRowCount() - 1;
    }
    grid.MakeNewEntry(row);
    [[maybe_unused]] int editing = grid.BeginEditAt(0, row, 0);
    grid.RepaintAll();
}

void BomTemplateDialog::DeleteRow() {
    long r = grid.GetActiveRow();
    if (catalogInUse && r >= 0) {
        grid.RemoveRow(r);
        if (grid.GetActiveRow() >= 0)
            [[maybe_unused]] int editing = grid.BeginEditAt(0, grid.GetActiveRow(), 0);
    }
    if (grid.GetRowCount() < 2)
        EnableMoveButtons(false, false);
}

void BomTemplateDialog::MoveUp() {
    long r = grid.GetActiveRow();
    if (!grid.catalog.SwapEntries(r, r - 1))
        return;
    grid.StepActiveRow(StepUp);
    [[maybe_unused]] int editing = grid.BeginEditAt(grid.GetActiveColumn(), grid.GetActiveRow(), 0);
    grid.RepaintAll();
}

void BomTemplateDialog::MoveDown() {
    long r = grid.GetActiveRow();
    if (!grid.catalog.SwapEntries(r, r + 1))
        return;
    grid.StepActiveRow(StepDown);
    [[maybe_unused]] int editing = grid.BeginEditAt(grid.GetActiveColumn(), grid.GetActiveRow(), 0);
    grid.RepaintAll();
}

void BomTemplateDialog::NewCatalog() {
    SaveAnswer answer = AskToSave();
    if (answer == SaveAnswer::Cancel)
        return;
    if (answer == SaveAnswer::Yes && !grid.catalog.WriteCatalogFile(g_templateFile))
        return;
    std::string path;
    if (!ChooseCatalogFile("New", nullptr, kFileToCreate, path))
        return;
    g_templateFile = path;
    ShowCurrentFile();
    // The file exists from now on, holding whatever the grid shows at this moment.
    if (!grid.catalog.WriteCatalogFile(g_templateFile))
        return;
    if (!gridBound)
        BindGrid();
    catalogInUse = true;
    grid.catalog.ClearEntries();
    if (grid.AddRow() == GridOk) {
        grid.MakeNewEntry(grid.GetRowCount() - 1);
        [[maybe_unused]] int editing = grid.BeginEditAt(0, grid.GetRowCount() - 1, 0);
    }
    grid.catalog.SetModified(false);
    EnableSave(false);
    EnableControl(saveAsButton, true);
    EnableMoveButtons(false, false);
}

void BomTemplateDialog::OpenCatalog() {
    SaveAnswer answer = AskToSave();
    if (answer == SaveAnswer::Cancel)
        return;
    if (answer == SaveAnswer::Yes && !grid.catalog.WriteCatalogFile(g_templateFile))
        return;
    std::string path;
    if (!ChooseCatalogFile("Open", g_templateFile.c_str(), kExistingFile, path))
        return;
    if (!gridBound)
        BindGrid();
    if (!grid.catalog.ReadCatalogFile(path))
        return;
    catalogInUse = true;
    g_templateFile = path;
    ShowCurrentFile();
    EnableControl(saveAsButton, true);
    grid.catalog.SetModified(false);
    EnableSave(false);
    if (grid.GetRowCount() < 2)
        EnableMoveButtons(false, false);
}

void BomTemplateDialog::SaveCatalog() {
    if (!grid.catalog.IsModified() || g_templateFile.empty() || grid.GetRowCount() < 1)
        return;
    if (!EntriesComplete())
        return;
    if (!grid.catalog.WriteCatalogFile(g_templateFile))
        return;
    MarkSaved();
}

void BomTemplateDialog::SaveCatalogAs() {
    if (!catalogInUse)
        return;
    if (!EntriesComplete())
        return;
    std::string path;
    if (!ChooseCatalogFile("Save as", g_templateFile.c_str(), kFileToCreate, path))
        return;
    // Taken before the write: a write that fails leaves the new name to try again with, though the label
    // still shows the file that holds the entries.
    g_templateFile = path;
    if (!grid.catalog.WriteCatalogFile(g_templateFile))
        return;
    MarkSaved();
}

void BomTemplateDialog::CloseTemplate() {
    if (!catalogInUse) {
        EndDialog(ui::kIdCancel);
        return;
    }
    SaveAnswer answer = AskToSave();
    if (answer == SaveAnswer::Cancel)
        return;
    if (answer == SaveAnswer::Yes) {
        if (!EntriesComplete() || !grid.catalog.WriteCatalogFile(g_templateFile))
            return;
    }
    int current[kCatalogueColumns];
    for (int c = 0; c < kCatalogueColumns; ++c)
        current[c] = grid.GetColumnWidth(c);
    SaveSettings(CatalogueSettingsPaths(), SettingsSide::Catalogue, current, grid.columnWidths, g_templateFile);
    EndDialog(ui::kIdCancel);
}

} // namespace vantorel
