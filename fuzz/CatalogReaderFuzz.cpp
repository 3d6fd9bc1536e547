// Any bytes as a catalogue file, read by both of its readers: no crash, no read or write outside a buffer,
// and no field longer than a line can hold.
#include "bom/BomReport.h"
#include "bom/PriceCatalog.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {
const std::string& FuzzFile() {
    static const std::string s_path = [] {
        char name[] = "/tmp/vantorel-catalog-fuzz-XXXXXX";
        int descriptor = mkstemp(name);
        if (descriptor >= 0)
            close(descriptor);
        return std::string(name);
    }();
    return s_path;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = FuzzFile();
    if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    vantorel::PriceCatalog catalog;
    if (!catalog.ReadCatalogFile(path))
        std::abort();
    for (long i = 0; i < catalog.EntryCount(); ++i) {
        vantorel::CatalogEntry entry = catalog.Entry(i);
        if (entry.blockName.empty() || entry.price.empty() || entry.blockName.size() > 998 ||
            entry.price.size() > 998 || entry.description.size() > 998)
            std::abort();
    }
    vantorel::BomReport report;
    if (!report.ReadCatalog(path) || report.Rows().size() != static_cast<std::size_t>(catalog.EntryCount()))
        std::abort();
    for (const vantorel::ReportRow& row : report.Rows()) {
        // Whatever the price field holds, the price is a number that shows as one.
        std::string shown = vantorel::FormatPrice(row.itemPrice);
        if (shown.find_first_not_of("-.0123456789") != std::string::npos)
            std::abort();
    }
    return 0;
}
