#include "platform/cad/arx/ArxInternal.h"
#include "platform/cad/arx/dbents.h"
#include "platform/cad/arx/dbsymtb.h"

#include "platform/cad/Host.h"

#include <cstdlib>
#include <map>
#include <new>

namespace {
std::size_t s_liveHeapObjects = 0;

cad::Point3d ToCad(const AcGePoint3d& p) {
    return cad::Point3d{p.x, p.y, p.z};
}

AcGePoint3d ToArx(const cad::Point3d& p) {
    return AcGePoint3d(p.x, p.y, p.z);
}

cad::OpenMode ToCadMode(AcDb::OpenMode mode) {
    return mode == AcDb::kForRead ? cad::OpenMode::Read : cad::OpenMode::Write;
}
} // namespace

const AcGePoint3d AcGePoint3d::kOrigin{};
const AcDbObjectId AcDbObjectId::kNull{};

char* ArxCopyString(const char* text) {
    if (!text)
        text = "";
    std::size_t size = std::strlen(text) + 1;
    auto* copy = static_cast<char*>(std::malloc(size));
    if (copy)
        std::memcpy(copy, text, size);
    return copy;
}

void* AcHeapOperators::operator new(std::size_t size) {
    void* p = std::malloc(size ? size : 1);
    if (!p)
        throw std::bad_alloc();
    ++s_liveHeapObjects;
    return p;
}

void AcHeapOperators::operator delete(void* p) {
    if (!p)
        return;
    --s_liveHeapObjects;
    std::free(p);
}

void* AcHeapOperators::operator new[](std::size_t size) {
    return operator new(size);
}

void AcHeapOperators::operator delete[](void* p) {
    operator delete(p);
}

std::size_t AcHeapOperators::liveCount() {
    return s_liveHeapObjects;
}

// Object handles

AcDbObject::AcDbObject(std::unique_ptr<cad::Object> fresh) : m_object(fresh.get()), m_fresh(std::move(fresh)) {}

AcDbObject::AcDbObject(const AcDbResident& resident)
    : m_object(resident.object), m_database(resident.database), m_mode(resident.mode) {}

AcDbObject::~AcDbObject() {
    // Deleting an open object instead of closing it would leave it open for ever.
    if (m_database && m_mode != AcDb::kNotOpen)
        [[maybe_unused]] cad::ErrorStatus status = m_database->Close(m_object->Id(), ToCadMode(m_mode));
}

AcDbObjectId AcDbObject::objectId() const {
    return AcDbObjectId(m_object->Id());
}

AcDbObjectId AcDbObject::ownerId() const {
    return AcDbObjectId(m_object->OwnerId());
}

AcDbDatabase* AcDbObject::database() const {
    return m_database ? AcDbDatabase::of(*m_database) : nullptr;
}

Acad::ErrorStatus AcDbObject::close() {
    Acad::ErrorStatus status = Acad::eOk;
    if (m_database && m_mode != AcDb::kNotOpen) {
        status = ToArx(m_database->Close(m_object->Id(), ToCadMode(m_mode)));
        m_mode = AcDb::kNotOpen;
    }
    delete this;
    return status;
}

bool AcDbObject::isErased() const {
    return m_object->IsErased();
}

Acad::ErrorStatus AcDbObject::erase(bool erasing) {
    if (!m_database)
        return Acad::eNotInDatabase;
    if (Acad::ErrorStatus status = assertWriteEnabled(); status != Acad::eOk)
        return status;
    m_database->SetErased(m_object->Id(), erasing);
    return Acad::eOk;
}

bool AcDbObject::isReadEnabled() const {
    return m_fresh || m_mode != AcDb::kNotOpen;
}

bool AcDbObject::isWriteEnabled() const {
    return m_fresh || m_mode == AcDb::kForWrite;
}

Acad::ErrorStatus AcDbObject::assertWriteEnabled() const {
    return isWriteEnabled() ? Acad::eOk : Acad::eNotOpenForWrite;
}

