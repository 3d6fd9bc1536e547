// The viewer's own commands in the live editor: layouts, layers, zoom and pan, the status bar and the history,
// and how objects are chosen, driven with synthetic input on the headless screen.
#include "LiveTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <variant>

namespace {

using livetest::Ask;
using livetest::LiveView;
using livetest::Turns;
using ui::WindowSystem;

// LAYOUT lists the layouts and shows the one named (in any case), its viewports showing model space; a name
// that is not there is said with those that are.
TEST_F(LiveView, LayoutShowsAPaperSpaceLayoutByName) {
    OpenMade("sheets", "vantorel-live-sheets.dxf");
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
    std::string history = History();
    EXPECT_NE(history.find("Layouts: Model, Layout1, Sheet A\nLayout to show <Model>: sheet a\nShowing Sheet A\n"),
              std::string::npos)
        << history;
    EXPECT_NE(history.find("Layout to show <Sheet A>: Plan\nNo layout is named \"Plan\": type one of Model, Layout1, "
                           "Sheet A\n"),
              std::string::npos)
        << history;
    EXPECT_NE(history.find("Showing Model\n"), std::string::npos) << history;
}


// The status bar has a tab for each layout, the one on view marked; a click on another shows it, as LAYOUT does,
// but not while a command waits for an answer.
TEST_F(LiveView, LayoutTabsShowTheLayoutClicked) {
    OpenMade("sheets", "vantorel-live-tabs.dxf");
    gui::StatusBar& status = app.main.status;
    auto click = [&](const std::string& tab) {
        (void)WindowSystem::Instance().Render(app.main); // where the tabs are is known once they are painted
        ui::Rect rect = status.TabOf(tab);
        ASSERT_GT(rect.Width(), 0) << tab;
        WindowSystem::Instance().Click(status.ClientToScreen(ui::Point{rect.left + 3, rect.top + 3}));
        WindowSystem::Instance().RunPending();
    };
    EXPECT_EQ(status.Layout(), "Model");
    click("Sheet A");
    EXPECT_EQ(status.Layout(), "Sheet A");
    EXPECT_NEAR(app.scene.Extents().minX, 5.0, 1e-9);
    EXPECT_NEAR(app.scene.Extents().maxX, 292.0, 1e-9);
    // The tabs keep the drawing's order, Model first, from left to right.
    EXPECT_LT(status.TabOf("Model").left, status.TabOf("Layout1").left);
    EXPECT_LT(status.TabOf("Layout1").left, status.TabOf("Sheet A").left);
    // A command asking for a point keeps its layout.
    Turns asking({[&] {
                      click("Model");
                      EXPECT_EQ(status.Layout(), "Sheet A");
                      app.Escape();
                  }});
    app.Submit("ZOOM");
    WindowSystem::Instance().RunPending();
    click("Model");
    EXPECT_EQ(status.Layout(), "Model");
    EXPECT_NEAR(app.scene.Extents().maxX - app.scene.Extents().minX, 100.0, 1e-9);
    std::string history = History();
    EXPECT_NE(history.find("Showing Sheet A\n"), std::string::npos) << history;
    EXPECT_NE(history.find("Showing Model\n"), std::string::npos) << history;
}

// The view draws lineweights as the drawing says when it is opened (off here), and as LWDISPLAY says after.
TEST_F(LiveView, LwdisplayWidensTheViewsLines) {
    OpenMade("styles", "vantorel-live-weights.dxf");
    auto ink = [&] {
        app.main.view.SceneChanged();
        std::unique_ptr<ui::Image> image = WindowSystem::Instance().Render(app.main.view);
        ui::Color background = image->Pixel(0, 0);
        int count = 0;
        for (int y = 0; y < image->Height(); ++y)
            for (int x = 0; x < image->Width(); ++x)
                count += image->Pixel(x, y) == background ? 0 : 1;
        return count;
    };
    // The host's commands ask the command line, as they do once the editor runs.
    cad::Host::Instance().GetEditor().SetInput(&app.input);
    auto setvar = [&](const std::string& value) {
        Turns typing({[&] { app.Submit("LWDISPLAY"); }, [&] { app.Submit(value); }});
        app.Submit("SETVAR");
        WindowSystem::Instance().RunPending();
    };
    const cad::VariableValue* value = cad::Host::Instance().Variable("LWDISPLAY");
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(std::get<std::int16_t>(*value), 0);
    int thin = ink();
    setvar("1");
    int wide = ink();
    EXPECT_EQ(std::get<std::int16_t>(*cad::Host::Instance().Variable("LWDISPLAY")), 1);
    EXPECT_GT(wide, thin + thin / 10) << thin << " " << wide;
    setvar("0");
    EXPECT_EQ(ink(), thin);
    cad::Host::Instance().GetEditor().SetInput(nullptr);
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
    std::string history = History();
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
    std::filesystem::path drawing = OpenMade("sheets", "vantorel-live-layers.dxf");
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
    std::filesystem::remove(drawing.string() + ".txt");
}
} // namespace
