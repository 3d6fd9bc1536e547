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

ExportedReport ExportShownReport(const ShownReportView& view, int showPrice, int codePage,
                                 const CensusSwitches& switches) {
    ExportedReport report;
    report.showPrice = showPrice != 0;
    report.switches = switches;
    for (std::string& tag : report.switches.attributeTags)
        tag = CodePageToUtf8(tag, codePage);
    report.switches.keyAttribute = CodePageToUtf8(report.switches.keyAttribute, codePage);
    std::size_t tags = switches.attributeTags.size();
    long rows = view.ShownRowCount();
    for (long row = 0; row < rows; ++row) {
        std::string name = view.ShownText(0, row);
        if (name == kSummaryLabel) {
            report.hasSummary = report.showPrice;
            report.summary = Number(view.ShownText(4, row));
            continue;
        }
        ExportedRow exported;
        if (tags > 0) {
            std::vector<std::string> values = view.ShownAttributes(row);
            if (values.size() == tags)
                name.resize(name.size() - AttributedName(std::string(), values).size());
            for (std::size_t t = 0; t < tags; ++t)
                exported.attributes.push_back(t < values.size() ? CodePageToUtf8(values[t], codePage) : std::string());
        }
        exported.blockName = CodePageToUtf8(name, codePage);
        exported.itemPrice = Number(view.ShownText(1, row));
        exported.quantity = std::strtoll(view.ShownText(2, row).c_str(), nullptr, 10);
        exported.description = CodePageToUtf8(view.ShownText(3, row), codePage);
        exported.total = Number(view.ShownText(4, row));
        report.rows.push_back(std::move(exported));
    }
    return report;
}

std::vector<std::string> ExportHeadings(const ExportedReport& report) {
    std::vector<std::string> heading{"Block name"};
    for (const std::string& tag : report.switches.attributeTags)
        heading.push_back(tag);
    if (report.showPrice)
        heading.push_back("Item Price");
    heading.push_back("Quantity");
    for (const std::string& name : report.columnsBy == "drawing" ? DrawingColumnNames(report.columns) : report.columns)
        heading.push_back(name);
    heading.push_back("Description");
    if (report.showPrice)
        heading.push_back("Total");
    return heading;
}

std::string FormatMoney(double value) {
    char buffer[400]; // room for the largest double written out in full
    std::snprintf(buffer, sizeof buffer, "%.2f", value);
    return buffer;
}

std::vector<std::string> DrawingColumnNames(const std::vector<std::string>& paths) {
    // Each path's folders and file, last first.
    std::vector<std::vector<std::string>> parts;
    for (const std::string& path : paths) {
        std::vector<std::string> reversed;
        std::size_t end = path.size();
        while (end > 0) {
            std::size_t slash = path.find_last_of("/\\", end - 1);
            std::size_t start = slash == std::string::npos ? 0 : slash + 1;
            if (end > start)
                reversed.push_back(path.substr(start, end - start));
            if (slash == std::string::npos)
                break;
            end = slash;
        }
        parts.push_back(std::move(reversed));
    }
    auto suffix = [&](std::size_t i, std::size_t count) {
        std::string text;
        for (std::size_t k = std::min(count, parts[i].size()); k > 0; --k)
            text += parts[i][k - 1] + (k > 1 ? "/" : "");
        return text;
    };
    std::vector<std::string> names;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        std::size_t count = 1;
        for (; count < parts[i].size(); ++count) {
            bool alone = true;
            for (std::size_t j = 0; j < paths.size() && alone; ++j)
                alone = j == i || suffix(j, count) != suffix(i, count);
            if (alone)
                break;
        }
        names.push_back(parts[i].empty() ? paths[i] : suffix(i, count));
    }
    return names;
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
