#pragma once

#include "platform/cad/Database.h"
#include "platform/cad/dxf/CodePage.h"
#include "platform/cad/dxf/DxfTags.h"

#include <memory>
#include <string>

namespace cad {

// Parses a drawing into a fresh database; `out` is set only on success. Text is converted to `active`. A big
// drawing's entities are read on up to `threads` threads (0: one per core, up to 8); the drawing is the same.
[[nodiscard]] DxfResult ReadDxfText(std::string_view content, const CodePage& active, std::unique_ptr<Database>& out,
                                    unsigned threads = 0);
[[nodiscard]] DxfResult ReadDxfFile(const std::string& path, const CodePage& active, std::unique_ptr<Database>& out,
                                    unsigned threads = 0);

} // namespace cad
