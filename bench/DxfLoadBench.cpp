// Loads a drawing and counts the block references of model space by lower-cased block name, as the report
// command's census does; prints the time, the speed and the peak memory.
#include "platform/cad/dxf/DxfReader.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <unordered_map>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: dxf_load_bench DRAWING.dxf\n");
        return 64;
    }
    auto start = std::chrono::steady_clock::now();
    std::unique_ptr<cad::Database> database;
    cad::DxfResult result = cad::ReadDxfFile(argv[1], cad::CodePage::Default(), database);
    if (!result.Ok()) {
        std::fprintf(stderr, "%s, line %d: %s\n", argv[1], result.line, result.detail.c_str());
        return 1;
    }
    std::unordered_map<cad::ObjectId, long> byBlock;
    for (cad::ObjectId id : database->PeekAs<cad::BlockTableRecord>(database->ModelSpaceId())->entities) {
        if (const auto* reference = database->PeekAs<cad::BlockReference>(id))
            ++byBlock[reference->blockId];
    }
    std::unordered_map<std::string, long> counts;
    for (const auto& [blockId, count] : byBlock) {
        const auto* block = database->PeekAs<cad::BlockTableRecord>(blockId);
        std::string name = block ? block->name : std::string();
        for (char& c : name)
            c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        counts[name] += count;
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    long references = 0;
    for (const auto& [name, count] : counts)
        references += count;
    // VmHWM rather than getrusage: ru_maxrss survives exec, so a parent's peak would be reported as ours.
    double peakMegabytes = 0.0;
    if (FILE* status = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, status)) {
            long kilobytes = 0;
            if (std::sscanf(line, "VmHWM: %ld kB", &kilobytes) == 1)
                peakMegabytes = static_cast<double>(kilobytes) / 1024.0;
        }
        std::fclose(status);
    }
    double megabytes = 0.0;
    FILE* file = std::fopen(argv[1], "rb");
    if (file) {
        std::fseek(file, 0, SEEK_END);
        megabytes = static_cast<double>(std::ftell(file)) / 1e6;
        std::fclose(file);
    }
    std::printf("ours: %ld references of %zu blocks in %.3f s, %.1f MB/s, peak memory %.1f MB (file %.1f MB)\n",
                references, counts.size(), seconds, megabytes / seconds, peakMegabytes, megabytes);
    return 0;
}
