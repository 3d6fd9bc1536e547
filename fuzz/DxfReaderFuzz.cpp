// Any bytes at all go to the drawing reader: as they are (dxf_reader_fuzz), or after the binary DXF sentinel as a
// binary drawing (dxf_binary_reader_fuzz, built with VANTOREL_FUZZ_BINARY). It must refuse or accept them without
// crashing, hanging or reading outside them; what it accepts must write out and read back to as many objects.
#include "platform/cad/dxf/DxfReader.h"
#include "platform/cad/dxf/DxfWriter.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
#ifdef VANTOREL_FUZZ_BINARY
    std::string bytes(cad::kBinaryDxfSentinel);
    bytes.append(reinterpret_cast<const char*>(data), size);
    std::string_view content = bytes;
#else
    // The reader is handed exactly these bytes, in a buffer of their size, so that a read past them is caught.
    std::string_view content(reinterpret_cast<const char*>(data), size);
#endif
    std::unique_ptr<cad::Database> database;
    cad::DxfResult read = cad::ReadDxfText(content, cad::CodePage::Default(), database);
    if (!read.Ok()) {
        if (database || read.detail.empty())
            std::abort(); // a refusal leaves no drawing and says why
        return 0;
    }
    std::string written;
    if (!cad::WriteDxfText(*database, cad::CodePage::Default(), written).Ok())
        return 0;
    std::unique_ptr<cad::Database> again;
    cad::DxfResult reread = cad::ReadDxfText(written, cad::CodePage::Default(), again);
    if (!reread.Ok()) {
        std::fprintf(stderr, "our own output does not read back: %s: %s\n", reread.Place().c_str(),
                     reread.detail.c_str());
        std::abort();
    }
    if (again->ObjectCount() != database->ObjectCount()) {
        std::fprintf(stderr, "read %zu objects, then %zu from our own output\n", database->ObjectCount(),
                     again->ObjectCount());
        std::abort();
    }
    return 0;
}
