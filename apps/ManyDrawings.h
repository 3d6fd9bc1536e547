#pragma once

// One report over several drawings: the same catalogue and switches for all, the drawings read in parallel,
// each counted by the module's own census through the dialog, the rows summed.
#include "ReportRun.h"

#include <string>

namespace hostapp {

// The exit code: 0, 4 when some drawings could not be read (the others are reported), 3 when none could.
int RunManyDrawingsReport(const ReportOptions& options, const std::string& modulePath);

} // namespace hostapp
