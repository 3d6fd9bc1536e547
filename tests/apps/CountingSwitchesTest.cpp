// The counting switches as a user sets them: the report's flags, `setvar` in a script, SETVAR and a variable's
// name at the command line. Every count below is worked out by hand from the drawings of counting_drawings.py.
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

std::string Unpriced(const std::string& name, int quantity) {
    return ReportRow(name, "0.00", quantity, "", "0.00");
}

class CountingSwitches : public apptest::ScriptedSession {
protected:
    std::string Drawing(const std::string& kind, const std::string& format = "asc") const {
        return CountingDrawing(kind, format);
    }
    // `vantorel report DRAWING ARGUMENTS`: standard output, and standard error apart.
    ShellRun Report(const std::string& drawing, const std::string& arguments, std::string* errors = nullptr) const {
        ShellRun run = Shell("LSAN_OPTIONS=\"$LSAN_OPTIONS:print_suppressions=0\" " + std::string(VANTOREL_EXE) +
                             " report " + drawing + " " + arguments + " 2>" + Path("errors.txt"));
        if (errors)
            *errors = ReadFile(Path("errors.txt"));
        return run;
    }
};

TEST_F(CountingSwitches, EachSwitchCountsWhatTheUserMeans) {
    struct Case {
        std::string kind;
        std::string arguments;
        std::string rows;
    };
    const Case cases[] = {
        // Plain: each selected reference once, under its stored name.
        {"nested", "", Unpriced("floor", 2) + Unpriced("room", 1) + Unpriced("chair", 1) + Unpriced("loop", 1)},
        // 2 floors of 3 rooms and a room: 7 rooms; a desk in each room and each floor: 9; two chairs in each
        // room and one alone: 15, and LOOP's chair: 16; LOOP and the LOOP inside it: 2.
        {"nested", "--nested",
         Unpriced("floor", 2) + Unpriced("room", 7) + Unpriced("desk", 9) + Unpriced("chair", 16) + Unpriced("loop", 2)},
        {"minsert", "", Unpriced("seat", 2)},
        {"minsert", "--minsert", Unpriced("seat", 13)}, // 3 columns x 4 rows and one more
        {"keyed", "", Unpriced("valve", 5) + Unpriced("pump", 1)},
        // An empty value, or no attribute at all, leaves the block's own name.
        {"keyed", "--key-attribute partno",
         Unpriced("v-100", 2) + Unpriced("v-200", 1) + Unpriced("valve", 2) + Unpriced("p-1", 1)},
        {"tables", "", Unpriced("chair", 2) + Unpriced("qvt0001", 1) + Unpriced("qvt0002", 1) + Unpriced("qvt12", 1)},
        {"tables", "--skip-tables", Unpriced("chair", 2) + Unpriced("qvt12", 1)},
        {"layouts", "", Unpriced("desk", 1)},
        {"layouts", "--select all-layouts", Unpriced("desk", 6)},
        {"dynamic", "",
         Unpriced("my_look_block", 1) + Unpriced("*u26", 2) + Unpriced("*u27", 3) + Unpriced("*u28", 1) +
             Unpriced("*u29", 1)},
        // *U26 by its record's AcDbBlockRepBTag, *U27 by its extension dictionary, *U28 through *U17's true name.
        {"dynamic", "--names effective", Unpriced("my_look_block", 6) + Unpriced("door_dyn", 1) + Unpriced("*u29", 1)},
        // Every switch at once, on a drawing of nested MINSERTs of dynamic states is beyond the samples; together
        // on the nested drawing they change nothing but what nesting does.
        {"nested", "--nested --minsert --names effective --skip-tables --key-attribute PARTNO",
         Unpriced("floor", 2) + Unpriced("room", 7) + Unpriced("desk", 9) + Unpriced("chair", 16) + Unpriced("loop", 2)},
    };
    // The same switches as a script sets them.
    const std::pair<std::string, std::string> kVariables[] = {
        {"--nested", "setvar BOMNESTED 1\n"},          {"--minsert", "setvar BOMMINSERT 1\n"},
        {"--skip-tables", "setvar BOMSKIPTABLES 1\n"}, {"--names effective", "setvar BOMNAMES 1\n"},
        {"--key-attribute partno", "setvar BOMKEYATTR partno\n"}};
    for (const Case& c : cases) {
        for (const char* format : {"asc", "bin"}) {
            if (std::string(format) == "bin" && c.arguments.empty())
                continue;
            ShellRun run = Report(Drawing(c.kind, format), c.arguments);
            EXPECT_EQ(run.exitCode, 0) << c.kind << " " << c.arguments;
            EXPECT_EQ(run.out, kReportHead + c.rows + ReportSummary("0.00")) << c.kind << " " << c.arguments << " " << format;
        }
        std::string setvars;
        for (const auto& [flag, line] : kVariables)
            setvars += c.arguments.find(flag) != std::string::npos ? line : "";
        bool layouts = c.arguments.find("all-layouts") != std::string::npos;
        std::filesystem::remove(Path("report.txt"));
        ShellRun run = Session("open " + Drawing(c.kind) + "\n" + setvars + "command KXBOMC\ncancel\n" +
                               (layouts ? "select all-layouts\n" : "select all\n") + "click Save to file\nfile " +
                               Path("report.txt") + "\nclick Close\n");
        EXPECT_EQ(run.exitCode, 0) << run.out;
        EXPECT_EQ(ReadFile(Path("report.txt")), kReportHead + c.rows + ReportSummary("0.00")) << c.kind << "\n" << setvars;
    }
}

