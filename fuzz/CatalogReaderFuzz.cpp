// Any bytes as a catalogue file, read by both of its readers: no crash, no read or write outside a buffer,
// and no field longer than a line can hold.
#include "bom/BomReport.h"
#include "bom/PriceCatalog.h"
#include "platform/text/CodePage.h"

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
    // Read in 1252, in UTF-8 (pieces end between characters, lines that are no UTF-8 are said) and in a
    // double-byte page, by the input's last byte: a byte-order mark and what follows go through each.
    static const int kPages[] = {1252, 65001, 932};
    textkit::SetActive(*textkit::CodePage::Find(kPages[size > 0 ? data[size - 1] % 3 : 0]));
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
