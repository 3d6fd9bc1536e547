#include "bom/BomReport.h"

#include "bom/BomMessages.h"
#include "bom/CatalogLines.h"

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <locale.h>
#include <memory>

namespace vantorel {

std::string g_catalogFile;
int showPrice = 1;

std::string FormatPrice(double value) {
    char buffer[64];
    int length = std::snprintf(buffer, sizeof buffer, "%.2f", value);
    if (length >= 0 && static_cast<std::size_t>(length) < sizeof buffer)
        return buffer;
    // Hundreds of digits for the largest doubles: sized to fit.
    std::string text(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    std::snprintf(text.data(), text.size() + 1, "%.2f", value);
    return text;
}

std::string FormatQuantity(std::int32_t value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%i", static_cast<int>(value));
    return buffer;
}

double ParsePrice(const char* text) {
    // The point is the decimal separator whatever locale the process runs in.
    static locale_t s_c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return s_c ? strtod_l(text, nullptr, s_c) : std::strtod(text, nullptr);
}

bool BomReport::ReadCatalog(const std::string& path, const std::function<void()>& emptyGrid) {
    CatalogFile file = OpenCatalogFile(path);
    if (!file) {
        AlertFileNotOpened(path.c_str());
        return false;
    }
    if (emptyGrid)
        emptyGrid();
    m_rows.clear();
    m_rows.shrink_to_fit();
    m_rows.reserve(kGrowthStep);
    CatalogLineReader lines(file.get());
    while (lines.Next()) {
        if (*lines.Field(0) == '\0' || *lines.Field(1) == '\0')
            continue;
        AppendRow(ReportRow{lines.Field(0), ParsePrice(lines.Field(1)), 0, lines.Field(2), 0.0});
    }
    return true;
}

void BomReport::AppendRow(ReportRow row) {
    // Room comes in whole steps of 100 rows; a list of thousands takes many steps at once, so that a census
    // of many distinct blocks does not copy the list over and over.
    if (m_rows.size() == m_rows.capacity()) {
        std::size_t wanted = std::max(m_rows.capacity() + kGrowthStep, m_rows.capacity() + m_rows.capacity() / 2);
        m_rows.reserve((wanted + kGrowthStep - 1) / kGrowthStep * kGrowthStep);
    }
    m_rows.push_back(std::move(row));
}

std::vector<ShownRow> BomReport::ShowReport(bool cataloguedOnly) const {
    std::vector<ShownRow> shown;
    shown.reserve(m_rows.size() + 1);
    double sum = 0.0;
    for (const ReportRow& row : m_rows) {
        if (cataloguedOnly && row.quantity == 0)
            continue;
        shown.push_back(ShownRow{{row.blockName, FormatPrice(row.itemPrice), FormatQuantity(row.quantity),
                                  row.description, FormatPrice(row.total)},
                                 false});
        sum += row.total;
    }
    if (!shown.empty())
        shown.push_back(ShownRow{{kSummaryLabel, "", "", "", FormatPrice(sum)}, true});
    return shown;
}

} // namespace vantorel
