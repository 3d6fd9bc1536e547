#include "dialogs/ReportGrid.h"

#include "bom/BlockNames.h"
#include "bom/BomMessages.h"
#include "dialogs/BomReportDialog.h"
#include "dialogs/SortOrder.h"
#include "platform/ui/Canvas.h"
#include "table/PriceTableBuilder.h"

#include <cstring>

namespace vantorel {

namespace {
constexpr unsigned kEscapeKey = 27;

bool IsNumberColumn(int col) {
    return col == 1 || col == 2 || col == 4;
}

} // namespace

std::string ReportGrid::ShownText(int col, long row) const {
    std::string text;
    [[maybe_unused]] int found = const_cast<ReportGrid*>(this)->GetCellText(col, row, &text);
    return text;
}

std::vector<std::string> ReportGrid::ShownAttributes(long row) const {
    if (m_attributes.empty())
        return {};
    auto found = m_attributes.find(ShownText(0, row));
    return found == m_attributes.end() ? std::vector<std::string>{} : found->second;
}

void ReportGrid::AppendReportRow(const ReportRow& row, bool summaryForm) {
    if (AddRow() != GridOk)
        return;
    long r = GetRowCount() - 1;
    SetCellText(0, r, row.blockName);
    if (!summaryForm) {
        SetCellText(1, r, FormatPrice(row.itemPrice));
        SetCellText(2, r, FormatQuantity(row.quantity));
    }
    SetCellText(3, r, row.description);
    SetCellText(4, r, FormatPrice(row.total));
}

void ReportGrid::DeleteAllRows() {
    // Row by row from the last: the store drops each row's cells, and painting waits for the end.
    SetPaintEnabled(false);
    for (long row = GetRowCount() - 1; row >= 0; --row)
        RemoveRow(row);
    SetPaintEnabled(true);
}

void ReportGrid::ShowReport(const BomReport& report) {
    DeleteAllRows();
    m_attributes.clear();
    double sum = 0.0;
    for (const ReportRow& row : report.Rows()) {
        if (cataloguedOnly && row.quantity == 0)
            continue;
        AppendReportRow(row, false);
        if (!row.attributes.empty())
            m_attributes.emplace(row.blockName, row.attributes);
        sum = AddPrices(sum, row.total);
    }
    summaryRow = ReportRow{kSummaryLabel, 0.0, 0, "", sum};
    if (GetRowCount() > 0)
        AppendReportRow(summaryRow, true);
    RepaintAll();
}

void ReportGrid::SaveColumnWidths() {
    for (int c = 0; c < kColumns; ++c) {
        int width = GetColumnWidth(c);
        if ((c == 1 || c == 4) && width == 0)
            continue;
        columnWidths[c] = width;
    }
}

void ReportGrid::ApplyShowPrice() {
    if (!showPrice) {
        SaveColumnWidths();
        SetColumnWidth(1, 0);
        SetColumnWidth(4, 0);
    } else {
        SetColumnWidth(1, columnWidths[1]);
        SetColumnWidth(4, columnWidths[4]);
    }
    RepaintAll();
}

bool ReportGrid::WriteTextFile(const std::string& path, const char* mode) {
    return WriteReportTextFile(path, mode, *this, showPrice);
}

int ReportGrid::buildTableBlock(const char* blockName, const char* styleName, double H, bool cellsAsText) {
    return vantorel::buildTableBlock(*this, blockName, styleName, H, &tableWidth, &tableHeight, cellsAsText);
}

void ReportGrid::measureColumns(std::int32_t* widths, int count) {
    vantorel::measureColumns(*this, widths, count);
}

void ReportGrid::OnInitialize() {
    SetBaseRowHeight(ui::AverageCharSizeOf(GetFont()).height + 3);
    SetRowHeaderWidth(0);
    ApplyStoredWidths(SettingsSide::Report, ClientRect().Width() - GetRowHeaderWidth(), columnWidths, columnWidths);
    SetColumnCount(kColumns, false);
    for (int c = 0; c < kColumns; ++c)
        SetColumnWidth(c, columnWidths[c]);
    for (int c = 0; c < kColumns; ++c)
        SetCellText(c, -1, reportColumnTitles[c]);
    sortArrowIndex = RegisterCellType(&sortArrow);
    SetCellTypeIndex(0, -1, sortArrowIndex);
    SetCellTypeStyle(0, -1, kAscendingArrow);
    ApplyShowPrice();
}

void ReportGrid::OnColumnResizing(int col, int* width) {
    if (showPrice || !width)
        return;
    *width = (col == 1 || col == 4) ? 0 : columnWidths[col];
}

void ReportGrid::OnColumnHeaderLeftClick(int col, long, int down, ui::Rect*, ui::Point*, bool) {
    if (down != 1 || col < 0 || col >= kColumns)
        return;
    if (GetRowCount() > 1)
        RemoveRow(GetRowCount() - 1);
    SortByHeading(*this, col, sortArrowIndex, sortColumn, ascending);
    AppendReportRow(summaryRow, true);
    RepaintAll();
}

void ReportGrid::OnGridKey(unsigned* key, bool) {
    if (key && *key == kEscapeKey && g_lastReportDialog)
        g_lastReportDialog->CloseReport();
}

int ReportGrid::OnCompareCells(const GridCell* first, const GridCell* second, int flags) {
    return CompareForSort(first, second, flags, IsNumberColumn(sortColumn) ? &ParsePrice : nullptr);
}

} // namespace vantorel
