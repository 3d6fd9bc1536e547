#pragma once

#include "platform/cad/arx/acadstrc.h"
#include "platform/cad/arx/adesk.h"

#include <map>
#include <string>

class AcRxClass;

class AcRxObject {
public:
    virtual ~AcRxObject();
    virtual AcRxClass* isA() const;
    bool isKindOf(const AcRxClass* cls) const;
    static AcRxClass* desc();
};

class AcRxClass : public AcRxObject {
public:
    AcRxClass(const char* name, AcRxClass* parent) : m_name(name), m_parent(parent) {}
    const ACHAR* name() const { return m_name.c_str(); }
    AcRxClass* myParent() const { return m_parent; }
    bool isDerivedFrom(const AcRxClass* other) const;
    AcRxClass* isA() const override;

private:
    std::string m_name;
    AcRxClass* m_parent;
};

// A dictionary of named objects. It does not own them.
class AcRxDictionary : public AcRxObject {
public:
    AcRxObject* at(const ACHAR* key) const;
    AcRxObject* atPut(const ACHAR* key, AcRxObject* object);
    bool has(const ACHAR* key) const;
    Adesk::UInt32 numEntries() const { return static_cast<Adesk::UInt32>(m_entries.size()); }
    AcRxClass* isA() const override;

private:
    std::map<std::string, AcRxObject*> m_entries;
};

AcRxDictionary* acrxSysRegistry();
// The "ClassDictionary" entry of the system registry.
AcRxDictionary* acrxClassDictionaryPtr();

namespace AcRx {
enum AppMsgCode : int { kNullMsg = 0, kInitAppMsg = 1, kUnloadAppMsg = 2 };
enum AppRetCode : int { kRetOK = 0, kRetError = 3 };
} // namespace AcRx

class AcRxDynamicLinker : public AcRxObject {
public:
    bool unlockApplication(void* appId) const;
    bool registerAppMDIAware(void* appId) const;
    // Loads a module by path, checking its interface version and sending it the initialisation message.
    bool loadModule(const ACHAR* fileName, bool printErrors = true);
    bool unloadModule(const ACHAR* fileName, bool printErrors = true);
    AcRxClass* isA() const override;
};
