#include "table/TableOptions.h"

#include "bom/BlockNames.h"

#include <cstdlib>
#include <vector>

namespace vantorel {

namespace {
// The entities of a block, listed while it is open so that each can be opened after it is closed.
std::vector<AcDbObjectId> EntityIds(AcDbBlockTableRecord& block) {
    std::vector<AcDbObjectId> ids;
    AcDbBlockTableRecordIterator* iterator = nullptr;
    if (block.newIterator(iterator) == Acad::eOk && iterator) {
        for (; !iterator->done(); iterator->step()) {
            AcDbObjectId id;
            if (iterator->getEntityId(id) == Acad::eOk)
                ids.push_back(id);
        }
    }
    delete iterator;
    return ids;
}
} // namespace

TableOptions ReadTableOptions() {
    TableOptions options;
    options.replace = HostSwitchOn("BOMREPLACE");
    options.cellsAsText = HostSwitchOn("BOMTABLETEXT");
    double height = HostReal("BOMTEXTHEIGHT", 1.0);
    options.textHeight = height > 0.0 ? height : 1.0;
    return options;
}

PlacedTable FindPlacedTable() {
    PlacedTable newest;
    int newestNumber = -1;
    AcDbBlockTable* blocks = nullptr;
    [[maybe_unused]] Acad::ErrorStatus opened =
        acdbHostApplicationServices()->workingDatabase()->getSymbolTable(blocks, AcDb::kForRead);
    if (!blocks)
        return newest;
    AcDbBlockTableRecord* model = nullptr;
    [[maybe_unused]] int found = blocks->getAt("*Model_Space", model, AcDb::kForRead);
    CloseObject(blocks);
    if (!model)
        return newest;
    std::vector<AcDbObjectId> entities = EntityIds(*model);
    CloseObject(model);
    for (AcDbObjectId id : entities) {
        AcDbObject* object = nullptr;
        if (acdbOpenAcDbObject(object, id, AcDbBlockReference::desc(), AcDb::kForRead) != Acad::eOk)
            continue;
        auto* reference = static_cast<AcDbBlockReference*>(object);
        AcDbObjectId blockId = reference->blockTableRecord();
        AcGePoint3d corner = reference->position();
        double scale = reference->scaleFactors().sx;
        CloseObject(reference);
        if (acdbOpenAcDbObject(object, blockId, AcDbBlockTableRecord::desc(), AcDb::kForRead) != Acad::eOk)
            continue;
        HostString name;
        [[maybe_unused]] Acad::ErrorStatus named = static_cast<AcDbBlockTableRecord*>(object)->getName(name.Out());
        CloseObject(object);
        std::string blockName = name.Get();
        if (!IsTableBlockName(blockName))
            continue;
        // The highest number is the table placed last; of its references, the last in the drawing.
        int number = std::atoi(blockName.c_str() + 3);
        if (number >= newestNumber) {
            newestNumber = number;
            newest = PlacedTable{true, blockName, blockId, id, corner, scale};
        }
    }
    return newest;
}

bool ClearPlacedTable(const PlacedTable& table) {
    AcDbObject* object = nullptr;
    if (acdbOpenAcDbObject(object, table.referenceId, AcDb::kForWrite) != Acad::eOk)
        return false;
    [[maybe_unused]] Acad::ErrorStatus erased = object->erase();
    CloseObject(object);
    if (acdbOpenAcDbObject(object, table.blockId, AcDbBlockTableRecord::desc(), AcDb::kForRead) != Acad::eOk)
        return false;
    std::vector<AcDbObjectId> entities = EntityIds(*static_cast<AcDbBlockTableRecord*>(object));
    CloseObject(object);
    for (AcDbObjectId id : entities) {
        if (acdbOpenAcDbObject(object, id, AcDb::kForWrite) != Acad::eOk)
            return false;
        erased = object->erase();
        CloseObject(object);
    }
    return true;
}

} // namespace vantorel
