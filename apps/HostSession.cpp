#include "HostSession.h"

#include "platform/cad/Host.h"
#include "platform/cad/HostCommands.h"

#include <cstdio>
#include <filesystem>
#include <string>

namespace hostapp {

std::string DefaultModulePath() {
    std::error_code error;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return "libvantorel.so";
    // Beside the program in a build; under lib/vantorel of the prefix it is installed in.
    std::filesystem::path beside = self.parent_path() / "libvantorel.so";
    std::filesystem::path installed = self.parent_path().parent_path() / "lib" / "vantorel" / "libvantorel.so";
    if (!std::filesystem::exists(beside, error) && std::filesystem::exists(installed, error))
        return installed.string();
    return beside.string();
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