void AcDbAccess::BecomeResident(AcDbObject& object, cad::Database& database, cad::ObjectId id) {
    database.MarkOpenForWrite(id);
    object.m_object = database.Peek(id);
    object.m_database = &database;
    object.m_mode = AcDb::kForWrite;
}

namespace {
// Classes are registered once and live as long as the process: each is looked up by name once.
AcRxClass* ClassOfKind(cad::ObjectKind kind) {
    static AcRxClass* s_classes[256] = {};
    AcRxClass*& slot = s_classes[static_cast<std::size_t>(kind)];
    if (!slot)
        slot = ArxClassNamed(cad::ClassNameOf(kind));
    return slot;
}

bool IsGrid(const cad::Object& object) {
    if (object.Kind() != cad::ObjectKind::BlockReference)
        return false;
    const auto& reference = static_cast<const cad::BlockReference&>(object);
    return reference.columnCount > 1 || reference.rowCount > 1;
}

// A reference repeated in a grid is a MINSERT, of a class derived from the plain reference's.
AcRxClass* ClassOfObject(const cad::Object& object) {
    static AcRxClass* s_grid = ArxClassNamed("AcDbMInsertBlock");
    return IsGrid(object) ? s_grid : ClassOfKind(object.Kind());
}
} // namespace

AcRxClass* AcDbObject::isA() const {
    return ClassOfObject(*m_object);
}

AcRxClass* AcDbObject::desc() {
    static AcRxClass* s_class = ArxClassNamed("AcDbObject");
    return s_class;
}

