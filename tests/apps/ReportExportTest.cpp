// The report leaving as CSV, XLSX and JSON, read back by Python's csv and json and by openpyxl: from the command
// line beside the text file, and from the dialog's "Save to file" by the name's extension.
#include "AppTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using apptest::ReadFile;
using apptest::Shell;
using apptest::ShellRun;
using apptest::WriteFile;

class ReportExport : public apptest::ScriptedSession {
protected:
    void SetUp() override {
        ScriptedSession::SetUp();
        chairs = Path("chairs.dxf");
        ASSERT_EQ(Shell(std::string("/usr/bin/python3 ") + AUDIT_SCRIPT + " chairs " + chairs).exitCode, 0);
        WriteFile(Path("prices.prc"), "chair|12.50|Oak, \"premium\"\ntable|99.99|Round\n");
    }
    ShellRun Report(const std::string& arguments) const {
        return Shell("LSAN_OPTIONS=\"$LSAN_OPTIONS:print_suppressions=0\" " + std::string(VANTOREL_EXE) + " " +
                     arguments + " 2>&1");
    }
    std::string Check(const std::string& format, const std::string& file) const {
        return Shell(std::string("/usr/bin/python3 ") + EXPORT_CHECK + " " + format + " " + file + " 2>&1").out;
    }
    std::string chairs;
};

TEST_F(ReportExport, EachFormatCarriesTheRowsAsTheGridShowsThem) {
    ShellRun run = Report("report " + chairs + " --catalog " + Path("prices.prc") + " --sort Total:desc --csv " +
                          Path("r.csv") + " --xlsx " + Path("r.xlsx") + " --json " + Path("r.json"));
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(Check("csv", Path("r.csv")), "line ends CRLF\n"
                                           "['Block name', 'Item Price', 'Quantity', 'Description', 'Total']\n"
                                           "['chair', '12.50', '4', 'Oak, \"premium\"', '50.00']\n"
                                           "['table', '99.99', '0', 'Round', '0.00']\n"
                                           "['Summary:', '', '', '', '50.00']\n");
    // RFC 4180 to the byte: the field with a comma and quotes is quoted, its quotes doubled.
    EXPECT_NE(ReadFile(Path("r.csv")).find("chair,12.50,4,\"Oak, \"\"premium\"\"\",50.00\r\n"), std::string::npos);
    EXPECT_EQ(Check("json", Path("r.json")),
              "{\"catalog\": \"" + Path("prices.prc") + "\", \"drawings\": [\"" + chairs + "\"], \"rows\": ["
              "{\"blockName\": \"chair\", \"description\": \"Oak, \\\"premium\\\"\", \"itemPrice\": 12.5, \"quantity\": 4, "
              "\"total\": 50.0}, {\"blockName\": \"table\", \"description\": \"Round\", \"itemPrice\": 99.99, "
              "\"quantity\": 0, \"total\": 0.0}], \"showPrice\": true, \"summary\": {\"total\": 50.0}, \"switches\": "
              "{\"attributes\": [], \"keyAttribute\": \"\", \"minsert\": false, \"names\": \"stored\", \"nested\": false, \"skipTables\": "
              "false}}\n");
    EXPECT_EQ(Check("xlsx", Path("r.xlsx")), "sheet BOM frozen A2\n"
                                             "bold headings True\n"
                                             "'Block name' | 'Item Price' | 'Quantity' | 'Description' | 'Total'\n"
                                             "'chair' | 12.5 [0.00] | 4 [0] | 'Oak, \"premium\"' | 50 [0.00]\n"
                                             "'table' | 99.99 [0.00] | 0 [0] | 'Round' | 0 [0.00]\n"
                                             "'Summary:' | None | None | None | '=SUM(E2:E3)' cached 50\n"
                                             "narrow columns []\n");
    // The text file of the same report is as it always was.
    EXPECT_EQ(run.out, "Block name Item Price   Quantity          Description      Total\n"
                       "     chair      12.50          4       Oak, \"premium\"      50.00\n"
                       "     table      99.99          0                Round       0.00\n"
                       "  Summary:                                                 50.00\n");
}

TEST_F(ReportExport, WithoutPricesThePriceColumnsAndTheSummaryStayOut) {
    ShellRun run = Report("report " + chairs + " --catalog " + Path("prices.prc") + " --hide-prices --nested --csv " +
                          Path("r.csv") + " --xlsx " + Path("r.xlsx") + " --json " + Path("r.json"));
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(Check("csv", Path("r.csv")), "line ends CRLF\n"
                                           "['Block name', 'Quantity', 'Description']\n"
                                           "['chair', '4', 'Oak, \"premium\"']\n"
                                           "['table', '0', 'Round']\n");
    std::string json = Check("json", Path("r.json"));
    EXPECT_NE(json.find("\"rows\": [{\"blockName\": \"chair\", \"description\": \"Oak, \\\"premium\\\"\", \"quantity\": 4}"),
              std::string::npos) << json;
    EXPECT_NE(json.find("\"showPrice\": false, \"summary\": null"), std::string::npos) << json;
    EXPECT_NE(json.find("\"nested\": true"), std::string::npos) << json;
    EXPECT_EQ(Check("xlsx", Path("r.xlsx")), "sheet BOM frozen A2\n"
                                             "bold headings True\n"
                                             "'Block name' | 'Quantity' | 'Description'\n"
                                             "'chair' | 4 [0] | 'Oak, \"premium\"'\n"
                                             "'table' | 0 [0] | 'Round'\n"
                                             "narrow columns []\n");
}

