#pragma once

// Everything a drawing reader decides, as text, so that two readings can be compared object by object.

#include "platform/cad/Database.h"
#include "platform/cad/dxf/DxfLayout.h"
#include "platform/cad/dxf/DxfTags.h"

#include <string>

namespace dxftest {

// Ids carry their database in their high bits; within one they count up from 1.
inline std::string Local(cad::ObjectId id) {
    return std::to_string(id & ((cad::ObjectId{1} << 40) - 1));
}

// The first line where two descriptions part, or "" when they do not.
inline std::string FirstDifference(const std::string& a, const std::string& b) {
    std::size_t at = 0;
    while (at < a.size() && at < b.size() && a[at] == b[at])
        ++at;
    if (at == a.size() && at == b.size())
        return "";
    std::size_t line = a.rfind('\n', at == 0 ? 0 : at - 1);
    line = line == std::string::npos ? 0 : line + 1;
    return a.substr(line, a.find('\n', line) - line) + "\n  versus\n" + b.substr(line, b.find('\n', line) - line);
}

// Everything a reader decides, in order: the pieces of the file and the objects with their fields.
inline std::string Describe(const cad::Database& database) {
    std::string out;
    const cad::DxfLayout& layout = *database.Layout();
    out += "highest " + std::to_string(layout.highestHandle) + " handles " + std::to_string(layout.handles) + "\n";
    for (const cad::DxfItem& item : layout.items)
        out += std::to_string(static_cast<int>(item.Kind())) + "@" + std::to_string(item.Begin()) + ":" +
               Local(item.object) + "\n";
    for (cad::ObjectId blockId : database.PeekAs<cad::SymbolTable>(database.BlockTableId())->records) {
        const auto* block = database.PeekAs<cad::BlockTableRecord>(blockId);
        out += "block " + block->name + "\n";
        for (cad::ObjectId id : block->entities) {
            const auto* entity = database.PeekAs<cad::Entity>(id);
            out += Local(id) + " " + cad::ClassNameOf(entity->Kind()) + " " + std::to_string(entity->Handle()) +
                   " " + Local(entity->OwnerId()) + " " + entity->layer.str() + " " +
                   std::to_string(entity->color);
            if (const auto* reference = database.PeekAs<cad::BlockReference>(id)) {
                out += " -> " + Local(reference->blockId) + " seqend " +
                       std::to_string(reference->sequenceEndHandle);
                for (cad::ObjectId attributeId : reference->attributes) {
                    const auto* attribute = database.PeekAs<cad::Attribute>(attributeId);
                    out += " [" + Local(attributeId) + " " + std::to_string(attribute->Handle()) + " " + attribute->tag + "=" + attribute->text + "]";
                }
            }
            if (const auto* polyline = database.PeekAs<cad::Polyline>(id))
                out += " vertices " + std::to_string(polyline->vertices.size()) + " last x " +
                       cad::FormatReal(polyline->vertices.empty() ? 0.0 : polyline->vertices.back().x);
            if (const auto* line = database.PeekAs<cad::Line>(id))
                out += " " + cad::FormatReal(line->start.x) + "," + cad::FormatReal(line->end.y);
            if (const auto* text = database.PeekAs<cad::TextEntity>(id))
                out += " '" + text->text + "' style " + Local(text->styleId);
            if (const auto* opaque = database.PeekAs<cad::OpaqueEntity>(id))
                out += " " + opaque->typeName.str();
            out += "\n";
        }
    }
    return out;
}

} // namespace dxftest
