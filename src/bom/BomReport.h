#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

namespace vantorel {

// The catalogue the report side has in use; empty when none.
extern std::string g_catalogFile;
// 1 while prices are shown, 0 while hidden. It never changes the rows, only what is shown of them.
extern int showPrice;

struct ReportRow {
    std::string blockName;
    double itemPrice = 0.0;
    std::int32_t quantity = 0;
    std::string description;
    double total = 0.0;
    // The values of the attributes the rows are split by, when they are and this row has any; its name then
    // shows them after it.
    std::vector<std::string> attributes = {};
    friend bool operator==(const ReportRow&, const ReportRow&) = default;
};

// The priced bill of materials: seeded from a catalogue, counted by the census, shown with a summary.
class BomReport {
public:
    static constexpr std::size_t kGrowthStep = 100;
    static constexpr std::size_t kIndexBuckets = 500;

    // Replaces the rows with the catalogue's, quantities and totals zero. False, with an alert and the rows
    // as they were, when the file cannot be opened. `emptyGrid`, when given, runs just before the rows go.
    [[nodiscard]] bool ReadCatalog(const std::string& path, const std::function<void()>& emptyGrid = {});

    std::vector<ReportRow>& Rows() { return m_rows; }
    const std::vector<ReportRow>& Rows() const { return m_rows; }
    // Appends in the list's growth steps of 100 rows.
    void AppendRow(ReportRow row);

    // The name index of the census: lower-cased block name to row position, rebuilt by every census.
    std::unordered_map<std::string, std::size_t>& NameIndex() { return m_index; }

private:
    std::vector<ReportRow> m_rows;
    std::unordered_map<std::string, std::size_t> m_index;
};

// "%.2f" and "%i" as the C runtime formats them, whatever the size of the number.
[[nodiscard]] std::string FormatPrice(double value);
[[nodiscard]] std::string FormatQuantity(std::int32_t value);
// The longest leading decimal number (blanks, a sign, digits with one point, an exponent), with a point as
// the decimal separator; 0.0 when the text does not begin with one or its value is beyond a double.
[[nodiscard]] double ParsePrice(const char* text);
// a + b, held at the largest double either way rather than let a total or a sum become infinite (or, from
// two infinities, not a number): every total and sum the report shows is a number.
[[nodiscard]] double AddPrices(double a, double b);

} // namespace vantorel
