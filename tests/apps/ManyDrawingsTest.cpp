// One report over several drawings: rows summed with a quantity column per drawing, the drawings read in
// parallel with the same result as one by one, a drawing that cannot be read named and the rest reported.
#include "AppTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using apptest::ReadFile;
using apptest::Shell;
using apptest::ShellRun;
using apptest::WriteFile;

class ManyDrawings : public ::testing::Test {
protected:
    void SetUp() override {
        dir = apptest::TestFolder("many-");
        ASSERT_EQ(Shell(std::string("/usr/bin/python3 ") + AUDIT_SCRIPT + " chairs " + Path("chairs.dxf")).exitCode, 0);
        ASSERT_EQ(Shell(std::string("/usr/bin/python3 ") + COUNTING_DRAWINGS + " nested " + Path("nested.dxf") + " bin")
                      .exitCode,
                  0);
        WriteFile(Path("prices.prc"), "chair|12.50|Oak\n");
    }
    std::string Path(const std::string& name) const { return (dir / name).string(); }
    // Standard output; standard error in `errors`.
    ShellRun Report(const std::string& arguments, std::string* errors = nullptr) const {
        ShellRun run = Shell("LSAN_OPTIONS=\"$LSAN_OPTIONS:print_suppressions=0\" " + std::string(VANTOREL_EXE) +
                             " report " + arguments + " 2>" + Path("errors.txt"));
        if (errors)
            *errors = ReadFile(Path("errors.txt"));
        return run;
    }
    std::string Check(const std::string& format, const std::string& file) const {
        return Shell(std::string("/usr/bin/python3 ") + EXPORT_CHECK + " " + format + " " + file + " 2>&1").out;
    }
    std::filesystem::path dir;
};

TEST_F(ManyDrawings, RowsAreSummedWithAQuantityColumnForEachDrawing) {
    std::string dwg = std::string(DWG_SAMPLES_DIR) + "/example_2018.dwg";
    std::string drawings = Path("chairs.dxf") + " " + Path("nested.dxf") + " " + dwg;
    std::string outputs;
    for (const char* jobs : {"1", "2"}) {
        std::string errors;
        ShellRun run = Report(drawings + " --catalog " + Path("prices.prc") + " --jobs " + jobs + " --csv " +
                                  Path(std::string("all") + jobs + ".csv") + " --json " + Path(std::string("all") + jobs + ".json") +
                                  " --xlsx " + Path(std::string("all") + jobs + ".xlsx"),
                              &errors);
        ASSERT_EQ(run.exitCode, 0) << errors;
        EXPECT_EQ(errors, "");
        // chair: 4 in the first drawing and 1 in the second; the catalogue's row first, the others as they came.
        EXPECT_EQ(run.out, "Block name Item Price   Quantity          Description      Total\n"
                           "     chair      12.50          5                  Oak      62.50\n"
                           "     floor       0.00          2                            0.00\n"
                           "      room       0.00          1                            0.00\n"
                           "      loop       0.00          1                            0.00\n"
                           "     bloko       0.00          2                            0.00\n"
                           "cirklo_punktoj       0.00          8                            0.00\n"
                           "  Summary:                                                 62.50\n")
            << jobs;
        outputs += run.out;
    }
    EXPECT_EQ(ReadFile(Path("all1.csv")), ReadFile(Path("all2.csv")));
    EXPECT_EQ(ReadFile(Path("all1.json")), ReadFile(Path("all2.json")));
    EXPECT_EQ(Check("csv", Path("all2.csv")),
              "line ends CRLF\n"
              "['Block name', 'Item Price', 'Quantity', 'chairs.dxf', 'nested.dxf', 'example_2018.dwg', 'Description', 'Total']\n"
              "['chair', '12.50', '5', '4', '1', '0', 'Oak', '62.50']\n"
              "['floor', '0.00', '2', '0', '2', '0', '', '0.00']\n"
              "['room', '0.00', '1', '0', '1', '0', '', '0.00']\n"
              "['loop', '0.00', '1', '0', '1', '0', '', '0.00']\n"
              "['bloko', '0.00', '2', '0', '0', '2', '', '0.00']\n"
              "['cirklo_punktoj', '0.00', '8', '0', '0', '8', '', '0.00']\n"
              "['Summary:', '', '', '', '', '', '', '62.50']\n");
    std::string json = Check("json", Path("all2.json"));
    EXPECT_NE(json.find("\"drawings\": [\"" + Path("chairs.dxf") + "\", \"" + Path("nested.dxf") + "\", \"" + dwg + "\"]"),
              std::string::npos) << json;
    // The reader sorts the keys, so each drawing's count is looked for on its own.
    std::string chair = json.substr(json.find("{\"blockName\": \"chair\""));
    chair = chair.substr(0, chair.find("}, {\"blockName\"") + 1);
    EXPECT_NE(chair.find("\"description\": \"Oak\", \"itemPrice\": 12.5, \"quantities\": {"), std::string::npos) << chair;
    for (const std::string& count : {"\"" + Path("chairs.dxf") + "\": 4", "\"" + Path("nested.dxf") + "\": 1", "\"" + dwg + "\": 0",
                                     std::string("}, \"quantity\": 5, \"total\": 62.5}")})
        EXPECT_NE(chair.find(count), std::string::npos) << count << "\n" << chair;
    std::string xlsx = Check("xlsx", Path("all2.xlsx"));
    EXPECT_NE(xlsx.find("'chair' | 12.5 [0.00] | 5 [0] | 4 [0] | 1 [0] | 0 [0] | 'Oak' | 62.5 [0.00]\n"), std::string::npos)
        << xlsx;
    EXPECT_NE(xlsx.find("'=SUM(H2:H7)' cached 62.5"), std::string::npos) << xlsx;
}

