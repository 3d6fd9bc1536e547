// Text as a Linux user has it, through `vantorel`: UTF-8 as the active code page (from the locale or
// --codepage), names of every script matched by their case and lined up by the columns they show in, catalogues
// with a byte-order mark or with lines that are no UTF-8, and a terminal that gets its own character set.
#include "AppTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using apptest::ReadFile;
using apptest::Shell;
using apptest::ShellRun;
using apptest::WriteFile;

const std::string kCatalogue = "стол|12.5|Письменный стол\n"
                               "étagère|3|shelf\n"
                               "τραπέζι|4|Τραπέζι\n"
                               "שולחן|5|שולחן עבודה\n"
                               "桌子|6|中文桌子\n";

class TextAtHome : public ::testing::Test {
protected:
    void SetUp() override {
        dir = apptest::TestFolder("text-");
        // The names in capitals where the script has them: the catalogue's small letters must find them.
        Drawn("r2018.dxf", "R2018", "1252", "asc", "СТОЛ ÉTAGÈRE ΤΡΑΠΈΖΙ שולחן 桌子 chair");
        Drawn("r2000.dxf", "R2000", "1251", "bin", "СТОЛ");
        WriteFile(Path("cat.prc"), kCatalogue);
    }
    std::string Path(const std::string& name) const { return (dir / name).string(); }
    void Drawn(const std::string& name, const std::string& version, const std::string& page, const std::string& format,
               const std::string& names) const {
        ShellRun made = Shell(std::string("/usr/bin/python3 ") + AUDIT_SCRIPT + " drawn " + Path(name) + " " + version +
                              " " + page + " " + format + " " + names + " 2>&1");
        ASSERT_EQ(made.exitCode, 0) << made.out;
    }
    // Standard output; standard error in `errors`. `locale` is the run's LC_ALL.
    ShellRun Vantorel(const std::string& arguments, std::string* errors = nullptr,
                      const std::string& locale = "C") const {
        return apptest::Vantorel(dir, arguments, errors, "LC_ALL=" + locale);
    }
    std::filesystem::path dir;
};

const std::string kUtf8Report = "Block name Item Price   Quantity          Description      Total\n"
                                "      стол      12.50          4      Письменный стол      50.00\n"
                                "   étagère       3.00          2                shelf       6.00\n"
                                "   τραπέζι       4.00          2              Τραπέζι       8.00\n"
                                "     שולחן       5.00          2          שולחן עבודה      10.00\n"
                                "      桌子       6.00          2             中文桌子      12.00\n"
                                "     chair       0.00          2                            0.00\n"
                                "  Summary:                                                 86.00\n";

TEST_F(TextAtHome, EveryScriptIsPricedByItsSmallLettersAndLinedUpByTheColumnsItShows) {
    std::string errors;
    // One drawing in UTF-8 (R2018), one in code page 1251 (R2000, binary): both become UTF-8.
    ShellRun run = Vantorel("--codepage utf-8 report " + Path("r2018.dxf") + " " + Path("r2000.dxf") + " --catalog " +
                                Path("cat.prc") + " --text " + Path("bom.txt") + " --csv " + Path("bom.csv"),
                            &errors);
    ASSERT_EQ(run.exitCode, 0) << errors;
    EXPECT_EQ(run.out, kUtf8Report);
    EXPECT_EQ(errors, "");
    EXPECT_EQ(ReadFile(Path("bom.txt")), kUtf8Report);
    ShellRun csv = Shell(std::string("/usr/bin/python3 ") + EXPORT_CHECK + " csv " + Path("bom.csv"));
    EXPECT_EQ(csv.out, "line ends CRLF\n"
                       "['Block name', 'Item Price', 'Quantity', 'r2018.dxf', 'r2000.dxf', 'Description', 'Total']\n"
                       "['стол', '12.50', '4', '2', '2', 'Письменный стол', '50.00']\n"
                       "['étagère', '3.00', '2', '2', '0', 'shelf', '6.00']\n"
                       "['τραπέζι', '4.00', '2', '2', '0', 'Τραπέζι', '8.00']\n"
                       "['שולחן', '5.00', '2', '2', '0', 'שולחן עבודה', '10.00']\n"
                       "['桌子', '6.00', '2', '2', '0', '中文桌子', '12.00']\n"
                       "['chair', '0.00', '2', '2', '0', '', '0.00']\n"
                       "['Summary:', '', '', '', '', '', '86.00']\n");
    // The table's cells hold the names as the drawing's own UTF-8.
    run = Vantorel("--codepage 65001 report " + Path("r2018.dxf") + " --catalog " + Path("cat.prc") +
                   " --table 0,0 -o " + Path("table.dxf"));
    ASSERT_EQ(run.exitCode, 0);
    std::string audit = apptest::AuditTable(Path("table.dxf"), "QVT0001");
    EXPECT_NE(audit.find("audit errors 0\n"), std::string::npos) << audit;
    EXPECT_NE(audit.find("ATTDEF BLOCKNAME1 'стол'"), std::string::npos) << audit;
    EXPECT_NE(audit.find("'Письменный стол'"), std::string::npos) << audit;
}

