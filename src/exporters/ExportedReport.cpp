#include "exporters/ExportedReport.h"

#include "bom/BomMessages.h"

#include <iconv.h>

#include <cctype>
#include <cstdio>
#include <cerrno>
#include <cstdlib>

namespace vantorel {

namespace {
double Number(const std::string& text) {
    return text.empty() ? 0.0 : std::strtod(text.c_str(), nullptr);
}

bool PlainAscii(const std::string& text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}
} // namespace

std::string CodePageToUtf8(const std::string& text, int codePage) {
    if (PlainAscii(text) || codePage == 65001)
        return text;
    std::string name = "CP" + std::to_string(codePage);
    iconv_t cd = iconv_open("UTF-8", name.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return text;
    std::string out;
    std::size_t at = 0;
    char buffer[64];
    // Character by character where the text breaks, so one bad byte costs one replacement.
    while (at < text.size()) {
        char* in = const_cast<char*>(text.data() + at);
        std::size_t inLeft = text.size() - at;
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        std::size_t converted = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, sizeof buffer - outLeft);
        at = text.size() - inLeft;
        if (converted == static_cast<std::size_t>(-1) && errno != E2BIG) {
            out += "\xEF\xBF\xBD";
            ++at;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(cd);
    return out;
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
