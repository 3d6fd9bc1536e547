// The catalogue command as a user works it: `vantorel script` replays sessions of clicks and keys in the real
// BOM Template dialog: editing the entries in the grid, its buttons and keys.
#include "TemplateSession.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

// Inside the sessions' own namespace, which brings the fixture and its helpers.
namespace templatetest {
namespace {

// The catalogue opened and a description changed: the dialog has something to ask about when it closes.
std::string Changed(const std::string& catalog) {
    return "command KXBOMT\nclick Open\nfile " + catalog + "\ncell Description 0\ntype Oak desk\nkey enter\nkey escape\n";
}

TEST_F(TemplateCommand, AltF4AsksAsTheCloseBoxDoes) {
    ShellRun run = Session(Changed(catalog) + "key alt+f4\nanswer no\n");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_NE(run.out.find("message box \"Save changes to " + catalog + "\": 7\n"), std::string::npos) << run.out;
    EXPECT_TRUE(HasSettings());
}

TEST_F(TemplateCommand, TheCloseBoxClosesAsTheCloseButtonDoes) {
    // Before a catalogue is in use it ends the dialog at once and writes nothing.
    ShellRun run = Session("command KXBOMT\nclose\n");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_FALSE(HasSettings());
    // With changes, it asks; Cancel keeps the dialog, No closes it and the settings are kept.
    run = Session(Changed(catalog) +
                  "close\n"
                  "answer cancel\n"
                  "dump 210\n"
                  "close\n"
                  "answer no\n");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(run.out, "file dialog \"Open [] *.prc flags 2\"\n"
                       "message box \"Save changes to " + catalog + "\": 2\n"
                       "dialog \"BOM Template\", beeps 0\n"
                       "  210 \"" + catalog + "\"\n"
                       "message box \"Save changes to " + catalog + "\": 7\n");
    EXPECT_EQ(Widths(), "174 58 232 ");
    EXPECT_EQ(FileName(), catalog);
    EXPECT_EQ(ReadFile(catalog), kOffice);
}

TEST_F(TemplateCommand, AMissingPriceBlinksInTheMessageLabelUntilACellIsClicked) {
    ShellRun run = Session("command KXBOMT\n"
                           "click Open\n"
                           "file " + catalog + "\n"
                           "click Insert Row\n"
                           "type ROOM\n"
                           "key tab\n"
                           "key back\n"
                           "key enter\n"
                           "click Save\n"
                           "dump 1001\n"
                           "dump 201\n"
                           "wait 250\n"
                           "dump 1001\n"
                           "wait 200\n"
                           "dump 1001\n"
                           "cell Description 0\n"
                           "dump 1001\n"
                           "dump 201\n"
                           "key escape\n"
                           "key escape\n"
                           "answer no\n");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    // One beep of the dialog's own, and one each time the label shows again. A click lets 600 ms pass, so
    // that the next one is no double click: by the first look the label has been shown twice.
    EXPECT_EQ(run.out, "file dialog \"Open [] *.prc flags 2\"\n"
                       "dialog \"BOM Template\", beeps 3 (1000 Hz 50 ms, 100 Hz 100 ms, 100 Hz 100 ms)\n"
                       "  1001 \"Price is absent\"\n"
                       "dialog \"BOM Template\", beeps 3 (1000 Hz 50 ms, 100 Hz 100 ms, 100 Hz 100 ms)\n"
                       "  201 \"\"\n"
                       // The editor had moved on to the next row; the failing cell is selected.
                       "    rows 4, active 1,2, selected 1,1..1,1\n"
                       "    head: Block name|Price|Description\n"
                       "    0: DESK|245.00|Desk\n"
                       "    1: ROOM||\n"
                       "    2: CHAIR|89.50|Chair\n"
                       "    3: CABINET|120|Cabinet\n"
                       "dialog \"BOM Template\", beeps 3 (1000 Hz 50 ms, 100 Hz 100 ms, 100 Hz 100 ms)\n"
                       "  1001 \"Price is absent\" hidden\n"
                       "dialog \"BOM Template\", beeps 4 (1000 Hz 50 ms, 100 Hz 100 ms, 100 Hz 100 ms, 100 Hz 100 ms)\n"
                       "  1001 \"Price is absent\"\n"
                       "dialog \"BOM Template\", beeps 4 (1000 Hz 50 ms, 100 Hz 100 ms, 100 Hz 100 ms, 100 Hz 100 ms)\n"
                       "  1001 \"\"\n"
                       "dialog \"BOM Template\", beeps 4 (1000 Hz 50 ms, 100 Hz 100 ms, 100 Hz 100 ms, 100 Hz 100 ms)\n"
                       "  201 \"\"\n"
                       "    rows 4, active 2,0, selected 1,1..1,1, editing 2,0 \"Desk\"\n"
                       "    head: Block name|Price|Description\n"
                       "    0: DESK|245.00|Desk\n"
                       "    1: ROOM||\n"
                       "    2: CHAIR|89.50|Chair\n"
                       "    3: CABINET|120|Cabinet\n"
                       "message box \"Save changes to " + catalog + "\": 7\n");
    EXPECT_EQ(ReadFile(catalog), kOffice);
}

TEST_F(TemplateCommand, ARepeatedBlockNameIsRefusedAndStopsSortingUntilANameIsAccepted) {
    ShellRun run = Session("command KXBOMT\n"
                           "click Open\n"
                           "file " + catalog + "\n"
                           "cell Block name 1\n"
                           "type desk\n"
                           "key enter\n"
                           "answer ok\n"
                           "header Price\n"
                           "dump 201\n"
                           "type ROOM\n"
                           "key enter\n"
                           "header Block name\n"
                           "dump 201\n"
                           "click Close\n"
                           "answer no\n");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(run.out, "file dialog \"Open [] *.prc flags 2\"\n"
                       "message box \"Block name desk is not unique\": 1\n"
                       "dialog \"BOM Template\", beeps 0\n"
                       "  201 \"\"\n"
                       "    rows 3, active 0,1, editing 0,1 \"desk\"\n"
                       "    head: Block name|Price|Description\n"
                       "    0: DESK|245.00|Desk\n"
                       "    1: CHAIR|89.50|Chair\n"
                       "    2: CABINET|120|Cabinet\n"
                       "dialog \"BOM Template\", beeps 0\n"
                       "  201 \"\"\n"
                       // The grid starts marked as sorted up by block name: the first click turns it down.
                       "    rows 3, active 0,2\n"
                       "    head: Block name|Price|Description\n"
                       "    0: ROOM|89.50|Chair\n"
                       "    1: DESK|245.00|Desk\n"
                       "    2: CABINET|120|Cabinet\n"
                       "message box \"Save changes to " + catalog + "\": 7\n");
    EXPECT_EQ(ReadFile(catalog), kOffice);
}

TEST_F(TemplateCommand, PricesSortAsNumbersWithEmptyPricesLastBothWays) {
    WriteFile(catalog, "b|10|ten\nA|9|nine\nc|100|hundred\n");
    ShellRun run = Session("command KXBOMT\n"
                           "click Open\n"
                           "file " + catalog + "\n"
                           "cell Price 2\n"
                           "key back\n"
                           "key back\n"
                           "key back\n"
                           "key enter\n"
                           "header Price\n"
                           "dump 201\n"
                           "header Price\n"
                           "dump 201\n"
                           "header Block name\n"
                           "dump 201\n"
                           "key escape\n"
                           "answer yes\n"
                           "wait 100\n"
                           "dump 1001\n"
                           "click Close\n"
                           "answer no\n");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(run.out, "file dialog \"Open [] *.prc flags 2\"\n"
                       "dialog \"BOM Template\", beeps 0\n"
                       "  201 \"\"\n"
                       "    rows 3, active 1,2\n"
                       "    head: Block name|Price|Description\n"
                       "    0: A|9|nine\n"
                       "    1: b|10|ten\n"
                       "    2: c||hundred\n"
                       "dialog \"BOM Template\", beeps 0\n"
                       "  201 \"\"\n"
                       "    rows 3, active 1,2\n"
                       "    head: Block name|Price|Description\n"
                       "    0: b|10|ten\n"
                       "    1: A|9|nine\n"
                       "    2: c||hundred\n"
                       "dialog \"BOM Template\", beeps 0\n"
                       "  201 \"\"\n"
                       "    rows 3, active 1,2\n"
                       "    head: Block name|Price|Description\n"
                       "    0: A|9|nine\n"
                       "    1: b|10|ten\n"
                       "    2: c||hundred\n"
                       // Escape in the grid is Close: Yes finds the price missing, and the dialog stays.
                       "message box \"Save changes to " + catalog + "\": 6\n"
                       "dialog \"BOM Template\", beeps 1 (1000 Hz 50 ms)\n"
                       "  1001 \"Price is absent\"\n"
                       "message box \"Save changes to " + catalog + "\": 7\n");
    EXPECT_EQ(ReadFile(catalog), "b|10|ten\nA|9|nine\nc|100|hundred\n");
    EXPECT_EQ(FileName(), catalog);
}

TEST_F(TemplateCommand, EscapeOnAButtonEndsTheDialogWithoutAQuestionOrSettings) {
    ShellRun run = Session("command KXBOMT\n"
                           "click Open\n"
                           "file " + catalog + "\n"
                           "cell Price 0\n"
                           "type 1\n"
                           "key enter\n"
                           "key tab\n"
                           "key escape\n");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(run.out, "file dialog \"Open [] *.prc flags 2\"\n");
    EXPECT_FALSE(HasSettings());
    EXPECT_EQ(ReadFile(catalog), kOffice);
}

TEST_F(TemplateCommand, EscapeInTheGridAsksAndYesSavesTheEntries) {
    ShellRun run = Session("command KXBOMT\n"
                           "click Open\n"
                           "file " + catalog + "\n"
                           "cell Price 1\n"
                           "type 90\n"
                           "key enter\n"
                           "key escape\n"
                           "key escape\n"
                           "answer cancel\n"
                           "dump 205\n"
                           "key escape\n"
                           "answer yes\n");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(run.out, "file dialog \"Open [] *.prc flags 2\"\n"
                       "message box \"Save changes to " + catalog + "\": 2\n"
                       "dialog \"BOM Template\", beeps 0\n"
                       "  205 \"&Close\"\n"
                       "message box \"Save changes to " + catalog + "\": 6\n");
    EXPECT_EQ(ReadFile(catalog), "DESK|245.00|Desk\nCHAIR|90|Chair\nCABINET|120|Cabinet\n");
    EXPECT_EQ(Widths(), "174 58 232 ");
    EXPECT_EQ(FileName(), catalog);
}

TEST_F(TemplateCommand, AfterDeletingEveryRowSaveDoesNothingAndCloseAsksNothing) {
    WriteFile(catalog, "DESK|245.00|Desk\nCHAIR|89.50|Chair\n");
    ShellRun run = Session("command KXBOMT\n"
                           "click Open\n"
                           "file " + catalog + "\n"
                           "click Delete Row\n"
                           "click Delete Row\n"
                           "dump\n"
                           "click Save\n"
                           "click Close\n");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(run.out, "file dialog \"Open [] *.prc flags 2\"\n"
                       "dialog \"BOM Template\", beeps 0\n"
                       "  201 \"\"\n"
                       "    rows 0, active 0,-1\n"
                       "    head: Block name|Price|Description\n"
                       "  210 \"" + catalog + "\"\n"
                       "  1001 \"\"\n"
                       "  207 \"&Insert Row\"\n"
                       "  208 \"&Delete Row\"\n"
                       "  217 \"&Move Up\" disabled\n"
                       "  218 \"&Move Down\" disabled\n"
                       "  202 \"&New\"\n"
                       "  203 \"&Open\"\n"
                       "  200 \"&Save\"\n"
                       "  204 \"&Save As\"\n"
                       "  205 \"&Close\"\n");
    EXPECT_EQ(ReadFile(catalog), "DESK|245.00|Desk\nCHAIR|89.50|Chair\n");
    EXPECT_EQ(FileName(), catalog);
}

TEST_F(TemplateCommand, MoveButtonsFollowTheActiveRowAndSwapEntries) {
    ShellRun run = Session("command KXBOMT\n"
                           "click Open\n"
                           "file " + catalog + "\n"
                           "cell Description 2\n"
                           "dump 217\n"
                           "dump 218\n"
                           "click Move Up\n"
                           "dump 201\n"
                           "click Move Up\n"
                           "dump 217\n"
                           "dump 218\n"
                           "click Save\n"
                           "click Close\n");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(run.out, "file dialog \"Open [] *.prc flags 2\"\n"
                       "dialog \"BOM Template\", beeps 0\n"
                       "  217 \"&Move Up\"\n"
                       "dialog \"BOM Template\", beeps 0\n"
                       "  218 \"&Move Down\" disabled\n"
                       "dialog \"BOM Template\", beeps 0\n"
                       "  201 \"\"\n"
                       "    rows 3, active 2,1, editing 2,1 \"Cabinet\"\n"
                       "    head: Block name|Price|Description\n"
                       "    0: DESK|245.00|Desk\n"
                       "    1: CABINET|120|Cabinet\n"
                       "    2: CHAIR|89.50|Chair\n"
                       "dialog \"BOM Template\", beeps 0\n"
                       "  217 \"&Move Up\" disabled\n"
                       "dialog \"BOM Template\", beeps 0\n"
                       "  218 \"&Move Down\"\n");
    EXPECT_EQ(ReadFile(catalog), "CABINET|120|Cabinet\nDESK|245.00|Desk\nCHAIR|89.50|Chair\n");
}

TEST_F(TemplateCommand, ASingleRowMadeActiveEnablesMoveDownWhichChangesNothing) {
    WriteFile(catalog, "DESK|245.00|Desk\n");
    ShellRun run = Session("command KXBOMT\n"
                           "click Open\n"
                           "file " + catalog + "\n"
                           "click Delete Row\n"
                           "click Insert Row\n"
                           "dump 217\n"
                           "dump 218\n"
                           "click Move Down\n"
                           "dump 201\n"
                           // The button has the focus now, and Escape there would end the dialog at once.
                           "cell Price 0\n"
                           "key escape\n"
                           "key escape\n"
                           "answer no\n");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(run.out, "file dialog \"Open [] *.prc flags 2\"\n"
                       "dialog \"BOM Template\", beeps 0\n"
                       "  217 \"&Move Up\" disabled\n"
                       "dialog \"BOM Template\", beeps 0\n"
                       "  218 \"&Move Down\"\n"
                       "dialog \"BOM Template\", beeps 0\n"
                       "  201 \"\"\n"
                       "    rows 1, active 0,0\n"
                       "    head: Block name|Price|Description\n"
                       "    0: |0|\n"
                       "message box \"Save changes to " + catalog + "\": 7\n");
}

TEST_F(TemplateCommand, ANewRowOffersTheDrawingsUnusedBlockNamesARowReadFromAFileNone) {
    std::string drawing = Path("names.dxf");
    ASSERT_EQ(Shell(std::string("/usr/bin/python3 ") + AUDIT_SCRIPT + " names " + drawing).exitCode, 0);
    WriteFile(catalog, "BETA|1|\n");
    ShellRun run = Session("open " + drawing + "\n"
                           "command KXBOMT\n"
                           "click Open\n"
                           "file " + catalog + "\n"
                           "drop Block name 0\n"
                           "dump 201\n"
                           "key escape\n"
                           "click Insert Row\n"
                           "key escape\n"
                           "drop Block name 1\n"
                           "dump 201\n"
                           "choose delta\n"
                           "dump\n"
                           "click Close\n"
                           "answer no\n");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(run.out, "file dialog \"Open [] *.prc flags 2\"\n"
                       "dialog \"BOM Template\", beeps 0\n"
                       "  201 \"\"\n"
                       "    rows 1, active 0,0\n"
                       "    head: Block name|Price|Description\n"
                       "    0: BETA|1|\n"
                       "    part 123\n"
                       "      items 0\n"
                       "dialog \"BOM Template\", beeps 0\n"
                       "  201 \"\"\n"
                       "    rows 2, active 0,1\n"
                       "    head: Block name|Price|Description\n"
                       "    0: BETA|1|\n"
                       "    1: |0|\n"
                       "    part 123\n"
                       "      items 3\n"
                       "      Alpha\n"
                       "      delta\n"
                       "      GAMMA\n"
                       "dialog \"BOM Template\", beeps 0\n"
                       "  201 \"\"\n"
                       "    rows 2, active 0,1\n"
                       "    head: Block name|Price|Description\n"
                       "    0: BETA|1|\n"
                       "    1: delta|0|\n"
                       "  210 \"" + catalog + "\"\n"
                       "  1001 \"\"\n"
                       "  207 \"&Insert Row\"\n"
                       "  208 \"&Delete Row\"\n"
                       "  217 \"&Move Up\"\n"
                       "  218 \"&Move Down\" disabled\n"
                       "  202 \"&New\"\n"
                       "  203 \"&Open\"\n"
                       // The Escape that closed the editor of the new row counts as an edit; the choice does not.
                       "  200 \"&Save\"\n"
                       "  204 \"&Save As\"\n"
                       "  205 \"&Close\"\n"
                       "message box \"Save changes to " + catalog + "\": 7\n");
}

TEST_F(TemplateCommand, PricesTakeDigitsAndOnePointDescriptionsNoBarAndSaveAsWritesTheCopy) {
    std::string copy = Path("copy.prc");
    ShellRun run = Session("command KXBOMT\n"
                           "click Open\n"
                           "file " + catalog + "\n"
                           "cell Price 0\n"
                           "type 9.5.x1\n"
                           "key enter\n"
                           "key tab\n"
                           "type a|b\n"
                           "key enter\n"
                           "click Save As\n"
                           "file " + copy + "\n"
                           "dump 210\n"
                           "dump 200\n"
                           "click Close\n");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(run.out, "file dialog \"Open [] *.prc flags 2\"\n"
                       "file dialog \"Save as [" + catalog + "] *.prc flags 1\"\n"
                       "dialog \"BOM Template\", beeps 0\n"
                       "  210 \"" + copy + "\"\n"
                       "dialog \"BOM Template\", beeps 0\n"
                       "  200 \"&Save\" disabled\n");
    EXPECT_EQ(ReadFile(copy), "DESK|9.51|Desk\nCHAIR|89.50|ab\nCABINET|120|Cabinet\n");
    EXPECT_EQ(ReadFile(catalog), kOffice);
    EXPECT_EQ(FileName(), copy);
}

// The list of a new row's block names is made 15 rows high when there are more, and shows 15 whole rows: its rows
// are drawn at the height it was made for, the font's own size, not at the height of the font's line.
TEST_F(TemplateCommand, TwentyBlockNamesShowFifteenRowsAndAScrollBar) {
    std::string drawing = Path("many.dxf");
    std::string names;
    for (int i = 1; i <= 20; ++i)
        names += " P" + std::string(i < 10 ? "0" : "") + std::to_string(i);
    ASSERT_EQ(Shell(std::string("/usr/bin/python3 ") + AUDIT_SCRIPT + " drawn " + drawing + " R2010 1252 asc" + names)
                  .exitCode,
              0);
    ShellRun run = Session("open " + drawing + "\n"
                           "command KXBOMT\n"
                           "click New\n"
                           "file " + Path("new.prc") + "\n"
                           "key escape\n"
                           "drop Block name 0\n"
                           "dump 201\n"
                           "key escape\n"
                           "click Close\n"
                           "answer no\n");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_NE(run.out.find("    part 123\n      items 20 (15 in view)\n      P01\n"), std::string::npos) << run.out;
}

// "(" is a character with the Down key's code. The drop list of a new row's block name reports that character as
// its own, but the template grid starts an edit for every character typed on a block name, whatever the cell's
// type made of it: "(" begins the name, as any other character does. The Down key itself types nothing and moves.
TEST_F(TemplateCommand, AParenthesisStartsABlockNameTheDownKeyMoves) {
    ShellRun run = Session("command KXBOMT\n"
                           "click Open\n"
                           "file " + catalog + "\n"
                           "click Insert Row\n"
                           "key escape\n"
                           "type (\n"
                           "dump 201\n"
                           "type A)\n"
                           "key enter\n"
                           "key escape\n"
                           "key up\n"
                           "key down\n"
                           "dump 201\n"
                           "click Close\n"
                           "answer no\n");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_NE(run.out.find("    rows 4, active 0,1, editing 0,1 \"(\"\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("    1: (A)|0|\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("    rows 4, active 0,2\n"), std::string::npos) << run.out;
}

} // namespace
} // namespace templatetest