TEST_F(CountingSwitches, PricesGoWithEveryReferenceCounted) {
    WriteFile(Path("prices.prc"), "CHAIR|2.50|Oak\nSEAT|1.10|Plastic\nV-100|40|Valve DN50\n");
    ShellRun run = Report(Drawing("nested"), "--catalog " + Path("prices.prc") + " --nested");
    EXPECT_EQ(run.out, kReportHead + ReportRow("chair", "2.50", 16, "Oak", "40.00") + ReportRow("seat", "1.10", 0, "Plastic", "0.00") +
                           ReportRow("v-100", "40.00", 0, "Valve DN50", "0.00") + Unpriced("floor", 2) + Unpriced("room", 7) +
                           Unpriced("desk", 9) + Unpriced("loop", 2) + ReportSummary("40.00"));
    run = Report(Drawing("minsert"), "--catalog " + Path("prices.prc") + " --minsert");
    EXPECT_EQ(run.out, kReportHead + ReportRow("chair", "2.50", 0, "Oak", "0.00") + ReportRow("seat", "1.10", 13, "Plastic", "14.30") +
                           ReportRow("v-100", "40.00", 0, "Valve DN50", "0.00") + ReportSummary("14.30"));
    run = Report(Drawing("keyed"), "--catalog " + Path("prices.prc") + " --key-attribute PARTNO");
    EXPECT_EQ(run.out, kReportHead + ReportRow("chair", "2.50", 0, "Oak", "0.00") + ReportRow("seat", "1.10", 0, "Plastic", "0.00") +
                           ReportRow("v-100", "40.00", 2, "Valve DN50", "80.00") + Unpriced("v-200", 1) +
                           Unpriced("valve", 2) + Unpriced("p-1", 1) + ReportSummary("80.00"));
}

TEST_F(CountingSwitches, WhatTheUserShouldKnowIsSaidOnStandardError) {
    std::string errors;
    ShellRun run = Report(Drawing("dynamic"), "", &errors);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(errors, "vantorel: 7 references are counted under anonymous names (*U...), the states of dynamic "
                      "blocks; --names effective counts them under their blocks' own names\n");
    run = Report(Drawing("dynamic"), "--names effective", &errors);
    EXPECT_EQ(errors, "");
    run = Report(Drawing("dynamic"), "--hide-prices", &errors);
    EXPECT_NE(errors.find(": 7 references are"), std::string::npos) << errors;
    run = Report(Drawing("nested"), "--nested", &errors);
    EXPECT_EQ(errors, "vantorel: Block LOOP holds a reference to itself: that reference is counted once and not "
                      "followed.\n");
    run = Report(Drawing("nested"), "--names every", &errors);
    EXPECT_EQ(run.exitCode, 64);
    EXPECT_NE(errors.find("--names: every not in {stored,effective}"), std::string::npos) << errors;
}

TEST_F(CountingSwitches, AScriptSetsTheVariablesAndSetvarTellsWhatItCannotTake) {
    std::string script = "open " + Drawing("nested") + "\n"
                         "setvar BOMNESTED 1\n"
                         "command KXBOMC\n"
                         "cancel\n"
                         "select all\n"
                         "click Save to file\n"
                         "file " + Path("nested.txt") + "\n"
                         "click Close\n"
                         "setvar bomnested 0\n"
                         "command KXBOMC\n"
                         "cancel\n"
                         "select all\n"
                         "click Save to file\n"
                         "file " + Path("plain.txt") + "\n"
                         "click Close\n";
    ShellRun run = Session(script);
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(ReadFile(Path("nested.txt")), kReportHead + Unpriced("floor", 2) + Unpriced("room", 7) + Unpriced("desk", 9) +
                                                Unpriced("chair", 16) + Unpriced("loop", 2) + ReportSummary("0.00"));
    EXPECT_EQ(ReadFile(Path("plain.txt")), kReportHead + Unpriced("floor", 2) + Unpriced("room", 1) + Unpriced("chair", 1) +
                                               Unpriced("loop", 1) + ReportSummary("0.00"));
    EXPECT_NE(run.out.find("Block LOOP holds a reference to itself"), std::string::npos) << run.out;

    for (auto [line, said] : {std::pair{"setvar BOMNESTED 2", "setvar BOMNESTED: Requires an integer between 0 and 1."},
                              std::pair{"setvar BOMNESTED yes", "setvar BOMNESTED: Requires an integer between 0 and 1."},
                              std::pair{"setvar BOMNOTHING 1", "setvar BOMNOTHING: Unknown variable name."},
                              std::pair{"setvar DWGNAME x.dwg", "setvar DWGNAME: DWGNAME is read-only."}}) {
        run = Session(std::string("open ") + Drawing("nested") + "\n" + line + "\n");
        EXPECT_EQ(run.exitCode, 1) << line;
        EXPECT_EQ(run.out, std::string("vantorel: line 2: ") + said + "\n");
    }
}

