#pragma once

#include "platform/cad/Geometry.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace cad {

using ObjectId = std::uint64_t;
inline constexpr ObjectId kNullId = 0;

enum class ObjectKind {
    BlockTable,
    LayerTable,
    TextStyleTable,
    BlockRecord,
    LayerRecord,
    TextStyleRecord,
    Line,
    Circle,
    Arc,
    Text,
    AttributeDefinition,
    Attribute,
    BlockReference,
    Opaque,
};

// The host's class name of each kind ("AcDbLine", ...), used for class checks on open.
[[nodiscard]] const char* ClassNameOf(ObjectKind kind);
[[nodiscard]] bool IsEntityKind(ObjectKind kind);
[[nodiscard]] bool IsSymbolTableKind(ObjectKind kind);
[[nodiscard]] bool IsSymbolRecordKind(ObjectKind kind);

class Object {
public:
    explicit Object(ObjectKind kind) : m_kind(kind) {}
    virtual ~Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    ObjectKind Kind() const { return m_kind; }
    ObjectId Id() const { return m_id; }
    ObjectId OwnerId() const { return m_ownerId; }
    bool IsErased() const { return m_erased; }
    void SetErased(bool erased) { m_erased = erased; }

private:
    friend class Database;
    ObjectKind m_kind;
    ObjectId m_id = kNullId;
    ObjectId m_ownerId = kNullId;
    bool m_erased = false;
};

class Entity : public Object {
public:
    using Object::Object;
    std::string layer = "0";
    int color = 256; // by layer
};

struct Line : Entity {
    Line() : Entity(ObjectKind::Line) {}
    Point3d start;
    Point3d end;
};

struct Circle : Entity {
    Circle() : Entity(ObjectKind::Circle) {}
    Point3d center;
    double radius = 0.0;
};

struct Arc : Entity {
    Arc() : Entity(ObjectKind::Arc) {}
    Point3d center;
    double radius = 0.0;
    double startAngle = 0.0; // radians
    double endAngle = 0.0;
};

enum class HorizontalMode : int { Left = 0, Center = 1, Right = 2, Aligned = 3, Middle = 4, Fit = 5 };
enum class VerticalMode : int { Base = 0, Bottom = 1, Middle = 2, Top = 3 };

// Shared by text, attribute definitions and attributes.
class TextEntity : public Entity {
public:
    using Entity::Entity;
    Point3d position;
    Point3d alignmentPoint;
    std::string text;
    double height = 0.2;
    double widthFactor = 1.0;
    double rotation = 0.0; // radians
    HorizontalMode horizontalMode = HorizontalMode::Left;
    VerticalMode verticalMode = VerticalMode::Base;
    ObjectId styleId = kNullId;
};

struct Text : TextEntity {
    Text() : TextEntity(ObjectKind::Text) {}
};

enum AttributeFlags : int { kAttInvisible = 1, kAttConstant = 2, kAttVerifiable = 4, kAttPreset = 8 };

struct AttributeDefinition : TextEntity {
    AttributeDefinition() : TextEntity(ObjectKind::AttributeDefinition) {}
    std::string tag;
    std::string prompt;
    int flags = 0;
};

struct Attribute : TextEntity {
    Attribute() : TextEntity(ObjectKind::Attribute) {}
    std::string tag;
    int flags = 0;
};

struct BlockReference : Entity {
    BlockReference() : Entity(ObjectKind::BlockReference) {}
    ObjectId blockId = kNullId;
    Point3d position;
    Point3d scale{1.0, 1.0, 1.0};
    double rotation = 0.0;           // radians
    std::vector<ObjectId> attributes; // owned by the reference, in definition order
};

// An entity the editor does not model; its DXF groups are kept so it can be written back unchanged.
struct OpaqueEntity : Entity {
    OpaqueEntity() : Entity(ObjectKind::Opaque) {}
    std::string typeName;
    std::vector<std::pair<int, std::string>> groups;
};

class SymbolTableRecord : public Object {
public:
    using Object::Object;
    std::string name;
};

struct BlockTableRecord : SymbolTableRecord {
    BlockTableRecord() : SymbolTableRecord(ObjectKind::BlockRecord) {}
    Point3d origin;
    std::vector<ObjectId> entities; // in drawing order
};

struct LayerTableRecord : SymbolTableRecord {
    LayerTableRecord() : SymbolTableRecord(ObjectKind::LayerRecord) {}
    int color = 7;
    std::string lineType = "Continuous";
};

struct TextStyleTableRecord : SymbolTableRecord {
    TextStyleTableRecord() : SymbolTableRecord(ObjectKind::TextStyleRecord) {}
    std::string fileName = "txt";
    std::string bigFontFileName;
    double textSize = 0.0;
    double widthFactor = 1.0;
    double obliqueAngle = 0.0;
};

struct SymbolTable : Object {
    explicit SymbolTable(ObjectKind kind) : Object(kind) {}
    std::vector<ObjectId> records; // in the order they were added
};

} // namespace cad
