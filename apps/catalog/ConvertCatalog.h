#pragma once

#include <string>

namespace hostapp {

// `vantorel convert-catalog IN OUT`: a catalogue from one format into another (.prc, .csv, .xlsx), what it leaves
// out or reads otherwise said on standard error. Exit 0 when written with nothing to say, 1 when written after
// saying something (or when it cannot be written), 3 when IN cannot be read, 64 for a name of no catalogue format.
int RunConvertCatalog(const std::string& in, const std::string& out);

} // namespace hostapp
