#pragma once

#include "bom/BomReport.h"
#include "bom/ReportTextFile.h"
#include "bom/SettingsFiles.h"
#include "grid/GridControl.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace vantorel {

// The BOM Report dialog's grid: the report's five columns, read only, sorted by a click on a heading with the
// summary row kept last.
class ReportGrid : public GridControl, public ShownReportView {
public:
    static constexpr int kColumns = 5;

    // Deletes every row, then fills the grid with the report's rows in list order and, when there is any, the
    // summary row.
    void ShowReport(const BomReport& report);
    // Every row removed from the grid and its store, so that none of their cells can come back.
    void DeleteAllRows();
    // One grid row of the row's texts; the summary form leaves item price and quantity without text.
    void AppendReportRow(const ReportRow& row, bool summaryForm);
    // Keeps the current widths, but not the zero width of a hidden price column.
    void SaveColumnWidths();
    // Hides or shows the price columns as showPrice says.
    void ApplyShowPrice();
    [[nodiscard]] bool WriteTextFile(const std::string& path, const char* mode);
    int buildTableBlock(const char* blockName, const char* styleName, double H, bool cellsAsText = false);
    void measureColumns(std::int32_t* widths, int count);

    long ShownRowCount() const override { return GetRowCount(); }
    std::string ShownText(int col, long row) const override;
    std::vector<std::string> ShownAttributes(long row) const override;

    // Callbacks
    void OnInitialize() override;
    void OnColumnResizing(int col, int* width) override;
    void OnColumnHeaderLeftClick(int col, long row, int down, ui::Rect* rect, ui::Point* point,
                                 bool processed) override;
    void OnGridKey(unsigned* key, bool processed) override;
    int OnCompareCells(const GridCell* a, const GridCell* b, int flags) override;

    // Widths the settings file does not hold stay unknown and take their computed default.
    int columnWidths[kColumns] = {kUnknownWidth, kUnknownWidth, kUnknownWidth, kUnknownWidth, kUnknownWidth};
    int columnCount = kColumns;
    double tableWidth = 0.0;
    double tableHeight = 0.0;
    SortArrowCellType sortArrow;
    int sortArrowIndex = 0;
    int sortColumn = 0;
    bool ascending = true;
    ReportRow summaryRow;
    // Not offered to the user: with it set, rows of quantity 0 are neither shown nor summed.
    bool cataloguedOnly = false;

private:
    // The attribute values of the rows that show them, by the name shown.
    std::unordered_map<std::string, std::vector<std::string>> m_attributes;
};

} // namespace vantorel
