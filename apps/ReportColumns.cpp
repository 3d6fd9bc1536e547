#include "ReportColumns.h"

#include "catalog/SheetReader.h"
#include "platform/files/ReplacingWrite.h"
#include "platform/text/CodePage.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace hostapp {

std::vector<vantorel::ExportedRow> RowsFromCsv(const std::string& text, std::size_t tags, bool showPrice) {
    // The module writes UTF-8 with commas, which is all the catalogues' reader needs to find.
    catalog::Sheet sheet;
    std::string error;
    if (!catalog::ReadCsv(text, sheet, error))
        return {};
    const std::vector<std::vector<std::string>>& records = sheet.rows;
    std::vector<vantorel::ExportedRow> rows;
    for (std::size_t r = 1; r < records.size(); ++r) {
        const std::vector<std::string>& f = records[r];
        if (f.empty() || f[0] == "Summary:")
            continue;
        vantorel::ExportedRow row;
        std::size_t at = 0;
        auto next = [&f, &at] { return at < f.size() ? f[at++] : std::string(); };
        row.blockName = next();
        for (std::size_t t = 0; t < tags; ++t)
            row.attributes.push_back(next());
        if (showPrice)
            row.itemPrice = std::strtod(next().c_str(), nullptr);
        row.quantity = std::strtoll(next().c_str(), nullptr, 10);
        row.description = next();
        if (showPrice)
            row.total = std::strtod(next().c_str(), nullptr);
        rows.push_back(std::move(row));
    }
    return rows;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    if (!m_path.empty())
        std::filesystem::remove_all(m_path, ignored);
}

bool ScratchFolder::Make() {
    files::RemoveLeftovers("/tmp", "vantorel-drawings-");
    std::string name = "/tmp/vantorel-drawings-" + std::to_string(getpid()) + "-XXXXXX";
    if (!mkdtemp(name.data())) {
        std::fprintf(stderr, "vantorel: cannot make a temporary folder\n");
        return false;
    }
    m_path = name;
    return true;
}

bool ColumnsByOf(const std::string& given, std::size_t drawings, std::string& by) {
    if (given.empty()) {
        by = drawings > 1 ? "drawing" : "";
        return true;
    }
    if (given == "drawing" || given == "layer" || given == "layout" || given == "none") {
        by = given == "none" ? "" : given;
        return true;
    }
    std::fprintf(stderr, "vantorel: --columns-by takes drawing, layer, layout or none, not %s\n", given.c_str());
    return false;
}

std::vector<std::string> ShownValues(const std::vector<std::string>& values) {
    bool any = std::any_of(values.begin(), values.end(), [](const std::string& value) { return !value.empty(); });
    return any ? values : std::vector<std::string>{};
}

std::string RowKey(const std::string& name, const std::vector<std::string>& values) {
    std::string key = name;
    for (const std::string& value : ShownValues(values))
        key += '\x1f' + value;
    return key;
}

void QuantitySplit::Add(const references::ReferenceList& list) {
    const textkit::CodePage& page = textkit::Active();
    if (m_by == "layout") {
        for (const std::string& layout : list.LayoutOrder()) {
            std::string name = page.ToUtf8(layout);
            if (std::find(m_order.begin(), m_order.end(), name) == m_order.end())
                m_order.push_back(name);
        }
    }
    for (const references::CountedReference& r : list.References()) {
        std::vector<std::string> values;
        for (const std::string& value : r.facts->values)
            values.push_back(page.ToUtf8(value));
        std::string column = page.ToUtf8(m_by == "layout" ? *r.layout : *r.layer);
        // Layers are one whatever the case of their names: the first spelling met heads the column.
        if (m_by == "layer") {
            auto same = std::find_if(m_order.begin(), m_order.end(), [&](const std::string& known) {
                return textkit::CodePage::Utf8().CompareNoCase(known, column) == 0;
            });
            if (same == m_order.end())
                m_order.push_back(column);
            else
                column = *same;
        } else if (std::find(m_order.begin(), m_order.end(), column) == m_order.end()) {
            m_order.push_back(column);
        }
        m_counts[RowKey(page.ToUtf8(r.facts->countedName), values)][column] += static_cast<long long>(r.count);
    }
}

void QuantitySplit::Fill(vantorel::ExportedReport& report) const {
    report.columnsBy = m_by;
    report.columns.clear();
    // Only the columns something was counted in; layers in the order of their names.
    for (const std::string& column : m_order) {
        bool used = std::any_of(m_counts.begin(), m_counts.end(),
                                [&](const auto& row) { return row.second.count(column) > 0; });
        if (used)
            report.columns.push_back(column);
    }
    if (m_by == "layer")
        std::sort(report.columns.begin(), report.columns.end(), [](const std::string& a, const std::string& b) {
            return textkit::CodePage::Utf8().CompareNoCase(a, b) < 0;
        });
    for (vantorel::ExportedRow& row : report.rows) {
        row.quantities.assign(report.columns.size(), 0);
        auto counts = m_counts.find(RowKey(row.blockName, row.attributes));
        if (counts == m_counts.end())
            continue;
        for (std::size_t c = 0; c < report.columns.size(); ++c) {
            auto quantity = counts->second.find(report.columns[c]);
            if (quantity != counts->second.end())
                row.quantities[c] = quantity->second;
        }
    }
}

} // namespace hostapp
