#pragma once

#include "platform/cad/Geometry.h"
#include "platform/cad/InternedText.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace cad {

using ObjectId = std::uint64_t;
inline constexpr ObjectId kNullId = 0;

enum class ObjectKind : std::uint8_t {
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
    Polyline,
    Opaque,
};

// The host's class name of each kind ("AcDbLine", ...), used for class checks on open.
[[nodiscard]] const char* ClassNameOf(ObjectKind kind);
[[nodiscard]] bool IsEntityKind(ObjectKind kind);
[[nodiscard]] bool IsSymbolTableKind(ObjectKind kind);
[[nodiscard]] bool IsSymbolRecordKind(ObjectKind kind);

// Which objects were changed in place, in order, for those who keep something made from a drawing (the view's display
// list) and want to know whether it still holds. Only the last 65,536 are kept.
// The number the next touch gets.
std::uint64_t TouchCount();
// The objects touched from `from` on (what TouchCount() gave then); false when some are no longer listed.
bool TouchedSince(std::uint64_t from, std::vector<ObjectId>& ids);
void NoteTouched(ObjectId id);

class Object {
public:
    explicit Object(ObjectKind kind) : m_kind(kind) {}
    virtual ~Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    ObjectKind Kind() const { return m_kind; }
    // Whether an object of `kind` is one of this type; lets lookups cast without run-time type information.
    static bool Holds(ObjectKind) { return true; }
    ObjectId Id() const { return m_id; }
    ObjectId OwnerId() const { return m_ownerId; }
    bool IsErased() const { return m_erased; }
    void SetErased(bool erased) {
        m_erased = erased;
        m_modified = true;
    }

    // The drawing file's handle; 0 until the object is read or first saved.
    std::uint64_t Handle() const { return m_handle; }
    void SetHandle(std::uint64_t handle) { m_handle = handle; }
    // Read from the drawing file, so saving can write its original tags while it stays unmodified.
    bool FromFile() const { return m_fromFile; }
    void SetFromFile(bool fromFile) { m_fromFile = fromFile; }
    bool IsModified() const { return m_modified; }
    void Touch() {
        m_modified = true;
        NoteTouched(m_id);
    }

    // Made in its database's arena rather than on the heap.
    bool InArena() const { return m_inArena; }

private:
    friend class Database;
    ObjectId m_id = kNullId;
    ObjectId m_ownerId = kNullId;
    std::uint64_t m_handle = 0;
    ObjectKind m_kind;
    bool m_erased = false;
    bool m_fromFile = false;
    bool m_modified = false;
    bool m_inArena = false;
    // Who has it open, kept here so opening costs no lookup of its own.
    bool m_writer = false;
    std::uint16_t m_readers = 0;
};

// Deletes an object wherever it was made; a plain std::unique_ptr converts to one of these.
struct ObjectDeleter {
    ObjectDeleter() = default;
    template <typename U> ObjectDeleter(std::default_delete<U>) {}
    void operator()(Object* object) const {
        if (object && object->InArena())
            object->~Object();
        else
            delete object;
    }
};
template <typename T> using ObjectPtr = std::unique_ptr<T, ObjectDeleter>;

// The layer every entity is on until told otherwise.
[[nodiscard]] const InternedText& LayerZero();

class Entity : public Object {
public:
    static bool Holds(ObjectKind kind) { return IsEntityKind(kind); }
    using Object::Object;
    InternedText layer = LayerZero();
    int color = 256; // by layer
    std::int32_t trueColor = -1; // 0xRRGGBB from the file's group 420, which wins over `color`; -1: none
    // How its lines are drawn, as the file gives them: the linetype's name (empty: BYLAYER), the lineweight in
    // hundredths of a millimetre (-1 BYLAYER, -2 BYBLOCK, -3 the default) and the linetype's own scale.
    InternedText linetype;
    std::int16_t lineweight = -1;
    // The file's group 60: not shown (a dynamic block's other visibility states hide their entities so).
    bool invisible = false;
    float linetypeScale = 1.0f;
};

struct Line : Entity {
    static bool Holds(ObjectKind kind) { return kind == ObjectKind::Line; }
    Line() : Entity(ObjectKind::Line) {}
    Point3d start;
    Point3d end;
};

struct Circle : Entity {
    static bool Holds(ObjectKind kind) { return kind == ObjectKind::Circle; }
    Circle() : Entity(ObjectKind::Circle) {}
    Point3d center;
    double radius = 0.0;
};

struct Arc : Entity {
    static bool Holds(ObjectKind kind) { return kind == ObjectKind::Arc; }
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
    static bool Holds(ObjectKind kind) { return kind == ObjectKind::Text || kind == ObjectKind::AttributeDefinition || kind == ObjectKind::Attribute; }
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
    double oblique = 0.0;   // radians, slanting to the right
    int generation = 0;     // 2: mirrored in x (backward), 4: upside down
};

