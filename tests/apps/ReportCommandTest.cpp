// The report command as a user runs it: `vantorel report` drives the real BOM Report dialog with clicks on its
// controls and headings, and ezdxf reads the drawings it writes.
#include "AppTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

using apptest::ReadFile;
using apptest::Shell;
using apptest::ShellRun;

class ReportCommand : public ::testing::Test {
protected:
    void SetUp() override {
        dir = apptest::TestFolder("report-");
        chairs = (dir / "chairs.dxf").string();
        ASSERT_EQ(Shell(std::string("/usr/bin/python3 ") + AUDIT_SCRIPT + " chairs " + chairs).exitCode, 0);
        catalog = (dir / "chairs.prc").string();
        std::ofstream(catalog) << "chair|12.50|Oak\n";
    }
    // A sanitizer build's note of the suppressed font-cache leaks would land in the output compared.
    ShellRun Report(const std::string& arguments) {
        return Shell("LSAN_OPTIONS=\"$LSAN_OPTIONS:print_suppressions=0\" " + std::string(VANTOREL_EXE) + " report " +
                     arguments);
    }
    std::string Audit(const std::string& drawing, const std::string& block) { return apptest::AuditTable(drawing, block); }
    std::filesystem::path dir;
    std::string chairs;
    std::string catalog;
};

const char* const kChairsReport = "Block name Item Price   Quantity          Description      Total\n"
                                  "     chair      12.50          4                  Oak      50.00\n"
                                  "  Summary:                                                 50.00\n";

TEST_F(ReportCommand, TheWorkedExampleTableAsEzdxfReadsIt) {
    std::string out = (dir / "out.dxf").string();
    ShellRun run = Report(chairs + " --catalog " + catalog + " --table 10,20 -o " + out);
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(run.out, kChairsReport);
    EXPECT_EQ(Audit(out, "QVT0001"),
              "audit errors 0\n"
              "base 0,2\n"
              "LINE 0,2 58.8,2\n"
              "ATTDEF BLOCKNAME 'Block name' at 1,0 h 1 halign 1 align 6.6,0 style QVTTABLE\n"
              "ATTDEF PRICE 'Item Price' at 14.2,0 h 1 halign 1 align 19.8,0 style QVTTABLE\n"
              "ATTDEF QUANTITY 'Quantity' at 27.4,0 h 1 halign 1 align 31.8,0 style QVTTABLE\n"
              "ATTDEF DESCRIPTION 'Description' at 38.2,0 h 1 halign 1 align 44.4,0 style QVTTABLE\n"
              "ATTDEF TOTAL 'Total' at 52.6,0 h 1 halign 1 align 55.2,0 style QVTTABLE\n"
              "LINE 0,-1 58.8,-1\n"
              "ATTDEF BLOCKNAME1 'chair' at 1,-3 h 1 halign 0 style QVTTABLE\n"
              "ATTDEF PRICE1 '12.50' at 17.1,-3 h 1 halign 2 align 25.4,-3 style QVTTABLE\n"
              "ATTDEF QUANTITY1 '4' at 31.26,-3 h 1 halign 2 align 36.2,-3 style QVTTABLE\n"
              "ATTDEF DESCRIPTION1 'Oak' at 38.2,-3 h 1 halign 0 style QVTTABLE\n"
              "ATTDEF TOTAL1 '50.00' at 52.5,-3 h 1 halign 2 align 57.8,-3 style QVTTABLE\n"
              "LINE 0,-4 58.8,-4\n"
              "ATTDEF BLOCKNAME2 'Summary:' at 1,-6 h 1 halign 0 style QVTTABLE\n"
              "ATTDEF PRICE2 '' at 19.8,-6 h 1 halign 2 align 25.4,-6 style QVTTABLE\n"
              "ATTDEF QUANTITY2 '' at 31.8,-6 h 1 halign 2 align 36.2,-6 style QVTTABLE\n"
              "ATTDEF DESCRIPTION2 '' at 38.2,-6 h 1 halign 0 style QVTTABLE\n"
              "ATTDEF TOTAL2 '50.00' at 52.5,-6 h 1 halign 2 align 57.8,-6 style QVTTABLE\n"
              "LINE 0,-7 58.8,-7\n"
              "LINE 0,2 0,-7\n"
              "LINE 13.2,2 13.2,-7\n"
              "LINE 26.4,2 26.4,-7\n"
              "LINE 37.2,2 37.2,-7\n"
              "LINE 51.6,2 51.6,-7\n"
              "LINE 58.8,2 58.8,-7\n"
              "INSERT 10,20 scale 1,1\n"
              "ATTRIB BLOCKNAME 'Block name'\n"
              "ATTRIB PRICE 'Item Price'\n"
              "ATTRIB QUANTITY 'Quantity'\n"
              "ATTRIB DESCRIPTION 'Description'\n"
              "ATTRIB TOTAL 'Total'\n"
              "ATTRIB BLOCKNAME1 'chair'\n"
              "ATTRIB PRICE1 '12.50'\n"
              "ATTRIB QUANTITY1 '4'\n"
              "ATTRIB DESCRIPTION1 'Oak'\n"
              "ATTRIB TOTAL1 '50.00'\n"
              "ATTRIB BLOCKNAME2 'Summary:'\n"
              "ATTRIB PRICE2 ''\n"
              "ATTRIB QUANTITY2 ''\n"
              "ATTRIB DESCRIPTION2 ''\n"
              "ATTRIB TOTAL2 '50.00'\n"
              "modelspace 6\n"
              "style simpheb.shx\n");
}

