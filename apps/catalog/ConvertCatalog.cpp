#include "catalog/ConvertCatalog.h"

#include "CliCommon.h"
#include "catalog/CatalogConversion.h"

#include "exporters/ExportedReport.h"

#include <cstdio>

namespace hostapp {

int RunConvertCatalog(const std::string& in, const std::string& out) {
    for (const std::string* path : {&in, &out}) {
        if (catalog::FormatOf(*path) == catalog::Format::Unknown) {
            std::fprintf(stderr, "vantorel: %s: a catalogue's name ends in .prc, .csv or .xlsx, which says its format\n",
                         path->c_str());
            return kExitUsage;
        }
    }
    catalog::Catalogue catalogue;
    std::vector<std::string> problems;
    std::string error;
    if (!catalog::ReadCatalogue(in, catalogue, problems, error)) {
        for (const std::string& problem : problems)
            std::fprintf(stderr, "vantorel: %s\n", problem.c_str());
        std::fprintf(stderr, "vantorel: %s\n", error.c_str());
        return kExitDrawingRefused;
    }
    bool written = false;
    switch (catalog::FormatOf(out)) {
    case catalog::Format::Prc: {
        std::string text = catalog::PrcText(catalogue, in, problems);
        written = vantorel::WriteWholeFile(out, text, error);
        break;
    }
    case catalog::Format::Csv: written = vantorel::WriteWholeFile(out, catalog::CsvText(catalogue), error); break;
    default: written = catalog::WriteXlsxCatalogue(out, catalogue, error); break;
    }
    for (const std::string& problem : problems)
        std::fprintf(stderr, "vantorel: %s\n", problem.c_str());
    if (!written) {
        std::fprintf(stderr, "vantorel: %s\n", error.c_str());
        return kExitCommandFailed;
    }
    return problems.empty() ? kExitOk : kExitCommandFailed;
}

} // namespace hostapp