struct Text : TextEntity {
    static bool Holds(ObjectKind kind) { return kind == ObjectKind::Text; }
    Text() : TextEntity(ObjectKind::Text) {}
};

enum AttributeFlags : int { kAttInvisible = 1, kAttConstant = 2, kAttVerifiable = 4, kAttPreset = 8 };

struct AttributeDefinition : TextEntity {
    static bool Holds(ObjectKind kind) { return kind == ObjectKind::AttributeDefinition; }
    AttributeDefinition() : TextEntity(ObjectKind::AttributeDefinition) {}
    std::string tag;
    std::string prompt;
    int flags = 0;
};

struct Attribute : TextEntity {
    static bool Holds(ObjectKind kind) { return kind == ObjectKind::Attribute; }
    Attribute() : TextEntity(ObjectKind::Attribute) {}
    std::string tag;
    int flags = 0;
};

struct BlockReference : Entity {
    static bool Holds(ObjectKind kind) { return kind == ObjectKind::BlockReference; }
    BlockReference() : Entity(ObjectKind::BlockReference) {}
    ObjectId blockId = kNullId;
    Point3d position;
    Point3d scale{1.0, 1.0, 1.0};
    double rotation = 0.0;           // radians
    std::vector<ObjectId> attributes; // owned by the reference, in definition order
    // A MINSERT repeats the block in a grid.
    int columnCount = 1;
    int rowCount = 1;
    double columnSpacing = 0.0;
    double rowSpacing = 0.0;
    std::uint64_t sequenceEndHandle = 0; // the SEQEND after the attributes
    std::uint64_t extensionDictionary = 0; // the handle of its ACAD_XDICTIONARY in the file, 0 for none
};

struct Polyline : Entity {
    static bool Holds(ObjectKind kind) { return kind == ObjectKind::Polyline; }
    Polyline() : Entity(ObjectKind::Polyline) {}
    std::vector<Point3d> vertices;
    bool closed = false;
    bool heavy = false; // a POLYLINE with VERTEX entities rather than an LWPOLYLINE
    // The file gave it a bulge or a width, or it is a mesh or a polyface: what it draws is more than lines between
    // its vertices.
    bool shaped = false;
};

// An entity the editor does not model; the drawing file keeps its tags so it is written back unchanged.
struct OpaqueEntity : Entity {
    static bool Holds(ObjectKind kind) { return kind == ObjectKind::Opaque; }
    OpaqueEntity() : Entity(ObjectKind::Opaque) {}
    InternedText typeName;
};

class SymbolTableRecord : public Object {
public:
    static bool Holds(ObjectKind kind) { return IsSymbolRecordKind(kind); }
    using Object::Object;
    std::string name;
};

// Extended data as the file gave it: an application's group 1001 and the groups after it.
struct XDataItem {
    int code = 0;
    std::string text;    // text and handles (decoded into the active code page), empty for numbers
    double number = 0.0; // reals and integers
};

enum BlockFlags : int { kBlockAnonymous = 1, kBlockHasAttributes = 2, kBlockExternal = 4, kBlockOverlay = 8 };

struct BlockTableRecord : SymbolTableRecord {
    static bool Holds(ObjectKind kind) { return kind == ObjectKind::BlockRecord; }
    BlockTableRecord() : SymbolTableRecord(ObjectKind::BlockRecord) {}
    Point3d origin;
    std::vector<ObjectId> entities; // in drawing order
    int flags = 0;
    std::string externalPath; // of an external reference
    std::uint64_t beginHandle = 0; // the BLOCK and ENDBLK entities that frame the definition in a file
    std::uint64_t endHandle = 0;
    std::vector<XDataItem> xdata; // of the block record: where a dynamic block's states name their block
};

struct LayerTableRecord : SymbolTableRecord {
    static bool Holds(ObjectKind kind) { return kind == ObjectKind::LayerRecord; }
    LayerTableRecord() : SymbolTableRecord(ObjectKind::LayerRecord) {}
    int color = 7;   // negative: the layer is off
    std::string lineType = "Continuous";
    int flags = 0;   // 1: frozen, 4: locked, as the file's group 70
};

enum LayerFlags : int { kLayerFrozen = 1, kLayerLocked = 4 };

struct TextStyleTableRecord : SymbolTableRecord {
    static bool Holds(ObjectKind kind) { return kind == ObjectKind::TextStyleRecord; }
    TextStyleTableRecord() : SymbolTableRecord(ObjectKind::TextStyleRecord) {}
    std::string fileName = "txt";
    std::string bigFontFileName;
    double textSize = 0.0;
    double widthFactor = 1.0;
    double obliqueAngle = 0.0;
};

struct SymbolTable : Object {
    static bool Holds(ObjectKind kind) { return IsSymbolTableKind(kind); }
    explicit SymbolTable(ObjectKind kind) : Object(kind) {}
    std::vector<ObjectId> records; // in the order they were added
};

} // namespace cad
