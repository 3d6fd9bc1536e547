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
    return RunShell(std::string(VANTOREL_EXE) + " " + arguments);
}

TEST(HostCommands, ListsBothCommandsOfTheModuleBesideIt) {
    HostRun run = RunHost("commands");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output, "VirivIdiro_Group   KXBOMT   VirivIdiro_Global    flags 0 (modal)\n"
                          "VirivIdiro_Group   KXBOMC   CalcPrice_Global     flags 1 (transparent)\n");
}

TEST(HostCommands, RunsACommandByTheNameAUserTypes) {
    EXPECT_EQ(RunHost("run kxbomt").exitCode, 0);
    // Found by its global name; without answers to its questions it cannot run through.
    HostRun run = RunHost("run _CalcPrice_Global");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.output.find("vantorel: _CalcPrice_Global asked for"), std::string::npos) << run.output;
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
