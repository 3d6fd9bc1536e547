#include "platform/cad/Objects.h"

#include <mutex>
#include <vector>

namespace cad {

namespace {
constexpr std::size_t kTouchesKept = 65536;
std::mutex g_touchLock;
std::uint64_t g_nextTouch = 0;    // the number the next touch gets
std::uint64_t g_droppedTouch = 0; // touches before this number are no longer listed
std::vector<ObjectId> g_touched;  // ring of the last kTouchesKept, touch n at n % kTouchesKept
} // namespace

void NoteTouched(ObjectId id) {
    // An object not yet in a drawing is new to everyone who looks.
    if (id == kNullId)
        return;
    std::lock_guard<std::mutex> guard(g_touchLock);
    if (g_touched.empty())
        g_touched.resize(kTouchesKept, kNullId);
    g_touched[g_nextTouch % kTouchesKept] = id;
    ++g_nextTouch;
    if (g_nextTouch - g_droppedTouch > kTouchesKept)
        g_droppedTouch = g_nextTouch - kTouchesKept;
}

std::uint64_t TouchCount() {
    std::lock_guard<std::mutex> guard(g_touchLock);
    return g_nextTouch;
}

bool TouchedSince(std::uint64_t from, std::vector<ObjectId>& ids) {
    std::lock_guard<std::mutex> guard(g_touchLock);
    if (from < g_droppedTouch)
        return false;
    for (std::uint64_t n = from; n < g_nextTouch; ++n)
        ids.push_back(g_touched[n % kTouchesKept]);
    return true;
}

const InternedText& LayerZero() {
    static const InternedText zero("0");
    return zero;
}

const char* ClassNameOf(ObjectKind kind) {
    switch (kind) {
    case ObjectKind::BlockTable: return "AcDbBlockTable";
    case ObjectKind::LayerTable: return "AcDbLayerTable";
    case ObjectKind::TextStyleTable: return "AcDbTextStyleTable";
    case ObjectKind::BlockRecord: return "AcDbBlockTableRecord";
    case ObjectKind::LayerRecord: return "AcDbLayerTableRecord";
    case ObjectKind::TextStyleRecord: return "AcDbTextStyleTableRecord";
    case ObjectKind::Line: return "AcDbLine";
    case ObjectKind::Circle: return "AcDbCircle";
    case ObjectKind::Arc: return "AcDbArc";
    case ObjectKind::Text: return "AcDbText";
    case ObjectKind::AttributeDefinition: return "AcDbAttributeDefinition";
    case ObjectKind::Attribute: return "AcDbAttribute";
    case ObjectKind::BlockReference: return "AcDbBlockReference";
    case ObjectKind::Polyline: return "AcDbPolyline";
    case ObjectKind::Opaque: return "AcDbEntity";
    }
    return "AcDbObject";
}

bool IsEntityKind(ObjectKind kind) {
    return kind >= ObjectKind::Line;
}

bool IsSymbolTableKind(ObjectKind kind) {
    return kind == ObjectKind::BlockTable || kind == ObjectKind::LayerTable || kind == ObjectKind::TextStyleTable;
}

bool IsSymbolRecordKind(ObjectKind kind) {
    return kind == ObjectKind::BlockRecord || kind == ObjectKind::LayerRecord ||
           kind == ObjectKind::TextStyleRecord;
}

} // namespace cad
