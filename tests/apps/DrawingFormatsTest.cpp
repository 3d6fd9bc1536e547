// Drawings in every form a user has them, through `vantorel`: binary DXF of each release, read as its ASCII twin
// is and saved as binary again; names in the double-byte code pages, priced by catalogue lines in them.
#include "AppTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

using apptest::ReadFile;
using apptest::Shell;
using apptest::ShellRun;
using apptest::WriteFile;

class DrawingFormats : public ::testing::Test {
protected:
    void SetUp() override {
        dir = apptest::TestFolder("formats-");
    }
    std::string Path(const std::string& name) const { return (dir / name).string(); }
    // An ezdxf drawing with two references of each block NAME (names in UTF-8).
    std::string Drawing(const std::string& name, const std::string& version, const std::string& page,
                        const std::string& format, const std::string& names) const {
        std::string path = Path(name);
        ShellRun made = Shell(std::string("/usr/bin/python3 ") + AUDIT_SCRIPT + " drawn " + path + " " + version + " " +
                              page + " " + format + " " + names + " 2>&1");
        EXPECT_EQ(made.exitCode, 0) << made.out;
        return path;
    }
    ShellRun Vantorel(const std::string& arguments) const {
        return Shell("LSAN_OPTIONS=\"$LSAN_OPTIONS:print_suppressions=0\" " + std::string(VANTOREL_EXE) + " " +
                     arguments + " 2>&1");
    }
    std::filesystem::path dir;
};

TEST_F(DrawingFormats, BinaryDxfOfEveryReleaseIsCountedAsItsAsciiTwinAndSavedAsBinary) {
    const std::string kSentinel("AutoCAD Binary DXF\r\n\x1a\0", 22);
    for (const char* version : {"R12", "R2000", "R2004", "R2018"}) {
        std::string binary = Drawing(std::string(version) + "-bin.dxf", version, "1252", "bin", "chair DESK");
        std::string ascii = Drawing(std::string(version) + ".dxf", version, "1252", "asc", "chair DESK");
        ASSERT_EQ(ReadFile(binary).substr(0, 22), kSentinel);
        ShellRun counted = Vantorel("blocks " + binary);
        EXPECT_EQ(counted.exitCode, 0) << counted.out;
        EXPECT_EQ(counted.out, Vantorel("blocks " + ascii).out) << version;
        EXPECT_NE(counted.out.find("DESK "), std::string::npos) << counted.out;

        std::string out = Path(std::string(version) + "-table.dxf");
        ShellRun report = Vantorel("report " + binary + " --table 0,0 -o " + out);
        ASSERT_EQ(report.exitCode, 0) << report.out;
        EXPECT_EQ(ReadFile(out).substr(0, 22), kSentinel) << version;
        std::string audit = apptest::AuditTable(out, "QVT0001");
        EXPECT_NE(audit.find("audit errors 0\n"), std::string::npos) << version << "\n" << audit;
        EXPECT_NE(audit.find("ATTDEF BLOCKNAME1 'chair'"), std::string::npos) << audit;
        EXPECT_NE(audit.find("INSERT 0,0 scale 1,1\n"), std::string::npos) << audit;

        // Opened and saved without a change, the file is the same to the byte.
        WriteFile(Path("save.txt"), "open " + binary + "\nsave " + Path("copy.dxf") + "\n");
        ShellRun saved = Vantorel("script " + Path("save.txt"));
        EXPECT_EQ(saved.exitCode, 0) << saved.out;
        EXPECT_TRUE(ReadFile(Path("copy.dxf")) == ReadFile(binary)) << version;
    }
}

TEST_F(DrawingFormats, ABrokenBinaryDxfIsToldByTheByteWhereItBreaks) {
    std::string whole = ReadFile(Drawing("whole.dxf", "R2018", "1252", "bin", "chair"));
    WriteFile(Path("cut.dxf"), whole.substr(0, whole.size() / 2));
    ShellRun run = Vantorel("blocks " + Path("cut.dxf"));
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_EQ(run.out.rfind("vantorel: " + Path("cut.dxf") + ", byte ", 0), 0u) << run.out;
    EXPECT_NE(run.out.find(": the file ends inside the value of group code"), std::string::npos) << run.out;
}

