// The host executable: loads the module into an embedded drawing editor and runs its commands.
#include "BlockCounts.h"
#include "HostSession.h"

#include "platform/cad/Host.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>

namespace {
enum ExitCode : int {
    kExitOk = 0,
    kExitCommandFailed = 1,
    kExitModuleRefused = 2,
    kExitDrawingRefused = 3,
    kExitUsage = 64,
};

// Opens the drawing, telling what the reader noticed; false after printing why it cannot be read.
bool OpenDrawing(const std::string& path) {
    cad::DxfResult result = cad::Host::Instance().OpenDrawing(path);
    if (!result.Ok()) {
        if (result.line > 0)
            std::fprintf(stderr, "vantorel: %s, line %d: %s\n", path.c_str(), result.line, result.detail.c_str());
        else
            std::fprintf(stderr, "vantorel: %s\n", result.detail.c_str());
        return false;
    }
    for (const std::string& warning : result.warnings)
        std::fprintf(stderr, "vantorel: %s: %s\n", path.c_str(), warning.c_str());
    return true;
}
} // namespace

int main(int argc, char** argv) {
    CLI::App app{"Vantorel: priced bills of materials of the block references in a drawing"};
    app.require_subcommand(1);
    std::string modulePath = hostapp::DefaultModulePath();
    int codePage = 1252;
    app.add_option("--module", modulePath, "The module to load (default: libvantorel.so beside this program)");
    app.add_option("--codepage", codePage, "The active code page of the module's text (default 1252)");

    CLI::App* commands = app.add_subcommand("commands", "List the commands the module registers");
    CLI::App* run = app.add_subcommand("run", "Run a command by the name a user types");
    std::string commandName;
    std::string runDrawing;
    run->add_option("name", commandName, "The command, such as KXBOMT")->required();
    run->add_option("--drawing", runDrawing, "The drawing (DXF) to run it on");
    CLI::App* blocks = app.add_subcommand("blocks", "List a drawing's block definitions and their references");
    std::string blocksDrawing;
    blocks->add_option("drawing", blocksDrawing, "The drawing (DXF)")->required();

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? kExitOk : kExitUsage;
    }

    cad::Host& host = cad::Host::Instance();
    const cad::CodePage* active = cad::CodePage::Find(codePage);
    if (!active) {
        std::fprintf(stderr, "vantorel: code page %d is not known here\n", codePage);
        return kExitUsage;
    }
    host.SetActiveCodePage(*active);

    if (blocks->parsed()) {
        if (!OpenDrawing(blocksDrawing))
            return kExitDrawingRefused;
        hostapp::PrintBlockCounts(hostapp::CountBlocks(host.WorkingDatabase()));
        return kExitOk;
    }

    host.GetEditor().SetTerminalEcho(run->parsed());
    if (run->parsed() && !runDrawing.empty() && !OpenDrawing(runDrawing))
        return kExitDrawingRefused;
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
