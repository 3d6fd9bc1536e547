#include "platform/cad/ModuleLoader.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace cad {

namespace {
std::string CanonicalPath(const std::string& path) {
    std::unique_ptr<char, decltype(&std::free)> resolved(realpath(path.c_str(), nullptr), &std::free);
    return resolved ? std::string(resolved.get()) : path;
}

std::string LastDlError() {
    const char* text = dlerror();
    return text ? text : "unknown error";
}
} // namespace

bool ModuleLoader::Load(const std::string& path, std::string& error) {
    std::string canonical = CanonicalPath(path);
    if (FindByPath(canonical)) {
        error = "Module " + path + " is already loaded.";
        return false;
    }
    void* handle = dlopen(canonical.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        error = "Module " + path + " could not be loaded: " + LastDlError();
        return false;
    }
    auto version = reinterpret_cast<ApiVersionFunction>(dlsym(handle, "acrxGetApiVersion"));
    auto entry = reinterpret_cast<EntryPointFunction>(dlsym(handle, "acrxEntryPoint"));
    if (!version || !entry) {
        dlclose(handle);
        error = "Module " + path + " is not a plug-in module: it lacks acrxEntryPoint or acrxGetApiVersion.";
        return false;
    }
    int built = version();
    if (built != kAcceptedApiVersion) {
        dlclose(handle);
        error = "Module " + path + " was built for interface version " + std::to_string(built) +
                ", but this host loads only version " + std::to_string(kAcceptedApiVersion) + ".";
        return false;
    }
    m_modules.push_back(LoadedModule{canonical, handle, entry, false, false});
    SendMessage(handle, kInitAppMessage);
    return true;
}

bool ModuleLoader::Unload(const std::string& path, std::string& error) {
    const LoadedModule* module = FindByPath(CanonicalPath(path));
    if (!module) {
        error = "Module " + path + " is not loaded.";
        return false;
    }
    if (!module->unlocked) {
        error = "Module " + path + " is locked and cannot be unloaded.";
        return false;
    }
    void* handle = module->handle;
    SendMessage(handle, kUnloadAppMessage);
    std::erase_if(m_modules, [&](const LoadedModule& m) { return m.handle == handle; });
    dlclose(handle);
    return true;
}

void ModuleLoader::UnloadAll() {
    while (!m_modules.empty()) {
        void* handle = m_modules.back().handle;
        SendMessage(handle, kUnloadAppMessage);
        m_modules.pop_back();
        dlclose(handle);
    }
}

int ModuleLoader::SendMessage(void* appId, int message) {
    const LoadedModule* module = Find(appId);
    return module ? module->entryPoint(message, appId) : -1;
}

bool ModuleLoader::UnlockApplication(void* appId) {
    LoadedModule* module = FindMutable(appId);
    if (!module)
        return false;
    module->unlocked = true;
    return true;
}

bool ModuleLoader::RegisterAppMdiAware(void* appId) {
    LoadedModule* module = FindMutable(appId);
    if (!module)
        return false;
    module->mdiAware = true;
    return true;
}

const LoadedModule* ModuleLoader::Find(void* appId) const {
    for (const LoadedModule& m : m_modules) {
        if (m.handle == appId)
            return &m;
    }
    return nullptr;
}

LoadedModule* ModuleLoader::FindMutable(void* appId) {
    return const_cast<LoadedModule*>(Find(appId));
}

const LoadedModule* ModuleLoader::FindByPath(const std::string& path) const {
    for (const LoadedModule& m : m_modules) {
        if (m.path == path)
            return &m;
    }
    return nullptr;
}

} // namespace cad
