// The live editor's answers and its file chooser, driven with synthetic input on the headless screen: the
// same code that the real mouse and keys reach under a display.
#include "LiveTestSupport.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <variant>

namespace {

using livetest::Ask;
using livetest::LiveView;
using livetest::Turns;
using ui::WindowSystem;


TEST(LiveAnswers, MovesThatComeTogetherKeepOnlyTheLatestAndAPickAfterThemIsNotLost) {
    gui::GuiApp app;
    Turns turns({[&] {
        app.input.Motion(1, 1);
        app.input.Motion(2, 2); // while the first is still being answered
        app.input.Motion(3, 3);
        app.input.Answer(cad::InputEvent{cad::EventType::Pick, cad::Point3d{4, 4, 0}, 0});
    }});
    auto first = std::get<cad::InputEvent>(Ask(app, cad::Request::Event, ""));
    EXPECT_EQ(first.type, cad::EventType::Motion);
    EXPECT_EQ(first.point.x, 1.0);
    auto second = std::get<cad::InputEvent>(Ask(app, cad::Request::Event, ""));
    EXPECT_EQ(second.type, cad::EventType::Motion);
    EXPECT_EQ(second.point.x, 3.0);
    auto third = std::get<cad::InputEvent>(Ask(app, cad::Request::Event, ""));
    EXPECT_EQ(third.type, cad::EventType::Pick);
    EXPECT_EQ(third.point.y, 4.0);
}

TEST(LiveAnswers, TypedPointsEmptyLinesAndEscapeAnswerAPointRequest) {
    gui::GuiApp app;
    cad::Editor& editor = cad::Host::Instance().GetEditor();
    editor.ClearCommandLine();
    {
        Turns turns({[&] { app.input.Typed("12,x"); }, [&] { app.input.Typed(" 3.5,-2 "); }});
        auto point = std::get<cad::PointAnswer>(Ask(app, cad::Request::Point, "\nUpper left corner of table: "));
        EXPECT_EQ(point.point.x, 3.5);
        EXPECT_EQ(point.point.y, -2.0);
        // Each typed answer is kept in the history after its prompt.
        EXPECT_EQ(editor.CommandLine(), "Upper left corner of table: 12,x\n"
                                        "Point or option keyword required.\n"
                                        "Upper left corner of table: 3.5,-2\n");
        EXPECT_EQ(app.input.Prompt(), "Upper left corner of table: ");
    }
    {
        Turns turns({[&] { app.input.Typed(""); }});
        EXPECT_TRUE(std::holds_alternative<cad::EmptyAnswer>(Ask(app, cad::Request::Point, "Corner: ")));
    }
    {
        Turns turns({[&] { app.input.Escape(); }});
        EXPECT_TRUE(std::holds_alternative<cad::CancelAnswer>(Ask(app, cad::Request::Point, "Corner: ")));
    }
    // A display that goes away answers as Escape would.
    Turns none({});
    EXPECT_TRUE(std::holds_alternative<cad::CancelAnswer>(Ask(app, cad::Request::Text, "Name: ")));
    EXPECT_FALSE(app.input.Asking());
}

TEST(LiveAnswers, APromptTheModulePrintedShowsOnceWhereItIsAnswered) {
    gui::GuiApp app;
    cad::Editor& editor = cad::Host::Instance().GetEditor();
    editor.ClearCommandLine();
    editor.Print("Command: KXBOMC\n");
    editor.Print("\nUpper left corner of table: "); // as the module's point request prints it
    std::vector<std::string> shown;
    Turns turns({[&] {
        shown = app.main.commandLine.ShownHistory();
        app.input.Typed("3,4");
    }});
    Ask(app, cad::Request::Point, "\nUpper left corner of table: ");
    EXPECT_EQ(shown, (std::vector<std::string>{"Command: KXBOMC"}));
    EXPECT_EQ(editor.CommandLine(), "Command: KXBOMC\n\nUpper left corner of table: 3,4\n");
    EXPECT_EQ(app.main.commandLine.ShownHistory(),
              (std::vector<std::string>{"Command: KXBOMC", "Upper left corner of table: 3,4"}));
}

TEST(LiveAnswers, AllSelectsEverythingAndAsksOnUntilEnterAndTheNextStartsEmpty) {
    gui::GuiApp app;
    cad::Database& db = cad::Host::Instance().WorkingDatabase();
    std::vector<cad::ObjectId> lines;
    for (double x : {0.0, 5.0}) {
        auto line = db.Make<cad::Line>();
        line->end = cad::Point3d{x + 1, 1, 0};
        cad::ObjectId id;
        ASSERT_EQ(db.AppendEntity(db.ModelSpaceId(), std::move(line), &id), cad::ErrorStatus::Ok);
        lines.push_back(id);
    }
    cad::Editor& editor = cad::Host::Instance().GetEditor();
    editor.ClearCommandLine();
    {
        Turns turns({[&] { app.input.Typed("all"); },
                     [&] {
                         EXPECT_TRUE(app.input.Asking()); // all, then Enter
                         app.input.Typed("");
                     }});
        auto all = std::get<cad::SelectionAnswer>(Ask(app, cad::Request::Selection, "Select objects: "));
        EXPECT_FALSE(all.everything);
        EXPECT_EQ(all.ids, lines);
        EXPECT_EQ(editor.CommandLine(), "Select objects: all\n2 found\n");
    }
    // The next starts empty; Enter with nothing chosen asks on (and says how to choose) until Escape.
    Turns turns({[&] {
        EXPECT_TRUE(app.input.Selected().empty());
        app.input.Typed("");
    }, [&] {
        EXPECT_TRUE(app.input.Asking());
        app.input.Escape();
    }});
    EXPECT_TRUE(std::holds_alternative<cad::CancelAnswer>(Ask(app, cad::Request::Selection, "Select objects: ")));
    for (cad::ObjectId id : lines)
        db.Peek(id)->SetErased(true); // gone again for the tests that share the editor's drawing
}

class Chooser : public ::testing::Test {
protected:
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() /
                 ("vantorel-chooser-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder / "older");
        std::ofstream(folder / "b.prc") << "x";
        std::ofstream(folder / "A.PRC") << "x";
        std::ofstream(folder / "notes.txt") << "x";
        std::ofstream(folder / "older" / "c.prc") << "x";
        WindowSystem::Instance().Reset();
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::vector<std::string> Items(gui::FileChooser& chooser) {
        auto* list = dynamic_cast<ui::ListBox*>(chooser.Control(gui::FileChooser::IdList));
        std::vector<std::string> items;
        for (int i = 0; list && i < list->ItemCount(); ++i)
            items.push_back(list->Item(i));
        return items;
    }
    void Click(ui::Window& window, const std::string& item) {
        ui::Rect rect;
        ASSERT_TRUE(window.FindItem(item, rect)) << item;
        WindowSystem::Instance().Click(window.ClientToScreen(ui::Point{rect.left + 2, rect.top + 2}));
    }
    void ClickControl(ui::Dialog& dialog, int id) {
        ui::Window* control = dialog.Control(id);
        ASSERT_NE(control, nullptr);
        WindowSystem::Instance().Click(control->ClientToScreen(ui::Point{3, 3}));
        WindowSystem::Instance().Advance(600);
    }
    std::filesystem::path folder;
};

TEST_F(Chooser, ListsFoldersThenFilesOfTheExtensionAndTakesAClickedFile) {
    gui::FileChooser chooser(cad::FilePrompt{"Open", "", "prc", 2}, folder.string());
    std::vector<std::string> shown;
    Turns turns({[&] {
                     shown = Items(chooser);
                     Click(*chooser.Control(gui::FileChooser::IdList), "b.prc");
                     WindowSystem::Instance().Advance(600);
                 },
                 [&] { ClickControl(chooser, ui::kIdOk); }});
    ASSERT_EQ(chooser.DoModal(), ui::kIdOk);
    EXPECT_EQ(shown, (std::vector<std::string>{"../", "older/", "A.PRC", "b.prc"}));
    EXPECT_EQ(chooser.Chosen(), (folder / "b.prc").string());
}

TEST_F(Chooser, ADoubleClickedFolderIsEnteredAndAMissingFileIsSaid) {
    gui::FileChooser chooser(cad::FilePrompt{"Open", "", "prc", 2}, folder.string());
    std::vector<std::string> inside;
    Turns turns({[&] {
                     auto* list = chooser.Control(gui::FileChooser::IdList);
                     Click(*list, "older/");
                     Click(*list, "older/");
                     WindowSystem::Instance().Advance(600);
                     inside = Items(chooser);
                 },
                 [&] {
                     chooser.Control(gui::FileChooser::IdName)->SetText("gone.prc");
                     WindowSystem::Instance().QueueMessageBoxAnswer(ui::ResultOk);
                     ClickControl(chooser, ui::kIdOk);
                 },
                 [&] { ClickControl(chooser, ui::kIdCancel); }});
    EXPECT_EQ(chooser.DoModal(), ui::kIdCancel);
    EXPECT_EQ(inside, (std::vector<std::string>{"../", "c.prc"}));
    ASSERT_EQ(WindowSystem::Instance().MessageBoxes().size(), 1u);
    EXPECT_EQ(WindowSystem::Instance().MessageBoxes()[0].text, (folder / "older" / "gone.prc").string() + "\nFile not found.");
}

// Names on disk are UTF-8; the list shows them in the windows' code page (1252 here), "?" for what it cannot
// hold, and the name taken is the one on disk.
TEST_F(Chooser, NamesShowInTheCodePageAndAreTakenAsOnDisk) {
    std::ofstream(folder / "B\xC3\xBCrostuhl.prc") << "x"; // Bürostuhl
    std::ofstream(folder / "\xCE\xA9mega.prc") << "x";      // Ωmega
    gui::FileChooser chooser(cad::FilePrompt{"Open", "", "prc", 2}, folder.string());
    std::vector<std::string> shown;
    Turns turns({[&] {
                     shown = Items(chooser);
                     Click(*chooser.Control(gui::FileChooser::IdList), "?mega.prc");
                     WindowSystem::Instance().Advance(600);
                 },
                 [&] { ClickControl(chooser, ui::kIdOk); }});
    ASSERT_EQ(chooser.DoModal(), ui::kIdOk);
    EXPECT_EQ(shown, (std::vector<std::string>{"../", "older/", "A.PRC", "B\xFCrostuhl.prc", "b.prc", "?mega.prc"}));
    EXPECT_EQ(chooser.Chosen(), (folder / "\xCE\xA9mega.prc").string());

    gui::FileChooser typed(cad::FilePrompt{"Open", "", "prc", 2}, folder.string());
    Turns more({[&] { typed.Control(gui::FileChooser::IdName)->SetText("B\xFCrostuhl.prc"); },
                [&] { ClickControl(typed, ui::kIdOk); }});
    ASSERT_EQ(typed.DoModal(), ui::kIdOk);
    EXPECT_EQ(typed.Chosen(), (folder / "B\xC3\xBCrostuhl.prc").string());
}

TEST_F(Chooser, ANewFileGetsTheExtensionAndTheProposalSetsFolderAndName) {
    gui::FileChooser chooser(cad::FilePrompt{"Save as", (folder / "older" / "report.txt").string(), "txt", 1}, "/");
    std::string proposed;
    Turns turns({[&] {
                     proposed = chooser.Control(gui::FileChooser::IdName)->Text();
                     chooser.Control(gui::FileChooser::IdName)->SetText("summary");
                 },
                 [&] { ClickControl(chooser, ui::kIdOk); }});
    ASSERT_EQ(chooser.DoModal(), ui::kIdOk);
    EXPECT_EQ(proposed, "report.txt");
    EXPECT_EQ(chooser.Chosen(), (folder / "older" / "summary.txt").string());
}

} // namespace

namespace {


TEST_F(LiveView, TheWheelZoomsAboutTheCursorAndAHeldRightButtonPans) {
    const gui::ViewTransform& v = app.main.view.View();
    double scale = v.scale;
    app.main.commandLine.SetFocus(); // where typing goes; the wheel turns what it is over all the same
    ui::Point at = Screen(10, 1);
    WindowSystem::Instance().MouseWheel(at, 120);
    EXPECT_NEAR(v.scale, scale * 1.25, 1e-9);
    ui::Point client = app.main.view.ScreenToClient(at);
    EXPECT_NEAR(v.WorldX(client.x), 10.0, 1.0 / v.scale);
    double centre = v.centreX;
    WindowSystem::Instance().MouseDown(ui::Point{200, 100}, ui::MouseButton::Right);
    WindowSystem::Instance().MouseMove(ui::Point{150, 100});
    WindowSystem::Instance().MouseUp(ui::Point{150, 100}, ui::MouseButton::Right);
    EXPECT_NEAR(v.centreX, centre + 50 / v.scale, 1e-9); // the drawing follows the hand to the left
}

TEST_F(LiveView, ARectangleDraggedRightToLeftCrossesLeftToRightEncloses) {
    WindowSystem& system = WindowSystem::Instance();
    auto drag = [&](ui::Point from, ui::Point to) {
        system.MouseDown(from);
        system.MouseMove(to);
        system.MouseUp(to);
        system.Advance(600);
    };
    // Left to right around the first line only; right to left over the corner of the second.
    Turns turns({[&] { drag(Screen(-1, -1), Screen(3, 3)); },
                 [&] { drag(Screen(11.5, 3), Screen(11, -1)); },
                 [&] { app.input.Typed(""); }});
    auto selection = std::get<cad::SelectionAnswer>(Ask(app, cad::Request::Selection, "Select objects: "));
    EXPECT_EQ(selection.ids, (std::vector<cad::ObjectId>{ids[0], ids[1]}));
}

TEST_F(LiveView, AClickPicksAPointInDrawingUnits) {
    Turns turns({[&] { WindowSystem::Instance().Click(Screen(7, 5)); }});
    auto point = std::get<cad::PointAnswer>(Ask(app, cad::Request::Point, "Point: "));
    EXPECT_NEAR(point.point.x, 7.0, 1.0 / app.main.view.View().scale);
    EXPECT_NEAR(point.point.y, 5.0, 1.0 / app.main.view.View().scale);
}

} // namespace

namespace {

TEST_F(Chooser, AFileToCreateThatExistsIsAskedAboutAndNoGoesBackToChoosing) {
    gui::FileChooser chooser(cad::FilePrompt{"Save as", "", "prc", 1}, folder.string());
    bool stillChoosing = false;
    Turns turns({[&] { chooser.Control(gui::FileChooser::IdName)->SetText("b"); },
                 [&] {
                     WindowSystem::Instance().QueueMessageBoxAnswer(ui::ResultNo);
                     ClickControl(chooser, ui::kIdOk);
                 },
                 [&] {
                     stillChoosing = WindowSystem::Instance().Modal() == &chooser;
                     WindowSystem::Instance().QueueMessageBoxAnswer(ui::ResultYes);
                     ClickControl(chooser, ui::kIdOk);
                 }});
    ASSERT_EQ(chooser.DoModal(), ui::kIdOk);
    EXPECT_TRUE(stillChoosing);
    const auto& boxes = WindowSystem::Instance().MessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    for (const ui::ShownMessageBox& box : boxes) {
        EXPECT_EQ(box.text, "b.prc already exists. Do you want to replace it?");
        EXPECT_EQ(box.caption, "Save as");
        EXPECT_EQ(box.type, ui::MessageBoxYesNo);
    }
    EXPECT_EQ(chooser.Chosen(), (folder / "b.prc").string());
}

// OPEN of a damaged drawing: what could not be read is said on the command line, the rest is there to work on.
TEST_F(LiveView, ADamagedDrawingOpenedSaysWhatWasLeftOut) {
    std::filesystem::path drawing = std::filesystem::temp_directory_path() / "vantorel-live-damaged.dxf";
    {
        std::ofstream out(drawing, std::ios::binary);
        out << "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n  8\n0\n 10\n1.0\n 20\n2.0\n 11\n3.0\n 21\n4.0\n"
               "  0\nMTEXT\n  8\n0\n  1\nhello\nworld\n  0\nLINE\n  8\n0\n 10\n1.0\n 20\nx2.0\n"
               "  0\nCIRCLE\n  8\n0\n 10\n0.0\n 20\n0.0\n 40\n1.0\n  0\nENDSEC\n  0\nEOF\n";
    }
    OpenThroughChooser(drawing);
    std::string history = History();
    EXPECT_NE(history.find(drawing.string() + ", lines 17-23: an MTEXT could not be read and was left out\n"),
              std::string::npos)
        << history;
    EXPECT_NE(history.find(drawing.string() + ", lines 24-31: a LINE could not be read and was left out\n"),
              std::string::npos)
        << history;
    EXPECT_EQ(cad::Host::Instance().WorkingDatabase().PeekAs<cad::BlockTableRecord>(
                  cad::Host::Instance().WorkingDatabase().ModelSpaceId())->entities.size(),
              2u);
    std::filesystem::remove(drawing);
}


} // namespace
