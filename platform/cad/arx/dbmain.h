#pragma once

#include "platform/cad/arx/acadstrc.h"
#include "platform/cad/arx/adesk.h"
#include "platform/cad/arx/rxobject.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace cad {
class Object;
class Database;
} // namespace cad

class AcGePoint3d {
public:
    AcGePoint3d() = default;
    AcGePoint3d(double px, double py, double pz) : x(px), y(py), z(pz) {}
    friend bool operator==(const AcGePoint3d&, const AcGePoint3d&) = default;
    static const AcGePoint3d kOrigin;
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

class AcGeScale3d {
public:
    AcGeScale3d() = default;
    AcGeScale3d(double x, double y, double z) : sx(x), sy(y), sz(z) {}
    double sx = 1.0;
    double sy = 1.0;
    double sz = 1.0;
};

class AcDbObjectId {
public:
    AcDbObjectId() = default;
    explicit AcDbObjectId(std::uint64_t id) : m_id(id) {}
    bool isNull() const { return m_id == 0; }
    void setNull() { m_id = 0; }
    std::uint64_t asOldId() const { return m_id; }
    friend bool operator==(const AcDbObjectId&, const AcDbObjectId&) = default;
    friend bool operator<(const AcDbObjectId& a, const AcDbObjectId& b) { return a.m_id < b.m_id; }
    static const AcDbObjectId kNull;

private:
    std::uint64_t m_id = 0;
};

namespace AcDb {
enum OpenMode : int { kNotOpen = -1, kForRead = 0, kForWrite = 1, kForNotify = 2 };
enum TextHorzMode : int { kTextLeft = 0, kTextCenter = 1, kTextRight = 2, kTextAlign = 3, kTextMid = 4, kTextFit = 5 };
enum TextVertMode : int { kTextBase = 0, kTextBottom = 1, kTextVertMid = 2, kTextTop = 3 };
} // namespace AcDb

// Objects handed to the database come from the host's heap.
class AcHeapOperators {
public:
    static void* operator new(std::size_t size);
    static void operator delete(void* p);
    static void* operator new[](std::size_t size);
    static void operator delete[](void* p);
    // Objects currently allocated from the host's heap.
    static std::size_t liveCount();
};

class AcDbDatabase;
struct AcDbResident;
struct resbuf;

// A module's handle on a database object: either a new object it created (and owns until the database
// takes it), or an object it opened, valid until close().
class AcDbObject : public AcRxObject, public AcHeapOperators {
public:
    ~AcDbObject() override;
    AcDbObject(const AcDbObject&) = delete;
    AcDbObject& operator=(const AcDbObject&) = delete;

    AcDbObjectId objectId() const;
    AcDbObjectId ownerId() const;
    AcDbDatabase* database() const;
    // Ends the use of the object; the pointer is invalid afterwards.
    Acad::ErrorStatus close();
    bool isErased() const;
    Acad::ErrorStatus erase(bool erasing = true);
    bool isReadEnabled() const;
    bool isWriteEnabled() const;
    bool isNewObject() const { return m_fresh != nullptr; }
    // The object's extended data of application `regappName` (all of it for null): a list the caller releases
    // with acutRelRb, or null when there is none.
    resbuf* xData(const ACHAR* regappName = nullptr) const;

    AcRxClass* isA() const override;
    static AcRxClass* desc();
    static AcDbObject* cast(AcRxObject* object);

protected:
    explicit AcDbObject(std::unique_ptr<cad::Object> fresh);
    explicit AcDbObject(const AcDbResident& resident);
    cad::Object& impl() const { return *m_object; }
    // eOk for a new object or one open for write.
    Acad::ErrorStatus assertWriteEnabled() const;

private:
    friend struct AcDbAccess;
    cad::Object* m_object = nullptr;
    std::unique_ptr<cad::Object> m_fresh;
    cad::Database* m_database = nullptr;
    AcDb::OpenMode m_mode = AcDb::kNotOpen;
};

class AcDbEntity : public AcDbObject {
public:
    const ACHAR* layer() const;
    Acad::ErrorStatus setLayer(const ACHAR* name);
    Adesk::UInt16 colorIndex() const;
    Acad::ErrorStatus setColorIndex(Adesk::UInt16 color);
    static AcRxClass* desc();
    static AcDbEntity* cast(AcRxObject* object);
    explicit AcDbEntity(const AcDbResident& resident) : AcDbObject(resident) {}

protected:
    using AcDbObject::AcDbObject;
};

class AcDbBlockTable;
class AcDbLayerTable;
class AcDbTextStyleTable;

class AcDbDatabase {
public:
    explicit AcDbDatabase(cad::Database& database) : m_database(&database) {}
    Acad::ErrorStatus getSymbolTable(AcDbBlockTable*& table, AcDb::OpenMode mode);
    Acad::ErrorStatus getSymbolTable(AcDbLayerTable*& table, AcDb::OpenMode mode);
    Acad::ErrorStatus getSymbolTable(AcDbTextStyleTable*& table, AcDb::OpenMode mode);
    AcDbObjectId blockTableId() const;
    AcDbObjectId layerTableId() const;
    AcDbObjectId textStyleTableId() const;
    cad::Database& impl() const { return *m_database; }
    // The facade object of an editor database.
    static AcDbDatabase* of(cad::Database& database);

private:
    cad::Database* m_database;
};

class AcDbHostApplicationServices {
public:
    AcDbDatabase* workingDatabase() const;
};
AcDbHostApplicationServices* acdbHostApplicationServices();
AcDbDatabase* acdbCurDwg();

Acad::ErrorStatus acdbOpenAcDbObject(AcDbObject*& object, AcDbObjectId id, AcDb::OpenMode mode,
                                     bool openErased = false);
// Opens only an object of class `cls` or one derived from it; otherwise nothing stays open.
Acad::ErrorStatus acdbOpenAcDbObject(AcDbObject*& object, AcDbObjectId id, AcRxClass* cls, AcDb::OpenMode mode,
                                     bool openErased = false);

template <class T>
Acad::ErrorStatus acdbOpenObject(T*& object, AcDbObjectId id, AcDb::OpenMode mode, bool openErased = false) {
    object = nullptr;
    AcDbObject* opened = nullptr;
    Acad::ErrorStatus status = acdbOpenAcDbObject(opened, id, T::desc(), mode, openErased);
    if (status == Acad::eOk)
        object = static_cast<T*>(opened);
    return status;
}
