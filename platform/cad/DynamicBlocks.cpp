#include "platform/cad/DynamicBlocks.h"

#include "platform/cad/Text.h"
#include "platform/cad/dxf/DxfTags.h"

namespace cad {

namespace {
// The handle in group 1005 of an application's extended data; 0 when it has none.
std::uint64_t XDataHandle(const std::vector<XDataItem>& xdata, std::string_view application) {
    bool inApplication = false;
    for (const XDataItem& item : xdata) {
        if (item.code == 1001)
            inApplication = NamesEqual(item.text, application);
        else if (inApplication && item.code == 1005)
            return ParseHandle(item.text);
    }
    return 0;
}

std::uint64_t Entry(const FileObject* dictionary, std::string_view name) {
    if (!dictionary)
        return 0;
    for (const auto& [key, handle] : dictionary->entries) {
        if (NamesEqual(key, name))
            return handle;
    }
    return 0;
}
} // namespace

ObjectId DynamicBlockOf(const Database& database, ObjectId referenceId) {
    const auto* reference = database.PeekAs<BlockReference>(referenceId);
    if (!reference)
        return kNullId;
    const auto* state = database.PeekAs<BlockTableRecord>(reference->blockId);
    if (state) {
        ObjectId found = database.FindBlockRecordByHandle(XDataHandle(state->xdata, "AcDbBlockRepBTag"));
        if (found != kNullId && found != reference->blockId)
            return found;
    }
    std::uint64_t representation = Entry(database.FindFileObject(reference->extensionDictionary), "AcDbBlockRepresentation");
    const FileObject* object = database.FindFileObject(representation);
    // The representation is a dictionary whose AcDbRepData entry holds the pointer, or the data itself.
    if (object && object->type == "DICTIONARY")
        object = database.FindFileObject(Entry(object, "AcDbRepData"));
    ObjectId found = object ? database.FindBlockRecordByHandle(object->pointer) : kNullId;
    return found != reference->blockId ? found : kNullId;
}

} // namespace cad
