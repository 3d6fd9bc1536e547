#include "host/ResourceScope.h"

#include "host/HostServices.h"
#include "host/ModuleState.h"

namespace vantorel {

ResourceScope::ResourceScope() {
    [[maybe_unused]] Acad::ErrorStatus status = acDocManagerPtr()->pushResourceHandle(TheModuleState().moduleResource);
}

ResourceScope::~ResourceScope() {
    [[maybe_unused]] Acad::ErrorStatus status = acDocManagerPtr()->popResourceHandle();
}

} // namespace vantorel
