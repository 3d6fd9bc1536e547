// A damaged drawing as a user meets it through `vantorel`: counted from what it still holds, what was left out said
// on stderr with its lines, the report telling how many objects it lacks, the damaged bytes saved back as they were;
// --strict refuses it as before, with exit 3.
#include "AppTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

namespace {

using apptest::ReadFile;
using apptest::Shell;
using apptest::ShellRun;
using apptest::WriteFile;

class DamagedDrawing : public ::testing::Test {
protected:
    void SetUp() override {
        dir = apptest::TestFolder("damaged-");
        ASSERT_EQ(Shell(std::string("/usr/bin/python3 ") + DRAWINGS_SCRIPT + " recovery " + Path("whole.dxf") + " R2018")
                      .exitCode,
                  0);
        // As LibreDWG writes some drawings: an MTEXT whose text holds garbage and a raw line break.
        std::string text = ReadFile(Path("whole.dxf"));
        std::size_t at = text.find("hello world");
        text.replace(at, 11, "hel\nlo \x01garbage");
        WriteFile(Path("plan.dxf"), text);
        damaged = text;
        std::size_t start = text.rfind("\n  0\nMTEXT\n", at) + 1;
        first = Line(text, start);
        last = Line(text, text.find("\n  0\n", at) + 1) - 1;
    }
    static int Line(const std::string& text, std::size_t at) {
        return static_cast<int>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n')) + 1;
    }
    std::string Path(const std::string& name) const { return (dir / name).string(); }
    // `vantorel ARGUMENTS` with stdout to out.txt and stderr to err.txt, as a shell keeps them apart.
    int Run(const std::string& arguments) const {
        ShellRun run = Shell("LSAN_OPTIONS=\"$LSAN_OPTIONS:print_suppressions=0\" " + std::string(VANTOREL_EXE) + " " +
                             arguments + " >" + Path("out.txt") + " 2>" + Path("err.txt") + "; echo $?");
        return run.out.empty() ? -1 : std::stoi(run.out);
    }
    std::string Out() const { return ReadFile(Path("out.txt")); }
    std::string Err() const { return ReadFile(Path("err.txt")); }
    std::string Note() const {
        return "vantorel: " + Path("plan.dxf") + ", lines " + std::to_string(first) + "-" + std::to_string(last) +
               ": an MTEXT could not be read and was left out\n";
    }
    std::filesystem::path dir;
    std::string damaged;
    int first = 0;
    int last = 0;
};

TEST_F(DamagedDrawing, ItIsCountedFromWhatItHoldsAndWhatWasLeftOutIsSaid) {
    ASSERT_EQ(Run("blocks " + Path("whole.dxf")), 0);
    std::string whole = Out();
    ASSERT_EQ(Run("blocks " + Path("plan.dxf")), 0);
    EXPECT_EQ(Out(), whole);
    EXPECT_EQ(Err(), Note());

    ASSERT_EQ(Run("report " + Path("plan.dxf")), 0);
    EXPECT_EQ(Out(), "Block name Item Price   Quantity          Description      Total\n"
                     "      door       0.00          3                            0.00\n"
                     "     chair       0.00          2                            0.00\n"
                     "  Summary:                                                  0.00\n");
    EXPECT_EQ(Err(), Note() + "vantorel: counted from a damaged drawing: 1 object left out\n");
}

TEST_F(DamagedDrawing, StrictRefusesItWithTheLineOfTheFault) {
    for (const std::string& command : {"blocks " + Path("plan.dxf") + " --strict",
                                       "--strict report " + Path("plan.dxf"),
                                       "--strict run KXBOMT --drawing " + Path("plan.dxf")}) {
        EXPECT_EQ(Run(command), 3) << command;
        EXPECT_EQ(Err(), "vantorel: " + Path("plan.dxf") + ", line " + std::to_string(last) +
                             ": expected a group code, found \"lo \x01garbage\"\n")
            << command;
        EXPECT_EQ(Out(), "") << command;
    }
}

TEST_F(DamagedDrawing, SavedItKeepsTheDamagedStretchAsItStood) {
    ASSERT_EQ(Run("report " + Path("plan.dxf") + " --table 0,0 -o " + Path("with-table.dxf")), 0);
    std::string saved = ReadFile(Path("with-table.dxf"));
    std::size_t stretch = damaged.rfind("\n  0\nMTEXT\n", damaged.find("hel\nlo")) + 1;
    std::string bytes = damaged.substr(stretch, damaged.find("\n  0\n", damaged.find("hel\nlo")) + 1 - stretch);
    EXPECT_NE(saved.find(bytes), std::string::npos) << "the damaged MTEXT is not in the saved drawing as it stood";
    // Read again, it is damaged alike, and holds the table too.
    ASSERT_EQ(Run("blocks " + Path("with-table.dxf")), 0);
    EXPECT_NE(Out().find("QVT0001"), std::string::npos) << Out();
    EXPECT_NE(Err().find(": an MTEXT could not be read and was left out\n"), std::string::npos) << Err();
    // A script that opens and saves it changes not a byte.
    WriteFile(Path("session.txt"), "open " + Path("plan.dxf") + "\nsave " + Path("same.dxf") + "\n");
    ASSERT_EQ(Run("script " + Path("session.txt")), 0);
    EXPECT_TRUE(ReadFile(Path("same.dxf")) == damaged);
}

TEST_F(DamagedDrawing, AReportOverSeveralDrawingsSaysWhichWasDamaged) {
    ASSERT_EQ(Run("report " + Path("whole.dxf") + " " + Path("plan.dxf") + " --csv " + Path("both.csv")), 0);
    EXPECT_EQ(Err(), Note() + "vantorel: " + Path("plan.dxf") + ": counted from a damaged drawing: 1 object left out\n");
    EXPECT_EQ(ReadFile(Path("both.csv")), "Block name,Item Price,Quantity,whole.dxf,plan.dxf,Description,Total\r\n"
                                          "door,0.00,6,3,3,,0.00\r\n"
                                          "chair,0.00,4,2,2,,0.00\r\n"
                                          "Summary:,,,,,,0.00\r\n");
}

} // namespace
