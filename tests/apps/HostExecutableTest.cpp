#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace {

struct HostRun {
    int exitCode = -1;
    std::string output; // stdout and stderr together
};

HostRun RunShell(const std::string& command) {
    HostRun run;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return run;
    char buffer[512];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.output.append(buffer, n);
    int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

HostRun RunHost(const std::string& arguments) {
    // A sanitizer build's note of the suppressed font-cache leaks would land in the output compared.
    return RunShell("LSAN_OPTIONS=\"$LSAN_OPTIONS:print_suppressions=0\" " + std::string(VANTOREL_EXE) + " " + arguments);
}

TEST(HostCommands, ListsTheModulesCommandsInTheUsersWordsAndTheEditorsOwn) {
    const std::string module = "KXBOMT   edit a price catalogue (the BOM Template dialog)\n"
                               "KXBOMC   count the selected block references and price them (the BOM Report dialog)\n";
    const std::string own = "\nThe editor's own:\n"
                            "ERASE    erase the objects you select\n"
                            "U        undo the last command's changes to the drawing\n"
                            "UNDO     undo the changes of several commands\n"
                            "REDO     redo what U or UNDO took back\n"
                            "REDRAW   redraw the view without the temporary marks on it\n"
                            "SETVAR   show or change a system variable (typing its name does the same)\n";
    HostRun run = RunHost("commands");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output, module + own);
    run = RunHost("commands --verbose");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output.substr(0, run.output.find("\nThe editor's own")),
              "KXBOMT   edit a price catalogue (the BOM Template dialog)\n"
              "         group VirivIdiro_Group, entry point VirivIdiro_Global, flags 0 (modal)\n"
              "KXBOMC   count the selected block references and price them (the BOM Report dialog)\n"
              "         group VirivIdiro_Group, entry point CalcPrice_Global, flags 1 (transparent)\n");
}

TEST(HostCommands, ACommandWhoseDialogNoOneAnswersFailsAndSaysWhereToRunIt) {
    HostRun run = RunHost("run kxbomt");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.output, "\nvantorel: kxbomt opens a dialog (BOM Template): run it in vantorel gui or answer it "
                          "with a script (vantorel script)\n");
    // Found by its global name; without answers to its questions it cannot run through.
    run = RunHost("run _CalcPrice_Global");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.output.find("vantorel: _CalcPrice_Global asked for"), std::string::npos) << run.output;
}

TEST(CommandLineHelp, HelpAndVersionAnswerWithoutASubcommand) {
    for (const char* asked : {"--help", "-h", "help"}) {
        HostRun run = RunHost(asked);
        EXPECT_EQ(run.exitCode, 0) << asked;
        EXPECT_EQ(run.output.rfind("priced bills of materials of the block references in a drawing\nUsage: vantorel", 0),
                  0u) << run.output;
        for (const char* sub : {"check-catalog", "commands", "report", "script", "gui", "blocks", "run", "help"})
            EXPECT_NE(run.output.find(std::string("\n  ") + sub + " "), std::string::npos) << asked << " " << sub;
    }
    // Each subcommand with an example, asked either way.
    for (const char* sub : {"report", "blocks", "check-catalog", "script", "gui", "run", "commands"}) {
        HostRun asked = RunHost(std::string("help ") + sub);
        EXPECT_EQ(asked.exitCode, 0);
        EXPECT_EQ(asked.output, RunHost(std::string(sub) + " --help").output);
        EXPECT_NE(asked.output.find("Example"), std::string::npos) << sub;
        EXPECT_NE(asked.output.find(std::string("  vantorel ") + sub), std::string::npos) << asked.output;
    }
    HostRun unknown = RunHost("help nothing");
    EXPECT_EQ(unknown.exitCode, 64);
    EXPECT_EQ(unknown.output, "vantorel: there is no subcommand nothing; vantorel help lists them\n");

    HostRun version = RunHost("--version");
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.output.rfind("vantorel 0.1", 0), 0u) << version.output;
    // Built from a checkout: the revision it was built from.
    HostRun head = RunShell(std::string("git -C ") + SOURCE_DIR + " rev-parse --short HEAD");
    if (head.exitCode == 0) {
        EXPECT_EQ(version.output, "vantorel 0.1 (git " + head.output.substr(0, head.output.find('\n')) + ")\n");
    }
}

TEST(HostCommands, AnUnknownCommandFailsWithTheHostsMessage) {
    HostRun run = RunHost("run KXBOMX");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.output, "Unknown command \"KXBOMX\".  Press F1 for help.\n\n");
}

TEST(HostCommands, ACommandWhoseQuestionsNoOneAnswersFails) {
    HostRun run = RunHost("run KXBOMC");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.output.find("vantorel: KXBOMC asked for what no one answered here; vantorel script or vantorel "
                              "report give the answers, vantorel gui lets you give them\n"),
              std::string::npos)
        << run.output;
}

TEST(HostCommands, TheLiveEditorWithoutADisplaySaysSoAndEnds) {
    HostRun run = RunShell("env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 20 " + std::string(VANTOREL_EXE) +
                           " gui");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.output, "vantorel: no display: the live editor needs a desktop (X11 or Wayland), and neither DISPLAY "
                          "nor WAYLAND_DISPLAY is set; scripts (vantorel script) and reports (vantorel report) need "
                          "none\n");
}

TEST(HostCommands, RefusesAModuleForAnotherInterfaceVersion) {
    HostRun run = RunHost(std::string("--module ") + OTHER_VERSION_MODULE_PATH + " commands");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.output, std::string("vantorel: Module ") + OTHER_VERSION_MODULE_PATH +
                              " was built for interface version 15, but this host loads only version 16.\n");
}

TEST(HostCommands, AMissingModuleIsAClearRefusal) {
    HostRun run = RunHost("--module /nonexistent/libvantorel.so commands");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.output.rfind("vantorel: Module /nonexistent/libvantorel.so could not be loaded: ", 0), 0u)
        << run.output;
}

TEST(HostCommands, WithoutASubcommandItExplainsUsage) {
    HostRun run = RunHost("");
    EXPECT_EQ(run.exitCode, 64);
    EXPECT_NE(run.output.find("A subcommand is required"), std::string::npos) << run.output;
}

} // namespace
