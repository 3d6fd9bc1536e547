#include "host/HostServices.h"

namespace vantorel {

AcRxClass* FindHostClass(const char* name) {
    AcRxObject* dictionary = acrxSysRegistry()->at("ClassDictionary");
    auto* classes = dictionary ? static_cast<AcRxDictionary*>(dictionary) : nullptr;
    return classes ? static_cast<AcRxClass*>(classes->at(name)) : nullptr;
}

AcEdCommandStack* FindCommandStack() {
    // The class is the same for the life of the process; the stack object is looked up each time.
    static AcRxClass* s_stackClass = FindHostClass("AcEdCommandStack");
    AcRxObject* object = acrxSysRegistry()->at("ACAD_REGISTERED_COMMANDS");
    return object && object->isKindOf(s_stackClass) ? static_cast<AcEdCommandStack*>(object) : nullptr;
}

AcRxDynamicLinker* FindDynamicLinker() {
    AcRxObject* object = acrxSysRegistry()->at("DynamicLinker");
    return object && object->isKindOf(FindHostClass("AcRxDynamicLinker")) ? static_cast<AcRxDynamicLinker*>(object)
                                                                           : nullptr;
}

std::vector<std::string> DrawingBlockNames() {
    std::vector<std::string> names;
    AcDbBlockTable* table = nullptr;
    [[maybe_unused]] Acad::ErrorStatus opened =
        acdbHostApplicationServices()->workingDatabase()->getSymbolTable(table, AcDb::kForRead);
    if (!table)
        return names;
    AcDbBlockTableIterator* iterator = nullptr;
    if (table->newIterator(iterator, true, true) == Acad::eOk && iterator) {
        for (iterator->start(); !iterator->done(); iterator->step()) {
            AcDbBlockTableRecord* record = nullptr;
            if (iterator->getRecord(record, AcDb::kForRead) != Acad::eOk)
                continue;
            HostString name;
            [[maybe_unused]] Acad::ErrorStatus named = record->getName(name.Out());
            CloseObject(record);
            names.emplace_back(name.Get());
        }
    }
    delete iterator;
    CloseObject(table);
    return names;
}

bool HostSwitchOn(const char* variable) {
    resbuf value{};
    if (acedGetVar(variable, &value) != RTNORM)
        return false;
    if (value.restype == RTSTR) {
        acad_free(value.resval.rstring);
        return false;
    }
    return (value.restype == RTSHORT && value.resval.rint != 0) || (value.restype == RTLONG && value.resval.rlong != 0);
}

std::string HostText(const char* variable) {
    resbuf value{};
    if (acedGetVar(variable, &value) != RTNORM || value.restype != RTSTR)
        return {};
    HostString text(value.resval.rstring);
    return text.Get();
}

double HostReal(const char* variable, double fallback) {
    resbuf value{};
    if (acedGetVar(variable, &value) != RTNORM)
        return fallback;
    if (value.restype == RTSTR) {
        acad_free(value.resval.rstring);
        return fallback;
    }
    return value.restype == RTREAL ? value.resval.rreal : fallback;
}

} // namespace vantorel
