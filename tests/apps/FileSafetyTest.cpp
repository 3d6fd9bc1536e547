// What `vantorel` leaves on the disk: files with the modes the user's other programs give them, nothing half
// written or temporary when it is killed, and a drawing cut short by another program while it is read told as such
// rather than ending the program with a signal.
#include "AppTestSupport.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

namespace {

using apptest::ReadFile;
using apptest::Shell;
using apptest::ShellRun;
using apptest::WriteFile;

namespace fs = std::filesystem;

unsigned ModeOf(const fs::path& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? static_cast<unsigned>(info.st_mode & 07777) : 0u;
}

std::set<std::string> NamesIn(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

class FileSafety : public apptest::ScriptedSession {
protected:
    void SetUp() override {
        ScriptedSession::SetUp();
        chairs = Path("chairs.dxf");
        ASSERT_EQ(Shell(std::string("/usr/bin/python3 ") + AUDIT_SCRIPT + " chairs " + chairs).exitCode, 0);
        WriteFile(Path("prices.prc"), "chair|12.50|Oak\n");
    }
    std::string chairs;
};

TEST_F(FileSafety, NewFilesTakeTheUmaskAndReplacedOnesKeepTheirMode) {
    const char* const outputs[] = {"a.txt", "a.csv", "a.xlsx", "a.json", "a.dxf", "many.txt", "copy.prc",
                                   "vantorel1.set", "filename.set"};
    std::string module = " --module " + Path("libvantorel.so");
    std::string report = std::string(VANTOREL_EXE) + module + " report " + chairs + " --catalog " + Path("prices.prc") +
                         " --text " + Path("a.txt") + " --csv " + Path("a.csv") + " --xlsx " + Path("a.xlsx") +
                         " --json " + Path("a.json") + " --table 0,0 -o " + Path("a.dxf") + " >/dev/null && " +
                         VANTOREL_EXE + module + " report " + chairs + " " + chairs + " --text " + Path("many.txt") +
                         " >/dev/null";
    WriteFile(Path("catalogue.txt"), "open " + chairs + "\ncommand KXBOMT\nclick Open\nfile " + Path("prices.prc") +
                                         "\nclick Save As\nfile " + Path("copy.prc") + "\nclick Close\n");
    std::string script = std::string(VANTOREL_EXE) + " --module " + Path("libvantorel.so") + " script " +
                         Path("catalogue.txt") + " >/dev/null";
    ASSERT_EQ(Shell("umask 027 && " + report + " && " + script).exitCode, 0);
    for (const char* name : outputs)
        EXPECT_EQ(ModeOf(dir / name), 0640u) << name;
    // Replaced, each keeps the mode its owner gave it; the catalogue is asked about first.
    for (const char* name : outputs)
        fs::permissions(dir / name, static_cast<fs::perms>(0604));
    WriteFile(Path("catalogue.txt"), "open " + chairs + "\ncommand KXBOMT\nclick Open\nfile " + Path("prices.prc") +
                                         "\nclick Save As\nfile " + Path("copy.prc") + "\nanswer yes\nclick Close\n");
    ASSERT_EQ(Shell("umask 077 && " + report + " && " + script).exitCode, 0);
    for (const char* name : outputs)
        EXPECT_EQ(ModeOf(dir / name), 0604u) << name;
    std::set<std::string> expected{"libvantorel.so", "chairs.dxf", "prices.prc", "catalogue.txt", "vantorel2.set"};
    expected.insert(std::begin(outputs), std::end(outputs));
    EXPECT_EQ(NamesIn(dir), expected) << "a temporary file was left beside the targets";
}

// A big drawing: a save and a read take long enough to be killed or cut short halfway.
class BigDrawing : public FileSafety {
protected:
    void SetUp() override {
        FileSafety::SetUp();
        big = Path("big.dxf");
        ASSERT_EQ(Shell(std::string("/usr/bin/python3 ") + DRAWINGS_SCRIPT + " big " + big + " 60000 >/dev/null")
                      .exitCode,
                  0);
    }
    std::string big;
};

TEST_F(BigDrawing, ASaveKilledAtAnyMomentLeavesTheTargetWholeOrAsItWas) {
    std::string out = Path("out.dxf");
    for (int milliseconds : {0, 30, 60, 90, 120, 150, 200, 300}) {
        WriteFile(out, "an older drawing\n");
        ShellRun run = Shell(std::string(VANTOREL_EXE) + " report " + big + " --table 0,0 -o " + out +
                             " >/dev/null 2>&1 & pid=$!; sleep " + std::to_string(milliseconds / 1000.0) +
                             "; kill -9 $pid 2>/dev/null; { wait $pid; } 2>/dev/null; true");
        std::set<std::string> names = NamesIn(dir);
        EXPECT_EQ(names, (std::set<std::string>{"libvantorel.so", "chairs.dxf", "prices.prc", "big.dxf", "out.dxf"}))
            << "killed after " << milliseconds << " ms";
        std::string saved = ReadFile(out);
        EXPECT_TRUE(saved == "an older drawing\n" || saved.size() > 13000000u)
            << "killed after " << milliseconds << " ms, the target holds " << saved.size() << " bytes";
    }
}

TEST_F(BigDrawing, ADrawingCutShortWhileItIsReadIsToldAndTheProgramLives) {
    std::string original = ReadFile(big);
    int told = 0;
    for (int attempt = 0; attempt < 6; ++attempt) {
        WriteFile(big, original);
        // Cut as soon as the program has the file open: during the read, or after it when the read was quicker.
        ShellRun run = Shell(std::string(VANTOREL_EXE) + " blocks " + big + " > " + Path("out.txt") +
                             " 2>&1 & pid=$!; while kill -0 $pid 2>/dev/null && ! ls -l /proc/$pid/fd 2>/dev/null | "
                             "grep -q big.dxf; do :; done; truncate -s 100000 " + big + "; wait $pid; echo $?");
        std::string said = ReadFile(Path("out.txt"));
        if (run.out == "3\n") {
            EXPECT_EQ(said, "vantorel: " + big + " changed while it was being read. Open it again once the program that "
                                                 "changes it has finished.\n");
            ++told;
        } else {
            EXPECT_EQ(run.out, "0\n") << "attempt " << attempt << " ended otherwise:\n" << said;
        }
    }
    RecordProperty("told", told);
}

TEST_F(FileSafety, AConversionKilledLeavesNoFileAndNoConverterBehind) {
    fs::create_directories(dir / "tmp");
    std::string drawing = Path("killed-conversion.dwg");
    fs::copy_file(DWG_SAMPLES_DIR "/example_2018.dwg", drawing);
    // The converter starts late, after the program that started it has gone.
    WriteFile(Path("slow-node"), "#!/bin/sh\nsleep 1\nexec node \"$@\"\n");
    fs::permissions(Path("slow-node"), fs::perms::owner_all);
    Shell("TMPDIR=" + Path("tmp") + " VANTOREL_NODE=" + Path("slow-node") + " " + VANTOREL_EXE + " blocks " + drawing +
          " >/dev/null 2>&1 & pid=$!; sleep 0.3; kill -9 $pid; { wait $pid; } 2>/dev/null; true");
    Shell("sleep 3");
    EXPECT_TRUE(fs::is_empty(dir / "tmp"));
    EXPECT_EQ(Shell("pgrep -f 'killed-conversion[.]dwg'").out, "") << "the converter runs on for no one";
}

} // namespace
