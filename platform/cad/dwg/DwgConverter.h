#pragma once

#include "platform/cad/dxf/DxfTags.h"

#include <string>
#include <string_view>

namespace cad {

// Whether a file's first bytes are those of a DWG drawing ("AC1015", "AC1.50", "AC2.10", ...), whatever its
// name says.
[[nodiscard]] bool LooksLikeDwg(std::string_view head);
[[nodiscard]] bool IsDwgFile(const std::string& path);

// Converts the DWG drawing at `dwgPath` to DXF in a process of its own (node running LibreDWG, found beside the
// program or where the build put it), into a temporary file whose path is returned in `dxfPath`; the caller
// removes it. A converter that fails, crashes or runs past its time leaves nothing behind, and the result says
// "cannot convert PATH from DWG: reason".
[[nodiscard]] DxfResult ConvertDwgToDxf(const std::string& dwgPath, std::string& dxfPath);

} // namespace cad
