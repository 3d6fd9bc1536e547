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
    // The one LibreDWG cannot read, against ezdxf's reading of what libdxfrw makes of it.
    ShellRun run = Shell(std::string("/usr/bin/python3 ") + DWG_CHECK_SCRIPT + " " + VANTOREL_EXE + " " + DWG_FALLBACK +
                         " " + kSamples + "/example_2004.dwg " + Path("converted") + " 2>&1");
    EXPECT_EQ(run.exitCode, 0) << run.out;
    EXPECT_TRUE(NothingLeft());
}

// A layer that is on in the drawing is on after the conversion, as libdxfrw has it too (LibreDWG's DXF writer marks
// every layer off), so that a plot of the drawing shows it.
TEST_F(DwgDrawing, LayersOnInTheDrawingStayOnAndItsPlotShowsIt) {
    for (const char* sample : {"example_2018", "2010_gh209_1", "2000_entities-2d"}) {
        std::string dwg = kSamples + "/" + sample + ".dwg";
        ASSERT_EQ(Shell(std::string("node ") + DWG_CONVERTER + " " + dwg + " " + Path("libredwg.dxf")).exitCode, 0);
        ASSERT_EQ(Shell(std::string("node ") + DWG_FALLBACK + " " + dwg + " " + Path("libdxfrw.dxf")).exitCode, 0);
        ShellRun layers = Shell("/usr/bin/python3 -c \"import ezdxf\n"
                                "for f in ['" + Path("libredwg.dxf") + "', '" + Path("libdxfrw.dxf") + "']:\n"
                                "    print(sorted((l.dxf.name, l.dxf.color > 0) for l in ezdxf.readfile(f).layers))\" 2>&1");
        ASSERT_EQ(layers.exitCode, 0) << layers.out;
        std::size_t split = layers.out.find('\n');
        EXPECT_EQ(layers.out.substr(0, split + 1), layers.out.substr(split + 1)) << sample;
        EXPECT_NE(layers.out.find("('0', True)"), std::string::npos) << sample << "\n" << layers.out;
    }
    ShellRun plot = Run("plot " + kSamples + "/example_2018.dwg -o " + Path("plan.png"));
    ASSERT_EQ(plot.exitCode, 0) << plot.out;
    ShellRun ink = Shell("/usr/bin/python3 -c \"import matplotlib.image as m; "
                         "print(int((m.imread('" + Path("plan.png") + "')[:, :, :3] < 0.8).any(axis=2).sum()) > 1000)\"");
    EXPECT_EQ(ink.out, "True\n");
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
    // Neither converter reads them: what the user can do is said.
    for (const char* name : {"truncated.dwg", "random.dwg"}) {
        ShellRun run = Run("blocks " + Path(name));
        EXPECT_EQ(run.exitCode, 3) << name;
        EXPECT_EQ(run.out, "vantorel: cannot convert " + Path(name) + " from DWG: LibreDWG could not read it; libdxfrw "
                           "could not read it either. Save the drawing as DXF in the program that made it, and open "
                           "that instead\n");
    }
    // LibreDWG failing inside, in its own words, and libdxfrw reading no R11 drawing.
    apptest::WriteFile(Path("boom.mjs"), "process.stderr.write('something went wrong\\nboom\\n'); process.exit(1);\n");
    ShellRun run = Run("blocks " + kSamples + "/r11_entities-2d.dwg",
                       "VANTOREL_DWG_CONVERTER=" + Path("boom.mjs") + " VANTOREL_DWG_FALLBACK_CONVERTER=" + DWG_FALLBACK);
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_EQ(run.out, "vantorel: cannot convert " + kSamples + "/r11_entities-2d.dwg from DWG: LibreDWG could not read it "
                       "(boom); libdxfrw could not read it either. Save the drawing as DXF in the program that made it, "
                       "and open that instead\n");
    EXPECT_TRUE(NothingLeft());
}

// LibreDWG fails inside on this drawing; libdxfrw reads its model space, and the user is told which converter read
// it and what that one leaves out.
TEST_F(DwgDrawing, ADrawingLibreDwgCannotReadIsReadByLibdxfrwAndSaidSo) {
    std::string drawing = kSamples + "/example_2004.dwg";
    const std::string note = "vantorel: " + drawing + ": LibreDWG could not read it (table index is out of bounds); read "
                             "by libdxfrw, which keeps no dynamic-block or extended data: check the counts\n";
    ShellRun run = Run("report " + drawing);
    EXPECT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(run.out, note + "Block name Item Price   Quantity          Description      Total\n"
                              "cirklo_punktoj       0.00          8                            0.00\n"
                              "     bloko       0.00          2                            0.00\n"
                              "  Summary:                                                  0.00\n");
    // A DXF from LibreDWG that cannot be read at all is made again by libdxfrw.
    apptest::WriteFile(Path("garbled.mjs"), "import { writeFileSync } from 'node:fs';\n"
                                            "writeFileSync(process.argv[3], '  0\\nSECTION\\n  2\\nHEADER\\n  9\\n');\n");
    run = Run("blocks " + kSamples + "/example_2018.dwg",
              "VANTOREL_DWG_CONVERTER=" + Path("garbled.mjs") + " VANTOREL_DWG_FALLBACK_CONVERTER=" + DWG_FALLBACK);
    EXPECT_EQ(run.exitCode, 0) << run.out;
    EXPECT_NE(run.out.find("vantorel: " + kSamples + "/example_2018.dwg: LibreDWG's DXF of it could not be read (line "),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("); read by libdxfrw, which keeps no dynamic-block or extended data: check the counts\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("CIRKLO_PUNKTOJ                                     8        0          0\n"), std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.find("twice"), std::string::npos) << run.out;
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
