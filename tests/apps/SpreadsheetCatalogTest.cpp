// Prices kept in spreadsheets: a CSV or XLSX file as the report's catalogue, in the catalogue editor while
// BOMFILEFORMATS is on, and convert-catalog between them and catalogues. Workbooks are price_sheets.py's
// (openpyxl); what we write is read back by Python's csv and by openpyxl.
#include "AppTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using apptest::kReportHead;
using apptest::ReadFile;
using apptest::ReportRow;
using apptest::ReportSummary;
using apptest::Shell;
using apptest::ShellRun;
using apptest::WriteFile;

class SpreadsheetCatalog : public apptest::ScriptedSession {
protected:
    void SetUp() override {
        ScriptedSession::SetUp();
        // Converted catalogues are kept in the cache folder: the test's own.
        environment = "XDG_CACHE_HOME=" + Path("cache") + " LC_ALL=C.UTF-8";
    }
    std::string Sheet(const std::string& kind) const {
        std::string path = Path(kind + ".xlsx");
        ShellRun made = Shell(std::string("/usr/bin/python3 ") + PRICE_SHEETS + " " + kind + " " + path + " 2>&1");
        EXPECT_EQ(made.exitCode, 0) << made.out;
        return path;
    }
    std::string Drawing() const { return CountingDrawing("attributed"); }
    ShellRun Run(const std::string& arguments, std::string* errors = nullptr) const {
        return apptest::Vantorel(dir, arguments, errors, environment);
    }
    std::string environment;
};

TEST_F(SpreadsheetCatalog, AWorkbookPricesTheReportAndWhatItCannotHoldIsSaidByCell) {
    std::string errors;
    ShellRun run = Run("report " + Drawing() + " --catalog " + Sheet("headed") + " --nested --json " + Path("r.json"),
                       &errors);
    ASSERT_EQ(run.exitCode, 0) << errors;
    // The heading row names the columns in its own order; the second sheet is not read; a price as text counts as
    // one written as a number; TINY is priced as it shows (12.3).
    EXPECT_EQ(run.out, kReportHead + ReportRow("desk", "250.00", 5, "Oak desk", "1250.00") +
                           ReportRow("chair", "45.50", 7, "Chair, oak", "318.50") + ReportRow("room", "0.00", 3, "Room", "0.00") +
                           ReportRow("tiny", "12.30", 0, "Tiny", "0.00") +
                           ReportSummary("1568.50"));
    EXPECT_EQ(errors,
              "vantorel: headed.xlsx, sheet Prices, B4: the price \"abc\" is not a decimal number: it counts as 0.00\n"
              "vantorel: headed.xlsx, sheet Prices, C5: the name \"A|B\" holds a \"|\", which ends it in a catalogue "
              "line: the row is left out\n"
              "vantorel: headed.xlsx, sheet Prices, B6: no price: the report leaves the row of LAMP out\n"
              "vantorel: headed.xlsx, sheet Prices, A8: the text holds a line break, which a catalogue line cannot: "
              "the row is left out\n");
    // The exports name the workbook, not the catalogue made of it.
    EXPECT_NE(ReadFile(Path("r.json")).find("\"catalog\": \"" + Path("headed.xlsx") + "\""), std::string::npos);

    // A CSV in the language of semicolons, with a byte-order mark, and no heading row; and the same over several
    // drawings.
    WriteFile(Path("prices.csv"), "\xEF\xBB\xBF" "DESK;100;Desk, plain\r\n\"CHAIR\";\"9.5\";\"A \"\"good\"\" one\"\r\n");
    run = Run("report " + Drawing() + " --catalog " + Path("prices.csv"), &errors);
    ASSERT_EQ(run.exitCode, 0) << errors;
    EXPECT_EQ(errors, "");
    EXPECT_NE(run.out.find(ReportRow("desk", "100.00", 2, "Desk, plain", "200.00") +
                           ReportRow("chair", "9.50", 1, "A \"good\" one", "9.50")),
              std::string::npos)
        << run.out;
    std::filesystem::copy_file(Drawing(), Path("second.dxf"), std::filesystem::copy_options::overwrite_existing);
    run = Run("report " + Drawing() + " " + Path("second.dxf") + " --catalog " + Path("prices.csv") + " --json " +
                  Path("m.json"),
              &errors);
    ASSERT_EQ(run.exitCode, 0) << errors;
    EXPECT_NE(run.out.find(ReportRow("desk", "100.00", 4, "Desk, plain", "400.00")), std::string::npos) << run.out;
    EXPECT_NE(ReadFile(Path("m.json")).find("\"catalog\": \"" + Path("prices.csv") + "\""), std::string::npos);

    // What cannot be a catalogue at all.
    WriteFile(Path("broken.xlsx"), "PK\x03\x04 not really");
    run = Run("report " + Drawing() + " --catalog " + Path("broken.xlsx"), &errors);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(errors.rfind("vantorel: " + Path("broken.xlsx") + ": it is no XLSX workbook (not a zip archive: ", 0), 0u)
        << errors;
    run = Run("report " + Drawing() + " --catalog " + Sheet("nameless"), &errors);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(errors, "vantorel: nameless.xlsx, sheet Sheet, row 1 names columns but not the block name (Block name, "
                      "Block or Name): name both, or leave the heading row out and give name, price and description "
                      "in that order\n");
}

