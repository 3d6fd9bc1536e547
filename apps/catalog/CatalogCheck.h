#pragma once

// What in a price catalogue the module would read otherwise than its writer probably meant. The module reads
// every catalogue as it always has; this only tells the user, line by line.
#include <string>
#include <vector>

namespace hostapp {

struct CatalogFinding {
    long line = 0; // 1 for the first; 0 for the file as a whole
    std::string text;
};

// False, with `why`, when the file cannot be read; otherwise the findings in the order of the lines (none for a
// clean catalogue). Text is taken in the active code page, as the module takes it.
[[nodiscard]] bool CheckCatalog(const std::string& path, std::vector<CatalogFinding>& findings, std::string& why);
// "prices.prc:3: the price ..." ("prices.prc: ..." for the file as a whole).
[[nodiscard]] std::string FindingLine(const std::string& path, const CatalogFinding& finding);
// `vantorel check-catalog`: each finding on standard output; exit 0 when every catalogue is clean, 1 when
// something was found, 3 when one cannot be read.
int RunCatalogCheck(const std::vector<std::string>& paths);
// Before a report: each finding on standard error, "vantorel: " before it. Nothing for a catalogue that
// cannot be read, which the report itself tells.
void WarnOfCatalog(const std::string& path);

} // namespace hostapp
