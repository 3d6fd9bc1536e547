#pragma once

#include "bom/PriceCatalog.h"
#include "dialogs/DialogResources.h"
#include "dialogs/TemplateGrid.h"
#include "grid/FlashLabel.h"
#include "platform/ui/Dialog.h"

namespace vantorel {

inline constexpr const char* kTemplateDialogTitle = "BOM Template";

// The "BOM Template" dialog: a catalogue file opened or made, its entries edited in a grid, saved.
class BomTemplateDialog : public ui::Dialog {
public:
    enum ControlId : int { IdGrid = 201, IdCurrentFile = 210, IdMessage = 1001, IdInsertRow = 207,
                           IdDeleteRow = 208, IdMoveUp = 217, IdMoveDown = 218, IdNew = 202, IdOpen = 203,
                           IdSave = 200, IdSaveAs = 204, IdClose = 205 };

    explicit BomTemplateDialog(ui::Window* parent);
    ~BomTemplateDialog() override;

    // False when the module's template could not be found: the dialog cannot be shown.
    bool HasTemplate() const { return Template().id == kTemplateDialogId; }
    int Run() { return DoModal(m_parent); }

    void InsertRow();
    void DeleteRow();
    void MoveUp();
    void MoveDown();
    void NewCatalog();
    void OpenCatalog();
    void SaveCatalog();
    void SaveCatalogAs();
    void CloseTemplate();
    // The message blinks in red, a beep, and the cell that lacks its text is selected.
    void ShowIncomplete(const IncompleteEntry& failure);

    void EnableSave(bool enabled);
    void EnableMoveButtons(bool up, bool down);

    void OnSetFont(ui::Font& font) override;
    bool OnInitDialog() override;
    void OnCommand(int id, int code) override;
    void OnClose() override { CloseTemplate(); }

    TemplateGrid grid;
    ui::Window* moveDownButton = nullptr;
    ui::Window* moveUpButton = nullptr;
    ui::Window* deleteRowButton = nullptr;
    ui::Window* insertRowButton = nullptr;
    ui::Window* saveAsButton = nullptr;
    ui::Window* saveButton = nullptr;
    ui::Window* currentFileLabel = nullptr;
    FlashLabel messageLabel;
    bool gridBound = false;
    bool catalogInUse = false;

private:
    enum class SaveAnswer { NotAsked, Yes, No, Cancel };
    SaveAnswer AskToSave();
    void BindGrid();
    void ShowCurrentFile();
    // False, with the message shown, when an entry lacks its block name or its price.
    bool EntriesComplete();
    // The file now holds what the grid shows.
    void MarkSaved();
    ui::Window* m_parent;
};

// The template dialog of this run of the command; the grid's callbacks reach its buttons through it.
extern BomTemplateDialog* g_templateDialog;

} // namespace vantorel
