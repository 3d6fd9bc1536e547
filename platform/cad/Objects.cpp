#include "platform/cad/Objects.h"

namespace cad {

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
