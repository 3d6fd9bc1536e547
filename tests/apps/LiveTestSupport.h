#pragma once

// The live editor driven on the headless screen: what the user does while it waits, and its main window made as
// Run makes it, over three lines of the editor's drawing.
#include "gui/GuiApp.h"

#include "platform/cad/Host.h"
#include "platform/ui/Controls.h"
#include "platform/ui/WindowSystem.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace livetest {

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

inline cad::Answer Ask(gui::GuiApp& app, cad::Request request, const std::string& prompt) {
    cad::Answer answer;
    std::string error;
    EXPECT_TRUE(app.input.Next(request, prompt, answer, error));
    return answer;
}

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
        for (const std::filesystem::path& drawing : made)
            std::filesystem::remove(drawing);
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
    // A drawing made by plot_compare.py's `maker` in the temporary folder as `name`, opened through OPEN; the
    // file is gone again when the test ends.
    std::filesystem::path OpenMade(const std::string& maker, const std::string& name) {
        std::filesystem::path drawing = std::filesystem::temp_directory_path() / name;
        made.push_back(drawing);
        EXPECT_EQ(std::system(("/usr/bin/python3 " + std::string(PLOT_COMPARE) + " " + maker + " " + drawing.string()).c_str()), 0);
        OpenThroughChooser(drawing);
        return drawing;
    }
    // The command line's history as shown, a line each.
    std::string History() const {
        std::string history;
        for (const std::string& line : app.main.commandLine.ShownHistory())
            history += line + "\n";
        return history;
    }
    ui::Point Screen(double x, double y) {
        const gui::ViewTransform& v = app.main.view.View();
        return app.main.view.ClientToScreen(ui::Point{static_cast<int>(v.ScreenX(x)), static_cast<int>(v.ScreenY(y))});
    }
    gui::GuiApp app;
    std::vector<cad::ObjectId> ids;
    std::vector<std::filesystem::path> made;
};

} // namespace livetest
