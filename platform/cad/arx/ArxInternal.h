#pragma once

// Shared by the facade's own sources; not part of what a module sees.
#include "platform/cad/arx/dbmain.h"
#include "platform/cad/Database.h"

#include <cstring>

// The class of that name in the class dictionary; null when it does not exist.
AcRxClass* ArxClassNamed(const char* name);

inline Acad::ErrorStatus ToArx(cad::ErrorStatus status) {
    return static_cast<Acad::ErrorStatus>(static_cast<int>(status));
}

// A copy of `text` in host memory, for functions that hand strings to the caller.
char* ArxCopyString(const char* text);

struct AcDbResident {
    cad::Object* object;
    cad::Database* database;
    AcDb::OpenMode mode;
};

// The facade's access to what a handle hides from modules.
struct AcDbAccess {
    // A handle of the right facade class for an object just opened.
    static AcDbObject* MakeHandle(cad::Object* object, cad::Database& database, AcDb::OpenMode mode);
    static cad::Object* Impl(const AcDbObject& object) { return object.m_object; }
    static cad::Database* DatabaseOf(const AcDbObject& object) { return object.m_database; }
    static AcDb::OpenMode Mode(const AcDbObject& object) { return object.m_mode; }
    static bool IsFresh(const AcDbObject& object) { return object.m_fresh != nullptr; }
    // Gives the new object to the database; the handle then refers to it, open for write.
    static std::unique_ptr<cad::Object> Release(AcDbObject& object) { return std::move(object.m_fresh); }
    static void BecomeResident(AcDbObject& object, cad::Database& database, cad::ObjectId id);
};
