#pragma once

#include "platform/cad/dxf/DxfTags.h"
#include "platform/files/ReplacingWrite.h"

#include <string>
#include <string_view>
#include <vector>

namespace cad {

// Whether a file's first bytes are those of a DWG drawing ("AC1015", "AC1.50", "AC2.10", ...), whatever its
// name says.
[[nodiscard]] bool LooksLikeDwg(std::string_view head);
[[nodiscard]] bool IsDwgFile(const std::string& path);

// LibreDWG reads the most of a drawing (dynamic blocks, extended data); libdxfrw reads some drawings LibreDWG
// cannot, with less of them.
enum class DwgConverter { LibreDwg, Libdxfrw };

// A DWG drawing as DXF: a private temporary file, readable by its Path() while this lives; which converter made it,
// and what the user is to be told of that.
struct ConvertedDrawing {
    files::PrivateTemporary file;
    DwgConverter converter = DwgConverter::LibreDwg;
    std::vector<std::string> notes;
};

// Converts the DWG drawing at `dwgPath` to DXF in a process of its own (node running the converter's script, found
// beside the program or where the build put it), into `converted`: with `first`, and when LibreDWG fails or
// crashes, with libdxfrw. The file has no name, so nothing is left behind, whether a converter fails, crashes,
// runs past its time or this program is killed; a failure says "cannot convert PATH from DWG: reason" and what
// the user can do.
[[nodiscard]] DxfResult ConvertDwgToDxf(const std::string& dwgPath, ConvertedDrawing& converted,
                                        DwgConverter first = DwgConverter::LibreDwg);
// "WHY; read by libdxfrw, which keeps no dynamic-block or extended data: check the counts"
[[nodiscard]] std::string ReadByLibdxfrw(const std::string& why);

} // namespace cad
