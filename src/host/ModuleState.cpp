#include "host/ModuleState.h"

#include "host/HostServices.h"

#include <dlfcn.h>

#include <cstring>

namespace vantorel {

char modulePath[kModulePathSize] = {};

ModuleState& TheModuleState() {
    static ModuleState s_state;
    return s_state;
}

namespace {
bool InitExtensionModule(ExtensionModuleRecord& record, HINSTANCE instance) {
    record.initialised = instance != nullptr;
    record.instance = instance;
    return record.initialised;
}

// The resource handle the framework starts with: the host program's own.
HINSTANCE CurrentFrameworkResourceHandle() {
    void* program = dlopen(nullptr, RTLD_NOW);
    if (program)
        dlclose(program);
    return program;
}

// At most kModulePathSize - 1 characters are taken, so the text always ends inside the buffer.
void StoreModulePath(const char* fileName) {
    std::size_t length = fileName ? std::strlen(fileName) : 0;
    if (length > kModulePathSize - 1)
        length = kModulePathSize - 1;
    if (length > 0)
        std::memcpy(modulePath, fileName, length);
    modulePath[length] = '\0';
}
} // namespace

void AttachModule(HINSTANCE instance, const char* fileName) {
    ModuleState& state = TheModuleState();
    if (!state.attached) {
        state.attached = InitExtensionModule(state.extension, instance) ? 1 : 0;
        if (state.attached) {
            state.defaultResource = CurrentFrameworkResourceHandle();
            state.moduleResource = instance;
            state.extension.libraryRecordCreated = true;
        }
    }
    StoreModulePath(fileName);
    InitAcUiDLL();
}

void DetachModule() {
    ModuleState& state = TheModuleState();
    if (state.attached) {
        state.extension = ExtensionModuleRecord{};
        state.attached = 0;
    }
}

} // namespace vantorel