TEST_F(TextAtHome, TheLocaleChoosesUtf8AndCodepageOverridesIt) {
    std::string errors;
    std::string arguments = "report " + Path("r2018.dxf") + " " + Path("r2000.dxf") + " --catalog " + Path("cat.prc");
    EXPECT_EQ(Vantorel(arguments, nullptr, "C.UTF-8").out, kUtf8Report);
    EXPECT_EQ(Vantorel(arguments, nullptr, "ru_RU.utf8").out, kUtf8Report);
    // A locale of no UTF-8: 1252, as the module was made, and the Cyrillic is kept as escapes.
    ShellRun latin = Vantorel(arguments, &errors, "C");
    EXPECT_NE(latin.out.find("\\u+0421\\u+0422\\u+041e\\u+041b       0.00          4"), std::string::npos) << latin.out;
    EXPECT_NE(errors.find("code page 1252 cannot show"), std::string::npos) << errors;
    EXPECT_EQ(Vantorel("--codepage utf-8 " + arguments, nullptr, "C").out, kUtf8Report);
    ShellRun unknown = Vantorel("--codepage 4242 " + arguments, &errors);
    EXPECT_EQ(unknown.exitCode, 64);
    EXPECT_EQ(errors, "vantorel: code page 4242 is not known here; --codepage takes utf-8 (or 65001), 874, 1250 to "
                      "1258, 932, 936, 949 or 950\n");
}