TEST_F(ReportCommand, APriceThatIsNoDecimalNumberCountsAsNothing) {
    for (const char* price : {"nan", "INFINITY", "0x10"}) {
        std::ofstream(catalog) << "chair|" << price << "|Oak\n";
        ShellRun run = Report(chairs + " --catalog " + catalog);
        ASSERT_EQ(run.exitCode, 0) << run.out;
        EXPECT_EQ(run.out, "Block name Item Price   Quantity          Description      Total\n"
                           "     chair       0.00          4                  Oak       0.00\n"
                           "  Summary:                                                  0.00\n") << price;
    }
}

// Names match without regard to case by the letters of the active code page; the rows show them lower-cased.
TEST_F(ReportCommand, CaseIsTheActiveCodePagesOwn) {
    std::string cyrillic = (dir / "cyrillic.dxf").string();
    ASSERT_EQ(Shell(std::string("/usr/bin/python3 ") + AUDIT_SCRIPT + " cased " + cyrillic + " 1251 \xD0\xB4\xD0\xB2\xD0\xB5\xD1\x80\xD1\x8C").exitCode, 0); // дверь
    std::ofstream(catalog, std::ios::binary) << "\xC4\xC2\xC5\xD0\xDC|5|door\n"; // ДВЕРЬ in 1251
    ShellRun run = Shell(std::string(VANTOREL_EXE) + " --codepage 1251 report " + cyrillic + " --catalog " + catalog);
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(run.out, "Block name Item Price   Quantity          Description      Total\n"
                       "     \xE4\xE2\xE5\xF0\xFC       5.00          2                 door      10.00\n"
                       "  Summary:                                                 10.00\n");
    std::string latin = (dir / "latin.dxf").string();
    ASSERT_EQ(Shell(std::string("/usr/bin/python3 ") + AUDIT_SCRIPT + " cased " + latin + " 1252 \xC3\x89TAG\xC3\x88RE").exitCode, 0); // ÉTAGÈRE
    std::ofstream(catalog, std::ios::binary) << "\xE9tag\xE8re|3|shelf\n"; // étagère in 1252
    run = Report(latin + " --catalog " + catalog);
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(run.out, "Block name Item Price   Quantity          Description      Total\n"
                       "   \xE9tag\xE8re       3.00          2                shelf       6.00\n"
                       "  Summary:                                                  6.00\n");
}

