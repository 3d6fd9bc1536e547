// The report as a spreadsheet, through libxlsxwriter.
#include "exporters/ExportedReport.h"
#include "exporters/XlsxBook.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <string>

namespace vantorel {

namespace {
// Characters, not bytes: what a column's width is counted in.
std::size_t Characters(const std::string& utf8) {
    std::size_t count = 0;
    for (char c : utf8)
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    return count;
}

std::string ColumnLetters(int column) {
    std::string letters;
    for (int c = column + 1; c > 0; c = (c - 1) / 26)
        letters.insert(letters.begin(), static_cast<char>('A' + (c - 1) % 26));
    return letters;
}
} // namespace

bool WriteXlsx(const std::string& path, const ExportedReport& report, std::string& error) {
    XlsxBook book(path, "BOM");
    lxw_worksheet* sheet = book.Sheet();
    if (!sheet) {
        error = "cannot write " + path;
        return false;
    }
    lxw_workbook* workbook = book.Book();
    lxw_format* bold = book.Bold();
    lxw_format* money = book.Money();
    lxw_format* count = workbook_add_format(workbook);
    format_set_num_format(count, "0");
    lxw_format* boldMoney = workbook_add_format(workbook);
    format_set_bold(boldMoney);
    format_set_num_format(boldMoney, "0.00");

    std::vector<std::string> heading = ExportHeadings(report);
    std::vector<std::size_t> widths(heading.size(), 0);
    for (std::size_t c = 0; c < heading.size(); ++c) {
        worksheet_write_string(sheet, 0, static_cast<lxw_col_t>(c), heading[c].c_str(), bold);
        widths[c] = Characters(heading[c]);
    }
    lxw_row_t row = 1;
    for (const ExportedRow& entry : report.rows) {
        lxw_col_t c = 0;
        auto text = [&](const std::string& value) {
            worksheet_write_string(sheet, row, c, value.c_str(), nullptr);
            widths[c] = std::max(widths[c], Characters(value));
            ++c;
        };
        auto number = [&](double value, lxw_format* format, std::size_t shown) {
            worksheet_write_number(sheet, row, c, value, format);
            widths[c] = std::max(widths[c], shown);
            ++c;
        };
        text(entry.blockName);
        for (std::size_t t = 0; t < report.switches.attributeTags.size(); ++t)
            text(t < entry.attributes.size() ? entry.attributes[t] : std::string());
        if (report.showPrice)
            number(entry.itemPrice, money, FormatMoney(entry.itemPrice).size());
        number(static_cast<double>(entry.quantity), count, std::to_string(entry.quantity).size());
        for (std::size_t k = 0; k < report.columns.size(); ++k) {
            long long quantity = k < entry.quantities.size() ? entry.quantities[k] : 0;
            number(static_cast<double>(quantity), count, std::to_string(quantity).size());
        }
        text(entry.description);
        if (report.showPrice)
            number(entry.total, money, FormatMoney(entry.total).size());
        ++row;
    }
    if (report.hasSummary) {
        lxw_col_t last = static_cast<lxw_col_t>(heading.size() - 1);
        worksheet_write_string(sheet, row, 0, "Summary:", bold);
        std::string column = ColumnLetters(last);
        std::string formula = row > 1 ? "=SUM(" + column + "2:" + column + std::to_string(row) + ")" : "=0";
        worksheet_write_formula_num(sheet, row, last, formula.c_str(), boldMoney, report.summary);
        widths[last] = std::max(widths[last], FormatMoney(report.summary).size());
    }
    for (std::size_t c = 0; c < widths.size(); ++c)
        worksheet_set_column(sheet, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c),
                             static_cast<double>(std::min<std::size_t>(widths[c] + 2, 100)), nullptr);
    worksheet_freeze_panes(sheet, 1, 0);
    return book.Close(error);
}

} // namespace vantorel
