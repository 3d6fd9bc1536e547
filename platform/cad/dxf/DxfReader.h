#pragma once

#include "platform/cad/Database.h"
#include "platform/cad/dxf/FileText.h"
#include "platform/cad/dxf/DxfTags.h"

#include <cstddef>
#include <memory>
#include <string>

namespace cad {

// How a drawing is read.
struct DxfReadOptions {
    // A big drawing's entities are read on up to this many threads (0: one per core, up to 8); the drawing is the
    // same whatever the number.
    unsigned threads = 0;
    // An ASCII ENTITIES section of at least this many bytes is read in chunks; a smaller one costs less on one
    // thread than starting others would.
    std::size_t chunkedFrom = std::size_t{4} << 20;
    // A damaged ASCII drawing is read for what it still holds: an entity, table entry or object whose tags cannot
    // be read is left out (and kept in the file as it stood), a stray ENDBLK or ENDSEC is skipped, and the result
    // says so. Strict, the first fault refuses the drawing.
    bool strict = false;
};

// Parses a drawing into a fresh database; `out` is set only on success. Text is converted to `active`.
[[nodiscard]] DxfResult ReadDxfText(std::string_view content, const CodePage& active, std::unique_ptr<Database>& out,
                                    const DxfReadOptions& options = {});
[[nodiscard]] DxfResult ReadDxfFile(const std::string& path, const CodePage& active, std::unique_ptr<Database>& out,
                                    const DxfReadOptions& options = {});

} // namespace cad
