// Insert with the table switches, as ezdxf reads the drawings: a table refreshed in the place of the one before
// (and taken back whole by U), a table of plain texts at exactly the places of the attribute definitions.
#include "AppTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using apptest::ReadFile;
using apptest::Shell;
using apptest::ShellRun;
using apptest::WriteFile;

class TableOptions : public apptest::ScriptedSession {
protected:
    void SetUp() override {
        ScriptedSession::SetUp();
        ASSERT_EQ(Shell(std::string("/usr/bin/python3 ") + COUNTING_DRAWINGS + " minsert " + Path("plan.dxf")).exitCode, 0);
        WriteFile(Path("prices.prc"), "seat|45.00|Office chair\n");
    }
    ShellRun Report(const std::string& arguments) const {
        return Shell("LSAN_OPTIONS=\"$LSAN_OPTIONS:print_suppressions=0\" " + std::string(VANTOREL_EXE) + " report " +
                     arguments + " 2>&1");
    }
    std::string Audit(const std::string& command, const std::string& drawing, const std::string& block = "") const {
        return Shell(std::string("/usr/bin/python3 ") + AUDIT_SCRIPT + " " + command + " " + drawing + " " + block).out;
    }
};

TEST_F(TableOptions, ARefreshedTableTakesTheOldOnesPlaceNameAndScale) {
    ASSERT_EQ(Report(Path("plan.dxf") + " --catalog " + Path("prices.prc") + " --table 10,20 --scale 2 -o " +
                     Path("first.dxf")).exitCode, 0);
    ShellRun run = Report(Path("first.dxf") + " --catalog " + Path("prices.prc") + " --minsert --table 0,0 --replace-table -o " +
                          Path("second.dxf"));
    ASSERT_EQ(run.exitCode, 0) << run.out;
    std::string summary = Audit("summary", Path("second.dxf"));
    EXPECT_NE(summary.find("audit errors 0\n"), std::string::npos) << summary;
    EXPECT_NE(summary.find("blocks QVT0001 SEAT\n"), std::string::npos) << summary;
    std::string cells = Audit("cells", Path("second.dxf"), "QVT0001");
    // One table, where the first stood and as large, showing the grid's count: no cell of the old one is left.
    EXPECT_NE(cells.find("INSERT 10,20 attributes 20\n"), std::string::npos) << cells;
    EXPECT_NE(cells.find("ATTDEF '13' at "), std::string::npos) << cells;
    EXPECT_EQ(cells.find("INSERT", cells.find("INSERT") + 1), std::string::npos) << cells;
    EXPECT_EQ(cells.find("ATTDEF '2' at "), std::string::npos) << "the old table's seat count is gone\n" << cells;
    std::string table = Audit("table", Path("second.dxf"), "QVT0001");
    EXPECT_NE(table.find("INSERT 10,20 scale 2,2\n"), std::string::npos) << table;

    // Without the switch a second table is placed beside the first, as Insert always did.
    run = Report(Path("first.dxf") + " --catalog " + Path("prices.prc") + " --table 0,0 -o " + Path("stacked.dxf"));
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_NE(Audit("summary", Path("stacked.dxf")).find("QVT0001 QVT0002"), std::string::npos);
    // With the switch and no table yet, Insert places one where asked.
    run = Report(Path("plan.dxf") + " --table 5,5 --replace-table -o " + Path("fresh.dxf"));
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_NE(Audit("table", Path("fresh.dxf"), "QVT0001").find("INSERT 5,5 scale 1,1\n"), std::string::npos);
}

TEST_F(TableOptions, UTakesARefreshedTableBackToTheOldOneByteForByte) {
    ASSERT_EQ(Report(Path("plan.dxf") + " --table 10,20 -o " + Path("first.dxf")).exitCode, 0);
    const std::string refresh = "open " + Path("first.dxf") + "\n"
                                "setvar BOMREPLACE 1\n"
                                "setvar BOMMINSERT 1\n"
                                "command KXBOMC\n"
                                "cancel\n"
                                "select all\n"
                                "click Insert\n";
    ShellRun run = Session(refresh + "save " + Path("refreshed.dxf") + "\n");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    // Saved straight after U: a save in between would have raised $HANDSEED for the new table's handles.
    run = Session(refresh + "command U\nsave " + Path("undone.dxf") + "\n");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_NE(Audit("cells", Path("refreshed.dxf"), "QVT0001").find("ATTDEF '13' at "), std::string::npos);
    EXPECT_TRUE(ReadFile(Path("undone.dxf")) == ReadFile(Path("first.dxf")));
}

TEST_F(TableOptions, CellsAsTextStandWhereTheAttributeDefinitionsWould) {
    ASSERT_EQ(Report(Path("plan.dxf") + " --catalog " + Path("prices.prc") + " --table 0,0 --text-height 2.5 -o " +
                     Path("attributes.dxf")).exitCode, 0);
    ShellRun run = Report(Path("plan.dxf") + " --catalog " + Path("prices.prc") +
                          " --table 0,0 --text-height 2.5 --table-text -o " + Path("texts.dxf"));
    ASSERT_EQ(run.exitCode, 0) << run.out;
    std::string attributes = Audit("cells", Path("attributes.dxf"), "QVT0001");
    std::string texts = Audit("cells", Path("texts.dxf"), "QVT0001");
    EXPECT_NE(attributes.find("ATTDEF 'Block name' at 1,0 h 2.5 halign 1"), std::string::npos) << attributes;
    std::string expected = attributes;
    for (std::size_t at = 0; (at = expected.find("ATTDEF", at)) != std::string::npos;)
        expected.replace(at, 6, "TEXT");
    std::size_t count = expected.find("attributes ");
    ASSERT_NE(count, std::string::npos) << expected;
    expected.replace(count, expected.find('\n', count) - count, "attributes 0");
    EXPECT_EQ(texts, expected);
    EXPECT_NE(Audit("summary", Path("texts.dxf")).find("audit errors 0\n"), std::string::npos);
}

TEST_F(TableOptions, ATextHeightMustBeAboveNought) {
    ShellRun run = Report(Path("plan.dxf") + " --table 0,0 --text-height 0 -o " + Path("out.dxf"));
    EXPECT_EQ(run.exitCode, 64);
    EXPECT_EQ(run.out, "vantorel: --text-height takes a number above 0, the height of the table's text\n");
    run = Session("setvar BOMTEXTHEIGHT -1\n");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "vantorel: line 1: setvar BOMTEXTHEIGHT: Requires a number above 0.\n");
}

} // namespace