TEST_F(CountingSwitches, SetvarAndAVariablesNameAskForTheValueAtTheCommandLine) {
    ShellRun run = Session("open " + Drawing("minsert") + "\n"
                           "command SETVAR\n"
                           "type bomminsert\n"
                           "type 1\n"
                           "command BOMKEYATTR\n"
                           "type PARTNO\n"
                           "command bomkeyattr\n"
                           "enter\n"
                           "command BOMMINSERT\n"
                           "type 7\n"
                           "command KXBOMC\n"
                           "cancel\n"
                           "select all\n"
                           "click Save to file\n"
                           "file " + Path("seats.txt") + "\n"
                           "click Close\n");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(run.out.substr(0, run.out.find("file dialog")),
              "Enter variable name or [?]: Enter new value for BOMMINSERT <0>: Enter new value for BOMKEYATTR <>: "
              "Enter new value for BOMKEYATTR <PARTNO>: Enter new value for BOMMINSERT <1>: "
              "Requires an integer between 0 and 1.\n");
    EXPECT_EQ(ReadFile(Path("seats.txt")), kReportHead + Unpriced("seat", 13) + ReportSummary("0.00"));
}

// SETVAR ? lists every variable with its value, a line each, switches and the host's own alike.
TEST_F(CountingSwitches, SetvarQuestionMarkListsEveryVariable) {
    ShellRun run = Session("open " + Drawing("minsert") + "\nsetvar BOMMINSERT 1\ncommand SETVAR\ntype ?\n");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(run.out.substr(0, 29), "Enter variable name or [?]: \n");
    EXPECT_NE(run.out.find("\nBOMMINSERT       1\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\nBOMNESTED        0\n"), std::string::npos) << run.out;
    // The drawing open now, not the one the editor started with.
    EXPECT_NE(run.out.find("\nDWGNAME          minsert-asc.dxf\n"), std::string::npos) << run.out;
}

TEST_F(CountingSwitches, TheCatalogueEditorLeavesOurTablesOutOfItsListWhenAsked) {
    WriteFile(Path("chairs.prc"), "CHAIR|1|\n");
    auto list = [this](const std::string& setting) {
        ShellRun run = Session("open " + Drawing("tables") + "\n"
                               "setvar BOMSKIPTABLES " + setting + "\n"
                               "command KXBOMT\n"
                               "click Open\n"
                               "file " + Path("chairs.prc") + "\n"
                               "click Insert Row\n"
                               "key escape\n"
                               "drop Block name 1\n"
                               "dump 201\n"
                               "key escape\n"
                               "click Close\n"
                               "answer no\n");
        EXPECT_EQ(run.exitCode, 0) << run.out;
        std::size_t items = run.out.find("      items ");
        return items == std::string::npos ? run.out : run.out.substr(items, run.out.find("message box") - items);
    };
    EXPECT_EQ(list("0"), "      items 3\n      QVT0001\n      qvt0002\n      QVT12\n");
    EXPECT_EQ(list("1"), "      items 1\n      QVT12\n");
}

TEST_F(CountingSwitches, ADwgDrawingIsCountedWithTheSwitchesToo) {
    std::string drawing = std::string(DWG_SAMPLES_DIR) + "/example_2018.dwg";
    ShellRun plain = Report(drawing, "");
    ASSERT_EQ(plain.exitCode, 0) << plain.out;
    EXPECT_EQ(plain.out, kReportHead + Unpriced("bloko", 2) + Unpriced("cirklo_punktoj", 8) + ReportSummary("0.00"));
    ShellRun switched = Report(drawing, "--nested --minsert --names effective --skip-tables --select all-layouts");
    EXPECT_EQ(switched.out, plain.out);
}

} // namespace
