// The benchmark's count done with QCAD's dxflib: references outside block definitions by block name.
#include <dxflib/dl_creationadapter.h>
#include <dxflib/dl_dxf.h>

#include <cstdio>
#include <map>
#include <string>

namespace {
struct Counter : DL_CreationAdapter {
    std::map<std::string, long> counts;
    bool inBlock = false;
    void addBlock(const DL_BlockData&) override { inBlock = true; }
    void endBlock() override { inBlock = false; }
    void addInsert(const DL_InsertData& data) override {
        if (!inBlock)
            ++counts[data.name];
    }
};
} // namespace

int main(int argc, char** argv) {
    if (argc != 2)
        return 64;
    Counter counter;
    DL_Dxf dxf;
    if (!dxf.in(argv[1], &counter)) {
        std::fprintf(stderr, "dxflib cannot read %s\n", argv[1]);
        return 65;
    }
    for (const auto& [name, count] : counter.counts)
        std::printf("%s %ld\n", name.c_str(), count);
    return 0;
}
