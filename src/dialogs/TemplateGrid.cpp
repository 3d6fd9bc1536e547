#include "dialogs/TemplateGrid.h"

#include "bom/BlockNames.h"
#include "bom/CensusSwitches.h"
#include "bom/BomReport.h"
#include "dialogs/BomTemplateDialog.h"
#include "dialogs/SortOrder.h"
#include "host/HostServices.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/WindowSystem.h"

#include <utility>

namespace vantorel {

namespace {
constexpr unsigned kEscapeKey = 27;
// The rightmost pixels of a cell belong to its drop-list button.
constexpr int kButtonMargin = 20;
const char* const kColumnTitles[TemplateGrid::kColumns] = {"Block name", "Price", "Description"};

} // namespace

CatalogEntry TemplateGrid::Get(long index) const {
    auto* self = const_cast<TemplateGrid*>(this);
    CatalogEntry entry;
    [[maybe_unused]] int name = self->GetCellText(0, index, &entry.blockName);
    [[maybe_unused]] int price = self->GetCellText(1, index, &entry.price);
    [[maybe_unused]] int description = self->GetCellText(2, index, &entry.description);
    return entry;
}

void TemplateGrid::Set(long index, const CatalogEntry& entry) {
    SetCellText(0, index, entry.blockName);
    SetCellText(1, index, entry.price);
    SetCellText(2, index, entry.description);
}

void TemplateGrid::Insert(long index, const CatalogEntry& entry) {
    int added = index >= GetRowCount() ? AddRow() : InsertRowAt(index);
    if (added != GridOk)
        return;
    Set(index >= GetRowCount() ? GetRowCount() - 1 : index, entry);
}

void TemplateGrid::FillBlockNameList() {
    blockNameList.clear();
    bool skipTables = ReadCensusSwitches().skipTables;
    for (const std::string& name : DrawingBlockNames()) {
        if (name.empty() || name[0] == '*' || (skipTables && IsTableBlockName(name)))
            continue;
        if (blockNameList.size() == blockNameList.capacity())
            blockNameList.reserve(blockNameList.size() + kNameListStep);
        blockNameList.push_back(BlockName{name, false});
    }
    // Each position against every later one, as the list has always been ordered; drawings hold few
    // enough block definitions for that.
    for (std::size_t i = 0; i < blockNameList.size(); ++i)
        for (std::size_t j = i + 1; j < blockNameList.size(); ++j)
            if (CompareNoCase(blockNameList[i].name.c_str(), blockNameList[j].name.c_str()) > 0)
                std::swap(blockNameList[i], blockNameList[j]);
    BuildChoiceText();
}

void TemplateGrid::BuildChoiceText() {
    choiceText.clear();
    for (const BlockName& entry : blockNameList) {
        if (entry.used)
            continue;
        choiceText += entry.name;
        choiceText += '\n';
    }
}

void TemplateGrid::MarkUsedNames() {
    for (BlockName& entry : blockNameList)
        entry.used = false;
    std::string name;
    for (long row = 0; row < GetRowCount(); ++row) {
        name.clear();
        [[maybe_unused]] int found = GetCellText(0, row, &name);
        if (name.empty())
            continue;
        std::size_t low = 0;
        std::size_t high = blockNameList.size();
        while (low < high) {
            std::size_t middle = low + (high - low) / 2;
            int order = CompareNoCase(blockNameList[middle].name.c_str(), name.c_str());
            if (order == 0) {
                blockNameList[middle].used = true;
                break;
            }
            if (order < 0)
                low = middle + 1;
            else
                high = middle;
        }
    }
}

void TemplateGrid::MakeNewEntry(long row) {
    SetCellTypeIndex(0, row, kDropListType);
    SetCellText(0, row, "");
    MarkUsedNames();
    BuildChoiceText();
    SetCellCaption(0, row, choiceText);
    SetCellText(1, row, "0");
    SetCellText(2, row, "");
    SetPaintEnabled(true);
}

void TemplateGrid::OnInitialize() {
    lastEditAccepted = true;
    catalog.SetModified(false);
    if (g_templateDialog)
        g_templateDialog->EnableSave(false);
    SetRowHeaderWidth(0);
    SetBaseRowHeight(ui::AverageCharSizeOf(GetFont()).height + 3);
    ApplyStoredWidths(SettingsSide::Catalogue, ClientRect().Width() - GetRowHeaderWidth(), columnWidths,
                      columnWidths);
    // The grid makes its editor where the cell is when an edit begins; until then it waits here, unseen.
    if (!OwnEditor().IsCreated())
        OwnEditor().Create(this, ui::Rect{}, kEditorId, "", ui::StyleChild | ui::StyleVisible);
    SetPaintEnabled(true);
    SetColumnCount(kColumns, true);
    for (int c = 0; c < kColumns; ++c)
        SetColumnWidth(c, columnWidths[c]);
    for (int c = 0; c < kColumns; ++c)
        SetCellText(c, -1, kColumnTitles[c]);
    sortArrowIndex = RegisterCellType(&sortArrow);
    SetCellTypeIndex(0, -1, sortArrowIndex);
    SetCellTypeStyle(0, -1, kAscendingArrow);
    FillBlockNameList();
}

void TemplateGrid::OnActiveRowChanged(long, long newRow) {
    if (!g_templateDialog)
        return;
    if (newRow <= 0)
        g_templateDialog->EnableMoveButtons(false, true);
    else if (newRow == GetRowCount() - 1)
        g_templateDialog->EnableMoveButtons(true, false);
    else
        g_templateDialog->EnableMoveButtons(true, true);
}

void TemplateGrid::OnActiveCellChanged(int, int, long, long) {
    RepaintAll();
}

void TemplateGrid::OnCellLeftClick(int col, long row, int down, ui::Rect* rect, ui::Point* point, bool) {
    if (g_templateDialog)
        g_templateDialog->messageLabel.StopFlash();
    if (col < 0 || row < 0)
        return;
    if (down == 1 && rect && point) {
        ui::Rect text = *rect;
        text.right -= kButtonMargin;
        if (text.Contains(*point))
            [[maybe_unused]] int editing = BeginEdit();
    }
    RepaintAll();
}

void TemplateGrid::OnColumnHeaderLeftClick(int col, long, int down, ui::Rect*, ui::Point*, bool) {
    if (!lastEditAccepted || down != 1 || col < 0 || col >= kColumns)
        return;
    // Rows must not move under an open editor: the edit ends first, and a refused one stops the sort.
    if (IsEditing() && (!EndEdit(false) || !lastEditAccepted))
        return;
    SortByHeading(*this, col, sortArrowIndex, sortColumn, ascending);
    RepaintAll();
}

void TemplateGrid::OnGridKey(unsigned* key, bool) {
    if (key && *key == kEscapeKey && g_templateDialog)
        g_templateDialog->CloseTemplate();
}

void TemplateGrid::OnGridChar(unsigned* key, bool) {
    if (key && GetActiveColumn() == 0)
        [[maybe_unused]] int editing = BeginEditWithKey(static_cast<int>(*key));
}

bool TemplateGrid::OnEditBegin(int, long, ui::Window** editor) {
    if (editor)
        *editor = &OwnEditor();
    return true;
}

bool TemplateGrid::OnEditEnd(int col, long row, ui::Window*, const char* text, bool) {
    lastEditAccepted = true;
    catalog.SetModified(true);
    if (g_templateDialog)
        g_templateDialog->EnableSave(true);
    if (col != 0 || !text || *text == '\0')
        return true;
    if (catalog.IsBlockNameUnique(text, row))
        return true;
    ui::WindowSystem::Instance().MessageBox(g_templateDialog, std::string("Block name ") + text + " is not unique",
                                            kTemplateDialogTitle, ui::MessageBoxOk);
    [[maybe_unused]] int reopened = BeginEditAt(0, row, 0);
    lastEditAccepted = false;
    return false;
}

int TemplateGrid::OnCompareCells(const GridCell* first, const GridCell* second, int flags) {
    return CompareForSort(first, second, flags, sortColumn == 1 ? &ParsePrice : nullptr);
}

} // namespace vantorel