TEST_F(ReportExport, TextInTheActiveCodePageLeavesAsUtf8) {
    std::string cyrillic = Path("cyrillic.dxf");
    ASSERT_EQ(Shell(std::string("/usr/bin/python3 ") + AUDIT_SCRIPT + " cased " + cyrillic +
                    " 1251 \xD0\xB4\xD0\xB2\xD0\xB5\xD1\x80\xD1\x8C").exitCode, 0); // дверь
    WriteFile(Path("doors.prc"), "\xC4\xC2\xC5\xD0\xDC|5|\xE4\xF3\xE1\n"); // ДВЕРЬ|5|дуб in 1251
    ShellRun run = Report("--codepage 1251 report " + cyrillic + " --catalog " + Path("doors.prc") + " --csv " +
                          Path("r.csv") + " --json " + Path("r.json"));
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(Check("csv", Path("r.csv")), "line ends CRLF\n"
                                           "['Block name', 'Item Price', 'Quantity', 'Description', 'Total']\n"
                                           "['\xD0\xB4\xD0\xB2\xD0\xB5\xD1\x80\xD1\x8C', '5.00', '2', '\xD0\xB4\xD1\x83\xD0\xB1', '10.00']\n"
                                           "['Summary:', '', '', '', '10.00']\n");
    EXPECT_NE(Check("json", Path("r.json")).find("\"blockName\": \"\xD0\xB4\xD0\xB2\xD0\xB5\xD1\x80\xD1\x8C\""),
              std::string::npos);
}

// With BOMFILEFORMATS on, the dialog offers the other formats and writes each by the name's extension; off, as the
// module was made, every name gets the fixed-width text file.
TEST_F(ReportExport, TheDialogSavesByTheExtensionOfTheNameChosenOnlyWithTheSwitchOn) {
    ShellRun run = Session("open " + chairs + "\n"
                           "command KXBOMC\n"
                           "file " + Path("prices.prc") + "\n"
                           "select all\n"
                           "click Save to file\n"
                           "file " + Path("plain.csv") + "\n"
                           "click Close\n");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_NE(run.out.find("file dialog \"Save as [" + Path("prices-chairs.txt") + "] *.txt flags 1\""), std::string::npos)
        << run.out;
    EXPECT_EQ(ReadFile(Path("plain.csv")).substr(0, 66),
              "Block name Item Price   Quantity          Description      Total\n ");
    run = Session("open " + chairs + "\n"
                  "setvar BOMFILEFORMATS 1\n"
                  "command KXBOMC\n"
                           "file " + Path("prices.prc") + "\n"
                           "select all\n"
                           "click Save to file\n"
                           "file " + Path("R.CSV") + "\n"
                           "click Save to file\n"
                           "file " + Path("r.xlsx") + "\n"
                           "click Save to file\n"
                           "file " + Path("r.txt") + "\n"
                           "click Close\n");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_NE(run.out.find("file dialog \"Save as [" + Path("prices-chairs.txt") + "] *.txt;csv;xlsx;json flags 1\""),
              std::string::npos)
        << run.out;
    EXPECT_EQ(ReadFile(Path("R.CSV")), "Block name,Item Price,Quantity,Description,Total\r\n"
                                       "chair,12.50,4,\"Oak, \"\"premium\"\"\",50.00\r\n"
                                       "table,99.99,0,Round,0.00\r\n"
                                       "Summary:,,,,50.00\r\n");
    EXPECT_EQ(ReadFile(Path("r.xlsx")).substr(0, 2), "PK");
    EXPECT_EQ(ReadFile(Path("r.txt")).substr(0, 10), "Block name");
}

TEST_F(ReportExport, AFileThatCannotBeWrittenIsToldAndNothingIsLeftHalfWritten) {
    WriteFile(Path("blocker"), "a file, not a folder");
    ShellRun run = Report("report " + chairs + " --csv " + Path("blocker") + "/r.csv");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.out.find("vantorel: the report could not be written to " + Path("blocker") + "/r.csv\n"),
              std::string::npos) << run.out;
    run = Report("report " + chairs + " --xlsx " + Path("blocker") + "/r.xlsx");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(ReadFile(Path("blocker")), "a file, not a folder");
    run = Report("report " + chairs + " --csv " + Path("r.txt"));
    EXPECT_EQ(run.exitCode, 64);
    EXPECT_EQ(run.out, "vantorel: --csv takes a name ending in .csv, which says the format\n");
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir))
        ++files;
    EXPECT_EQ(files, 4u) << "the module, the drawing, the catalogue and the blocker, nothing more";
}

} // namespace
