// Loads a drawing and counts the block references of model space by lower-cased block name, as the report
// command's census does; prints the time, the speed and the peak memory.
#include "platform/cad/dxf/DxfReader.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

struct Run {
    double seconds = 0.0;
    long references = 0;
    std::size_t blocks = 0;
};

bool LoadAndCount(const char* path, Run& run) {
    auto start = std::chrono::steady_clock::now();
    std::unique_ptr<cad::Database> database;
    cad::DxfResult result = cad::ReadDxfFile(path, cad::CodePage::Default(), database);
    if (!result.Ok()) {
        std::fprintf(stderr, "%s, line %d: %s\n", path, result.line, result.detail.c_str());
        return false;
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
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.references = 0;
    for (const auto& [name, count] : counts)
        run.references += count;
    run.blocks = counts.size();
    return true;
}

double PeakMegabytes() {
    // VmHWM rather than getrusage: ru_maxrss survives exec, so a parent's peak would be reported as ours.
    double peak = 0.0;
    if (FILE* status = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, status)) {
            long kilobytes = 0;
            if (std::sscanf(line, "VmHWM: %ld kB", &kilobytes) == 1)
                peak = static_cast<double>(kilobytes) / 1024.0;
        }
        std::fclose(status);
    }
    return peak;
}

} // namespace

// dxf_load_bench DRAWING.dxf [RUNS]: the first run's time, and the best and the median of RUNS (default 1);
// the peak memory is that of one load, as every run frees what it read.
int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: dxf_load_bench DRAWING.dxf [RUNS]\n");
        return 64;
    }
    int runs = argc == 3 ? std::atoi(argv[2]) : 1;
    if (runs < 1)
        runs = 1;
    std::vector<double> times;
    Run run;
    for (int i = 0; i < runs; ++i) {
        if (!LoadAndCount(argv[1], run))
            return 1;
        times.push_back(run.seconds);
    }
    double first = times.front();
    std::sort(times.begin(), times.end());
    double megabytes = 0.0;
    if (FILE* file = std::fopen(argv[1], "rb")) {
        std::fseek(file, 0, SEEK_END);
        megabytes = static_cast<double>(std::ftell(file)) / 1e6;
        std::fclose(file);
    }
    std::printf("ours: %ld references of %zu blocks in %.3f s (first of %d runs; best %.3f s, median %.3f s), "
                "%.1f MB/s at best, peak memory %.1f MB (file %.1f MB)\n",
                run.references, run.blocks, first, runs, times.front(), times[times.size() / 2],
                megabytes / times.front(), PeakMegabytes(), megabytes);
    return 0;
}
