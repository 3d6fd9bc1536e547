// The live editor's answers and its file chooser, driven with synthetic input on the headless screen: the
// same code that the real mouse and keys reach under a display.
#include "gui/GuiApp.h"

#include "platform/cad/Host.h"
#include "platform/ui/Controls.h"
#include "platform/ui/WindowSystem.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <variant>

namespace {

using ui::WindowSystem;

// What the user does while the editor waits, one step a turn of the modal loop.
class Turns {
public:
    explicit Turns(std::vector<std::function<void()>> steps) : m_steps(std::move(steps)) {
        WindowSystem::Instance().Headless().onIdle = [this](WindowSystem&) {
            if (m_next >= m_steps.size())
                return false;
            m_steps[m_next++]();
            return true;
        };
    }
    ~Turns() { WindowSystem::Instance().Headless().onIdle = nullptr; }

private:
    std::vector<std::function<void()>> m_steps;
    std::size_t m_next = 0;
};

cad::Answer Ask(gui::GuiApp& app, cad::Request request, const std::string& prompt) {
    cad::Answer answer;
    std::string error;
    EXPECT_TRUE(app.input.Next(request, prompt, answer, error));
    return answer;
}

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

// The view itself on the headless screen: the editor's main window made as Run makes it, without a display.
class LiveView : public ::testing::Test {
protected:
    void SetUp() override {
        WindowSystem::Instance().Reset();
        cad::Database& db = cad::Host::Instance().WorkingDatabase();
        for (double x : {0.0, 10.0, 20.0}) {
            auto line = db.Make<cad::Line>();
            line->start = cad::Point3d{x, 0, 0};
            line->end = cad::Point3d{x + 2, 2, 0};
            cad::ObjectId id;
            ASSERT_EQ(db.AppendEntity(db.ModelSpaceId(), std::move(line), &id), cad::ErrorStatus::Ok);
            ids.push_back(id);
        }
        app.scene.Build(db);
        app.main.Create(nullptr, ui::Rect{0, 0, 400, 300}, 0, "Vantorel", ui::StyleVisible);
        app.main.view.Create(&app.main, ui::Rect{}, 1, "", ui::StyleVisible);
        app.main.status.Create(&app.main, ui::Rect{}, 3, "", ui::StyleVisible);
        app.main.commandLine.Create(&app.main, ui::Rect{}, 2, "", ui::StyleVisible | ui::StyleTabStop);
        app.main.OnSize(ui::Size{400, 300});
        app.main.view.FitAll();
    }
    void TearDown() override {
        app.main.Destroy();
        cad::Database& db = cad::Host::Instance().WorkingDatabase();
        // Gone again for the next test, which shares the editor's drawing.
        for (cad::ObjectId id : ids)
            if (cad::Object* object = db.Peek(id))
                object->SetErased(true);
    }
    // OPEN, the drawing named in the chooser; the view's lines are not saved first.
    void OpenThroughChooser(const std::filesystem::path& drawing) {
        Turns opening({[&] {
            auto* chooser = dynamic_cast<gui::FileChooser*>(WindowSystem::Instance().Modal());
            ASSERT_NE(chooser, nullptr);
            chooser->Control(gui::FileChooser::IdName)->SetText(drawing.string());
            WindowSystem::Instance().Click(chooser->Control(ui::kIdOk)->ClientToScreen(ui::Point{3, 3}));
        }});
        WindowSystem::Instance().QueueMessageBoxAnswer(ui::ResultNo);
        app.Submit("OPEN");
        WindowSystem::Instance().RunPending();
    }
    ui::Point Screen(double x, double y) {
        const gui::ViewTransform& v = app.main.view.View();
        return app.main.view.ClientToScreen(ui::Point{static_cast<int>(v.ScreenX(x)), static_cast<int>(v.ScreenY(y))});
    }
    gui::GuiApp app;
    std::vector<cad::ObjectId> ids;
};

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
    std::string history;
    for (const std::string& line : app.main.commandLine.ShownHistory())
        history += line + "\n";
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

// LAYOUT lists the layouts and shows the one named (in any case), its viewports showing model space; a name
// that is not there is said with those that are.
TEST_F(LiveView, LayoutShowsAPaperSpaceLayoutByName) {
    std::filesystem::path drawing = std::filesystem::temp_directory_path() / "vantorel-live-sheets.dxf";
    ASSERT_EQ(std::system(("/usr/bin/python3 " + std::string(PLOT_COMPARE) + " sheets " + drawing.string()).c_str()), 0);
    OpenThroughChooser(drawing);
    // Model space: the walls' rectangle, 100 by 60; the window named for the drawing.
    EXPECT_NEAR(app.scene.Extents().maxX - app.scene.Extents().minX, 100.0, 1e-9);
    EXPECT_EQ(app.backend.Title(), "vantorel-live-sheets.dxf - Vantorel");
    auto layout = [&](const std::string& name) {
        Turns typing({[&] { app.Submit(name); }});
        app.Submit("LAYOUT");
        WindowSystem::Instance().RunPending();
    };
    layout("sheet a");
    // The sheet's border runs from 5 to 292.
    EXPECT_NEAR(app.scene.Extents().minX, 5.0, 1e-9);
    EXPECT_NEAR(app.scene.Extents().maxX, 292.0, 1e-9);
    layout("Plan");
    layout("MODEL");
    EXPECT_NEAR(app.scene.Extents().maxX - app.scene.Extents().minX, 100.0, 1e-9);
    std::string history;
    for (const std::string& line : app.main.commandLine.ShownHistory())
        history += line + "\n";
    EXPECT_NE(history.find("Layouts: Model, Layout1, Sheet A\nLayout to show <Model>: sheet a\nShowing Sheet A\n"),
              std::string::npos)
        << history;
    EXPECT_NE(history.find("Layout to show <Sheet A>: Plan\nNo layout is named \"Plan\": type one of Model, Layout1, "
                           "Sheet A\n"),
              std::string::npos)
        << history;
    EXPECT_NE(history.find("Showing Model\n"), std::string::npos) << history;
    std::filesystem::remove(drawing);
}


// ZOOM's options and PAN change the view and ZOOM Previous goes back; the status bar follows the pointer in
// drawing units; PageUp and PageDown scroll the history and F2 shows all of it in a window.
TEST_F(LiveView, ZoomPanStatusBarAndHistory) {
    const gui::ViewTransform& v = app.main.view.View();
    double fitted = v.scale;
    auto run = [&](const std::string& command, std::vector<std::string> answers) {
        std::vector<std::function<void()>> steps;
        for (const std::string& answer : answers)
            steps.push_back([&, answer] { app.input.Typed(answer); });
        Turns turns(steps);
        app.Submit(command);
        WindowSystem::Instance().RunPending();
    };
    run("ZOOM", {"w", "0,0", "4,2"});
    EXPECT_NEAR(v.centreX, 2.0, 1e-9);
    EXPECT_NEAR(v.centreY, 1.0, 1e-9);
    EXPECT_NEAR(v.scale, std::min(v.width / 4.0, v.height / 2.0), 1e-9);
    run("ZOOM", {"2x"});
    EXPECT_NEAR(v.scale, 2 * std::min(v.width / 4.0, v.height / 2.0), 1e-9);
    run("PAN", {"0,0", "1,0.5"});
    EXPECT_NEAR(v.centreX, 1.0, 1e-9);
    EXPECT_NEAR(v.centreY, 0.5, 1e-9);
    run("ZOOM", {"p"});
    run("ZOOM", {"P"});
    EXPECT_NEAR(v.centreX, 2.0, 1e-9);
    EXPECT_NEAR(v.scale, std::min(v.width / 4.0, v.height / 2.0), 1e-9);
    run("ZOOM", {"p"});
    EXPECT_NEAR(v.scale, fitted, 1e-9);
    run("ZOOM", {"p"});
    run("ZOOM", {"huge"});
    run("ZOOM", {""});
    EXPECT_NEAR(v.scale, fitted, 1e-9);
    std::string history;
    for (const std::string& line : app.main.commandLine.ShownHistory())
        history += line + "\n";
    EXPECT_NE(history.find("Zoom [Extents/Window/Previous] or a scale (2, 0.5) <Extents>: p\nNo previous view.\n"),
              std::string::npos)
        << history;
    EXPECT_NE(history.find("huge\nType E, W, P or a scale greater than 0, such as 2 or 0.5.\n"), std::string::npos)
        << history;

    ui::Point at = Screen(10, 1);
    WindowSystem::Instance().MouseMove(at);
    ui::Point client = app.main.view.ScreenToClient(at);
    char expected[96];
    std::snprintf(expected, sizeof expected, "X %.4f  Y %.4f", v.WorldX(client.x), v.WorldY(client.y));
    EXPECT_EQ(app.main.status.Coordinates(), expected);

    app.main.commandLine.SetFocus();
    WindowSystem::Instance().KeyDown(ui::KeyPageUp);
    EXPECT_EQ(app.main.commandLine.Scrolled(), gui::CommandLine::kLines - 1);
    WindowSystem::Instance().MouseWheel(app.main.commandLine.ClientToScreen(ui::Point{5, 5}), 120);
    EXPECT_EQ(app.main.commandLine.Scrolled(), gui::CommandLine::kLines + 2);
    WindowSystem::Instance().KeyDown(ui::KeyPageDown);
    WindowSystem::Instance().KeyDown(ui::KeyPageDown);
    EXPECT_EQ(app.main.commandLine.Scrolled(), 0);
    int listed = -1;
    Turns reading({[&] {
        auto* window = dynamic_cast<gui::HistoryWindow*>(WindowSystem::Instance().Modal());
        ASSERT_NE(window, nullptr);
        listed = dynamic_cast<ui::ListBox*>(window->Control(gui::HistoryWindow::IdLines))->ItemCount();
        WindowSystem::Instance().Click(window->Control(ui::kIdOk)->ClientToScreen(ui::Point{3, 3}));
    }});
    WindowSystem::Instance().KeyDown(ui::KeyF2);
    EXPECT_EQ(listed, static_cast<int>(app.main.commandLine.ShownHistory().size()));
}


// At "Select objects": each pick or window says what it found and the total; layer NAME takes a layer's objects;
// Enter with nothing chosen says how to choose. Objects picked before a command are its selection.
TEST_F(LiveView, SelectionCountsLayersAndObjectsPickedFirst) {
    Turns turns({[&] { WindowSystem::Instance().Click(Screen(1, 1)); },
                 [&] { WindowSystem::Instance().Click(Screen(1, 1)); },
                 [&] { app.input.Typed("layer 0"); },
                 [&] { app.input.Typed("layer nowhere"); },
                 [&] { WindowSystem::Instance().Click(Screen(11, 1), ui::MouseButton::Left, ui::ModShift); },
                 [&] { app.input.Typed(""); }});
    cad::Editor& editor = cad::Host::Instance().GetEditor();
    std::size_t before = editor.CommandLine().size();
    auto selection = std::get<cad::SelectionAnswer>(Ask(app, cad::Request::Selection, "Select objects: "));
    // Layer 0 holds the three lines, and whatever other tests left in the editor's drawing.
    cad::Database& db = cad::Host::Instance().WorkingDatabase();
    std::size_t onZero = 0;
    for (cad::ObjectId id : db.PeekAs<cad::BlockTableRecord>(db.ModelSpaceId())->entities)
        onZero += !db.Peek(id)->IsErased() && db.PeekAs<cad::Entity>(id)->layer == std::string_view("0");
    std::string n = std::to_string(onZero);
    EXPECT_EQ(selection.ids.size(), onZero - 1);
    EXPECT_EQ(selection.ids.front(), ids[0]);
    EXPECT_EQ(std::count(selection.ids.begin(), selection.ids.end(), ids[1]), 0);
    EXPECT_EQ(editor.CommandLine().substr(before), "1 found\n1 found (1 duplicate), 1 total\nSelect objects: layer 0\n" + n +
                                                   " found (1 duplicate), " + n + " total\nSelect objects: layer nowhere\n"
                                                   "No layer is named \"nowhere\".\n1 removed, " + std::to_string(onZero - 1) +
                                                   " total\n");
    // Enter with nothing chosen goes on asking, and says how to choose.
    Turns empty({[&] { app.input.Typed(""); }, [&] { app.input.Escape(); }});
    before = editor.CommandLine().size();
    EXPECT_TRUE(std::holds_alternative<cad::CancelAnswer>(Ask(app, cad::Request::Selection, "Select objects: ")));
    EXPECT_NE(editor.CommandLine().find("Nothing selected: click objects, drag a window, type all or layer NAME; Escape "
                                        "cancels.\n", before),
              std::string::npos);
    // Noun, then verb: a click between commands, then the command's request answered by it at once.
    WindowSystem::Instance().Click(Screen(21, 1));
    EXPECT_EQ(app.input.Preselected(), (std::vector<cad::ObjectId>{ids[2]}));
    selection = std::get<cad::SelectionAnswer>(Ask(app, cad::Request::Selection, "Select objects: "));
    EXPECT_EQ(selection.ids, (std::vector<cad::ObjectId>{ids[2]}));
    EXPECT_TRUE(app.input.Preselected().empty());
    // Escape between commands lets go of what was picked.
    WindowSystem::Instance().Click(Screen(21, 1));
    app.Escape();
    EXPECT_TRUE(app.input.Preselected().empty());
}


// LAYER lists the layers with colour, state and objects, turns them off and freezes them (not the current one)
// so that the view redraws, all as one step for U; the change is saved with the drawing.
TEST_F(LiveView, LayerTurnsLayersOffAndFreezesThemAsOneStepForU) {
    std::filesystem::path drawing = std::filesystem::temp_directory_path() / "vantorel-live-layers.dxf";
    ASSERT_EQ(std::system(("/usr/bin/python3 " + std::string(PLOT_COMPARE) + " sheets " + drawing.string()).c_str()), 0);
    OpenThroughChooser(drawing);
    auto height = [&] { return app.scene.Extents().maxY - app.scene.Extents().minY; };
    EXPECT_NEAR(height(), 60.0, 1e-9);
    cad::Editor& editor = cad::Host::Instance().GetEditor();
    std::size_t before = editor.CommandLine().size();
    {
        Turns typing({[&] { app.Submit("off walls"); }, [&] { app.Submit("freeze FURN"); },
                      [&] { app.Submit("freeze 0"); }, [&] { app.Submit("dim WALLS"); },
                      [&] { app.Submit("off nowhere"); }, [&] { app.Submit(""); }});
        app.Submit("LAYER");
        WindowSystem::Instance().RunPending();
    }
    std::string said = editor.CommandLine().substr(before);
    EXPECT_NE(said.find("Layer                    Colour  On   Frozen  Objects\n"
                        "0                             7  on   no            2\n"),
              std::string::npos)
        << said;
    EXPECT_NE(said.find("WALLS                         1  on   no            1\nFURN                          3  on   no  "
                        "          2\n"),
              std::string::npos)
        << said;
    EXPECT_NE(said.find("off walls\nLayer WALLS is off.\n"), std::string::npos) << said;
    EXPECT_NE(said.find("freeze FURN\nLayer FURN is frozen.\n"), std::string::npos) << said;
    EXPECT_NE(said.find("freeze 0\nCannot freeze the current layer 0: make another layer current first.\n"),
              std::string::npos)
        << said;
    EXPECT_NE(said.find("dim WALLS\nType ON, OFF, FREEZE or THAW and a layer's name, such as off WALLS.\n"),
              std::string::npos)
        << said;
    EXPECT_NE(said.find("off nowhere\nNo layer is named \"nowhere\".\n"), std::string::npos) << said;
    // Only the middle line is left on view; U brings both layers back at once, REDO takes them away again.
    EXPECT_NEAR(height(), 0.0, 1e-9);
    EXPECT_EQ(app.backend.Title(), "vantorel-live-layers.dxf* - Vantorel");
    app.Submit("U");
    WindowSystem::Instance().RunPending();
    EXPECT_NEAR(height(), 60.0, 1e-9);
    app.Submit("REDO");
    WindowSystem::Instance().RunPending();
    EXPECT_NEAR(height(), 0.0, 1e-9);
    app.Submit("SAVE");
    WindowSystem::Instance().RunPending();
    EXPECT_EQ(app.backend.Title(), "vantorel-live-layers.dxf - Vantorel");
    std::string read = "/usr/bin/python3 -c \"import ezdxf; d = ezdxf.readfile('" + drawing.string() +
                       "'); print(d.layers.get('WALLS').is_off(), d.layers.get('FURN').is_frozen(), "
                       "d.layers.get('0').is_on())\" > " + drawing.string() + ".txt";
    ASSERT_EQ(std::system(read.c_str()), 0);
    std::ifstream answer(drawing.string() + ".txt");
    std::string line;
    std::getline(answer, line);
    EXPECT_EQ(line, "True True True");
    std::filesystem::remove(drawing);
    std::filesystem::remove(drawing.string() + ".txt");
}

} // namespace
