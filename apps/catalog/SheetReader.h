#pragma once

// Price lists kept in spreadsheets: the rows of a CSV file, or of an XLSX workbook's first sheet, as text.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace catalog {

struct Sheet {
    std::string name;                            // the sheet's, for XLSX; empty for CSV
    std::vector<std::vector<std::string>> rows;  // UTF-8 cells, row 1 first; a row's cells from column A
    // CSV only: the line end its records end with ("\r\n" or "\n"), and whether the last one ends with it.
    std::string lineEnd = "\r\n";
    bool lastLineEnded = true;
};

// The largest part of a workbook read, unpacked: a bigger one is refused rather than let it fill the memory.
inline constexpr std::size_t kMostWorkbookPart = 256u << 20;

// RFC 4180 records in UTF-8 (a byte-order mark is passed over); a file whose first line has more semicolons than
// commas outside quotes is taken as separated by semicolons, as spreadsheets write CSV in some languages. False, with the reason, for
// text that is not UTF-8 or a quote left open.
[[nodiscard]] bool ReadCsv(std::string_view bytes, Sheet& sheet, std::string& error);
// The first sheet of an XLSX workbook: shared and inline strings, numbers as their shortest decimal text, TRUE and
// FALSE, a formula's cached value. False, with the reason, for what is no workbook or cannot be read.
[[nodiscard]] bool ReadXlsx(std::string_view bytes, Sheet& sheet, std::string& error);

// "A", "B", ... "Z", "AA": a column's letters, from 0.
[[nodiscard]] std::string ColumnLetters(std::size_t column);

} // namespace catalog
