// Any bytes, read by the single reader and by the chunked one with a threshold so low that nearly every drawing is
// cut into chunks: the two must say the same, make as many objects and save the same bytes. The first byte picks
// the threshold and the number of threads.
#include "platform/cad/dxf/DxfReader.h"
#include "platform/cad/dxf/DxfWriter.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

namespace {
struct Reading {
    std::string said;
    std::size_t objects = 0;
    std::string saved;
};

Reading Read(std::string_view content, unsigned threads, std::size_t chunkedFrom) {
    cad::DxfReadOptions options;
    options.threads = threads;
    options.chunkedFrom = chunkedFrom;
    std::unique_ptr<cad::Database> database;
    cad::DxfResult result = cad::ReadDxfText(content, cad::CodePage::Default(), database, options);
    Reading reading;
    reading.said = std::to_string(static_cast<int>(result.status)) + " " + result.Place() + ": " + result.detail;
    for (const std::string& warning : result.warnings)
        reading.said += "\n" + warning;
    if (database) {
        reading.objects = database->ObjectCount();
        if (!cad::WriteDxfText(*database, cad::CodePage::Default(), reading.saved).Ok())
            reading.saved = "not saved";
    }
    return reading;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    std::size_t chunkedFrom = 16 + std::size_t{data[0]} * 8;
    unsigned threads = 2 + data[0] % 3;
    std::string_view content(reinterpret_cast<const char*>(data + 1), size - 1);
    Reading one = Read(content, 1, chunkedFrom);
    Reading many = Read(content, threads, chunkedFrom);
    if (one.said != many.said || one.objects != many.objects || one.saved != many.saved) {
        std::fprintf(stderr, "one thread: %s (%zu objects)\n%u threads: %s (%zu objects)%s\n", one.said.c_str(),
                     one.objects, threads, many.said.c_str(), many.objects,
                     one.saved != many.saved ? "\nsaved otherwise" : "");
        std::abort();
    }
    return 0;
}
