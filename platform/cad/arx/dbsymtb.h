#pragma once

#include "platform/cad/arx/dbmain.h"

class AcDbSymbolTableRecord : public AcDbObject {
public:
    // A copy allocated for the caller, released with free() or acad_free().
    Acad::ErrorStatus getName(ACHAR*& name) const;
    Acad::ErrorStatus getName(const ACHAR*& name) const;
    Acad::ErrorStatus setName(const ACHAR* name);
    static AcRxClass* desc();
    static AcDbSymbolTableRecord* cast(AcRxObject* object);
    explicit AcDbSymbolTableRecord(const AcDbResident& resident) : AcDbObject(resident) {}

protected:
    using AcDbObject::AcDbObject;
};

class AcDbBlockTableRecordIterator;

class AcDbBlockTableRecord : public AcDbSymbolTableRecord {
public:
    AcDbBlockTableRecord();
    explicit AcDbBlockTableRecord(const AcDbResident& resident) : AcDbSymbolTableRecord(resident) {}
    AcGePoint3d origin() const;
    Acad::ErrorStatus setOrigin(const AcGePoint3d& origin);
    // The database takes the entity; it is then open for write until closed.
    Acad::ErrorStatus appendAcDbEntity(AcDbObjectId& id, AcDbEntity* entity);
    Acad::ErrorStatus appendAcDbEntity(AcDbEntity* entity);
    bool hasAttributeDefinitions() const;
    bool isLayout() const;
    bool isAnonymous() const;
    // The entities of the definition, in drawing order; the caller deletes the iterator.
    Acad::ErrorStatus newIterator(AcDbBlockTableRecordIterator*& iterator, bool atBeginning = true,
                                  bool skipDeleted = true) const;
    static AcRxClass* desc();
    static AcDbBlockTableRecord* cast(AcRxObject* object);
};

class AcDbBlockTableRecordIterator : public AcHeapOperators {
public:
    void start(bool atBeginning = true, bool skipDeleted = true);
    bool done() const;
    void step(bool forward = true, bool skipDeleted = true);
    Acad::ErrorStatus getEntityId(AcDbObjectId& id) const;

private:
    friend class AcDbBlockTableRecord;
    AcDbBlockTableRecordIterator(cad::Database& database, std::uint64_t blockId, bool atBeginning, bool skipDeleted);
    void skip(bool forward, bool skipDeleted);
    cad::Database* m_database;
    std::uint64_t m_blockId;
    long m_position = 0;
};

class AcDbLayerTableRecord : public AcDbSymbolTableRecord {
public:
    AcDbLayerTableRecord();
    explicit AcDbLayerTableRecord(const AcDbResident& resident) : AcDbSymbolTableRecord(resident) {}
    static AcRxClass* desc();
    static AcDbLayerTableRecord* cast(AcRxObject* object);
};

class AcDbTextStyleTableRecord : public AcDbSymbolTableRecord {
public:
    AcDbTextStyleTableRecord();
    explicit AcDbTextStyleTableRecord(const AcDbResident& resident) : AcDbSymbolTableRecord(resident) {}
    Acad::ErrorStatus fileName(const ACHAR*& name) const;
    Acad::ErrorStatus setFileName(const ACHAR* name);
    Acad::ErrorStatus bigFontFileName(const ACHAR*& name) const;
    Acad::ErrorStatus setBigFontFileName(const ACHAR* name);
    double textSize() const;
    Acad::ErrorStatus setTextSize(double size);
    double xScale() const;
    Acad::ErrorStatus setXScale(double scale);
    static AcRxClass* desc();
    static AcDbTextStyleTableRecord* cast(AcRxObject* object);
};

