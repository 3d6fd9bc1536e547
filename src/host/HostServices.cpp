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

} // namespace vantorel