TEST_F(ManyDrawings, TheSwitchesAndTheSortApplyToEveryDrawing) {
    ShellRun run = Report(Path("chairs.dxf") + " " + Path("nested.dxf") + " --nested --sort Quantity:desc --hide-prices");
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "Block name   Quantity          Description\n"
                       "     chair         20                     \n"
                       "      desk          9                     \n"
                       "      room          7                     \n"
                       "     floor          2                     \n"
                       "      loop          2                     \n");
}

TEST_F(ManyDrawings, ADrawingThatCannotBeReadIsNamedAndTheOthersAreReported) {
    WriteFile(Path("broken.dxf"), "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n 10\nabc\n");
    std::string errors;
    ShellRun run = Report(Path("chairs.dxf") + " " + Path("broken.dxf") + " --csv " + Path("part.csv"), &errors);
    EXPECT_EQ(run.exitCode, 4);
    EXPECT_EQ(errors, "vantorel: " + Path("broken.dxf") + ", line 7: expected a real after group 10, found \"abc\"\n"
                      "vantorel: the report is partial: 1 of 2 drawings could not be read\n");
    EXPECT_EQ(run.out, "Block name Item Price   Quantity          Description      Total\n"
                       "     chair       0.00          4                            0.00\n"
                       "  Summary:                                                  0.00\n");
    EXPECT_NE(ReadFile(Path("part.csv")).find("Block name,Item Price,Quantity,Description,Total\r\n"), std::string::npos);
    run = Report(Path("broken.dxf") + " " + Path("missing.dxf"), &errors);
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_EQ(run.out, "");
    run = Report(Path("chairs.dxf") + " " + Path("nested.dxf") + " --table 0,0 -o " + Path("out.dxf"), &errors);
    EXPECT_EQ(run.exitCode, 64);
    EXPECT_EQ(errors, "vantorel: --table, -o and --snapshot take one drawing; a report over several drawings places "
                      "no table\n");
}

TEST_F(ManyDrawings, ColumnsAreHeadedByThePathsShortestDistinctEndAndADrawingGivenTwiceCountsOnce) {
    std::filesystem::create_directories(dir / "f1");
    std::filesystem::create_directories(dir / "f2");
    std::filesystem::copy_file(Path("chairs.dxf"), Path("f1/plan.dxf"));
    std::filesystem::copy_file(Path("nested.dxf"), Path("f2/plan.dxf"));
    std::string errors;
    ShellRun run = Report(Path("f1/plan.dxf") + " " + Path("f2/plan.dxf") + " " + Path("chairs.dxf") + " " +
                              (dir / "f1/../f1/plan.dxf").string() + " " + Path("f1/plan.dxf") + " --catalog " +
                              Path("prices.prc") + " --csv " + Path("all.csv"),
                          &errors);
    ASSERT_EQ(run.exitCode, 0) << errors;
    EXPECT_EQ(errors, "vantorel: " + (dir / "f1/../f1/plan.dxf").string() + " is " + Path("f1/plan.dxf") +
                          " again: it is counted once\n"
                          "vantorel: " + Path("f1/plan.dxf") + " is given twice: it is counted once\n");
    std::string csv = ReadFile(Path("all.csv"));
    EXPECT_EQ(csv.substr(0, csv.find("\r\n")),
              "Block name,Item Price,Quantity,f1/plan.dxf,f2/plan.dxf,chairs.dxf,Description,Total");
    EXPECT_NE(csv.find("\r\nchair,12.50,9,4,1,4,Oak,112.50\r\n"), std::string::npos) << csv;
}

TEST_F(ManyDrawings, TheProgressBarEndsItsLineBeforeAMessage) {
    WriteFile(Path("broken.dxf"), "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n 10\nabc\n");
    ShellRun run = Shell("LC_ALL=C VANTOREL_PROGRESS_AFTER=0 LSAN_OPTIONS=\"$LSAN_OPTIONS:print_suppressions=0\" /usr/bin/python3 " + std::string(TERMINAL_RUN) + " " +
                         Path("tty.out") + " " + VANTOREL_EXE + " report --jobs 1 " + Path("chairs.dxf") + " " +
                         Path("broken.dxf") + " " + Path("nested.dxf"));
    EXPECT_EQ(run.exitCode, 4);
    std::string bar = std::string(30, '#');
    EXPECT_EQ(ReadFile(Path("tty.out")),
              "\rvantorel: [##########                    ] 1 of 3 drawings\n"
              "vantorel: " + Path("broken.dxf") + ", line 7: expected a real after group 10, found \"abc\"\n"
              "\rvantorel: [####################          ] 2 of 3 drawings"
              "\rvantorel: [" + bar + "] 3 of 3 drawings\n"
              "Block name Item Price   Quantity          Description      Total\n"
              "     chair       0.00          5                            0.00\n"
              "     floor       0.00          2                            0.00\n"
              "      room       0.00          1                            0.00\n"
              "      loop       0.00          1                            0.00\n"
              "  Summary:                                                  0.00\n"
              "vantorel: the report is partial: 1 of 3 drawings could not be read\n");
}

TEST_F(ManyDrawings, JobsTakeAWholeNumberFromOne) {
    std::string errors;
    ShellRun run = Report(Path("chairs.dxf") + " " + Path("nested.dxf") + " --jobs 0", &errors);
    EXPECT_EQ(run.exitCode, 64);
    EXPECT_EQ(errors, "vantorel: --jobs takes a whole number from 1 up, the drawings read at once\n");
}

} // namespace
