#include "HostSession.h"

#include "platform/cad/Host.h"

#include <unistd.h>

#include <cstdio>
#include <string>

namespace hostapp {

std::string DefaultModulePath() {
    char buffer[4096];
    ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0)
        return "libvantorel.so";
    std::string exe(buffer, static_cast<std::size_t>(length));
    auto slash = exe.find_last_of('/');
    return (slash == std::string::npos ? std::string() : exe.substr(0, slash + 1)) + "libvantorel.so";
}

void ListCommands() {
    for (const cad::Command& command : cad::Host::Instance().Commands().Commands()) {
        const char* kind = command.flags & cad::kCommandTransparent ? "transparent" : "modal";
        std::printf("%-18s %-8s %-20s flags %d (%s)\n", command.group.c_str(), command.localName.c_str(),
                    command.globalName.c_str(), command.flags, kind);
    }
}

} // namespace hostapp
