// The benchmark's count done with Coin3D's dime: references in the ENTITIES section by block name.
#include <dime/Input.h>
#include <dime/Model.h>
#include <dime/entities/Block.h>
#include <dime/entities/Insert.h>

#include <cstdio>
#include <map>
#include <string>

static bool Count(const dimeState* const, dimeEntity* entity, void* data) {
    if (entity->typeId() == dimeBase::dimeInsertType) {
        const dimeBlock* block = static_cast<dimeInsert*>(entity)->getBlock();
        ++(*static_cast<std::map<std::string, long>*>(data))[block ? block->getName() : "?"];
    }
    return true;
}

int main(int argc, char** argv) {
    if (argc != 2)
        return 64;
    dimeInput in;
    if (!in.setFile(argv[1]))
        return 66;
    dimeModel model;
    if (!model.read(&in)) {
        std::fprintf(stderr, "dime cannot read %s\n", argv[1]);
        return 65;
    }
    std::map<std::string, long> counts;
    model.traverseEntities(Count, &counts, false, false, false);
    for (const auto& [name, count] : counts)
        std::printf("%s %ld\n", name.c_str(), count);
    return 0;
}
