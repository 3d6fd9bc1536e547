#include "BlockCounts.h"

#include "platform/cad/Host.h"
#include "platform/cad/Text.h"

#include <cstdio>
#include <unordered_map>

namespace hostapp {

namespace {
bool IsModelSpace(const std::string& name) {
    return cad::NamesEqual(name, "*Model_Space");
}
bool IsPaperSpace(const std::string& name) {
    return name.size() >= 12 && cad::NamesEqual(std::string_view(name).substr(0, 12), "*Paper_Space");
}
} // namespace

std::vector<BlockCount> CountBlocks(const cad::Database& database) {
    std::vector<BlockCount> counts;
    std::unordered_map<cad::ObjectId, std::size_t> row;
    const auto* table = database.PeekAs<cad::SymbolTable>(database.BlockTableId());
    for (cad::ObjectId id : table->records) {
        const auto* block = database.PeekAs<cad::BlockTableRecord>(id);
        if (!block || block->IsErased() || IsModelSpace(block->name) || IsPaperSpace(block->name))
            continue;
        row[id] = counts.size();
        counts.push_back(BlockCount{block->name, block->name.starts_with('*') || (block->flags & cad::kBlockAnonymous),
                                    (block->flags & cad::kBlockExternal) != 0});
    }
    for (cad::ObjectId id : table->records) {
        const auto* block = database.PeekAs<cad::BlockTableRecord>(id);
        if (!block || block->IsErased())
            continue;
        bool model = IsModelSpace(block->name);
        bool paper = IsPaperSpace(block->name);
        for (cad::ObjectId entityId : block->entities) {
            const auto* reference = database.PeekAs<cad::BlockReference>(entityId);
            if (!reference || reference->IsErased())
                continue;
            auto it = row.find(reference->blockId);
            if (it == row.end())
                continue;
            BlockCount& count = counts[it->second];
            (model ? count.modelSpace : paper ? count.paperSpace : count.inBlocks) += 1;
        }
    }
    return counts;
}

void PrintBlockCounts(const std::vector<BlockCount>& counts) {
    std::printf("%-32s %-10s %8s %8s %10s\n", "Block", "Kind", "Model", "Paper", "In blocks");
    for (const BlockCount& count : counts) {
        const char* kind = count.external ? "xref" : count.anonymous ? "anonymous" : "";
        // The terminal shows UTF-8; names are in the active code page.
        std::string name = cad::EncodeFileText(count.name, cad::Host::Instance().ActiveCodePage(), nullptr);
        std::printf("%-32s %-10s %8ld %8ld %10ld\n", name.c_str(), kind, count.modelSpace, count.paperSpace,
                    count.inBlocks);
    }
}

} // namespace hostapp