// What a user gets wrong on the command line: the reason, and an exit code that says what kind of failure it was.
TEST_F(ReportCommand, MistakesAreToldWithTheirExitCodes) {
    const std::string kSelectedNothing =
        "vantorel: no block references were selected; try --select all or another layer or window\n";
    struct Case {
        std::string arguments;
        int exitCode;
        std::string output;
    };
    const Case cases[] = {
        {"--sort Price", 64,
         "vantorel: --sort takes a column heading of the report: \"Block name\", \"Item Price\", \"Quantity\", "
         "\"Description\" or \"Total\" (not \"Price\")\n"},
        {"--sort Total --hide-prices", 64,
         "vantorel: --sort Total: --hide-prices hides that column; sort by \"Block name\", \"Quantity\" or "
         "\"Description\"\n"},
        {"--sort \"item price:desc\" --hide-prices", 64,
         "vantorel: --sort Item Price: --hide-prices hides that column; sort by \"Block name\", \"Quantity\" or "
         "\"Description\"\n"},
        {"--scale 0 --table 0,0 -o x.dxf", 64,
         "vantorel: --scale takes a number above 0, the size of the table against its own\n"},
        {"--scale -2 --table 0,0 -o x.dxf", 64,
         "vantorel: --scale takes a number above 0, the size of the table against its own\n"},
        {"--scale 2", 64, "vantorel: --scale sizes the table: give --table X,Y too\n"},
        {"--table 0,0", 64, "vantorel: --table puts a table into the drawing: give -o OUT.dxf to save the drawing\n"},
        {"--select layer:NOPE", 1, kSelectedNothing},
        {"--select layer:WALLS", 1, kSelectedNothing}, // a line, but no block reference
        {"--select window:100,100,101,101", 1, kSelectedNothing},
        {"/nonexistent/parts.prc", 1,
         "vantorel: alert: File /nonexistent/parts.prc could  not be opened\n"
         "vantorel: the catalogue /nonexistent/parts.prc could not be read\n"},
        // Nothing is printed as if it had been written.
        {"--text /dev/full", 1,
         "vantorel: alert: File /dev/full could  not be opened\nvantorel: the report could not be written to /dev/full\n"},
    };
    for (const Case& c : cases) {
        // The catalogue is the one given, or the test's own before the other options.
        std::string arguments = c.arguments[0] == '/' ? "--catalog " + c.arguments : "--catalog " + catalog + " " + c.arguments;
        ShellRun run = Report(chairs + " " + arguments + " 2>&1");
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments;
        EXPECT_EQ(run.out, c.output) << c.arguments;
    }
}

// What the user asked for and did not get is said beside the report: a key attribute no reference carries, and
// this program's own table counted as a block.
TEST_F(ReportCommand, SwitchesThatFoundNothingToDoAreSaid) {
    ShellRun run = Report(chairs + " --catalog " + catalog + " --key-attribute PARTNO 2>&1");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, std::string(kChairsReport) + "vantorel: no reference carries the attribute PARTNO with a "
                                                    "value: every reference was counted under its block's name\n");
    std::string placed = (dir / "placed.dxf").string();
    ASSERT_EQ(Report(chairs + " --catalog " + catalog + " --table 0,0 -o " + placed).exitCode, 0);
    run = Report(placed + " --catalog " + catalog + " 2>&1");
    EXPECT_NE(run.out.find("\n   qvt0001       0.00          1"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("vantorel: the report counts qvt0001, a table this program placed; --skip-tables leaves "
                           "such tables out\n"),
              std::string::npos)
        << run.out;
    run = Report(placed + " --catalog " + catalog + " --skip-tables 2>&1");
    EXPECT_EQ(run.out, kChairsReport);
}

