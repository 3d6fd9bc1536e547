// Reads drawings with our reader and prints one line per file, for comparison with another reader:
// path, then "ok" with the entity counts of model space and of every block, or "error" with the reason.
#include "platform/cad/Text.h"
#include "platform/cad/dxf/DxfReader.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    int failures = 0;
    for (int i = 1; i < argc; ++i) {
        std::unique_ptr<cad::Database> database;
        cad::DxfResult result = cad::ReadDxfFile(argv[i], cad::CodePage::Default(), database);
        if (!result.Ok()) {
            std::printf("%s\terror\t%s: %s\n", argv[i], result.Place().c_str(), result.detail.c_str());
            ++failures;
            continue;
        }
        std::size_t model = database->PeekAs<cad::BlockTableRecord>(database->ModelSpaceId())->entities.size();
        std::size_t inBlocks = 0;
        std::size_t blocks = 0;
        for (cad::ObjectId id : database->PeekAs<cad::SymbolTable>(database->BlockTableId())->records) {
            const auto* block = database->PeekAs<cad::BlockTableRecord>(id);
            bool layout = cad::NamesEqual(block->name.substr(0, 12), "*Model_Space") ||
                          cad::NamesEqual(block->name.substr(0, 12), "*Paper_Space");
            if (id == database->ModelSpaceId() || id == database->PaperSpaceId() || layout || !block->FromFile())
                continue;
            ++blocks;
            inBlocks += block->entities.size();
        }
        std::printf("%s\tok\t%zu\t%zu\t%zu\n", argv[i], model, blocks, inBlocks);
    }
    return failures == 0 ? 0 : 1;
}
