#include "bom/BomReport.h"

#include "bom/BomMessages.h"
#include "bom/CatalogLines.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
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
    // Only a decimal number counts: the C library's reading would also take "nan", "inf" and hexadecimal
    // ("0x10" is 16 to it), none of which is a price. What a number is made of is picked out here, and only
    // that is converted, with the point as the decimal separator whatever locale the process runs in.
    if (!text)
        return 0.0;
    const char* p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    const char* start = p;
    if (*p == '+' || *p == '-')
        ++p;
    const char* digits = p;
    while (*p >= '0' && *p <= '9')
        ++p;
    bool whole = p != digits;
    bool fraction = false;
    if (*p == '.') {
        const char* after = ++p;
        while (*p >= '0' && *p <= '9')
            ++p;
        fraction = p != after;
    }
    if (!whole && !fraction)
        return 0.0;
    if (*p == 'e' || *p == 'E') {
        const char* exponent = p + 1;
        if (*exponent == '+' || *exponent == '-')
            ++exponent;
        if (*exponent >= '0' && *exponent <= '9') {
            p = exponent;
            while (*p >= '0' && *p <= '9')
                ++p;
        }
    }
    std::string number(start, p);
    static locale_t s_c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    double value = s_c ? strtod_l(number.c_str(), nullptr, s_c) : std::strtod(number.c_str(), nullptr);
    // A number too large for a double is no price either; an infinite price would make every sum meaningless.
    return std::isfinite(value) ? value : 0.0;
}

double AddPrices(double a, double b) {
    double sum = a + b;
    if (std::isfinite(sum))
        return sum;
    return sum > 0.0 ? DBL_MAX : sum < 0.0 ? -DBL_MAX : 0.0;
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
    CatalogLineReader lines(file.get(), path);
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

} // namespace vantorel
