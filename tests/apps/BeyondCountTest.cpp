// What a report tells beyond a count: rows split by attribute values, and the references behind every row. The
// drawing is counting_drawings.py's "attributed"; every count below is worked out by hand from it.
#include "AppTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using apptest::kReportHead;
using apptest::ReadFile;
using apptest::ReportRow;
using apptest::ReportSummary;
using apptest::Shell;
using apptest::ShellRun;
using apptest::WriteFile;

class BeyondCount : public apptest::ScriptedSession {
protected:
    std::string Drawing(const std::string& kind, const std::string& format = "asc") const {
        return CountingDrawing(kind, format);
    }
    ShellRun Report(const std::string& arguments, std::string* errors = nullptr) const {
        return apptest::Vantorel(dir, "report " + arguments, errors);
    }
    // export_check.py's reading of a file we wrote.
    std::string Check(const std::string& mode, const std::string& file, const std::string& more = "") const {
        return Shell(std::string("/usr/bin/python3 ") + EXPORT_CHECK + " " + mode + " " + file + " " + more + " 2>&1")
            .out;
    }
    std::string Prices() const {
        WriteFile(Path("prices.prc"), "DESK|250|Desk\nCHAIR|45|Chair\n");
        return Path("prices.prc");
    }
};

TEST_F(BeyondCount, AttributeValuesSplitTheRowsAndHeadColumnsOfTheirOwn) {
    for (const char* format : {"asc", "bin"}) {
        std::string errors;
        ShellRun run = Report(Drawing("attributed", format) + " --catalog " + Prices() +
                                  " --attributes ' material , Size,MATERIAL' --nested --minsert --csv " +
                                  Path("r.csv") + " --json " + Path("r.json") + " --xlsx " + Path("r.xlsx"),
                              &errors);
        ASSERT_EQ(run.exitCode, 0) << errors;
        EXPECT_EQ(errors, "");
        // The catalogue's rows first; a row of values takes its name's price and description; the MINSERT's six
        // red chairs and the three in the rooms are one row.
        EXPECT_EQ(run.out, kReportHead + ReportRow("desk", "250.00", 1, "Desk", "250.00") + ReportRow("chair", "45.00", 0, "Chair", "0.00") +
                               ReportRow("room", "0.00", 3, "", "0.00") + ReportRow("desk (oak, 160)", "250.00", 3, "Desk", "750.00") +
                               ReportRow("chair (red, )", "45.00", 9, "Chair", "405.00") +
                               ReportRow("chair (blue, )", "45.00", 3, "Chair", "135.00") +
                               ReportRow("desk (oak, 180)", "250.00", 1, "Desk", "250.00") + ReportSummary("1790.00"))
            << format;
        EXPECT_EQ(ReadFile(Path("r.csv")),
                  "Block name,MATERIAL,SIZE,Item Price,Quantity,Description,Total\r\n"
                  "desk,,,250.00,1,Desk,250.00\r\nchair,,,45.00,0,Chair,0.00\r\nroom,,,0.00,3,,0.00\r\n"
                  "desk,oak,160,250.00,3,Desk,750.00\r\nchair,red,,45.00,9,Chair,405.00\r\n"
                  "chair,blue,,45.00,3,Chair,135.00\r\ndesk,oak,180,250.00,1,Desk,250.00\r\n"
                  "Summary:,,,,,,1790.00\r\n");
    }
    EXPECT_EQ(Check("csv", Path("r.csv")),
              "line ends CRLF\n['Block name', 'MATERIAL', 'SIZE', 'Item Price', 'Quantity', 'Description', 'Total']\n"
              "['desk', '', '', '250.00', '1', 'Desk', '250.00']\n['chair', '', '', '45.00', '0', 'Chair', '0.00']\n"
              "['room', '', '', '0.00', '3', '', '0.00']\n['desk', 'oak', '160', '250.00', '3', 'Desk', '750.00']\n"
              "['chair', 'red', '', '45.00', '9', 'Chair', '405.00']\n"
              "['chair', 'blue', '', '45.00', '3', 'Chair', '135.00']\n"
              "['desk', 'oak', '180', '250.00', '1', 'Desk', '250.00']\n"
              "['Summary:', '', '', '', '', '', '1790.00']\n");
    std::string json = Check("json", Path("r.json"));
    EXPECT_NE(json.find("\"switches\": {\"attributes\": [\"MATERIAL\", \"SIZE\"], \"keyAttribute\": \"\", \"minsert\": "
                        "true, \"names\": \"stored\", \"nested\": true, \"skipTables\": false}"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("{\"attributes\": {\"MATERIAL\": \"red\", \"SIZE\": \"\"}, \"blockName\": \"chair\", "
                        "\"description\": \"Chair\", \"itemPrice\": 45.0, \"quantity\": 9, \"total\": 405.0}"),
              std::string::npos)
        << json;
    std::string xlsx = Check("xlsx", Path("r.xlsx"));
    EXPECT_NE(xlsx.find("'Block name' | 'MATERIAL' | 'SIZE' | 'Item Price' | 'Quantity' | 'Description' | 'Total'\n"
                        "'desk' | None | None | 250 [0.00] | 1 [0] | 'Desk' | 250 [0.00]\n"),
              std::string::npos)
        << xlsx;
    EXPECT_NE(xlsx.find("'desk' | 'oak' | '180' | 250 [0.00] | 1 [0] | 'Desk' | 250 [0.00]\n"
                        "'Summary:' | None | None | None | None | None | '=SUM(G2:G8)' cached 1790\n"),
              std::string::npos)
        << xlsx;
    EXPECT_NE(xlsx.find("narrow columns []"), std::string::npos) << xlsx;
}

TEST_F(BeyondCount, TheDialogSplitsTheRowsWhenTheVariableIsSet) {
    // Without the other switches only the placed references count: the MINSERT is one chair.
    ShellRun run = Session("open " + Drawing("attributed") + "\nsetvar BOMATTRS material,size\ncommand KXBOMC\ncancel\n"
                           "select all\nclick Save to file\nfile " + Path("report.txt") + "\nclick Close\n");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(ReadFile(Path("report.txt")), kReportHead + ReportRow("room", "0.00", 3, "", "0.00") +
                                                ReportRow("desk (oak, 180)", "0.00", 1, "", "0.00") +
                                                ReportRow("desk", "0.00", 1, "", "0.00") +
                                                ReportRow("chair (red, )", "0.00", 1, "", "0.00") + ReportSummary("0.00"));
    // A tag alone, and the variable emptied again: the plain count.
    run = Session("open " + Drawing("attributed") + "\nsetvar BOMATTRS material\ncommand KXBOMC\ncancel\n"
                  "select all\nclick Save to file\nfile " + Path("one.txt") + "\nclick Close\nsetvar BOMATTRS \"\"\n"
                  "command KXBOMC\ncancel\nselect all\nclick Save to file\nfile " + Path("none.txt") + "\nclick Close\n");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(ReadFile(Path("one.txt")), kReportHead + ReportRow("room", "0.00", 3, "", "0.00") + ReportRow("desk (oak)", "0.00", 1, "", "0.00") +
                                             ReportRow("desk", "0.00", 1, "", "0.00") + ReportRow("chair (red)", "0.00", 1, "", "0.00") +
                                             ReportSummary("0.00"));
    EXPECT_EQ(ReadFile(Path("none.txt")), kReportHead + ReportRow("room", "0.00", 3, "", "0.00") + ReportRow("desk", "0.00", 2, "", "0.00") +
                                              ReportRow("chair", "0.00", 1, "", "0.00") + ReportSummary("0.00"));
}

TEST_F(BeyondCount, ATagNoCountedReferenceCarriesIsSaid) {
    std::string errors;
    ShellRun run = Report(Drawing("attributed") + " --attributes finish,size", &errors);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(errors, "vantorel: no counted reference carries the attribute FINISH: its values are empty\n");
    EXPECT_EQ(run.out, kReportHead + ReportRow("room", "0.00", 3, "", "0.00") + ReportRow("desk (, 180)", "0.00", 1, "", "0.00") +
                           ReportRow("desk", "0.00", 1, "", "0.00") + ReportRow("chair", "0.00", 1, "", "0.00") + ReportSummary("0.00"));
    // Nested references carry their own: the rooms' chairs have MATERIAL, the model's references do not need to.
    run = Report(Drawing("attributed") + " --attributes material --nested", &errors);
    EXPECT_EQ(errors, "");
}

TEST_F(BeyondCount, SeveralDrawingsSumTheRowsOfTheSameValues) {
    std::string first = Drawing("attributed");
    std::string second = Drawing("attributed", "bin");
    std::string errors;
    ShellRun run = Report(first + " " + second + " --attributes MATERIAL --nested --csv " + Path("both.csv") +
                              " --sort 'block name:desc'",
                          &errors);
    ASSERT_EQ(run.exitCode, 0) << errors;
    EXPECT_EQ(run.out, kReportHead + ReportRow("room", "0.00", 6, "", "0.00") + ReportRow("desk (oak)", "0.00", 8, "", "0.00") +
                           ReportRow("desk", "0.00", 2, "", "0.00") + ReportRow("chair (red)", "0.00", 8, "", "0.00") +
                           ReportRow("chair (blue)", "0.00", 6, "", "0.00") + ReportSummary("0.00"));
    EXPECT_EQ(ReadFile(Path("both.csv")),
              "Block name,MATERIAL,Item Price,Quantity,attributed-asc.dxf,attributed-bin.dxf,Description,Total\r\n"
              "room,,0.00,6,3,3,,0.00\r\ndesk,oak,0.00,8,4,4,,0.00\r\ndesk,,0.00,2,1,1,,0.00\r\n"
              "chair,red,0.00,8,4,4,,0.00\r\nchair,blue,0.00,6,3,3,,0.00\r\nSummary:,,,,,,,0.00\r\n");
}

TEST_F(BeyondCount, TheReferencesBehindEveryRowAreListed) {
    std::string errors;
    ShellRun run = Report(Drawing("attributed") + " --attributes material --nested --minsert --references " +
                              Path("refs.csv"),
                          &errors);
    ASSERT_EQ(run.exitCode, 0) << errors;
    std::string drawing = Path("attributed-asc.dxf");
    std::string listed = ReadFile(Path("refs.csv"));
    // The first room's contents stand where the room puts them; the MINSERT adds its 2 x 3 chairs.
    EXPECT_EQ(listed.substr(0, listed.find("\r\n", listed.find("\r\n", listed.find("\r\n") + 2) + 2) + 2),
              "Drawing,Layout,Handle,Block name,Counted name,Layer,X,Y,Z,X scale,Y scale,Z scale,Rotation,Nested in,"
              "Count,Attributes\r\n" +
                  drawing + ",Model,4A,ROOM,room,FLOOR1,0,0,0,1,1,1,0,,1,\r\n" + drawing +
                  ",Model,40,DESK,desk (oak),FLOOR1,1,1,0,1,1,1,0,4A,1,MATERIAL=oak; SIZE=160\r\n");
    EXPECT_NE(listed.find(drawing + ",Model,40,DESK,desk (oak),FLOOR1,11,1,0,1,1,1,0,4C,1,MATERIAL=oak; SIZE=160\r\n"),
              std::string::npos)
        << listed;
    EXPECT_NE(listed.find(drawing + ",Model,47,CHAIR,chair (blue),FURN,23,3,0,1,1,1,0,4E,1,MATERIAL=blue\r\n"),
              std::string::npos)
        << listed;
    EXPECT_NE(listed.find(drawing + ",Model,56,CHAIR,chair (red),FLOOR2,50,0,0,1,1,1,0,,6,MATERIAL=red\r\n"),
              std::string::npos)
        << listed;

    // JSON, with the paper-space layouts: the layout of each, nested references in the layout of theirs.
    run = Report(Drawing("attributed") + " --select all-layouts --nested --json " + Path("r.json") + " --references " +
                     Path("refs.json"),
                 &errors);
    ASSERT_EQ(run.exitCode, 0) << errors;
    std::string json = Check("json", Path("refs.json"));
    EXPECT_NE(json.find("{\"attributes\": {}, \"blockName\": \"ROOM\", \"count\": 1, \"countedName\": \"room\", "
                        "\"drawing\": \"" + drawing + "\", \"handle\": \"61\", \"layer\": \"FLOOR2\", \"layout\": "
                        "\"Layout2\", \"nestedIn\": [], \"position\": [1, 1, 0], \"rotation\": 0, \"scale\": [1, 1, 1]}"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"countedName\": \"chair\", \"drawing\": \"" + drawing + "\", \"handle\": \"47\", \"layer\": "
                        "\"FURN\", \"layout\": \"Layout2\", \"nestedIn\": [\"61\"], \"position\": [4, 4, 0]"),
              std::string::npos)
        << json;
    EXPECT_EQ(Check("sums", Path("r.json"), Path("refs.json")), "sums agree: 3 rows, 20 references\n");

    // Several drawings: each one's references in turn, adding up to the summed rows.
    run = Report(Drawing("attributed") + " " + Drawing("cycle") + " --nested --json " + Path("both.json") +
                     " --references " + Path("both.csv"),
                 &errors);
    ASSERT_EQ(run.exitCode, 0) << errors;
    EXPECT_EQ(Check("sums", Path("both.json"), Path("both.csv")), "sums agree: 5 rows, 28 references\n");

    run = Report(Drawing("attributed") + " --references " + Path("refs.txt"), &errors);
    EXPECT_EQ(run.exitCode, 64);
    EXPECT_EQ(errors, "vantorel: --references takes a name ending in .csv or .json, which says the format\n");
    run = Report(Drawing("attributed") + " --references " + Path("no/such/folder/refs.csv"), &errors);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(errors.find("vantorel: the references could not be written: cannot write "), std::string::npos) << errors;
}

// The quantity column split by the layer or the layout of each reference counted, or by drawing; the parts add up to
// the quantity.
TEST_F(BeyondCount, QuantitiesAreSplitIntoColumnsByLayerLayoutOrDrawing) {
    std::string drawing = Drawing("attributed");
    std::string errors;
    // Nested references on layer 0 take their room's layer; those on FURN keep theirs.
    ShellRun run = Report(drawing + " --catalog " + Prices() + " --nested --minsert --select all-layouts --attributes "
                              "material --columns-by layer --csv " + Path("l.csv") + " --xlsx " + Path("l.xlsx") +
                              " --json " + Path("l.json"),
                          &errors);
    ASSERT_EQ(run.exitCode, 0) << errors;
    EXPECT_EQ(ReadFile(Path("l.csv")),
              "Block name,MATERIAL,Item Price,Quantity,FLOOR1,FLOOR2,FURN,Description,Total\r\n"
              "desk,,250.00,1,0,1,0,Desk,250.00\r\nchair,,45.00,0,0,0,0,Chair,0.00\r\nroom,,0.00,4,2,2,0,,0.00\r\n"
              "desk,oak,250.00,6,4,2,0,Desk,1500.00\r\nchair,red,45.00,10,0,6,4,Chair,450.00\r\n"
              "chair,blue,45.00,4,0,0,4,Chair,180.00\r\nSummary:,,,,,,,,2380.00\r\n");
    std::string xlsx = Check("xlsx", Path("l.xlsx"));
    EXPECT_NE(xlsx.find("'Block name' | 'MATERIAL' | 'Item Price' | 'Quantity' | 'FLOOR1' | 'FLOOR2' | 'FURN' | "
                        "'Description' | 'Total'\n'desk' | None | 250 [0.00] | 1 [0] | 0 [0] | 1 [0] | 0 [0] | 'Desk' | "
                        "250 [0.00]\n"),
              std::string::npos)
        << xlsx;
    EXPECT_NE(xlsx.find("'=SUM(I2:I7)' cached 2380\n"), std::string::npos) << xlsx;
    std::string json = Check("json", Path("l.json"));
    EXPECT_NE(json.find("\"columnsBy\": \"layer\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"quantities\": {\"FLOOR1\": 0, \"FLOOR2\": 6, \"FURN\": 4}, \"quantity\": 10"),
              std::string::npos)
        << json;
    // The printed report is the plain one.
    EXPECT_EQ(run.out.substr(0, kReportHead.size()), kReportHead);

    // By layout, in the tabs' order; a layout nothing was counted in has no column.
    run = Report(drawing + " --nested --select all-layouts --columns-by layout --csv " + Path("t.csv"), &errors);
    ASSERT_EQ(run.exitCode, 0) << errors;
    EXPECT_EQ(ReadFile(Path("t.csv")),
              "Block name,Item Price,Quantity,Model,Layout1,Layout2,Description,Total\r\n"
              "room,0.00,4,3,0,1,,0.00\r\ndesk,0.00,7,5,1,1,,0.00\r\nchair,0.00,9,7,0,2,,0.00\r\n"
              "Summary:,,,,,,,0.00\r\n");
    run = Report(drawing + " --columns-by layout --csv " + Path("m.csv"), &errors);
    EXPECT_EQ(ReadFile(Path("m.csv")),
              "Block name,Item Price,Quantity,Model,Description,Total\r\nroom,0.00,3,3,,0.00\r\n"
              "desk,0.00,2,2,,0.00\r\nchair,0.00,1,1,,0.00\r\nSummary:,,,,,0.00\r\n");

    // One drawing by drawing: a column of its own; several by none: the sums alone; several by layer: the
    // layers of all of them.
    run = Report(drawing + " --columns-by drawing --csv " + Path("d.csv"), &errors);
    EXPECT_EQ(ReadFile(Path("d.csv")).substr(0, 75),
              "Block name,Item Price,Quantity,attributed-asc.dxf,Description,Total\r\nroom,0");
    std::string cycle = Drawing("cycle");
    run = Report(drawing + " " + cycle + " --columns-by none --csv " + Path("n.csv"), &errors);
    ASSERT_EQ(run.exitCode, 0) << errors;
    EXPECT_EQ(ReadFile(Path("n.csv")),
              "Block name,Item Price,Quantity,Description,Total\r\nroom,0.00,3,,0.00\r\ndesk,0.00,2,,0.00\r\n"
              "chair,0.00,1,,0.00\r\nb,0.00,2,,0.00\r\na,0.00,1,,0.00\r\nSummary:,,,,0.00\r\n");
    run = Report(drawing + " " + cycle + " --columns-by layer --csv " + Path("b.csv"), &errors);
    EXPECT_EQ(ReadFile(Path("b.csv")),
              "Block name,Item Price,Quantity,0,FLOOR1,FLOOR2,Description,Total\r\nroom,0.00,3,0,2,1,,0.00\r\n"
              "desk,0.00,2,0,1,1,,0.00\r\nchair,0.00,1,0,0,1,,0.00\r\nb,0.00,2,2,0,0,,0.00\r\n"
              "a,0.00,1,1,0,0,,0.00\r\nSummary:,,,,,,,0.00\r\n");

    // Without a file to split it, the user is told that nothing was split.
    run = Report(drawing + " --columns-by layer", &errors);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(errors, "vantorel: --columns-by splits the quantity columns of --csv, --xlsx and --json, and none of "
                      "them was given: the report printed keeps its one quantity column\n");
    run = Report(drawing + " --columns-by colour --csv " + Path("x.csv"), &errors);
    EXPECT_EQ(run.exitCode, 64);
    EXPECT_EQ(errors, "vantorel: --columns-by takes drawing, layer, layout or none, not colour\n");
}

// Whatever the drawing and the switches, a row's quantity is what its references add up to.
TEST_F(BeyondCount, QuantitiesAreTheSumsOfTheListedReferencesOnEveryDrawing) {
    std::vector<std::string> drawings;
    for (const char* kind : {"nested", "minsert", "keyed", "tables", "layouts", "dynamic", "attributed", "cycle"})
        drawings.push_back(Drawing(kind));
    ShellRun made = Shell(std::string("/usr/bin/python3 ") + DRAWINGS_SCRIPT + " make " + dir.string() + " 2>&1");
    ASSERT_EQ(made.exitCode, 0) << made.out;
    for (const char* name : {"R12.dxf", "R2000-bin.dxf", "R2004.dxf", "R2010.dxf", "R2018.dxf", "hebrew1255.dxf",
                             "hebrew2018.dxf", "special.dxf", "extrasR2018.dxf", "recovery.dxf"})
        drawings.push_back(Path(name));
    drawings.push_back(std::string(EXAMPLES_DIR) + "/office.dxf");
    drawings.push_back(std::string(DWG_SAMPLES_DIR) + "/example_2018.dwg");
    const char* switches[] = {"", "--nested --names effective --skip-tables",
                              "--select all-layouts --nested --minsert --key-attribute PARTNO --attributes material,code"};
    for (const std::string& drawing : drawings) {
        for (const char* more : switches) {
            std::filesystem::remove(Path("r.json"));
            std::filesystem::remove(Path("refs.json"));
            std::string errors;
            ShellRun run = Report(drawing + " " + more + " --json " + Path("r.json") + " --references " + Path("refs.json"),
                                  &errors);
            if (run.exitCode == 1 && errors.find("no block references were selected") != std::string::npos)
                continue;
            ASSERT_EQ(run.exitCode, 0) << drawing << " " << more << "\n" << errors;
            EXPECT_EQ(Check("sums", Path("r.json"), Path("refs.json")).rfind("sums agree: ", 0), 0u)
                << drawing << " " << more << "\n" << Check("sums", Path("r.json"), Path("refs.json"));
        }
    }
}

} // namespace
