#pragma once

#include "platform/cad/Database.h"
#include "platform/cad/dxf/FileText.h"
#include "platform/cad/dxf/DxfTags.h"

#include <string>

namespace cad {

// The drawing as file text: what was read, as it was, with the objects added since. New objects get their
// handles here, from $HANDSEED up, and keep them.
[[nodiscard]] DxfResult WriteDxfText(Database& database, const CodePage& active, std::string& out);
// Writes a temporary file beside `path` and renames it over `path`, so a failed save leaves the old file.
[[nodiscard]] DxfResult WriteDxfFile(Database& database, const CodePage& active, const std::string& path);

} // namespace cad