class AcDbSymbolTableIterator : public AcHeapOperators {
public:
    virtual ~AcDbSymbolTableIterator() = default;
    void start(bool atBeginning = true, bool skipDeleted = true);
    bool done() const;
    void step(bool forward = true, bool skipDeleted = true);
    Acad::ErrorStatus getRecordId(AcDbObjectId& id) const;
    Acad::ErrorStatus getRecord(AcDbSymbolTableRecord*& record, AcDb::OpenMode mode, bool openErased = false) const;

protected:
    AcDbSymbolTableIterator(cad::Database& database, std::uint64_t tableId, bool atBeginning, bool skipDeleted);

private:
    void skip(bool forward, bool skipDeleted);
    cad::Database* m_database;
    std::uint64_t m_tableId;
    long m_position = 0;
};

class AcDbBlockTableIterator : public AcDbSymbolTableIterator {
public:
    using AcDbSymbolTableIterator::getRecord;
    Acad::ErrorStatus getRecord(AcDbBlockTableRecord*& record, AcDb::OpenMode mode, bool openErased = false) const;

private:
    friend class AcDbBlockTable;
    using AcDbSymbolTableIterator::AcDbSymbolTableIterator;
};

class AcDbSymbolTable : public AcDbObject {
public:
    explicit AcDbSymbolTable(const AcDbResident& resident) : AcDbObject(resident) {}
    Acad::ErrorStatus getAt(const ACHAR* name, AcDbObjectId& id, bool getErased = false) const;
    bool has(const ACHAR* name) const;
    bool has(AcDbObjectId id) const;
    static AcRxClass* desc();
    static AcDbSymbolTable* cast(AcRxObject* object);

protected:
    // Opens the named record with a class check; eKeyNotFound when absent.
    Acad::ErrorStatus getRecordAt(const ACHAR* name, AcDbObject*& record, AcRxClass* cls, AcDb::OpenMode mode,
                                  bool openErased) const;
    // The table must be open for write; the database takes the record and leaves it open for write.
    Acad::ErrorStatus addRecord(AcDbObjectId& id, AcDbSymbolTableRecord* record);
};

class AcDbBlockTable : public AcDbSymbolTable {
public:
    using AcDbSymbolTable::AcDbSymbolTable;
    using AcDbSymbolTable::getAt;
    Acad::ErrorStatus getAt(const ACHAR* name, AcDbBlockTableRecord*& record, AcDb::OpenMode mode,
                            bool openErased = false) const;
    Acad::ErrorStatus add(AcDbBlockTableRecord* record);
    Acad::ErrorStatus add(AcDbObjectId& id, AcDbBlockTableRecord* record);
    // The iterator is the caller's, released with delete.
    Acad::ErrorStatus newIterator(AcDbBlockTableIterator*& iterator, bool atBeginning = true,
                                  bool skipDeleted = true) const;
    static AcRxClass* desc();
    static AcDbBlockTable* cast(AcRxObject* object);
};

class AcDbLayerTable : public AcDbSymbolTable {
public:
    using AcDbSymbolTable::AcDbSymbolTable;
    using AcDbSymbolTable::getAt;
    Acad::ErrorStatus getAt(const ACHAR* name, AcDbLayerTableRecord*& record, AcDb::OpenMode mode,
                            bool openErased = false) const;
    Acad::ErrorStatus add(AcDbLayerTableRecord* record);
    Acad::ErrorStatus add(AcDbObjectId& id, AcDbLayerTableRecord* record);
    static AcRxClass* desc();
    static AcDbLayerTable* cast(AcRxObject* object);
};

class AcDbTextStyleTable : public AcDbSymbolTable {
public:
    using AcDbSymbolTable::AcDbSymbolTable;
    using AcDbSymbolTable::getAt;
    Acad::ErrorStatus getAt(const ACHAR* name, AcDbTextStyleTableRecord*& record, AcDb::OpenMode mode,
                            bool openErased = false) const;
    Acad::ErrorStatus add(AcDbTextStyleTableRecord* record);
    Acad::ErrorStatus add(AcDbObjectId& id, AcDbTextStyleTableRecord* record);
    static AcRxClass* desc();
    static AcDbTextStyleTable* cast(AcRxObject* object);
};
