// U, UNDO, REDO and ERASE as a user's script types them, and the drawings saved after them: read back byte
// for byte, or by ezdxf.
#include "AppTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using apptest::ReadFile;
using apptest::Shell;
using apptest::ShellRun;

const std::string kOffice = EXAMPLES_DIR "/office.dxf";

class UndoCommand : public apptest::ScriptedSession {
protected:
    // A table of the example's report placed at 10,20 at scale 1.
    std::string PlaceTable() const {
        return "open " + kOffice + "\ncommand KXBOMC\nfile " EXAMPLES_DIR "/office.prc\nselect all\nclick Insert\n"
               "pick 10,20\nenter\n";
    }
    std::string Summary(const std::string& drawing) const {
        return Shell(std::string("/usr/bin/python3 ") + AUDIT_SCRIPT + " summary " + drawing).out;
    }
};

TEST_F(UndoCommand, APlacedTableUndoneLeavesTheDrawingAsItWasByteForByte) {
    std::string out = Path("undone.dxf");
    ShellRun run = Session(PlaceTable() + "command U\nsave " + out + "\n");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    // U says which command it took back.
    EXPECT_NE(run.out.find("Lower right corner (or RETURN): KXBOMC\n"), std::string::npos) << run.out;
    EXPECT_TRUE(ReadFile(out) == ReadFile(kOffice)); // not printed: a whole drawing
}

TEST_F(UndoCommand, RedoPutsTheTableBackAndAnyOtherCommandEndsWhatCanBeRedone) {
    std::string redone = Path("redone.dxf");
    std::string again = Path("again.dxf");
    ShellRun run = Session(PlaceTable() + "command U\ncommand REDO\nsave " + redone +
                           "\ncommand ERASE\nselect layer 0\ncommand U\ncommand KXBOMT\nclick Close\ncommand REDO\n"
                           "command U\nsave " + again + "\n");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(Summary(redone), "audit errors 0\n"
                               "modelspace INSERT 49 TEXT 1\n"
                               "blocks CABINET CHAIR DESK DOOR QVT0001 ROOM\n"
                               "styles QVTTABLE Standard\n");
    // The catalogue command between U and REDO changed nothing, but it was a command.
    EXPECT_NE(run.out.find("50 erased\nERASE\nNothing has been undone that could be redone\nKXBOMC\n"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(Summary(again), Summary(kOffice));
}

TEST_F(UndoCommand, ErasedObjectsGoAndUndoBringsThemBackAsTheyWere) {
    std::string erased = Path("erased.dxf");
    std::string back = Path("back.dxf");
    ShellRun run = Session("open " + kOffice + "\ncommand ERASE\nselect all\nsave " + erased +
                           "\ncommand UNDO\nenter\nsave " + back + "\ncommand U\n");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(run.out, "49 erased\n"
                       "Enter the number of operations to undo <1>: ERASE\n"
                       "Everything has been undone\n");
    EXPECT_EQ(Summary(erased), "audit errors 0\n"
                               "modelspace \n"
                               "blocks CABINET CHAIR DESK DOOR ROOM\n"
                               "styles Standard\n");
    EXPECT_TRUE(ReadFile(back) == ReadFile(kOffice));
}

} // namespace
