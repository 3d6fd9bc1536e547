#pragma once

#include "bom/CatalogEntry.h"
#include "bom/PriceCatalog.h"
#include "bom/SettingsFiles.h"
#include "grid/GridControl.h"

#include <string>
#include <vector>

namespace vantorel {

// The BOM Template dialog's grid: row i is catalogue entry i, in the columns block name, price and
// description. It is the catalogue's store, so reading, writing and checking the catalogue see exactly what
// the user sees.
class TemplateGrid : public GridControl, public CatalogStore {
public:
    static constexpr int kColumns = 3;
    static constexpr int kEditorId = 125;
    static constexpr long kNameListStep = 100;

    struct BlockName {
        std::string name;
        bool used = false;
    };

    TemplateGrid() : catalog(*this) {}

    // The drawing's block names, anonymous ones left out, sorted without regard to case.
    void FillBlockNameList();
    // The names no row uses, each followed by "\n".
    void BuildChoiceText();
    // Marks the names that some row uses; a halving search per row.
    void MarkUsedNames();
    // An empty entry ("", "0", "") whose block-name cell offers the names no row uses yet.
    void MakeNewEntry(long row);

    // The catalogue's entries are the rows.
    long Count() const override { return GetRowCount(); }
    CatalogEntry Get(long index) const override;
    void Set(long index, const CatalogEntry& entry) override;
    void Insert(long index, const CatalogEntry& entry) override;
    void Erase(long index) override { RemoveRow(index); }
    void OnEntryRead(long index) override { SetCellTypeIndex(0, index, kDropListType); }

    // Callbacks
    void OnInitialize() override;
    void OnActiveRowChanged(long oldRow, long newRow) override;
    void OnActiveCellChanged(int oldCol, int newCol, long oldRow, long newRow) override;
    void OnCellLeftClick(int col, long row, int down, ui::Rect* rect, ui::Point* point, bool processed) override;
    void OnColumnHeaderLeftClick(int col, long row, int down, ui::Rect* rect, ui::Point* point,
                                 bool processed) override;
    void OnGridKey(unsigned* key, bool processed) override;
    void OnGridChar(unsigned* key, bool processed) override;
    bool OnEditBegin(int col, long row, ui::Window** editor) override;
    bool OnEditEnd(int col, long row, ui::Window* editor, const char* text, bool cancelled) override;
    int OnCompareCells(const GridCell* a, const GridCell* b, int flags) override;

    PriceCatalog catalog;
    int columnWidths[kColumns] = {kUnknownWidth, kUnknownWidth, kUnknownWidth};
    bool lastEditAccepted = true;
    int columnCount = kColumns;
    std::vector<BlockName> blockNameList;
    std::string choiceText;
    SortArrowCellType sortArrow;
    int sortArrowIndex = 0;
    int sortColumn = 0;
    bool ascending = true;

private:
    static constexpr int kDropListType = 1;
};

} // namespace vantorel
