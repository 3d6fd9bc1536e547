#pragma once

#include <string>
#include <vector>

namespace cad {

// Message numbers sent to a module's entry point.
enum AppMessage : int { kInitAppMessage = 1, kUnloadAppMessage = 2 };

// The interface version this host loads modules for.
inline constexpr int kAcceptedApiVersion = 16;

using EntryPointFunction = int (*)(int message, void* appId);
using ApiVersionFunction = int (*)();

struct LoadedModule {
    std::string path;
    void* handle = nullptr; // also the application id the module is given
    EntryPointFunction entryPoint = nullptr;
    bool unlocked = false;
    bool mdiAware = false;
};

// Loads plug-in modules into the process and talks to their entry point.
class ModuleLoader {
public:
    ModuleLoader() = default;
    ModuleLoader(const ModuleLoader&) = delete;
    ModuleLoader& operator=(const ModuleLoader&) = delete;

    // Loads, checks the interface version and sends the initialisation message. On failure nothing stays
    // loaded and `error` says why.
    [[nodiscard]] bool Load(const std::string& path, std::string& error);
    // Sends the unload message and unloads. A module that has not unlocked itself stays loaded.
    [[nodiscard]] bool Unload(const std::string& path, std::string& error);
    void UnloadAll();
    // The entry point's answer, or -1 when no module has that id.
    int SendMessage(void* appId, int message);

    bool UnlockApplication(void* appId);
    bool RegisterAppMdiAware(void* appId);

    const LoadedModule* Find(void* appId) const;
    const LoadedModule* FindByPath(const std::string& path) const;
    const std::vector<LoadedModule>& Modules() const { return m_modules; }

private:
    LoadedModule* FindMutable(void* appId);
    std::vector<LoadedModule> m_modules;
};

} // namespace cad
