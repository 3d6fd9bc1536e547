#include "platform/ui/Controls.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowSystem.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using ui::Point;
using ui::Rect;
using ui::WindowSystem;

// Writes down the messages it gets, in order.
class Recorder : public ui::Window {
public:
    std::vector<std::string>* log = nullptr;
    std::string name;
    void Say(const std::string& what) { if (log) log->push_back(name + " " + what); }
    void OnMouseDown(const ui::MouseEvent& e) override { Say("down " + std::to_string(e.x) + "," + std::to_string(e.y)); }
    void OnMouseUp(const ui::MouseEvent&) override { Say("up"); }
    void OnDoubleClick(const ui::MouseEvent&) override { Say("double"); }
    void OnMouseMove(const ui::MouseEvent& e) override { Say("move " + std::to_string(e.x) + "," + std::to_string(e.y)); }
    void OnFocusGained(ui::Window*) override { Say("focus gained"); }
    void OnFocusLost(ui::Window*) override { Say("focus lost"); }
    void OnTimer(int id) override { Say("timer " + std::to_string(id) + " at " + std::to_string(WindowSystem::Instance().Now())); }
    bool TakesFocus() const override { return true; }
};

class WindowTree : public ::testing::Test {
protected:
    void SetUp() override {
        WindowSystem::Instance().Reset();
        top.Create(nullptr, Rect::FromSize(100, 100, 300, 200), 0, "top", ui::StyleVisible);
        left.name = "left";
        right.name = "right";
        left.log = right.log = &log;
        left.Create(&top, Rect::FromSize(10, 10, 100, 50), 1, "", ui::StyleVisible);
        right.Create(&top, Rect::FromSize(150, 10, 100, 50), 2, "", ui::StyleVisible);
    }
    void TearDown() override { top.Destroy(); }
    ui::Window top;
    Recorder left;
    Recorder right;
    std::vector<std::string> log;
};

TEST_F(WindowTree, FocusMovesWithLostBeforeGainedAndNeverToADisabledWindow) {
    left.SetFocus();
    right.SetFocus();
    EXPECT_EQ(log, (std::vector<std::string>{"left focus gained", "left focus lost", "right focus gained"}));
    log.clear();
    left.Enable(false);
    left.SetFocus();
    EXPECT_TRUE(right.HasFocus());
    right.Destroy();
    EXPECT_EQ(WindowSystem::Instance().Focus(), nullptr);
    EXPECT_EQ(top.Children().size(), 1u);
}

TEST_F(WindowTree, PressesGoWhereThePointerIsUnlessAWindowHasCaptured) {
    WindowSystem& system = WindowSystem::Instance();
    system.MouseDown(Point{115, 120}); // left's client (5, 10)
    system.MouseUp(Point{115, 120});
    system.MouseDown(Point{115, 120}); // soon after at the same place: a double click
    system.MouseUp(Point{115, 120});
    system.Advance(600);
    system.MouseDown(Point{115, 120}); // too late for one
    system.MouseUp(Point{115, 120});
    left.SetCapture();
    system.MouseMove(Point{260, 120}); // over right, but left has captured
    left.ReleaseCapture();
    system.MouseMove(Point{260, 120});
    EXPECT_EQ(log, (std::vector<std::string>{"left down 5,10", "left up", "left double", "left up", "left down 5,10",
                                             "left up", "left move 150,10", "right move 10,10"}));
}

TEST_F(WindowTree, TimersFireInTimeOrderOnTheTestsClock) {
    WindowSystem& system = WindowSystem::Instance();
    std::int64_t start = system.Now();
    left.SetTimer(7, 300);
    right.SetTimer(8, 250);
    system.Advance(599);
    left.KillTimer(7);
    system.Advance(500);
    std::vector<std::string> expected;
    auto at = [&](std::int64_t t) { return std::to_string(start + t); };
    expected = {"right timer 8 at " + at(250), "left timer 7 at " + at(300), "right timer 8 at " + at(500),
                "right timer 8 at " + at(750), "right timer 8 at " + at(1000)};
    EXPECT_EQ(log, expected);
    EXPECT_FALSE(system.HasTimer(&left, 7));
}

TEST(MessageBoxes, AnswersComeFromTheQueueOrTheFirstButton) {
    WindowSystem& system = WindowSystem::Instance();
    system.Reset();
    system.QueueMessageBoxAnswer(ui::ResultNo);
    EXPECT_EQ(system.MessageBox(nullptr, "Save changes to a.prc", "BOM Template", ui::MessageBoxYesNoCancel), ui::ResultNo);
    EXPECT_EQ(system.MessageBox(nullptr, "Done", "BOM", ui::MessageBoxOk), ui::ResultOk);
    ASSERT_EQ(system.MessageBoxes().size(), 2u);
    EXPECT_EQ(system.MessageBoxes()[0].text, "Save changes to a.prc");
    EXPECT_EQ(system.MessageBoxes()[1].answer, ui::ResultOk);
}

TEST(EditBoxes, TypingEditingAndTheTextLimit) {
    WindowSystem& system = WindowSystem::Instance();
    system.Reset();
    ui::Window top;
    top.Create(nullptr, Rect::FromSize(0, 0, 200, 100), 0, "", ui::StyleVisible);
    ui::EditBox edit;
    edit.Create(&top, Rect::FromSize(5, 5, 120, 20), 3, "", ui::StyleVisible | ui::StyleSunken);
    edit.SetFocus();
    edit.SetTextLimit(6);
    system.Type("12.50");
    system.PressKey(ui::KeyLeft);
    system.PressKey(ui::KeyBack);
    EXPECT_EQ(edit.Text(), "12.0");
    system.PressKey(ui::KeyHome, ui::ModNone);
    system.PressKey(ui::KeyEnd, ui::ModShift);
    system.Type("99");
    EXPECT_EQ(edit.Text(), "99");
    system.Type("12345");
    EXPECT_EQ(edit.Text(), "991234");
    EXPECT_EQ(system.Beeps(), 1);

    // A masked editor refuses what it will not take.
    struct Digits : ui::EditBox {
        bool AcceptChar(unsigned c, const std::string&) override { return c >= '0' && c <= '9'; }
    } digits;
    digits.Create(&top, Rect::FromSize(5, 40, 120, 20), 4, "", ui::StyleVisible);
    digits.SetFocus();
    system.Type("4a2|");
    EXPECT_EQ(digits.Text(), "42");
    top.Destroy();
}

} // namespace
