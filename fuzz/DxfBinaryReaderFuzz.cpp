// Any bytes after the binary DXF sentinel go to the drawing reader as a binary drawing: one-byte group codes
// unless the bytes name a later release. It must refuse or accept them without crashing, hanging or reading outside
// them; what it accepts must save and read back to as many objects.
#include "platform/cad/dxf/DxfReader.h"
#include "platform/cad/dxf/DxfWriter.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string content(cad::kBinaryDxfSentinel);
    content.append(reinterpret_cast<const char*>(data), size);
    std::unique_ptr<cad::Database> database;
    cad::DxfResult read = cad::ReadDxfText(content, cad::CodePage::Default(), database);
    if (!read.Ok()) {
        if (database || read.detail.empty() || !read.binary)
            std::abort(); // a refusal leaves no drawing and says why, by the byte
        return 0;
    }
    std::string written;
    if (!cad::WriteDxfText(*database, cad::CodePage::Default(), written).Ok())
        return 0;
    std::unique_ptr<cad::Database> again;
    cad::DxfResult reread = cad::ReadDxfText(written, cad::CodePage::Default(), again);
    if (!reread.Ok() || again->ObjectCount() != database->ObjectCount()) {
        std::fprintf(stderr, "our own output reads back otherwise: %s: %s\n", reread.Place().c_str(),
                     reread.detail.c_str());
        std::abort();
    }
    return 0;
}