// The checked downcasts every facade class offers.
#define ARX_CLASS_BASICS(Name)                                                                                 \
    AcRxClass* Name::desc() {                                                                                  \
        static AcRxClass* s_class = ArxClassNamed(#Name);                                                      \
        return s_class;                                                                                        \
    }                                                                                                          \
    Name* Name::cast(AcRxObject* object) {                                                                     \
        return object && object->isKindOf(desc()) ? static_cast<Name*>(object) : nullptr;                      \
    }

AcDbObject* AcDbObject::cast(AcRxObject* object) {
    return object && object->isKindOf(desc()) ? static_cast<AcDbObject*>(object) : nullptr;
}
ARX_CLASS_BASICS(AcDbEntity)
ARX_CLASS_BASICS(AcDbSymbolTableRecord)
ARX_CLASS_BASICS(AcDbBlockTableRecord)
ARX_CLASS_BASICS(AcDbLayerTableRecord)
ARX_CLASS_BASICS(AcDbTextStyleTableRecord)
ARX_CLASS_BASICS(AcDbSymbolTable)
ARX_CLASS_BASICS(AcDbBlockTable)
ARX_CLASS_BASICS(AcDbLayerTable)
ARX_CLASS_BASICS(AcDbTextStyleTable)
ARX_CLASS_BASICS(AcDbLine)
ARX_CLASS_BASICS(AcDbCircle)
ARX_CLASS_BASICS(AcDbArc)
ARX_CLASS_BASICS(AcDbText)
ARX_CLASS_BASICS(AcDbAttributeDefinition)
ARX_CLASS_BASICS(AcDbAttribute)
ARX_CLASS_BASICS(AcDbBlockReference)
#undef ARX_CLASS_BASICS

AcDbObject* AcDbAccess::MakeHandle(cad::Object* object, cad::Database& database, AcDb::OpenMode mode) {
    AcDbResident resident{object, &database, mode};
    switch (object->Kind()) {
    case cad::ObjectKind::BlockTable: return new AcDbBlockTable(resident);
    case cad::ObjectKind::LayerTable: return new AcDbLayerTable(resident);
    case cad::ObjectKind::TextStyleTable: return new AcDbTextStyleTable(resident);
    case cad::ObjectKind::BlockRecord: return new AcDbBlockTableRecord(resident);
    case cad::ObjectKind::LayerRecord: return new AcDbLayerTableRecord(resident);
    case cad::ObjectKind::TextStyleRecord: return new AcDbTextStyleTableRecord(resident);
    case cad::ObjectKind::Line: return new AcDbLine(resident);
    case cad::ObjectKind::Circle: return new AcDbCircle(resident);
    case cad::ObjectKind::Arc: return new AcDbArc(resident);
    case cad::ObjectKind::Text: return new AcDbText(resident);
    case cad::ObjectKind::AttributeDefinition: return new AcDbAttributeDefinition(resident);
    case cad::ObjectKind::Attribute: return new AcDbAttribute(resident);
    case cad::ObjectKind::BlockReference:
        return IsGrid(*object) ? new AcDbMInsertBlock(resident) : new AcDbBlockReference(resident);
    case cad::ObjectKind::Polyline:
    case cad::ObjectKind::Opaque: return new AcDbEntity(resident);
    }
    return new AcDbEntity(resident);
}

Acad::ErrorStatus acdbOpenAcDbObject(AcDbObject*& object, AcDbObjectId id, AcDb::OpenMode mode, bool openErased) {
    return acdbOpenAcDbObject(object, id, nullptr, mode, openErased);
}

Acad::ErrorStatus acdbOpenAcDbObject(AcDbObject*& object, AcDbObjectId id, AcRxClass* cls, AcDb::OpenMode mode,
                                     bool openErased) {
    object = nullptr;
    if (id.isNull())
        return Acad::eNullObjectId;
    cad::Database* database = cad::Database::Owning(id.asOldId());
    if (!database)
        return Acad::eInvalidObjectId;
    cad::Object* found = database->Peek(id.asOldId());
    if (found && cls && !ClassOfObject(*found)->isDerivedFrom(cls))
        return Acad::eNotThatKindOfClass;
    cad::Object* opened = nullptr;
    cad::ErrorStatus status = database->Open(id.asOldId(), ToCadMode(mode), &opened, openErased);
    if (status != cad::ErrorStatus::Ok)
        return ToArx(status);
    object = AcDbAccess::MakeHandle(opened, *database, mode == AcDb::kForRead ? AcDb::kForRead : AcDb::kForWrite);
    return Acad::eOk;
}

// Databases

AcDbDatabase* AcDbDatabase::of(cad::Database& database) {
    static auto* s_facades = new std::map<cad::Database*, std::unique_ptr<AcDbDatabase>>();
    auto& slot = (*s_facades)[&database];
    if (!slot)
        slot = std::make_unique<AcDbDatabase>(database);
    return slot.get();
}

namespace {
template <class Table> Acad::ErrorStatus OpenTable(cad::ObjectId id, Table*& table, AcDb::OpenMode mode) {
    AcDbObject* object = nullptr;
    table = nullptr;
    Acad::ErrorStatus status = acdbOpenAcDbObject(object, AcDbObjectId(id), Table::desc(), mode);
    if (status == Acad::eOk)
        table = static_cast<Table*>(object);
    return status;
}
} // namespace

Acad::ErrorStatus AcDbDatabase::getSymbolTable(AcDbBlockTable*& table, AcDb::OpenMode mode) {
    return OpenTable(m_database->BlockTableId(), table, mode);
}

Acad::ErrorStatus AcDbDatabase::getSymbolTable(AcDbLayerTable*& table, AcDb::OpenMode mode) {
    return OpenTable(m_database->LayerTableId(), table, mode);
}

Acad::ErrorStatus AcDbDatabase::getSymbolTable(AcDbTextStyleTable*& table, AcDb::OpenMode mode) {
    return OpenTable(m_database->TextStyleTableId(), table, mode);
}

AcDbObjectId AcDbDatabase::blockTableId() const {
    return AcDbObjectId(m_database->BlockTableId());
}

AcDbObjectId AcDbDatabase::layerTableId() const {
    return AcDbObjectId(m_database->LayerTableId());
}

AcDbObjectId AcDbDatabase::textStyleTableId() const {
    return AcDbObjectId(m_database->TextStyleTableId());
}

AcDbDatabase* AcDbHostApplicationServices::workingDatabase() const {
    return AcDbDatabase::of(cad::Host::Instance().WorkingDatabase());
}

AcDbHostApplicationServices* acdbHostApplicationServices() {
    static AcDbHostApplicationServices s_services;
    return &s_services;
}

AcDbDatabase* acdbCurDwg() {
    return acdbHostApplicationServices()->workingDatabase();
}

// Entities

namespace {
template <class T> T& As(const AcDbObject& object) {
    return static_cast<T&>(*AcDbAccess::Impl(object));
}

template <class T, class V> Acad::ErrorStatus Assign(const AcDbObject& object, T& field, V value) {
    if (!object.isWriteEnabled())
        return Acad::eNotOpenForWrite;
    field = value;
    AcDbAccess::Impl(object)->Touch();
    return Acad::eOk;
}
} // namespace

const ACHAR* AcDbEntity::layer() const {
    return As<cad::Entity>(*this).layer.c_str();
}

Acad::ErrorStatus AcDbEntity::setLayer(const ACHAR* name) {
    return Assign(*this, As<cad::Entity>(*this).layer, name ? name : "0");
}

Adesk::UInt16 AcDbEntity::colorIndex() const {
    return static_cast<Adesk::UInt16>(As<cad::Entity>(*this).color);
}

Acad::ErrorStatus AcDbEntity::setColorIndex(Adesk::UInt16 color) {
    return Assign(*this, As<cad::Entity>(*this).color, color);
}

AcDbLine::AcDbLine() : AcDbEntity(std::make_unique<cad::Line>()) {}
AcDbLine::AcDbLine(const AcGePoint3d& start, const AcGePoint3d& end) : AcDbLine() {
    As<cad::Line>(*this).start = ToCad(start);
    As<cad::Line>(*this).end = ToCad(end);
}
AcDbLine::AcDbLine(const AcDbResident& resident) : AcDbEntity(resident) {}
AcGePoint3d AcDbLine::startPoint() const { return ToArx(As<cad::Line>(*this).start); }
AcGePoint3d AcDbLine::endPoint() const { return ToArx(As<cad::Line>(*this).end); }
Acad::ErrorStatus AcDbLine::setStartPoint(const AcGePoint3d& point) {
    return Assign(*this, As<cad::Line>(*this).start, ToCad(point));
}
Acad::ErrorStatus AcDbLine::setEndPoint(const AcGePoint3d& point) {
    return Assign(*this, As<cad::Line>(*this).end, ToCad(point));
}

AcDbCircle::AcDbCircle() : AcDbEntity(std::make_unique<cad::Circle>()) {}
AcDbCircle::AcDbCircle(const AcGePoint3d& center, double radius) : AcDbCircle() {
    As<cad::Circle>(*this).center = ToCad(center);
    As<cad::Circle>(*this).radius = radius;
}
AcDbCircle::AcDbCircle(const AcDbResident& resident) : AcDbEntity(resident) {}
AcGePoint3d AcDbCircle::center() const { return ToArx(As<cad::Circle>(*this).center); }
double AcDbCircle::radius() const { return As<cad::Circle>(*this).radius; }
Acad::ErrorStatus AcDbCircle::setCenter(const AcGePoint3d& center) {
    return Assign(*this, As<cad::Circle>(*this).center, ToCad(center));
}
Acad::ErrorStatus AcDbCircle::setRadius(double radius) {
    return Assign(*this, As<cad::Circle>(*this).radius, radius);
}

AcDbArc::AcDbArc() : AcDbEntity(std::make_unique<cad::Arc>()) {}
AcDbArc::AcDbArc(const AcGePoint3d& center, double radius, double startAngle, double endAngle) : AcDbArc() {
    auto& arc = As<cad::Arc>(*this);
    arc.center = ToCad(center);
    arc.radius = radius;
    arc.startAngle = startAngle;
    arc.endAngle = endAngle;
}
AcDbArc::AcDbArc(const AcDbResident& resident) : AcDbEntity(resident) {}
AcGePoint3d AcDbArc::center() const { return ToArx(As<cad::Arc>(*this).center); }
double AcDbArc::radius() const { return As<cad::Arc>(*this).radius; }
double AcDbArc::startAngle() const { return As<cad::Arc>(*this).startAngle; }
double AcDbArc::endAngle() const { return As<cad::Arc>(*this).endAngle; }

AcDbText::AcDbText() : AcDbEntity(std::make_unique<cad::Text>()) {}
AcDbText::AcDbText(std::unique_ptr<cad::Object> fresh) : AcDbEntity(std::move(fresh)) {}
AcDbText::AcDbText(const AcDbResident& resident) : AcDbEntity(resident) {}
AcGePoint3d AcDbText::position() const { return ToArx(As<cad::TextEntity>(*this).position); }
Acad::ErrorStatus AcDbText::setPosition(const AcGePoint3d& point) {
    return Assign(*this, As<cad::TextEntity>(*this).position, ToCad(point));
}
AcGePoint3d AcDbText::alignmentPoint() const { return ToArx(As<cad::TextEntity>(*this).alignmentPoint); }
Acad::ErrorStatus AcDbText::setAlignmentPoint(const AcGePoint3d& point) {
    return Assign(*this, As<cad::TextEntity>(*this).alignmentPoint, ToCad(point));
}
ACHAR* AcDbText::textString() const { return ArxCopyString(As<cad::TextEntity>(*this).text.c_str()); }
Acad::ErrorStatus AcDbText::setTextString(const ACHAR* text) {
    return Assign(*this, As<cad::TextEntity>(*this).text, text ? text : "");
}
double AcDbText::height() const { return As<cad::TextEntity>(*this).height; }
Acad::ErrorStatus AcDbText::setHeight(double height) {
    return Assign(*this, As<cad::TextEntity>(*this).height, height);
}
double AcDbText::widthFactor() const { return As<cad::TextEntity>(*this).widthFactor; }
Acad::ErrorStatus AcDbText::setWidthFactor(double factor) {
    return Assign(*this, As<cad::TextEntity>(*this).widthFactor, factor);
}
double AcDbText::rotation() const { return As<cad::TextEntity>(*this).rotation; }
Acad::ErrorStatus AcDbText::setRotation(double radians) {
    return Assign(*this, As<cad::TextEntity>(*this).rotation, radians);
}
AcDb::TextHorzMode AcDbText::horizontalMode() const {
    return static_cast<AcDb::TextHorzMode>(As<cad::TextEntity>(*this).horizontalMode);
}
Acad::ErrorStatus AcDbText::setHorizontalMode(AcDb::TextHorzMode mode) {
    return Assign(*this, As<cad::TextEntity>(*this).horizontalMode, static_cast<cad::HorizontalMode>(mode));
}
AcDb::TextVertMode AcDbText::verticalMode() const {
    return static_cast<AcDb::TextVertMode>(As<cad::TextEntity>(*this).verticalMode);
}
Acad::ErrorStatus AcDbText::setVerticalMode(AcDb::TextVertMode mode) {
    return Assign(*this, As<cad::TextEntity>(*this).verticalMode, static_cast<cad::VerticalMode>(mode));
}
AcDbObjectId AcDbText::textStyle() const { return AcDbObjectId(As<cad::TextEntity>(*this).styleId); }
Acad::ErrorStatus AcDbText::setTextStyle(AcDbObjectId style) {
    return Assign(*this, As<cad::TextEntity>(*this).styleId, style.asOldId());
}

AcDbAttributeDefinition::AcDbAttributeDefinition() : AcDbText(std::make_unique<cad::AttributeDefinition>()) {}
AcDbAttributeDefinition::AcDbAttributeDefinition(const AcGePoint3d& position, const ACHAR* text, const ACHAR* tag,
                                                 const ACHAR* prompt, AcDbObjectId style)
    : AcDbAttributeDefinition() {
    auto& definition = As<cad::AttributeDefinition>(*this);
    definition.position = ToCad(position);
    definition.text = text ? text : "";
    definition.tag = tag ? tag : "";
    definition.prompt = prompt ? prompt : "";
    definition.styleId = style.asOldId();
}
AcDbAttributeDefinition::AcDbAttributeDefinition(const AcDbResident& resident) : AcDbText(resident) {}
ACHAR* AcDbAttributeDefinition::tag() const { return ArxCopyString(As<cad::AttributeDefinition>(*this).tag.c_str()); }
ACHAR* AcDbAttributeDefinition::prompt() const {
    return ArxCopyString(As<cad::AttributeDefinition>(*this).prompt.c_str());
}
Acad::ErrorStatus AcDbAttributeDefinition::setTag(const ACHAR* tag) {
    return Assign(*this, As<cad::AttributeDefinition>(*this).tag, tag ? tag : "");
}
Acad::ErrorStatus AcDbAttributeDefinition::setPrompt(const ACHAR* prompt) {
    return Assign(*this, As<cad::AttributeDefinition>(*this).prompt, prompt ? prompt : "");
}
bool AcDbAttributeDefinition::isInvisible() const { return As<cad::AttributeDefinition>(*this).flags & cad::kAttInvisible; }
bool AcDbAttributeDefinition::isConstant() const { return As<cad::AttributeDefinition>(*this).flags & cad::kAttConstant; }
bool AcDbAttributeDefinition::isVerifiable() const {
    return As<cad::AttributeDefinition>(*this).flags & cad::kAttVerifiable;
}
bool AcDbAttributeDefinition::isPreset() const { return As<cad::AttributeDefinition>(*this).flags & cad::kAttPreset; }
Acad::ErrorStatus AcDbAttributeDefinition::setFlag(int flag, bool value) {
    int& flags = As<cad::AttributeDefinition>(*this).flags;
    return Assign(*this, flags, value ? (flags | flag) : (flags & ~flag));
}
Acad::ErrorStatus AcDbAttributeDefinition::setInvisible(bool value) { return setFlag(cad::kAttInvisible, value); }
Acad::ErrorStatus AcDbAttributeDefinition::setConstant(bool value) { return setFlag(cad::kAttConstant, value); }
Acad::ErrorStatus AcDbAttributeDefinition::setVerifiable(bool value) { return setFlag(cad::kAttVerifiable, value); }
Acad::ErrorStatus AcDbAttributeDefinition::setPreset(bool value) { return setFlag(cad::kAttPreset, value); }

AcDbAttribute::AcDbAttribute(const AcDbResident& resident) : AcDbText(resident) {}
ACHAR* AcDbAttribute::tag() const { return ArxCopyString(As<cad::Attribute>(*this).tag.c_str()); }
bool AcDbAttribute::isInvisible() const { return As<cad::Attribute>(*this).flags & cad::kAttInvisible; }

AcDbBlockReference::AcDbBlockReference() : AcDbEntity(std::make_unique<cad::BlockReference>()) {}
AcDbBlockReference::AcDbBlockReference(const AcGePoint3d& position, AcDbObjectId blockTableRecord)
    : AcDbBlockReference() {
    As<cad::BlockReference>(*this).position = ToCad(position);
    As<cad::BlockReference>(*this).blockId = blockTableRecord.asOldId();
}
AcDbBlockReference::AcDbBlockReference(const AcDbResident& resident) : AcDbEntity(resident) {}
AcDbObjectId AcDbBlockReference::blockTableRecord() const {
    return AcDbObjectId(As<cad::BlockReference>(*this).blockId);
}
Acad::ErrorStatus AcDbBlockReference::setBlockTableRecord(AcDbObjectId id) {
    return Assign(*this, As<cad::BlockReference>(*this).blockId, id.asOldId());
}
AcGePoint3d AcDbBlockReference::position() const { return ToArx(As<cad::BlockReference>(*this).position); }
Acad::ErrorStatus AcDbBlockReference::setPosition(const AcGePoint3d& point) {
    return Assign(*this, As<cad::BlockReference>(*this).position, ToCad(point));
}
double AcDbBlockReference::rotation() const { return As<cad::BlockReference>(*this).rotation; }
Acad::ErrorStatus AcDbBlockReference::setRotation(double radians) {
    return Assign(*this, As<cad::BlockReference>(*this).rotation, radians);
}