TEST_F(SpreadsheetCatalog, ConvertCatalogGoesEveryWayAndBackToTheSameBytes) {
    // A catalogue as users' files are: CRLF line ends, a line without "|", one with a bar in its description,
    // commas and quotes, an empty line, a price that is no number, and a last line without its end.
    std::string catalogue = "DESK|250.00|Oak desk\r\nnote without bars\r\nCHAIR|45|Chair, \"oak\"\r\n\r\n"
                            "LAMP|x|with | a bar\r\nÉTAGÈRE|12.5\r\nSHELF|3|last";
    WriteFile(Path("prices.prc"), catalogue);
    std::string errors;
    ShellRun run = Run("convert-catalog " + Path("prices.prc") + " " + Path("prices.csv"), &errors);
    EXPECT_EQ(run.exitCode, 0) << errors;
    EXPECT_EQ(ReadFile(Path("prices.csv")),
              "Block name,Item Price,Description\r\nDESK,250.00,Oak desk\r\nnote without bars\r\n"
              "CHAIR,45,\"Chair, \"\"oak\"\"\"\r\n\r\nLAMP,x,with | a bar\r\nÉTAGÈRE,12.5\r\nSHELF,3,last");
    EXPECT_EQ(Shell(std::string("/usr/bin/python3 ") + EXPORT_CHECK + " csv " + Path("prices.csv")).out,
              "line ends CRLF\n['Block name', 'Item Price', 'Description']\n['DESK', '250.00', 'Oak desk']\n"
              "['note without bars']\n['CHAIR', '45', 'Chair, \"oak\"']\n[]\n['LAMP', 'x', 'with | a bar']\n"
              "['ÉTAGÈRE', '12.5']\n['SHELF', '3', 'last']\n");
    run = Run("convert-catalog " + Path("prices.csv") + " " + Path("again.prc"), &errors);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(ReadFile(Path("again.prc")), catalogue);
    EXPECT_EQ(errors, "vantorel: prices.csv, B3: no price: the report leaves the row of note without bars out\n"
                      "vantorel: prices.csv, B6: the price \"x\" is not a decimal number: it counts as 0.00\n"
                      "vantorel: prices.csv, C6: the description holds a \"|\": what follows it is not read\n");
    // In code page 1252 the same bytes are other text, and still come back as they were.
    std::string latin = "DESK|250.00|Eiche \xE9\xE8\nCHAIR|45|\n";
    WriteFile(Path("latin.prc"), latin);
    run = Run("--codepage 1252 convert-catalog " + Path("latin.prc") + " " + Path("latin.csv"), &errors);
    EXPECT_EQ(ReadFile(Path("latin.csv")), "Block name,Item Price,Description\nDESK,250.00,Eiche éè\nCHAIR,45,\n");
    run = Run("--codepage 1252 convert-catalog " + Path("latin.csv") + " " + Path("latin-again.prc"), &errors);
    EXPECT_EQ(ReadFile(Path("latin-again.prc")), latin);

    // To a workbook and back: prices that are numbers become numbers shown with two decimals.
    run = Run("convert-catalog " + Path("prices.prc") + " " + Path("prices.xlsx"), &errors);
    EXPECT_EQ(run.exitCode, 0) << errors;
    EXPECT_EQ(Shell(std::string("/usr/bin/python3 ") + PRICE_SHEETS + " read " + Path("prices.xlsx")).out,
              "sheet Prices frozen A2\n['Block name', 'Item Price', 'Description']\n['DESK', 250, 'Oak desk']\n"
              "['note without bars', None, None]\n['CHAIR', 45, 'Chair, \"oak\"']\n['LAMP', 'x', 'with | a bar']\n"
              "['ÉTAGÈRE', 12.5, None]\n['SHELF', 3, 'last']\n");
    run = Run("convert-catalog " + Path("prices.xlsx") + " " + Path("from-book.prc"), &errors);
    EXPECT_EQ(ReadFile(Path("from-book.prc")), "DESK|250|Oak desk\nnote without bars||\nCHAIR|45|Chair, \"oak\"\n"
                                               "LAMP|x|with | a bar\nÉTAGÈRE|12.5|\nSHELF|3|last\n");
    run = Run("convert-catalog " + Sheet("plain") + " " + Path("plain.csv"), &errors);
    EXPECT_EQ(run.exitCode, 0) << errors;
    EXPECT_EQ(ReadFile(Path("plain.csv")),
              "Block name,Item Price,Description\ndesk,250.5,Oak desk\nСтол,99,\"Table, ash\"\nCHAIR,45,\n");

    // Names that say no format, and a file that is not there.
    run = Run("convert-catalog " + Path("prices.prc") + " " + Path("prices.ods"), &errors);
    EXPECT_EQ(run.exitCode, 64);
    EXPECT_EQ(errors, "vantorel: " + Path("prices.ods") +
                          ": a catalogue's name ends in .prc, .csv or .xlsx, which says its format\n");
    run = Run("convert-catalog " + Path("none.xlsx") + " " + Path("none.prc"), &errors);
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_EQ(errors, "vantorel: cannot open " + Path("none.xlsx") + "\n");
    EXPECT_FALSE(HasFile("none.prc"));
}

