#include "HostSession.h"

#include "platform/cad/Host.h"
#include "platform/cad/HostCommands.h"

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

namespace {
// What the module's commands do, in the user's words; the host knows them only by their names.
const char* WhatItDoes(const std::string& name) {
    if (name == "KXBOMT")
        return "edit a price catalogue (the BOM Template dialog)";
    if (name == "KXBOMC")
        return "count the selected block references and price them (the BOM Report dialog)";
    return "a command of the module";
}
} // namespace

void ListCommands(bool verbose) {
    for (const cad::Command& command : cad::Host::Instance().Commands().Commands()) {
        std::printf("%-8s %s\n", command.localName.c_str(), WhatItDoes(command.localName));
        if (verbose) {
            const char* kind = command.flags & cad::kCommandTransparent ? "transparent" : "modal";
            std::printf("         group %s, entry point %s, flags %d (%s)\n", command.group.c_str(),
                        command.globalName.c_str(), command.flags, kind);
        }
    }
    std::printf("\nThe editor's own:\n");
    for (const cad::HostCommand& command : cad::HostCommands())
        std::printf("%-8s %s\n", command.name, command.help);
}

} // namespace hostapp
