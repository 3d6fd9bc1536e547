// The host executable: loads the module into an embedded drawing editor and runs its commands.
#include "HostSession.h"

#include "platform/cad/Host.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>

namespace {
enum ExitCode : int { kExitOk = 0, kExitCommandFailed = 1, kExitModuleRefused = 2, kExitUsage = 64 };
}

int main(int argc, char** argv) {
    CLI::App app{"Vantorel: priced bills of materials of the block references in a drawing"};
    app.require_subcommand(1);
    std::string modulePath = hostapp::DefaultModulePath();
    app.add_option("--module", modulePath, "The module to load (default: libvantorel.so beside this program)");

    CLI::App* commands = app.add_subcommand("commands", "List the commands the module registers");
    CLI::App* run = app.add_subcommand("run", "Run a command by the name a user types");
    std::string commandName;
    run->add_option("name", commandName, "The command, such as KXBOMT")->required();

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? kExitOk : kExitUsage;
    }

    cad::Host& host = cad::Host::Instance();
    host.GetEditor().SetTerminalEcho(run->parsed());
    std::string error;
    if (!host.Modules().Load(modulePath, error)) {
        std::fprintf(stderr, "vantorel: %s\n", error.c_str());
        return kExitModuleRefused;
    }

    int exitCode = kExitOk;
    if (commands->parsed()) {
        hostapp::ListCommands();
    } else if (run->parsed()) {
        if (host.RunCommand(commandName) != cad::RtNorm)
            exitCode = kExitCommandFailed;
        std::fputs("\n", stdout);
    }
    host.Modules().UnloadAll();
    return exitCode;
}
