// DWG drawings as a user opens them with `vantorel`: read through LibreDWG (node, a process of its own) with
// the counts ezdxf finds, saved only as DXF, and every way the conversion can fail said, with exit 3 and
// nothing left behind.
#include "AppTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

using apptest::Shell;
using apptest::ShellRun;

const std::string kSamples = DWG_SAMPLES_DIR;

class DwgDrawing : public ::testing::Test {
protected:
    void SetUp() override {
        dir = apptest::TestFolder("dwg-");
        std::filesystem::create_directories(dir / "tmp");
    }
    // `vantorel ARGUMENTS`, its temporary files in a folder of the test's own; stdout and stderr together.
    ShellRun Run(const std::string& arguments, const std::string& environment = "") const {
        return Shell("TMPDIR=" + (dir / "tmp").string() + " LSAN_OPTIONS=\"$LSAN_OPTIONS:print_suppressions=0\" " +
                     environment + " " + VANTOREL_EXE + " " + arguments + " 2>&1");
    }
    bool NothingLeft() const { return std::filesystem::is_empty(dir / "tmp"); }
    std::string Path(const std::string& name) const { return (dir / name).string(); }
    std::filesystem::path dir;
};

TEST_F(DwgDrawing, EverySampleTheConverterReadsHasTheCountsEzdxfFinds) {
    for (const char* sample : {"example_2018", "2000_entities-2d", "2010_gh209_1"}) {
        ShellRun run = Shell(std::string("/usr/bin/python3 ") + DWG_CHECK_SCRIPT + " " + VANTOREL_EXE + " " +
                             DWG_CONVERTER + " " + kSamples + "/" + sample + ".dwg " + Path("converted") + " 2>&1");
        EXPECT_EQ(run.exitCode, 0) << sample << "\n" << run.out;
    }
    EXPECT_TRUE(NothingLeft());
}

TEST_F(DwgDrawing, TheOldestDwgIsReadAndADwgIsToldByItsBytesNotItsName) {
    ShellRun run = Run("blocks " + kSamples + "/r11_entities-2d.dwg");
    EXPECT_EQ(run.exitCode, 0) << run.out;
    EXPECT_NE(run.out.find("BLOCK1                                             1        0          0\n"), std::string::npos)
        << run.out;
    std::filesystem::copy_file(kSamples + "/example_2018.dwg", Path("plan.dxf"));
    run = Run("blocks " + Path("plan.dxf"));
    EXPECT_EQ(run.exitCode, 0) << run.out;
    EXPECT_NE(run.out.find("CIRKLO_PUNKTOJ                                     8        0          0\n"), std::string::npos)
        << run.out;
    EXPECT_TRUE(NothingLeft());
}

TEST_F(DwgDrawing, AReportOnADwgIsSavedAsDxfAndNeverAsDwg) {
    std::string out = Path("with-table.dxf");
    ShellRun run = Run("report " + kSamples + "/example_2018.dwg --table 0,0 -o " + out);
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_NE(run.out.find("  Summary:"), std::string::npos) << run.out;
    std::string audit = apptest::AuditTable(out, "QVT0001");
    EXPECT_NE(audit.find("audit errors 0\n"), std::string::npos) << audit;
    EXPECT_NE(audit.find("INSERT 0,0 scale 1,1\n"), std::string::npos) << audit;
    run = Run("report " + kSamples + "/example_2018.dwg --table 0,0 -o " + Path("plan.DWG"));
    EXPECT_EQ(run.exitCode, 64);
    EXPECT_EQ(run.out, "vantorel: -o takes a name ending in .dxf: drawings are saved as DXF, and DWG cannot be "
                       "written here\n");
    // A script saves it under a DXF name, never over the DWG file it came from.
    std::filesystem::copy_file(kSamples + "/example_2018.dwg", Path("plan.dwg"));
    apptest::WriteFile(Path("save.txt"), "open " + Path("plan.dwg") + "\nsave " + Path("plan.dwg") + "\n");
    run = Run("script " + Path("save.txt"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "vantorel: " + Path("plan.dwg") + ": the drawing was read from the DWG file " + Path("plan.dwg") +
                           ", and DWG cannot be written here: save it under a name ending in .dxf\n");
    apptest::WriteFile(Path("save.txt"), "open " + Path("plan.dwg") + "\nsave " + Path("plan.dxf") + "\n");
    run = Run("script " + Path("save.txt"));
    EXPECT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(apptest::ReadFile(Path("plan.dwg")), apptest::ReadFile(kSamples + "/example_2018.dwg"));
    EXPECT_TRUE(NothingLeft());
}

TEST_F(DwgDrawing, ADrawingTheConverterCannotReadIsSaidWithExit3AndLeavesNothing) {
    std::string sample = apptest::ReadFile(kSamples + "/example_2018.dwg");
    apptest::WriteFile(Path("truncated.dwg"), sample.substr(0, 3000));
    std::string random = sample.substr(0, 6);
    for (int i = 0; i < 20000; ++i)
        random += static_cast<char>((i * 7919 + 13) % 251);
    apptest::WriteFile(Path("random.dwg"), random);
    for (const char* name : {"truncated.dwg", "random.dwg"}) {
        ShellRun run = Run("blocks " + Path(name));
        EXPECT_EQ(run.exitCode, 3) << name;
        EXPECT_EQ(run.out, "vantorel: cannot convert " + Path(name) + " from DWG: LibreDWG could not read it\n");
    }
    // LibreDWG fails inside on this one: its own words are the reason.
    ShellRun run = Run("report " + kSamples + "/example_2004.dwg");
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_EQ(run.out, "vantorel: cannot convert " + kSamples + "/example_2004.dwg from DWG: table index is out of bounds\n");
    EXPECT_TRUE(NothingLeft());
}

TEST_F(DwgDrawing, AConverterThatHangsIsStoppedAndAMissingOneIsNamed) {
    apptest::WriteFile(Path("hang.mjs"), "setTimeout(() => {}, 600000);\n");
    std::string drawing = kSamples + "/example_2018.dwg";
    ShellRun run = Run("blocks " + drawing, "VANTOREL_DWG_CONVERTER=" + Path("hang.mjs") + " VANTOREL_DWG_TIMEOUT=1");
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_EQ(run.out, "vantorel: cannot convert " + drawing + " from DWG: the converter ran past 1 s and was stopped\n");
    run = Run("blocks " + drawing, "VANTOREL_DWG_CONVERTER=/nonexistent/dwg2dxf.mjs");
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_EQ(run.out, "vantorel: cannot convert " + drawing + " from DWG: the DWG converter is not installed here; run "
                       "scripts/install-deps.sh (it needs Node.js and npm)\n");
    run = Run("blocks " + drawing, "VANTOREL_NODE=/nonexistent/node");
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_EQ(run.out, "vantorel: cannot convert " + drawing + " from DWG: Node.js (node) is not installed here; install "
                       "it (apt-get install nodejs npm) and run scripts/install-deps.sh\n");
    EXPECT_TRUE(NothingLeft());
}

} // namespace
