#pragma once

#include "platform/cad/dxf/DxfTags.h"
#include "platform/files/ReplacingWrite.h"

#include <string>
#include <string_view>

namespace cad {

// Whether a file's first bytes are those of a DWG drawing ("AC1015", "AC1.50", "AC2.10", ...), whatever its
// name says.
[[nodiscard]] bool LooksLikeDwg(std::string_view head);
[[nodiscard]] bool IsDwgFile(const std::string& path);

// A DWG drawing as DXF: a private temporary file, readable by its Path() while this lives.
struct ConvertedDrawing {
    files::PrivateTemporary file;
};

// Converts the DWG drawing at `dwgPath` to DXF in a process of its own (node running LibreDWG, found beside the
// program or where the build put it), into `converted`. The file has no name, so nothing is left behind, whether
// the converter fails, crashes, runs past its time or this program is killed; a failure says
// "cannot convert PATH from DWG: reason".
[[nodiscard]] DxfResult ConvertDwgToDxf(const std::string& dwgPath, ConvertedDrawing& converted);

} // namespace cad
