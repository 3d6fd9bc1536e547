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
        EXPECT_EQ(editor.CommandLine(), "Point or option keyword required.\n");
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

TEST(LiveAnswers, SelectionEndsWithEnterOrAllAndStartsEmptyEachTime) {
    gui::GuiApp app;
    {
        Turns turns({[&] { app.input.Typed("all"); }});
        auto all = std::get<cad::SelectionAnswer>(Ask(app, cad::Request::Selection, "Select objects: "));
        EXPECT_TRUE(all.everything);
    }
    Turns turns({[&] {
        EXPECT_TRUE(app.input.Selected().empty());
        app.input.Typed("");
    }});
    auto none = std::get<cad::SelectionAnswer>(Ask(app, cad::Request::Selection, "Select objects: "));
    EXPECT_FALSE(none.everything);
    EXPECT_TRUE(none.ids.empty());
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
