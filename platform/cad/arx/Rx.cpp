#include "platform/cad/arx/aced.h"
#include "platform/cad/arx/acdocman.h"
#include "platform/cad/arx/adslib.h"
#include "platform/cad/arx/ArxInternal.h"
#include "platform/cad/arx/dbmain.h"

#include "platform/cad/Host.h"

#include <map>
#include <memory>

namespace {
// Class names with their parents, parents first.
constexpr const char* kClasses[][2] = {
    {"AcRxObject", nullptr},
    {"AcRxClass", "AcRxObject"},
    {"AcRxDictionary", "AcRxObject"},
    {"AcRxDynamicLinker", "AcRxObject"},
    {"AcEdCommandStack", "AcRxObject"},
    {"AcApDocManager", "AcRxObject"},
    {"AcApDocManagerReactor", "AcRxObject"},
    {"AcApDocument", "AcRxObject"},
    {"AcDbObject", "AcRxObject"},
    {"AcDbEntity", "AcDbObject"},
    {"AcDbLine", "AcDbEntity"},
    {"AcDbCircle", "AcDbEntity"},
    {"AcDbArc", "AcDbEntity"},
    {"AcDbText", "AcDbEntity"},
    {"AcDbAttributeDefinition", "AcDbText"},
    {"AcDbAttribute", "AcDbText"},
    {"AcDbBlockReference", "AcDbEntity"},
    {"AcDbMInsertBlock", "AcDbBlockReference"},
    {"AcDbPolyline", "AcDbEntity"},
    {"AcDbSymbolTable", "AcDbObject"},
    {"AcDbBlockTable", "AcDbSymbolTable"},
    {"AcDbLayerTable", "AcDbSymbolTable"},
    {"AcDbTextStyleTable", "AcDbSymbolTable"},
    {"AcDbSymbolTableRecord", "AcDbObject"},
    {"AcDbBlockTableRecord", "AcDbSymbolTableRecord"},
    {"AcDbLayerTableRecord", "AcDbSymbolTableRecord"},
    {"AcDbTextStyleTableRecord", "AcDbSymbolTableRecord"},
};

// The registry and its objects live as long as the process: modules look them up while unloading.
struct Registry {
    AcRxDictionary system;
    AcRxDictionary classes;
    AcRxDynamicLinker linker;
    AcEdCommandStack commands;

    Registry() {
        for (const auto& entry : kClasses) {
            AcRxClass* parent = entry[1] ? static_cast<AcRxClass*>(classes.at(entry[1])) : nullptr;
            classes.atPut(entry[0], new AcRxClass(entry[0], parent));
        }
        system.atPut("ClassDictionary", &classes);
        system.atPut("DynamicLinker", &linker);
        system.atPut("ACAD_REGISTERED_COMMANDS", &commands);
    }
};

Registry& TheRegistry() {
    static auto* s_registry = new Registry();
    return *s_registry;
}

int s_initAcUiCount = 0;
int s_mainWindow = 0;
} // namespace

AcRxClass* ArxClassNamed(const char* name) {
    return static_cast<AcRxClass*>(TheRegistry().classes.at(name));
}

AcRxObject::~AcRxObject() = default;

AcRxClass* AcRxObject::isA() const {
    return desc();
}

AcRxClass* AcRxObject::desc() {
    return ArxClassNamed("AcRxObject");
}

bool AcRxObject::isKindOf(const AcRxClass* cls) const {
    const AcRxClass* mine = isA();
    return mine && mine->isDerivedFrom(cls);
}

bool AcRxClass::isDerivedFrom(const AcRxClass* other) const {
    for (const AcRxClass* c = this; c; c = c->m_parent) {
        if (c == other)
            return true;
    }
    return false;
}

AcRxClass* AcRxClass::isA() const {
    return ArxClassNamed("AcRxClass");
}

AcRxObject* AcRxDictionary::at(const ACHAR* key) const {
    auto it = m_entries.find(key ? key : "");
    return it == m_entries.end() ? nullptr : it->second;
}

AcRxObject* AcRxDictionary::atPut(const ACHAR* key, AcRxObject* object) {
    AcRxObject*& slot = m_entries[key ? key : ""];
    AcRxObject* previous = slot;
    slot = object;
    return previous;
}

bool AcRxDictionary::has(const ACHAR* key) const {
    return m_entries.count(key ? key : "") > 0;
}

AcRxClass* AcRxDictionary::isA() const {
    return ArxClassNamed("AcRxDictionary");
}

AcRxDictionary* acrxSysRegistry() {
    return &TheRegistry().system;
}

AcRxDictionary* acrxClassDictionaryPtr() {
    return &TheRegistry().classes;
}

bool AcRxDynamicLinker::unlockApplication(void* appId) const {
    return cad::Host::Instance().Modules().UnlockApplication(appId);
}

bool AcRxDynamicLinker::registerAppMDIAware(void* appId) const {
    return cad::Host::Instance().Modules().RegisterAppMdiAware(appId);
}

bool AcRxDynamicLinker::loadModule(const ACHAR* fileName, bool printErrors) {
    std::string error;
    bool loaded = cad::Host::Instance().Modules().Load(fileName ? fileName : "", error);
    if (!loaded && printErrors)
        cad::Host::Instance().GetEditor().Print("\n" + error + "\n");
    return loaded;
}

bool AcRxDynamicLinker::unloadModule(const ACHAR* fileName, bool printErrors) {
    std::string error;
    bool unloaded = cad::Host::Instance().Modules().Unload(fileName ? fileName : "", error);
    if (!unloaded && printErrors)
        cad::Host::Instance().GetEditor().Print("\n" + error + "\n");
    return unloaded;
}