TEST_F(TextAtHome, ACatalogueWithAByteOrderMarkIsUtf8WhateverThePage) {
    WriteFile(Path("bom.prc"), "\xEF\xBB\xBF" "стол|12.5|Стол\n");
    std::string errors;
    // In UTF-8 the mark is passed over, and the first line matches.
    ShellRun run = Vantorel("--codepage utf-8 report " + Path("r2000.dxf") + " --catalog " + Path("bom.prc"), &errors);
    EXPECT_EQ(run.out, "Block name Item Price   Quantity          Description      Total\n"
                       "      стол      12.50          2                 Стол      25.00\n"
                       "  Summary:                                                 25.00\n");
    EXPECT_EQ(errors, "");
    // In 1251 the text is converted to it, which is said once.
    run = Vantorel("--codepage 1251 report " + Path("r2000.dxf") + " --catalog " + Path("bom.prc"), &errors);
    EXPECT_EQ(run.out, "Block name Item Price   Quantity          Description      Total\n"
                       "      \xF1\xF2\xEE\xEB      12.50          2                 \xD1\xF2\xEE\xEB      25.00\n"
                       "  Summary:                                                 25.00\n");
    EXPECT_EQ(errors, "vantorel: " + Path("bom.prc") +
                          ": UTF-8 with a byte-order mark: read converted to code page 1251\n");
    // The catalogue editor says it on the command line.
    WriteFile(Path("session.txt"), "command KXBOMT\nclick Open\nfile " + Path("bom.prc") + "\ndump 201\nclick Close\n");
    run = Vantorel("--codepage 1251 script " + Path("session.txt"));
    EXPECT_EQ(run.exitCode, 0) << run.out;
    EXPECT_NE(run.out.find("\nbom.prc is UTF-8 (it starts with a byte-order mark): its text was converted to code page "
                           "1251.\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("\xF1\xF2\xEE\xEB"), std::string::npos) << run.out;
}

TEST_F(TextAtHome, ACatalogueLineThatIsNotUtf8IsSaidWithItsNumber) {
    WriteFile(Path("latin.prc"), "стол|1|x\n\xE9tag\xE8re|3|shelf\n");
    std::string errors;
    ShellRun run = Vantorel("--codepage utf-8 report " + Path("r2018.dxf") + " --catalog " + Path("latin.prc"), &errors);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(errors, "vantorel: " + Path("latin.prc") +
                          ":2: not UTF-8 text (byte 0xE9 at byte 1): save the catalogue as UTF-8, or give --codepage "
                          "for its code page\n");
    WriteFile(Path("session.txt"), "command KXBOMT\nclick Open\nfile " + Path("latin.prc") + "\nclick Close\n");
    run = Vantorel("--codepage utf-8 script " + Path("session.txt"));
    EXPECT_NE(run.out.find("\nlatin.prc, line 2: not UTF-8 text (byte 0xE9 at byte 1): save the catalogue as UTF-8.\n"),
              std::string::npos)
        << run.out;
}

// The reader takes a catalogue 999 bytes at a time: in UTF-8 a piece ends before a character it would cut, so
// the rest of a long line starts with a whole letter.
TEST_F(TextAtHome, ALongLineIsCutBetweenCharacters) {
    WriteFile(Path("long.prc"), std::string(998, 'a') + "стол|7|x\n");
    ShellRun run = Vantorel("--codepage utf-8 report " + Path("r2000.dxf") + " --catalog " + Path("long.prc"));
    EXPECT_EQ(run.out, "Block name Item Price   Quantity          Description      Total\n"
                       "      стол       7.00          2                    x      14.00\n"
                       "  Summary:                                                 14.00\n");
}

TEST_F(TextAtHome, ATerminalGetsItsOwnCharacterSetAndAPipeTheCodePagesBytes) {
    WriteFile(Path("c1251.prc"), "\xD1\xD2\xCE\xCB|1|\xD1\xF2\xEE\xEB\n"); // СТОЛ|1|Стол in 1251
    std::string arguments = "--codepage 1251 report " + Path("r2000.dxf") + " --catalog " + Path("c1251.prc");
    ShellRun terminal = Shell("LC_ALL=C.UTF-8 LSAN_OPTIONS=\"$LSAN_OPTIONS:print_suppressions=0\" /usr/bin/python3 " + std::string(TERMINAL_RUN) + " " + Path("tty.out") +
                              " " + VANTOREL_EXE + " " + arguments);
    EXPECT_EQ(terminal.exitCode, 0);
    EXPECT_EQ(ReadFile(Path("tty.out")), "Block name Item Price   Quantity          Description      Total\n"
                                         "      стол       1.00          2                 Стол       2.00\n"
                                         "  Summary:                                                  2.00\n");
    // Standard error too, on the terminal: a message naming a file with Cyrillic in it.
    ShellRun missing = Shell("LC_ALL=C.UTF-8 LSAN_OPTIONS=\"$LSAN_OPTIONS:print_suppressions=0\" /usr/bin/python3 " + std::string(TERMINAL_RUN) + " " + Path("tty2.out") +
                             " " + VANTOREL_EXE + " --codepage 1251 blocks " + Path("\xEF\xE0\xEF\xEA\xE0.dxf"));
    EXPECT_EQ(missing.exitCode, 3);
    EXPECT_NE(ReadFile(Path("tty2.out")).find("папка.dxf"), std::string::npos) << ReadFile(Path("tty2.out"));
    ShellRun piped = Vantorel(arguments, nullptr, "C.UTF-8");
    EXPECT_NE(piped.out.find("\n      \xF1\xF2\xEE\xEB       1.00"), std::string::npos) << piped.out;
}

} // namespace
