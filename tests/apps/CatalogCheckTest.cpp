// `vantorel check-catalog`, and the same findings before a report: every line the module reads otherwise than its
// writer probably meant, with its place and what happens to it.
#include "AppTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using apptest::ReadFile;
using apptest::Shell;
using apptest::ShellRun;
using apptest::WriteFile;

class CatalogCheck : public ::testing::Test {
protected:
    void SetUp() override { dir = apptest::TestFolder("check-"); }
    std::string Path(const std::string& name) const { return (dir / name).string(); }
    ShellRun Vantorel(const std::string& arguments, std::string* errors = nullptr) const {
        return apptest::Vantorel(dir, arguments, errors);
    }
    std::filesystem::path dir;
};

TEST_F(CatalogCheck, EachLineReadOtherwiseThanMeantIsToldWithWhatHappensToIt) {
    WriteFile(Path("p.prc"), "chair|45.00|Office chair\r\n"   // clean, Windows line end
                             "desk|1,5|Desk\n"                  // decimal comma
                             "lamp|12 EUR|Lamp\n"               // not a number, counts as its start
                             "shelf|abc|Shelf\n"                // not a number at all
                             "\n"                               // empty: nothing to say
                             "just a note\n"                    // no bar
                             "|3|nameless\n"                    // no name
                             "bin||no price\n"                  // no price
                             "CHAIR|50|Chair again\n"           // the same name: this line wins
                             "sofa|1e3|Sofa\n"                  // an exponent: not a price as people write one
                             "door|5|Door|with a bar\n"         // a bar in the description
                             "bell\x07|1|Ding\n"                // a control character
                             " rug|2|Rug\n"                     // a blank before the name
                             + std::string(1200, 'x') + "|1|long\n"
                             "tail|1|no line end");
    ShellRun run = Vantorel("check-catalog " + Path("p.prc"));
    EXPECT_EQ(run.exitCode, 1);
    const std::string p = Path("p.prc");
    EXPECT_EQ(run.out,
              p + ":2: 1,5 counts as 1.00: write 1.5\n" +
              p + ":3: the price \"12 EUR\" is not a decimal number: it counts as 12.00\n" +
              p + ":4: the price \"abc\" is not a decimal number: it counts as 0.00\n" +
              p + ":6: no \"|\" in the line: it is left out (a line is NAME|PRICE|DESCRIPTION)\n" +
              p + ":7: no block name before the \"|\": the line is left out\n" +
              p + ":8: no price: the line is left out\n" +
              p + ":9: the block name \"CHAIR\" is given again (before on line 1): this line's price counts, line 1 "
                  "gets nothing\n" +
              p + ":10: the price \"1e3\" is not a decimal number: it counts as 1000.00\n" +
              p + ":11: the description holds a \"|\": \"with a bar\" after it is left out\n" +
              p + ":12: a control character (0x07) at byte 5: a name or description with it matches nothing typed\n" +
              p + ":13: the block name \" rug\" begins or ends with a blank: it matches only a block named so\n" +
              p + ":14: the line is 1207 bytes long: it is read 999 bytes at a time, each piece losing its last byte, "
                  "and what follows byte 998 is read as a line of its own\n" +
              p + ":15: the last line has no line end: it is left out; end it with Enter\n");

    // A report says the same on standard error first, and still reads the catalogue as it always has.
    ASSERT_EQ(Shell(std::string("/usr/bin/python3 ") + AUDIT_SCRIPT + " chairs " + Path("chairs.dxf")).exitCode, 0);
    std::string errors;
    ShellRun report = Vantorel("report " + Path("chairs.dxf") + " --catalog " + p, &errors);
    EXPECT_EQ(report.exitCode, 0);
    std::string told;
    for (std::size_t at = 0; (at = run.out.find(p, at)) != std::string::npos; at += p.size())
        told += "vantorel: " + run.out.substr(at, run.out.find('\n', at) + 1 - at);
    EXPECT_EQ(errors, told);
    EXPECT_NE(report.out.find("     chair      50.00"), std::string::npos) << report.out;
}

TEST_F(CatalogCheck, ExitZeroWhenCleanAndThreeWhenACatalogueCannotBeRead) {
    WriteFile(Path("clean.prc"), "chair|45.00|Office chair\ndesk|-3.5|Credit\nlamp|.5|\n");
    ShellRun run = Vantorel("check-catalog " + Path("clean.prc"));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "");
    std::string errors;
    run = Vantorel("check-catalog " + Path("clean.prc") + " " + Path("missing.prc"), &errors);
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_EQ(errors, "vantorel: cannot read " + Path("missing.prc") + ": No such file or directory\n");
    run = Vantorel("check-catalog " + dir.string(), &errors);
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_EQ(errors, "vantorel: cannot read " + dir.string() + ": it is a folder\n");
}

TEST_F(CatalogCheck, BytesThatAreNoCharacterOfTheCodePage) {
    WriteFile(Path("bytes.prc"), "caf\xE9|1|x\nb\x81n|2|y\n");
    // In 1252, é is a letter and 0x81 no character; in UTF-8 neither byte is text.
    ShellRun latin = Vantorel("--codepage 1252 check-catalog " + Path("bytes.prc"));
    EXPECT_EQ(latin.out, Path("bytes.prc") + ":2: byte 0x81 at byte 2 is no character of code page 1252: give "
                                             "--codepage for the catalogue's code page\n");
    ShellRun utf8 = Vantorel("--codepage utf-8 check-catalog " + Path("bytes.prc"));
    EXPECT_EQ(utf8.out, Path("bytes.prc") + ":1: not UTF-8 text (byte 0xE9 at byte 4): save the catalogue as UTF-8, "
                                            "or give --codepage for its code page\n" +
                            Path("bytes.prc") + ":2: not UTF-8 text (byte 0x81 at byte 2): save the catalogue as "
                                                "UTF-8, or give --codepage for its code page\n");
    // Equal names by the page's own case: СТОЛ and стол in UTF-8.
    WriteFile(Path("twice.prc"), "стол|1|a\nСТОЛ|2|b\n");
    EXPECT_EQ(Vantorel("--codepage utf-8 check-catalog " + Path("twice.prc")).out,
              Path("twice.prc") + ":2: the block name \"СТОЛ\" is given again (before on line 1): this line's price "
                                  "counts, line 1 gets nothing\n");
}

} // namespace