TEST_F(ReportCommand, HiddenPricesLeaveOutThePriceColumnsAndTheSummary) {
    std::string text = (dir / "report.txt").string();
    std::string out = (dir / "out.dxf").string();
    ShellRun run = Report(chairs + " --catalog " + catalog + " --hide-prices --text " + text + " --table 0,0 -o " + out);
    ASSERT_EQ(run.exitCode, 0) << run.out;
    const char* expected = "Block name   Quantity          Description\n"
                           "     chair          4                  Oak\n";
    EXPECT_EQ(ReadFile(text), expected);
    EXPECT_EQ(run.out, expected);
    std::string audit = Audit(out, "QVT0001");
    EXPECT_EQ(audit.find("PRICE"), std::string::npos) << audit;
    EXPECT_EQ(audit.find("Summary:"), std::string::npos) << audit;
    // Both price columns are 0 wide: their rules lie on their neighbours'.
    EXPECT_NE(audit.find("LINE 0,2 38.4,2\n"), std::string::npos) << audit;
    EXPECT_NE(audit.find("LINE 0,2 0,-4\nLINE 13.2,2 13.2,-4\nLINE 13.2,2 13.2,-4\nLINE 24,2 24,-4\n"
                         "LINE 38.4,2 38.4,-4\nLINE 38.4,2 38.4,-4\n"),
              std::string::npos)
        << audit;
}

TEST_F(ReportCommand, DraggingToHalfTheSizeAndANumberAfterTheHighestTable) {
    std::string first = (dir / "first.dxf").string();
    std::string second = (dir / "second.dxf").string();
    ASSERT_EQ(Report(chairs + " --catalog " + catalog + " --table 0,0 --scale 0.5 -o " + first).exitCode, 0);
    ShellRun run = Report(first + " --catalog " + catalog + " --select window:-1,-1,3,1 --table 100,0 --scale 2 -o " + second);
    ASSERT_EQ(run.exitCode, 0) << run.out;
    // The window holds the chairs at x 0 and 2 wholly, and neither the others nor the first table.
    EXPECT_EQ(run.out, "Block name Item Price   Quantity          Description      Total\n"
                       "     chair      12.50          2                  Oak      25.00\n"
                       "  Summary:                                                 25.00\n");
    EXPECT_NE(Audit(second, "QVT0001").find("INSERT 0,0 scale 0.5,0.5\n"), std::string::npos);
    std::string audit = Audit(second, "QVT0002");
    EXPECT_NE(audit.find("INSERT 100,0 scale 2,2\n"), std::string::npos) << audit;
    EXPECT_NE(audit.find("modelspace 7\n"), std::string::npos) << audit;
}

TEST_F(ReportCommand, SortingTheExampleByTotalKeepsTheSummaryLast) {
    ShellRun run = Report(std::string(EXAMPLES_DIR) + "/office.dxf --catalog " + EXAMPLES_DIR + "/office.prc --sort Total:desc");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(run.out, "Block name Item Price   Quantity          Description      Total\n"
                       "      desk     245.00         12 Office desk oak 160x80    2940.00\n"
                       "     chair      89.50         24         Swivel chair    2148.00\n"
                       "   cabinet     120.00          0       Filing cabinet       0.00\n"
                       "      door     310.00          0           Door 90 cm       0.00\n"
                       "      room       0.00         12                            0.00\n"
                       "  Summary:                                               5088.00\n");
    run = Report(std::string(EXAMPLES_DIR) + "/office.dxf --sort \"Block name\"");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    // Without a catalogue the rows come from the census; two clicks on the heading sort ascending again.
    EXPECT_EQ(run.out, "Block name Item Price   Quantity          Description      Total\n"
                       "     chair       0.00         24                            0.00\n"
                       "      desk       0.00         12                            0.00\n"
                       "      room       0.00         12                            0.00\n"
                       "  Summary:                                                  0.00\n");
}