TEST_F(SpreadsheetCatalog, TheCatalogueEditorOpensAWorkbookWhileTheSwitchIsOn) {
    std::string script = "open " + Drawing() + "\nsetvar BOMFILEFORMATS 1\ncommand KXBOMT\nclick Open\nfile " +
                         Sheet("headed") + "\nclick Save As\nfile " + Path("edited.prc") + "\nclick Close\n";
    WriteFile(Path("session.txt"), script);
    ShellRun run = Shell(environment + " LSAN_OPTIONS=\"$LSAN_OPTIONS:print_suppressions=0\" " +
                         std::string(VANTOREL_EXE) + " --module " + Path("libvantorel.so") + " script " +
                         Path("session.txt") + " 2>&1");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    // The editor reads the catalogue as the report does: LAMP, without a price, is not among its rows.
    EXPECT_EQ(ReadFile(Path("edited.prc")), "DESK|250|Oak desk\nCHAIR|45.50|Chair, oak\nROOM|abc|Room\nTINY|12.3|Tiny\n");
    EXPECT_NE(run.out.find("headed.xlsx, sheet Prices, C5: the name \"A|B\" holds a \"|\""), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find(Path("headed.xlsx") + " is read as the catalogue " + Path("cache") +
                           "/vantorel/catalogues/"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("*.prc;csv;xlsx"), std::string::npos) << run.out;
}

} // namespace
