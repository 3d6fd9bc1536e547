#include "platform/cad/Host.h"

#include <cmath>
#include <numbers>

namespace cad {

namespace {
struct Placement {
    Point3d origin;
    Point3d position;
    double xScale;
    double yScale;
    double rotation; // radians

    Point3d Apply(const Point3d& p) const {
        double x = (p.x - origin.x) * xScale;
        double y = (p.y - origin.y) * yScale;
        double c = std::cos(rotation);
        double s = std::sin(rotation);
        return Point3d{position.x + x * c - y * s, position.y + x * s + y * c, position.z + p.z - origin.z};
    }
};

std::unique_ptr<Attribute> MakeAttribute(const AttributeDefinition& definition, const Placement& placement,
                                         std::string value) {
    auto attribute = std::make_unique<Attribute>();
    attribute->layer = definition.layer;
    attribute->color = definition.color;
    attribute->position = placement.Apply(definition.position);
    attribute->alignmentPoint = placement.Apply(definition.alignmentPoint);
    attribute->text = std::move(value);
    attribute->height = definition.height * std::fabs(placement.yScale);
    double yScale = std::fabs(placement.yScale);
    attribute->widthFactor =
        definition.widthFactor * (yScale > 0.0 ? std::fabs(placement.xScale) / yScale : 1.0);
    attribute->rotation = definition.rotation + placement.rotation;
    attribute->horizontalMode = definition.horizontalMode;
    attribute->verticalMode = definition.verticalMode;
    attribute->styleId = definition.styleId;
    attribute->oblique = definition.oblique;
    attribute->generation = definition.generation;
    attribute->trueColor = definition.trueColor;
    attribute->linetype = definition.linetype;
    attribute->lineweight = definition.lineweight;
    attribute->tag = definition.tag;
    attribute->flags = definition.flags & ~kAttConstant;
    return attribute;
}
} // namespace

int InsertBlock(Database& database, Editor& editor, std::string_view blockName, const Point3d& position,
                double xScale, double yScale, double rotationDegrees, bool promptAttributes, ObjectId* inserted) {
    *inserted = kNullId;
    ObjectId blockId = database.FindRecord(database.BlockTableId(), blockName);
    const auto* block = database.PeekAs<BlockTableRecord>(blockId);
    if (!block || block->name.starts_with('*')) {
        editor.Print("\nBlock \"" + std::string(blockName) + "\" not found.\n");
        return RtError;
    }
    if (xScale == 0.0 || yScale == 0.0) {
        editor.Print("\nScale factors cannot be zero.\n");
        return RtError;
    }
    Placement placement{block->origin, position, xScale, yScale, rotationDegrees * std::numbers::pi / 180.0};

    // Values are gathered before anything is added, so a cancelled prompt leaves the drawing as it was.
    std::vector<std::pair<const AttributeDefinition*, std::string>> values;
    for (ObjectId id : block->entities) {
        const auto* definition = database.PeekAs<AttributeDefinition>(id);
        if (!definition || definition->IsErased() || (definition->flags & kAttConstant))
            continue;
        std::string value = definition->text;
        if (promptAttributes && !(definition->flags & kAttPreset)) {
            Answer answer;
            std::string prompt = "\n" + (definition->prompt.empty() ? definition->tag : definition->prompt) +
                                 " <" + definition->text + ">: ";
            if (editor.Ask(Request::Text, prompt, answer) != RtNorm || std::holds_alternative<CancelAnswer>(answer))
                return RtCancel;
            if (const auto* text = std::get_if<TextAnswer>(&answer))
                value = text->text;
        }
        values.emplace_back(definition, std::move(value));
    }

    auto reference = std::make_unique<BlockReference>();
    reference->blockId = blockId;
    reference->position = position;
    reference->scale = Point3d{xScale, yScale, 1.0};
    reference->rotation = placement.rotation;
    reference->layer = "0";
    ObjectId referenceId = kNullId;
    if (database.AppendEntity(database.ModelSpaceId(), std::move(reference), &referenceId) != ErrorStatus::Ok)
        return RtError;
    for (auto& [definition, value] : values) {
        ObjectId attributeId = kNullId;
        [[maybe_unused]] ErrorStatus status =
            database.AppendAttribute(referenceId, MakeAttribute(*definition, placement, std::move(value)), &attributeId);
    }
    *inserted = referenceId;
    return RtNorm;
}

} // namespace cad
