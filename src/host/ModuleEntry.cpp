// The module's library start-up and its exported entry points.
#include "host/Commands.h"
#include "host/DocumentDataStore.h"
#include "host/HostServices.h"
#include "host/ModuleState.h"

#include <dlfcn.h>

namespace {
// The host interface version this module was built against.
constexpr int kBuiltForApiVersion = 16;

vantorel::DocumentDataStore g_documentDataStore;

__attribute__((constructor)) void ProcessAttach() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&ProcessAttach), &info) != 0)
        vantorel::AttachModule(info.dli_fbase, info.dli_fname);
    else
        vantorel::AttachModule(nullptr, nullptr);
}

__attribute__((destructor)) void ProcessDetach() {
    vantorel::DetachModule();
}
} // namespace

extern "C" __attribute__((visibility("default"))) AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode message,
                                                                                  void* appId) {
    switch (message) {
    case AcRx::kInitAppMsg:
        if (AcRxDynamicLinker* linker = vantorel::FindDynamicLinker()) {
            linker->unlockApplication(appId);
            linker->registerAppMDIAware(appId);
        }
        vantorel::RegisterCommands();
        break;
    case AcRx::kUnloadAppMsg:
        vantorel::RemoveCommands();
        break;
    default:
        break;
    }
    return AcRx::kRetOK;
}

extern "C" __attribute__((visibility("default"))) int acrxGetApiVersion() {
    return kBuiltForApiVersion;
}
