#pragma once

#include "platform/cad/Database.h"

namespace cad {

// The dynamic block whose state a reference draws, found as the files of the CAD program record it: the state's
// block record names it in its extended data (AcDbBlockRepBTag, a handle), or the reference's extension
// dictionary holds an AcDbBlockRepresentation whose data points to it. Null when neither does.
[[nodiscard]] ObjectId DynamicBlockOf(const Database& database, ObjectId referenceId);

} // namespace cad
