#pragma once

// A report's rows read back from the module's CSV, and their quantities split into columns by the drawing, the
// layer or the layout of the references counted.
#include "references/ReferenceList.h"

#include "exporters/ExportedReport.h"

#include <map>
#include <string>
#include <vector>

namespace hostapp {

// The rows of the module's CSV export of a report with `tags` attribute columns, prices shown or not; the summary
// row is left out.
[[nodiscard]] std::vector<vantorel::ExportedRow> RowsFromCsv(const std::string& text, std::size_t tags, bool showPrice);

// What the quantity columns of CSV, XLSX and JSON are split by: "drawing", "layer", "layout", or "" for none.
// `given` is --columns-by as typed (empty: drawing for several drawings, none for one); false after saying
// what it takes.
[[nodiscard]] bool ColumnsByOf(const std::string& given, std::size_t drawings, std::string& by);

// The quantities of the rows by layer or layout, gathered drawing by drawing from the references counted.
class QuantitySplit {
public:
    explicit QuantitySplit(std::string by) : m_by(std::move(by)) {}
    void Add(const references::ReferenceList& list);
    // Each row's quantity in each column, the columns in order: layers by name, layouts in their tabs' order.
    void Fill(vantorel::ExportedReport& report) const;

private:
    std::string m_by;
    std::vector<std::string> m_order;                             // columns as first met (layouts in tab order)
    std::map<std::string, std::map<std::string, long long>> m_counts; // row's key -> column -> quantity
};

// A folder of this run's in /tmp for what the module writes to be read back; its name says whose it is, so that a
// later run removes it if this one is killed. Removed with what it holds.
class ScratchFolder {
public:
    ScratchFolder() = default;
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    // False after saying it cannot be made.
    [[nodiscard]] bool Make();
    std::string File(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// The values a row's name shows: none for a row of the name alone (every value empty).
[[nodiscard]] std::vector<std::string> ShownValues(const std::vector<std::string>& values);
// The key a row is found by: its name and the values it shows, as UTF-8.
[[nodiscard]] std::string RowKey(const std::string& name, const std::vector<std::string>& values);

} // namespace hostapp
