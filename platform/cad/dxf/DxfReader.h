#pragma once

#include "platform/cad/Database.h"
#include "platform/cad/dxf/CodePage.h"
#include "platform/cad/dxf/DxfTags.h"

#include <memory>
#include <string>

namespace cad {

// Parses a drawing into a fresh database; `out` is set only on success. Text is converted to `active`.
[[nodiscard]] DxfResult ReadDxfText(std::string_view content, const CodePage& active, std::unique_ptr<Database>& out);
[[nodiscard]] DxfResult ReadDxfFile(const std::string& path, const CodePage& active, std::unique_ptr<Database>& out);

} // namespace cad
