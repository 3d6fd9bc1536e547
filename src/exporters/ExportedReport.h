#pragma once

#include "bom/CensusSwitches.h"
#include "bom/ReportTextFile.h"

#include <string>
#include <vector>

namespace vantorel {

// A report as it leaves for other programs (spreadsheets, scripts): the rows in the order the grid shows them,
// prices and totals as numbers, texts in UTF-8.
struct ExportedRow {
    std::string blockName;
    std::vector<std::string> attributes; // one value per tag of the report's attributeTags
    double itemPrice = 0.0;
    long long quantity = 0;
    std::vector<long long> quantities; // one per split column (the report's `columns`)
    std::string description;
    double total = 0.0;
};

struct ExportedReport {
    bool showPrice = true;
    std::vector<ExportedRow> rows;     // the summary row is not among them
    bool hasSummary = false;           // the grid shows the summary row (it does while prices show)
    double summary = 0.0;
    std::string catalog;               // the catalogue in use; empty for none
    std::vector<std::string> drawings; // the drawing, or the drawings summed
    CensusSwitches switches;           // the counting switches in force; its attribute tags head columns
    // The quantity split into columns: "drawing" (one per drawing's path in `columns`), "layer" or "layout" (one
    // per name); empty for none.
    std::string columnsBy;
    std::vector<std::string> columns;
};

// The report as `view` shows it, its texts converted from `codePage` to UTF-8. With attribute tags, each row's
// name is its block's alone, its values beside it.
[[nodiscard]] ExportedReport ExportShownReport(const ShownReportView& view, int showPrice, int codePage,
                                               const CensusSwitches& switches);

// Text of a Windows code page as UTF-8; bytes that are no character become U+FFFD.
[[nodiscard]] std::string CodePageToUtf8(const std::string& text, int codePage);

// Each writes the whole file or leaves what was there; false, with the reason in `error`, when it cannot.
// CSV: RFC 4180 in UTF-8, a heading line, a point as the decimal separator.
[[nodiscard]] bool WriteCsv(const std::string& path, const ExportedReport& report, std::string& error);
// JSON: the rows, the summary, the catalogue, the drawings and the switches.
[[nodiscard]] bool WriteJson(const std::string& path, const ExportedReport& report, std::string& error);
// XLSX: bold headings frozen in place, numbers formatted 0.00 and 0, the summary a SUM of the totals.
[[nodiscard]] bool WriteXlsx(const std::string& path, const ExportedReport& report, std::string& error);

// The column headings of CSV and XLSX: the block name, each attribute tag, the item price while prices show, the
// quantity, each split column's (a drawing's shortest distinct path), the description and the total while prices
// show.
[[nodiscard]] std::vector<std::string> ExportHeadings(const ExportedReport& report);

// A price or total with two decimals and a point, as every format writes it.
[[nodiscard]] std::string FormatMoney(double value);
// The headings of the drawings' own quantity columns: the shortest end of each path that tells it from the
// others, its file name where that does (f1/plan.dxf and f2/plan.dxf, but door.dxf).
[[nodiscard]] std::vector<std::string> DrawingColumnNames(const std::vector<std::string>& paths);

// The whole text written to `path`, in full or not at all; false, with the reason in `error`, when it cannot be.
[[nodiscard]] bool WriteWholeFile(const std::string& path, const std::string& text, std::string& error);
// A field as RFC 4180 wants it: quoted, with its quotes doubled, when it holds a comma, a quote or a line end.
[[nodiscard]] std::string CsvField(const std::string& text);
// A JSON string of UTF-8 text, quotes, backslashes and control characters escaped.
[[nodiscard]] std::string JsonString(const std::string& text);

// Which of them a file name asks for, by its extension in any case: "csv", "json", "xlsx", or "" for text.
[[nodiscard]] std::string ExportFormatOf(const std::string& path);

} // namespace vantorel
