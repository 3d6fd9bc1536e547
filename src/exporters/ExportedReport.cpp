#include "exporters/ExportedReport.h"

#include "bom/BomMessages.h"

#include "platform/text/CodePage.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace vantorel {

namespace {
double Number(const std::string& text) {
    return text.empty() ? 0.0 : std::strtod(text.c_str(), nullptr);
}

} // namespace

std::string CodePageToUtf8(const std::string& text, int codePage) {
    const textkit::CodePage* page = textkit::CodePage::Find(codePage);
    return page ? page->ToUtf8(text) : text;
}

ExportedReport ExportShownReport(const ShownReportView& view, int showPrice, int codePage) {
    ExportedReport report;
    report.showPrice = showPrice != 0;
    long rows = view.ShownRowCount();
    for (long row = 0; row < rows; ++row) {
        std::string name = view.ShownText(0, row);
        if (name == kSummaryLabel) {
            report.hasSummary = report.showPrice;
            report.summary = Number(view.ShownText(4, row));
            continue;
        }
        ExportedRow exported;
        exported.blockName = CodePageToUtf8(name, codePage);
        exported.itemPrice = Number(view.ShownText(1, row));
        exported.quantity = std::strtoll(view.ShownText(2, row).c_str(), nullptr, 10);
        exported.description = CodePageToUtf8(view.ShownText(3, row), codePage);
        exported.total = Number(view.ShownText(4, row));
        report.rows.push_back(std::move(exported));
    }
    return report;
}

std::string FormatMoney(double value) {
    char buffer[400]; // room for the largest double written out in full
    std::snprintf(buffer, sizeof buffer, "%.2f", value);
    return buffer;
}

std::string DrawingColumnName(const std::string& path) {
    std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ExportFormatOf(const std::string& path) {
    std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos)
        return {};
    std::string extension = path.substr(dot + 1);
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == "csv" || extension == "json" || extension == "xlsx" ? extension : std::string();
}

} // namespace vantorel