// The BOM Report dialog driven line by line, the settings files beside the test's own module.
class ReportSession : public apptest::ScriptedSession {
protected:
    void SetUp() override {
        ScriptedSession::SetUp();
        catalog = Path("chairs.prc");
        apptest::WriteFile(catalog, "chair|12.50|Oak\n");
        MakeDrawing("chairs");
    }
    void MakeDrawing(const std::string& arguments) {
        drawing = Path("drawing.dxf");
        std::string kind = arguments.substr(0, arguments.find(' '));
        std::string rest = kind.size() < arguments.size() ? arguments.substr(kind.size()) : "";
        ASSERT_EQ(Shell(std::string("/usr/bin/python3 ") + AUDIT_SCRIPT + " " + kind + " " + drawing + rest).exitCode, 0);
    }
    // The report up to its dialog: the catalogue and every reference.
    std::string Opening() const { return "open " + drawing + "\ncommand KXBOMC\nfile " + catalog + "\nselect all\n"; }
    std::string catalog;
    std::string drawing;
};

TEST_F(ReportSession, CloseRemembersTheWidthsOfHiddenPricesFromBeforeTheyWereHidden) {
    ShellRun run = Session(Opening() + "click Close\n");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    // A first run: five equal columns of four twentieths of the grid's width each.
    EXPECT_EQ(Settings("vantorel2.set"), "112 112 112 112 112 ");
    EXPECT_EQ(Settings("filename.set"), catalog);
    apptest::WriteFile(Path("vantorel2.set"), "100 90 80 70 60 ");
    run = Session(Opening() + "click Show Price\nclick Close\n");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(Settings("vantorel2.set"), "100 90 80 70 60 ");
}

TEST_F(ReportSession, WidthsAShortFileLacksTakeTheirDefaultAndAreWrittenBack) {
    struct Case {
        const char* stored;
        const char* steps;
        const char* written;
    };
    const Case cases[] = {
        // Three numbers: Description and Total at four twentieths, so the grand total stays in view.
        {"100 100 100 ", "click Close\n", "100 100 100 112 112 "},
        // Four: Total too, whether prices are shown or hidden while the dialog closes.
        {"100 90 80 70 ", "click Close\n", "100 90 80 70 112 "},
        {"100 90 80 70 ", "click Show Price\nclick Close\n", "100 90 80 70 112 "},
        // Stored widths are applied as they are: 0 is a width like any other, and -1 one not known.
        {"100 100 100 0 0 ", "click Close\n", "100 100 100 0 0 "},
        {"100 -1 100 0 0 ", "click Close\n", "100 112 100 0 0 "},
        // No width is below 0.
        {"100 -5 100 70 60 ", "click Close\n", "100 0 100 70 60 "},
    };
    for (const Case& c : cases) {
        apptest::WriteFile(Path("vantorel2.set"), c.stored);
        ShellRun run = Session(Opening() + c.steps);
        ASSERT_EQ(run.exitCode, 0) << run.out;
        EXPECT_EQ(Settings("vantorel2.set"), c.written) << c.stored << " then " << c.steps;
    }
}

TEST_F(ReportSession, EscapeInTheGridClosesAndRemembersEscapeOnAButtonForgets) {
    ShellRun run = Session(Opening() + "key escape\n");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_FALSE(HasFile("vantorel2.set"));
    EXPECT_FALSE(HasFile("filename.set"));
    run = Session(Opening() + "cell Block name 0\nkey escape\n");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(Settings("vantorel2.set"), "112 112 112 112 112 ");
    EXPECT_EQ(Settings("filename.set"), catalog);
}

TEST_F(ReportSession, TheCloseBoxClosesAndRemembersAsCloseDoes) {
    ShellRun run = Session(Opening() + "close\n");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(Settings("vantorel2.set"), "112 112 112 112 112 ");
    EXPECT_EQ(Settings("filename.set"), catalog);
}

// The keyboard's way to the close message: Alt+F4, or Close in the system menu Alt+Space opens; Escape puts the menu
// away and leaves the dialog open.
TEST_F(ReportSession, AltF4AndTheSystemMenuCloseAsTheCloseBoxDoes) {
    for (const char* keys : {"key alt+f4\n", "key alt+space\nkey enter\n"}) {
        std::filesystem::remove(Path("vantorel2.set"));
        ShellRun run = Session(Opening() + keys);
        ASSERT_EQ(run.exitCode, 0) << keys << run.out;
        EXPECT_EQ(Settings("vantorel2.set"), "112 112 112 112 112 ") << keys;
    }
    ShellRun run = Session(Opening() + "key alt+space\ndump 61536\nkey escape\ndump 61536\nclick Close\n");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(run.out.substr(run.out.find("dialog \"BOM")), "dialog \"BOM Report\", beeps 0\n"
                                                           "  61536 \"\"\n"
                                                           "    items 1\n"
                                                           "    Close\n"
                                                           "dialog \"BOM Report\", beeps 0\n"
                                                           "  61536 \"\" hidden\n"
                                                           "    items 1\n"
                                                           "    Close\n");
}