// 中门 (middle door) in GBK, the bytes of code page 936.
const std::string kDoorGbk = "\xD6\xD0\xC3\xC5";

TEST_F(DrawingFormats, AChineseNameIsPricedByAChineseCatalogueLineUnderCodePage936) {
    WriteFile(Path("doors.prc"), kDoorGbk + "|7.5|wood door\n");
    const std::string expected = "Block name Item Price   Quantity          Description      Total\n"
                                 "      " + kDoorGbk + "       7.50          2            wood door      15.00\n"
                                 "      door       0.00          2                            0.00\n"
                                 "  Summary:                                                 15.00\n";
    // UTF-8 in R2007 and later; the file's own code page before; ASCII and binary alike.
    for (auto [version, format] : {std::pair{"R2018", "asc"}, std::pair{"R2010", "bin"}, std::pair{"R2004", "asc"},
                                   std::pair{"R2000", "bin"}}) {
        std::string drawing = Drawing(std::string("doors") + version + ".dxf", version, "936", format,
                                      "\xE4\xB8\xAD\xE9\x97\xA8 DOOR");
        std::string out = Path(std::string("table") + version + ".dxf");
        ShellRun run = Vantorel("--codepage 936 report " + drawing + " --catalog " + Path("doors.prc") + " --text " +
                                Path("doors.txt") + " --table 0,0 -o " + out);
        ASSERT_EQ(run.exitCode, 0) << run.out;
        EXPECT_EQ(run.out, expected) << version;
        EXPECT_EQ(ReadFile(Path("doors.txt")), expected);
        // The table's cell holds the name as the drawing's own text: ezdxf reads it back as 中门.
        std::string audit = apptest::AuditTable(out, "QVT0001");
        EXPECT_NE(audit.find("audit errors 0\n"), std::string::npos) << audit;
        EXPECT_NE(audit.find("ATTDEF BLOCKNAME1 '\xE4\xB8\xAD\xE9\x97\xA8'"), std::string::npos) << version << "\n" << audit;
    }
}

TEST_F(DrawingFormats, EachDoubleBytePageKeepsItsNamesApartAndWhole) {
    // ア (83 41) and ヂ (83 61) differ only in a trail byte that reads as A or a: two blocks, not one.
    std::string japanese = Drawing("kana.dxf", "R2004", "932", "asc", "\xE3\x82\xA2 \xE3\x83\x82");
    ShellRun run = Vantorel("--codepage 932 report " + japanese);
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(run.out, "Block name Item Price   Quantity          Description      Total\n"
                       "        \x83\x41       0.00          2                            0.00\n"
                       "        \x83\x61       0.00          2                            0.00\n"
                       "  Summary:                                                  0.00\n");
    for (auto [page, bytes] : {std::pair{"949", "\xC7\xD1"}, std::pair{"950", "\xA4\xA4"}}) {
        std::string drawing = Drawing(std::string("page") + page + ".dxf", "R2018", page, "asc",
                                      std::string(page) == "949" ? "\xED\x95\x9C" : "\xE4\xB8\xAD");
        run = Vantorel(std::string("--codepage ") + page + " report " + drawing);
        ASSERT_EQ(run.exitCode, 0) << run.out;
        EXPECT_NE(run.out.find(std::string("\n        ") + bytes + "       0.00          2"), std::string::npos)
            << page << "\n" << run.out;
    }
    // Under a page without them the names stay as escapes, and the user is told.
    run = Vantorel("report " + japanese);
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_NE(run.out.find("\\u+30a2"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("code page 1252 cannot show"), std::string::npos) << run.out;
}

} // namespace
