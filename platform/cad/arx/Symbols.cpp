#include "platform/cad/arx/ArxInternal.h"
#include "platform/cad/arx/dbents.h"
#include "platform/cad/arx/dbsymtb.h"

#include "platform/cad/Text.h"

namespace {
template <class T> T& As(const AcDbObject& object) {
    return static_cast<T&>(*AcDbAccess::Impl(object));
}

cad::Database& DatabaseOf(const AcDbObject& object) {
    return *AcDbAccess::DatabaseOf(object);
}

Acad::ErrorStatus SetText(const AcDbObject& object, std::string& field, const ACHAR* value) {
    if (!object.isWriteEnabled())
        return Acad::eNotOpenForWrite;
    field = value ? value : "";
    AcDbAccess::Impl(object)->Touch();
    return Acad::eOk;
}
} // namespace

// Records

Acad::ErrorStatus AcDbSymbolTableRecord::getName(ACHAR*& name) const {
    name = ArxCopyString(As<cad::SymbolTableRecord>(*this).name.c_str());
    return name ? Acad::eOk : Acad::eInvalidInput;
}

Acad::ErrorStatus AcDbSymbolTableRecord::getName(const ACHAR*& name) const {
    name = As<cad::SymbolTableRecord>(*this).name.c_str();
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTableRecord::setName(const ACHAR* name) {
    if (!name || !*name)
        return Acad::eInvalidInput;
    auto& record = As<cad::SymbolTableRecord>(*this);
    cad::Database* database = AcDbAccess::DatabaseOf(*this);
    if (database) {
        cad::ObjectId other = database->FindRecord(record.OwnerId(), name);
        if (other != cad::kNullId && other != record.Id())
            return Acad::eDuplicateRecordName;
    }
    return SetText(*this, record.name, name);
}

AcDbBlockTableRecord::AcDbBlockTableRecord() : AcDbSymbolTableRecord(std::make_unique<cad::BlockTableRecord>()) {}

AcGePoint3d AcDbBlockTableRecord::origin() const {
    const cad::Point3d& p = As<cad::BlockTableRecord>(*this).origin;
    return AcGePoint3d(p.x, p.y, p.z);
}

Acad::ErrorStatus AcDbBlockTableRecord::setOrigin(const AcGePoint3d& origin) {
    if (!isWriteEnabled())
        return Acad::eNotOpenForWrite;
    As<cad::BlockTableRecord>(*this).origin = cad::Point3d{origin.x, origin.y, origin.z};
    impl().Touch();
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockTableRecord::appendAcDbEntity(AcDbObjectId& id, AcDbEntity* entity) {
    id.setNull();
    if (!entity || !AcDbAccess::IsFresh(*entity))
        return Acad::eInvalidInput;
    if (isNewObject())
        return Acad::eNotInDatabase;
    if (!isWriteEnabled())
        return Acad::eNotOpenForWrite;
    std::unique_ptr<cad::Object> released = AcDbAccess::Release(*entity);
    std::unique_ptr<cad::Entity> owned(static_cast<cad::Entity*>(released.release()));
    cad::ObjectId added = cad::kNullId;
    cad::ErrorStatus status = DatabaseOf(*this).AppendEntity(objectId().asOldId(), std::move(owned), &added);
    if (status != cad::ErrorStatus::Ok)
        return ToArx(status);
    AcDbAccess::BecomeResident(*entity, DatabaseOf(*this), added);
    id = AcDbObjectId(added);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockTableRecord::appendAcDbEntity(AcDbEntity* entity) {
    AcDbObjectId id;
    return appendAcDbEntity(id, entity);
}

bool AcDbBlockTableRecord::hasAttributeDefinitions() const {
    if (isNewObject())
        return false;
    for (cad::ObjectId id : As<cad::BlockTableRecord>(*this).entities) {
        const cad::Object* object = DatabaseOf(*this).Peek(id);
        if (object && !object->IsErased() && object->Kind() == cad::ObjectKind::AttributeDefinition)
            return true;
    }
    return false;
}

bool AcDbBlockTableRecord::isLayout() const {
    const std::string& name = As<cad::BlockTableRecord>(*this).name;
    return cad::NamesEqual(name, "*Model_Space") || cad::NamesEqual(name.substr(0, 12), "*Paper_Space");
}

AcDbLayerTableRecord::AcDbLayerTableRecord() : AcDbSymbolTableRecord(std::make_unique<cad::LayerTableRecord>()) {}

AcDbTextStyleTableRecord::AcDbTextStyleTableRecord()
    : AcDbSymbolTableRecord(std::make_unique<cad::TextStyleTableRecord>()) {}

Acad::ErrorStatus AcDbTextStyleTableRecord::fileName(const ACHAR*& name) const {
    name = As<cad::TextStyleTableRecord>(*this).fileName.c_str();
    return Acad::eOk;
}

Acad::ErrorStatus AcDbTextStyleTableRecord::setFileName(const ACHAR* name) {
    return SetText(*this, As<cad::TextStyleTableRecord>(*this).fileName, name);
}

Acad::ErrorStatus AcDbTextStyleTableRecord::bigFontFileName(const ACHAR*& name) const {
    name = As<cad::TextStyleTableRecord>(*this).bigFontFileName.c_str();
    return Acad::eOk;
}

Acad::ErrorStatus AcDbTextStyleTableRecord::setBigFontFileName(const ACHAR* name) {
    return SetText(*this, As<cad::TextStyleTableRecord>(*this).bigFontFileName, name);
}

double AcDbTextStyleTableRecord::textSize() const {
    return As<cad::TextStyleTableRecord>(*this).textSize;
}

Acad::ErrorStatus AcDbTextStyleTableRecord::setTextSize(double size) {
    if (!isWriteEnabled())
        return Acad::eNotOpenForWrite;
    As<cad::TextStyleTableRecord>(*this).textSize = size;
    impl().Touch();
    return Acad::eOk;
}

double AcDbTextStyleTableRecord::xScale() const {
    return As<cad::TextStyleTableRecord>(*this).widthFactor;
}

Acad::ErrorStatus AcDbTextStyleTableRecord::setXScale(double scale) {
    if (!isWriteEnabled())
        return Acad::eNotOpenForWrite;
    As<cad::TextStyleTableRecord>(*this).widthFactor = scale;
    impl().Touch();
    return Acad::eOk;
}

// Tables

Acad::ErrorStatus AcDbSymbolTable::getAt(const ACHAR* name, AcDbObjectId& id, bool getErased) const {
    id.setNull();
    if (!name)
        return Acad::eInvalidInput;
    const auto& table = As<cad::SymbolTable>(*this);
    for (cad::ObjectId recordId : table.records) {
        const auto* record = DatabaseOf(*this).PeekAs<cad::SymbolTableRecord>(recordId);
        if (record && (getErased || !record->IsErased()) && cad::NamesEqual(record->name, name)) {
            id = AcDbObjectId(recordId);
            return Acad::eOk;
        }
    }
    return Acad::eKeyNotFound;
}

bool AcDbSymbolTable::has(const ACHAR* name) const {
    AcDbObjectId id;
    return getAt(name, id) == Acad::eOk;
}

bool AcDbSymbolTable::has(AcDbObjectId id) const {
    for (cad::ObjectId recordId : As<cad::SymbolTable>(*this).records) {
        const cad::Object* record = DatabaseOf(*this).Peek(recordId);
        if (recordId == id.asOldId() && record && !record->IsErased())
            return true;
    }
    return false;
}

Acad::ErrorStatus AcDbSymbolTable::getRecordAt(const ACHAR* name, AcDbObject*& record, AcRxClass* cls,
                                               AcDb::OpenMode mode, bool openErased) const {
    record = nullptr;
    AcDbObjectId id;
    if (Acad::ErrorStatus status = getAt(name, id, openErased); status != Acad::eOk)
        return status;
    return acdbOpenAcDbObject(record, id, cls, mode, openErased);
}

Acad::ErrorStatus AcDbSymbolTable::addRecord(AcDbObjectId& id, AcDbSymbolTableRecord* record) {
    id.setNull();
    if (!record || !AcDbAccess::IsFresh(*record))
        return Acad::eInvalidInput;
    if (!isWriteEnabled())
        return Acad::eNotOpenForWrite;
    // Checked before the database takes the record, so that a refused record stays the caller's.
    const std::string& name = static_cast<cad::SymbolTableRecord&>(*AcDbAccess::Impl(*record)).name;
    if (name.empty())
        return Acad::eInvalidInput;
    if (DatabaseOf(*this).FindRecord(objectId().asOldId(), name) != cad::kNullId)
        return Acad::eDuplicateRecordName;
    std::unique_ptr<cad::Object> released = AcDbAccess::Release(*record);
    std::unique_ptr<cad::SymbolTableRecord> owned(static_cast<cad::SymbolTableRecord*>(released.release()));
    cad::ObjectId added = cad::kNullId;
    cad::ErrorStatus status = DatabaseOf(*this).AddRecord(objectId().asOldId(), std::move(owned), &added);
    if (status != cad::ErrorStatus::Ok)
        return ToArx(status);
    AcDbAccess::BecomeResident(*record, DatabaseOf(*this), added);
    id = AcDbObjectId(added);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockTable::getAt(const ACHAR* name, AcDbBlockTableRecord*& record, AcDb::OpenMode mode,
                                        bool openErased) const {
    AcDbObject* object = nullptr;
    Acad::ErrorStatus status = getRecordAt(name, object, AcDbBlockTableRecord::desc(), mode, openErased);
    record = static_cast<AcDbBlockTableRecord*>(object);
    return status;
}

Acad::ErrorStatus AcDbBlockTable::add(AcDbBlockTableRecord* record) {
    AcDbObjectId id;
    return addRecord(id, record);
}

Acad::ErrorStatus AcDbBlockTable::add(AcDbObjectId& id, AcDbBlockTableRecord* record) {
    return addRecord(id, record);
}

Acad::ErrorStatus AcDbBlockTable::newIterator(AcDbBlockTableIterator*& iterator, bool atBeginning,
                                              bool skipDeleted) const {
    iterator = new AcDbBlockTableIterator(DatabaseOf(*this), objectId().asOldId(), atBeginning, skipDeleted);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbLayerTable::getAt(const ACHAR* name, AcDbLayerTableRecord*& record, AcDb::OpenMode mode,
                                        bool openErased) const {
    AcDbObject* object = nullptr;
    Acad::ErrorStatus status = getRecordAt(name, object, AcDbLayerTableRecord::desc(), mode, openErased);
    record = static_cast<AcDbLayerTableRecord*>(object);
    return status;
}

Acad::ErrorStatus AcDbLayerTable::add(AcDbLayerTableRecord* record) {
    AcDbObjectId id;
    return addRecord(id, record);
}

Acad::ErrorStatus AcDbLayerTable::add(AcDbObjectId& id, AcDbLayerTableRecord* record) {
    return addRecord(id, record);
}

Acad::ErrorStatus AcDbTextStyleTable::getAt(const ACHAR* name, AcDbTextStyleTableRecord*& record,
                                            AcDb::OpenMode mode, bool openErased) const {
    AcDbObject* object = nullptr;
    Acad::ErrorStatus status = getRecordAt(name, object, AcDbTextStyleTableRecord::desc(), mode, openErased);
    record = static_cast<AcDbTextStyleTableRecord*>(object);
    return status;
}

Acad::ErrorStatus AcDbTextStyleTable::add(AcDbTextStyleTableRecord* record) {
    AcDbObjectId id;
    return addRecord(id, record);
}

Acad::ErrorStatus AcDbTextStyleTable::add(AcDbObjectId& id, AcDbTextStyleTableRecord* record) {
    return addRecord(id, record);
}

// Iterators: they read the table as it is now, so records added meanwhile are met at the end.

AcDbSymbolTableIterator::AcDbSymbolTableIterator(cad::Database& database, std::uint64_t tableId, bool atBeginning,
                                                 bool skipDeleted)
    : m_database(&database), m_tableId(tableId) {
    start(atBeginning, skipDeleted);
}

void AcDbSymbolTableIterator::start(bool atBeginning, bool skipDeleted) {
    const auto* table = m_database->PeekAs<cad::SymbolTable>(m_tableId);
    long count = table ? static_cast<long>(table->records.size()) : 0;
    m_position = atBeginning ? 0 : count - 1;
    skip(atBeginning, skipDeleted);
}

bool AcDbSymbolTableIterator::done() const {
    const auto* table = m_database->PeekAs<cad::SymbolTable>(m_tableId);
    return !table || m_position < 0 || m_position >= static_cast<long>(table->records.size());
}

void AcDbSymbolTableIterator::step(bool forward, bool skipDeleted) {
    if (done())
        return;
    m_position += forward ? 1 : -1;
    skip(forward, skipDeleted);
}

void AcDbSymbolTableIterator::skip(bool forward, bool skipDeleted) {
    if (!skipDeleted)
        return;
    const auto* table = m_database->PeekAs<cad::SymbolTable>(m_tableId);
    while (!done()) {
        const cad::Object* record = m_database->Peek(table->records[static_cast<std::size_t>(m_position)]);
        if (record && !record->IsErased())
            return;
        m_position += forward ? 1 : -1;
    }
}

Acad::ErrorStatus AcDbSymbolTableIterator::getRecordId(AcDbObjectId& id) const {
    id.setNull();
    if (done())
        return Acad::eInvalidInput;
    const auto* table = m_database->PeekAs<cad::SymbolTable>(m_tableId);
    id = AcDbObjectId(table->records[static_cast<std::size_t>(m_position)]);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTableIterator::getRecord(AcDbSymbolTableRecord*& record, AcDb::OpenMode mode,
                                                     bool openErased) const {
    record = nullptr;
    AcDbObjectId id;
    if (Acad::ErrorStatus status = getRecordId(id); status != Acad::eOk)
        return status;
    AcDbObject* object = nullptr;
    Acad::ErrorStatus status = acdbOpenAcDbObject(object, id, AcDbSymbolTableRecord::desc(), mode, openErased);
    record = static_cast<AcDbSymbolTableRecord*>(object);
    return status;
}

Acad::ErrorStatus AcDbBlockTableIterator::getRecord(AcDbBlockTableRecord*& record, AcDb::OpenMode mode,
                                                    bool openErased) const {
    AcDbSymbolTableRecord* base = nullptr;
    Acad::ErrorStatus status = AcDbSymbolTableIterator::getRecord(base, mode, openErased);
    record = static_cast<AcDbBlockTableRecord*>(base);
    return status;
}
