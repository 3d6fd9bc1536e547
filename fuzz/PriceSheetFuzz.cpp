// Any bytes as a spreadsheet of prices, read as CSV and as an XLSX workbook, and what either holds made into a
// catalogue and written back: no crash, no read or write outside a buffer, no hang on a damaged archive.
#include "catalog/CatalogConversion.h"
#include "catalog/SheetReader.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (bool workbook : {false, true}) {
        catalog::Sheet sheet;
        std::string error;
        if (!(workbook ? catalog::ReadXlsx(bytes, sheet, error) : catalog::ReadCsv(bytes, sheet, error)))
            continue;
        catalog::Catalogue catalogue;
        std::vector<std::string> problems;
        if (!catalog::EntriesOfSheet(sheet, "fuzz.xlsx", catalogue, problems, error))
            continue;
        std::string prc = catalog::PrcText(catalogue, "fuzz", problems);
        std::string csv = catalog::CsvText(catalogue);
        // What a catalogue reads back as is what it was written from, line by line.
        catalog::Catalogue again = catalog::ReadPrc(prc);
        if (again.entries.size() > catalogue.entries.size() + 1)
            __builtin_trap();
        (void)csv;
    }
    return 0;
}