TEST_F(ReportSession, SaveToFileProposesTheCatalogueAndDrawingNames) {
    std::string text = Path("report.txt");
    ShellRun run = Session(Opening() + "click Save to file\nfile " + text + "\nclick Close\n");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(run.out, "file dialog \"Open [] *.prc flags 2\"\n"
                       "5 found\n" // four chairs and a wall line
                       "file dialog \"Save as [" + Path("chairs-drawing.txt") + "] *.txt flags 1\"\n");
    EXPECT_EQ(apptest::ReadFile(text), kChairsReport);
    // Without a catalogue the proposal is the drawing's name; the one remembered is offered to open.
    run = Session("open " + drawing + "\ncommand KXBOMC\ncancel\nselect all\nclick Save to file\ncancel\nclick Close\n");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(run.out, "file dialog \"Open [" + catalog + "] *.prc flags 2\"\n"
                       "5 found\n" // four chairs and a wall line
                       "file dialog \"Save as [drawing.txt] *.txt flags 1\"\n");
    EXPECT_EQ(Settings("filename.set"), "");
}

TEST_F(ReportSession, SaveToFileOntoAnExistingFileAsksTheCommandLinesTextDoesNot) {
    std::string text = Path("report.txt");
    apptest::WriteFile(text, "an older report\n");
    ShellRun run = Session(Opening() + "click Save to file\nfile " + text + "\nanswer no\nclick Close\n");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_NE(run.out.find("message box \"report.txt already exists. Do you want to replace it?\": 7\n"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(apptest::ReadFile(text), "an older report\n");
    run = Session(Opening() + "click Save to file\nfile " + text + "\nanswer yes\nclick Close\n");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(apptest::ReadFile(text), kChairsReport);
    // A file named on the command line is the user's explicit choice.
    apptest::WriteFile(text, "an older report\n");
    run = Shell(std::string(VANTOREL_EXE) + " report " + drawing + " --catalog " + catalog + " --text " + text);
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(apptest::ReadFile(text), kChairsReport);
}

TEST_F(ReportSession, InsertNumbersTheTableAfterTheHighestAndRemembersTheSettings) {
    MakeDrawing("named qvt0005");
    std::string out = Path("out.dxf");
    ShellRun run = Session(Opening() + "click Insert\npick 10,20\nenter\nsave " + out + "\n");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(Settings("vantorel2.set"), "112 112 112 112 112 ");
    EXPECT_EQ(Settings("filename.set"), catalog);
    std::string audit = apptest::AuditTable(out, "QVT0006");
    EXPECT_NE(audit.find("audit errors 0\n"), std::string::npos) << audit;
    EXPECT_NE(audit.find("INSERT 10,20 scale 1,1\n"), std::string::npos) << audit;
}

TEST_F(ReportSession, ATableNumberPast9999IsRefusedAndNothingIsAdded) {
    MakeDrawing("named QVT9999");
    std::string out = Path("out.dxf");
    ShellRun run = Session(Opening() + "click Insert\nsave " + out + "\n");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_NE(run.out.find("vantorel: alert: Too large number for name of table price\n"), std::string::npos) << run.out;
    std::string blocks = Shell(std::string(VANTOREL_EXE) + " blocks " + out).out;
    EXPECT_EQ(blocks.find("QVT0"), std::string::npos) << blocks;
    EXPECT_NE(blocks.find("QVT9999"), std::string::npos) << blocks;
}

} // namespace
