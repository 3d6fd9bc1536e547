#pragma once

// Price catalogues between their own form (.prc: NAME|PRICE|DESCRIPTION lines in the active code page) and the
// spreadsheets users keep prices in (CSV, XLSX), each way.
#include "catalog/SheetReader.h"

#include <string>
#include <vector>

namespace catalog {

// A catalogue line's parts, in UTF-8, and how many of them the line has: 1 (a name alone, no "|"), 2 or 3.
struct Entry {
    std::string name;
    std::string price;
    std::string description;
    int parts = 3;
};

// A catalogue as lines, and how its file ends them.
struct Catalogue {
    std::vector<Entry> entries;
    std::string lineEnd = "\n";
    bool lastLineEnded = true;
};

enum class Format { Prc, Csv, Xlsx, Unknown };
// By the name's extension, in any case.
[[nodiscard]] Format FormatOf(const std::string& path);

// The catalogue a sheet holds: after a heading row naming its columns ("Block name", "Block" or "Name"; "Price",
// "Item Price" or "Unit price"; "Description", in any order and case), or its first three columns in that order
// when the first row names none of them. What a catalogue line cannot hold is said in `problems`, each with its
// cell: "B7: ..." (`place` goes before it: "prices.xlsx, sheet Prices"); such rows are left out. False, with the
// reason in `error`, when the heading row names some columns but not a name and a price.
[[nodiscard]] bool EntriesOfSheet(const Sheet& sheet, const std::string& place, Catalogue& catalogue,
                                  std::vector<std::string>& problems, std::string& error);
// A .prc file's lines: each split at its first two "|" (a description keeps any later ones), in the active code page
// converted to UTF-8.
[[nodiscard]] Catalogue ReadPrc(std::string_view bytes);

// The .prc text in the active code page; an entry whose text the page cannot hold is said in `problems` (with
// `place`) and left out.
[[nodiscard]] std::string PrcText(const Catalogue& catalogue, const std::string& place,
                                  std::vector<std::string>& problems);
// CSV with the heading row "Block name,Price,Description", its lines ended as the catalogue's were.
[[nodiscard]] std::string CsvText(const Catalogue& catalogue);
// An XLSX workbook of one sheet, "Prices": the heading row, and prices as numbers where they are decimal numbers.
// False, with the reason, when it cannot be written.
[[nodiscard]] bool WriteXlsxCatalogue(const std::string& path, const Catalogue& catalogue, std::string& error);

// Reads a catalogue of any format; false, with the reason, when it cannot be read.
[[nodiscard]] bool ReadCatalogue(const std::string& path, Catalogue& catalogue, std::vector<std::string>& problems,
                                 std::string& error);

// The catalogue the module is to read for `path`: the path itself for a .prc (or any name that is not .csv or
// .xlsx), else the spreadsheet converted into the active code page, kept in the user's cache folder
// ($XDG_CACHE_HOME/vantorel/catalogues/, ~/.cache/... without it) under the spreadsheet's own name with .prc: the
// module remembers the last catalogue, and this one stays openable there. What the conversion left out or reads
// otherwise is in `problems`. False, with the reason, when the spreadsheet cannot be read or the catalogue written.
[[nodiscard]] bool CatalogueForModule(const std::string& path, std::string& prcPath, std::vector<std::string>& problems,
                                      std::string& error);

} // namespace catalog
