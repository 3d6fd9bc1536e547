#pragma once

// Running the host executable and the ezdxf helper as a user's shell would, and reading what they wrote.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace apptest {

struct ShellRun {
    int exitCode = -1;
    std::string out;
};

inline ShellRun Shell(const std::string& command) {
    ShellRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.out.append(buffer, n);
    int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string ReadFile(const std::string& path);

// `vantorel ARGUMENTS` with `environment` before it (say "LC_ALL=C.UTF-8"): its standard output, and its standard
// error in `errors` (through a file in `dir`). A sanitizer build's note of the suppressed font-cache leaks is kept
// out of what is compared.
inline ShellRun Vantorel(const std::filesystem::path& dir, const std::string& arguments, std::string* errors = nullptr,
                         const std::string& environment = "") {
    std::string errorFile = (dir / "errors.txt").string();
    ShellRun run = Shell(environment + " LSAN_OPTIONS=\"$LSAN_OPTIONS:print_suppressions=0\" " +
                         std::string(VANTOREL_EXE) + " " + arguments + " 2>" + errorFile);
    if (errors)
        *errors = ReadFile(errorFile);
    return run;
}

// The report text file as the module lays it out: the heading, a row ("%10s %10s %10d %20s %10s"), the summary.
inline const std::string kReportHead = "Block name Item Price   Quantity          Description      Total\n";
inline std::string ReportRow(const std::string& name, const std::string& price, int quantity,
                             const std::string& description, const std::string& total) {
    char line[256];
    std::snprintf(line, sizeof line, "%10s %10s %10d %20s %10s\n", name.c_str(), price.c_str(), quantity,
                  description.c_str(), total.c_str());
    return line;
}
inline std::string ReportSummary(const std::string& total) {
    return ReportRow("Summary:", "", 0, "", total).replace(22, 10, std::string(10, ' '));
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// An empty folder of the running test's own: `prefix` and the test's name, in the test temporary folder.
inline std::filesystem::path TestFolder(const std::string& prefix) {
    std::filesystem::path dir = std::filesystem::path(::testing::TempDir()) /
                                (prefix + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

// ezdxf's reading of a table block and its reference in a drawing we wrote.
inline std::string AuditTable(const std::string& drawing, const std::string& block) {
    return Shell(std::string("/usr/bin/python3 ") + AUDIT_SCRIPT + " table " + drawing + " " + block).out;
}

// A folder of the test's own with its own copy of the module, so that the settings files written beside the
// module are the test's own. Their paths are made lower case from the module's, so the folder is too.
class ScriptedSession : public ::testing::Test {
protected:
    void SetUp() override {
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
        dir = std::filesystem::temp_directory_path() / ("vantorel-script-" + name);
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        std::filesystem::copy_file(VANTOREL_MODULE, dir / "libvantorel.so");
    }
    std::string Path(const std::string& name) const { return (dir / name).string(); }
    // `vantorel script` on these lines; stdout and stderr together.
    ShellRun Session(const std::string& script) const {
        WriteFile(Path("session.txt"), script);
        // A sanitizer build's note of the suppressed font-cache leaks would land in the output compared.
        return Shell("LSAN_OPTIONS=\"$LSAN_OPTIONS:print_suppressions=0\" " + std::string(VANTOREL_EXE) + " --module " +
                     Path("libvantorel.so") + " script " + Path("session.txt") + " 2>&1");
    }
    std::string Settings(const std::string& name) const { return ReadFile(Path(name)); }
    // counting_drawings.py's drawing of `kind` in the test's folder, ASCII ("asc") or binary ("bin").
    std::string CountingDrawing(const std::string& kind, const std::string& format = "asc") const {
        std::string path = Path(kind + "-" + format + ".dxf");
        ShellRun made = Shell(std::string("/usr/bin/python3 ") + COUNTING_DRAWINGS + " " + kind + " " + path + " " +
                              format + " 2>&1");
        EXPECT_EQ(made.exitCode, 0) << made.out;
        return path;
    }
    bool HasFile(const std::string& name) const { return std::filesystem::exists(dir / name); }
    std::filesystem::path dir;
};

} // namespace apptest
