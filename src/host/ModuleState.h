#pragma once

#include "platform/cad/arx/adesk.h"

#include <cstddef>
#include <cstdint>

namespace vantorel {

// The window framework's record of this module as an extension library.
struct ExtensionModuleRecord {
    bool initialised = false;
    HINSTANCE instance = nullptr;
    bool libraryRecordCreated = false; // the framework searches this module for resources and classes
};

struct ModuleState {
    std::int32_t attached = 0;
    HINSTANCE defaultResource = nullptr;
    HINSTANCE moduleResource = nullptr;
    ExtensionModuleRecord extension;
};

ModuleState& TheModuleState();

inline constexpr std::size_t kModulePathSize = 260;
// The module's own full file name; the settings files live beside it.
extern char modulePath[kModulePathSize];

// Library load: `instance` is the module's load address, `fileName` its path as the loader knows it.
void AttachModule(HINSTANCE instance, const char* fileName);
void DetachModule();

} // namespace vantorel