AcRxClass* AcRxDynamicLinker::isA() const {
    return ArxClassNamed("AcRxDynamicLinker");
}

Acad::ErrorStatus AcEdCommandStack::addCommand(const ACHAR* cmdGroupName, const ACHAR* cmdGlobalName,
                                               const ACHAR* cmdLocalName, Adesk::Int32 commandFlags,
                                               AcRxFunctionPtr functionAddr, AcEdUIContext*, int, HINSTANCE,
                                               AcEdCommand**) {
    if (!cmdGroupName || !cmdGlobalName || !cmdLocalName)
        return Acad::eInvalidInput;
    cad::Command command{cmdGroupName, cmdGlobalName, cmdLocalName, commandFlags, functionAddr};
    return ToArx(cad::Host::Instance().Commands().AddCommand(std::move(command)));
}

Acad::ErrorStatus AcEdCommandStack::removeGroup(const ACHAR* groupName) {
    return ToArx(cad::Host::Instance().Commands().RemoveGroup(groupName ? groupName : ""));
}

AcRxClass* AcEdCommandStack::isA() const {
    return ArxClassNamed("AcEdCommandStack");
}

HWND adsw_acadMainWnd() {
    if (void* window = cad::Host::Instance().MainWindow())
        return window;
    return &s_mainWindow;
}

void InitAcUiDLL() {
    ++s_initAcUiCount;
}

int acedInitAcUiDLLCount() {
    return s_initAcUiCount;
}

// Document manager

namespace {
class ReactorAdapter : public cad::DocumentReactor {
public:
    explicit ReactorAdapter(AcApDocManagerReactor* reactor) : m_reactor(reactor) {}
    void DocumentToBeDestroyed(cad::Document* document) override;

private:
    AcApDocManagerReactor* m_reactor;
};

struct DocumentFacade {
    AcApDocManager manager;
    std::map<AcApDocManagerReactor*, std::unique_ptr<ReactorAdapter>> reactors;
    std::map<void*, std::unique_ptr<AcApDocument>> documents;
    // Forgets a document's wrapper once every reactor has heard of its end.
    struct Janitor : cad::DocumentReactor {
        void DocumentToBeDestroyed(cad::Document* document) override;
    } janitor;

    DocumentFacade() { cad::Host::Instance().Documents().AddReactor(&janitor); }
};

DocumentFacade& TheDocuments() {
    static auto* s_facade = new DocumentFacade();
    return *s_facade;
}

void ReactorAdapter::DocumentToBeDestroyed(cad::Document* document) {
    m_reactor->documentToBeDestroyed(AcApDocManager::documentFor(document));
}

void DocumentFacade::Janitor::DocumentToBeDestroyed(cad::Document* document) {
    TheDocuments().documents.erase(document);
}

cad::DocumentManager& CadDocuments() {
    return cad::Host::Instance().Documents();
}
} // namespace

const ACHAR* AcApDocument::fileName() const {
    return static_cast<cad::Document*>(m_document)->FileName().c_str();
}

AcDbDatabase* AcApDocument::database() const {
    return AcDbDatabase::of(static_cast<cad::Document*>(m_document)->GetDatabase());
}

AcRxClass* AcApDocument::isA() const {
    return ArxClassNamed("AcApDocument");
}

void AcApDocManagerReactor::documentToBeDestroyed(AcApDocument*) {}

AcRxClass* AcApDocManagerReactor::isA() const {
    return ArxClassNamed("AcApDocManagerReactor");
}

void AcApDocManager::addReactor(AcApDocManagerReactor* reactor) {
    DocumentFacade& facade = TheDocuments();
    if (!reactor || facade.reactors.count(reactor))
        return;
    auto adapter = std::make_unique<ReactorAdapter>(reactor);
    // The janitor must hear last, so it is moved behind every new reactor.
    CadDocuments().RemoveReactor(&facade.janitor);
    CadDocuments().AddReactor(adapter.get());
    CadDocuments().AddReactor(&facade.janitor);
    facade.reactors.emplace(reactor, std::move(adapter));
}

void AcApDocManager::removeReactor(AcApDocManagerReactor* reactor) {
    DocumentFacade& facade = TheDocuments();
    auto it = facade.reactors.find(reactor);
    if (it == facade.reactors.end())
        return;
    CadDocuments().RemoveReactor(it->second.get());
    facade.reactors.erase(it);
}

Acad::ErrorStatus AcApDocManager::pushResourceHandle(HINSTANCE handle) {
    CadDocuments().PushResourceHandle(handle);
    return Acad::eOk;
}

Acad::ErrorStatus AcApDocManager::popResourceHandle() {
    return CadDocuments().PopResourceHandle() ? Acad::eOk : Acad::eInvalidInput;
}

HINSTANCE AcApDocManager::curResourceHandle() const {
    return CadDocuments().CurrentResourceHandle();
}

AcApDocument* AcApDocManager::curDocument() const {
    return documentFor(&CadDocuments().Current());
}

int AcApDocManager::documentCount() const {
    return static_cast<int>(CadDocuments().DocumentCount());
}

AcRxClass* AcApDocManager::isA() const {
    return ArxClassNamed("AcApDocManager");
}

AcApDocument* AcApDocManager::documentFor(void* cadDocument) {
    DocumentFacade& facade = TheDocuments();
    auto& slot = facade.documents[cadDocument];
    if (!slot) {
        slot = std::make_unique<AcApDocument>();
        slot->m_document = cadDocument;
    }
    return slot.get();
}

AcApDocManager* acDocManagerPtr() {
    return &TheDocuments().manager;
}
