// The rubber band and the placement against the editor's scripted answers: the vectors it draws, the scale
// it gives back and the system variables it leaves behind.
#include "platform/cad/Host.h"
#include "table/TablePlacement.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using cad::EventType;
using cad::InputEvent;
using cad::Point3d;

class TablePlacement : public ::testing::Test {
protected:
    void SetUp() override {
        editor.Script().Clear();
        editor.Redraw();
        editor.ClearCommandLine();
    }
    void Move(double x, double y) { editor.Script().Push(InputEvent{EventType::Motion, Point3d{x, y, 0.0}, 0}); }
    void Pick(double x, double y) { editor.Script().Push(InputEvent{EventType::Pick, Point3d{x, y, 0.0}, 0}); }
    void Return() { editor.Script().Push(InputEvent{EventType::Key, Point3d{}, 13}); }
    std::int16_t Short(const char* name) {
        const cad::VariableValue* value = editor.FindVariable(name);
        if (!value)
            return -1;
        if (const auto* s = std::get_if<std::int16_t>(value))
            return *s;
        if (const auto* l = std::get_if<std::int32_t>(value))
            return static_cast<std::int16_t>(*l);
        return -1;
    }
    cad::Editor& editor = cad::Host::Instance().GetEditor();
};

TEST_F(TablePlacement, TheTwoDragExamplesOfATableSixtyByTwenty) {
    const ads_point u{100.0, 50.0, 0.0};
    Move(130.0, 40.0); // 30 right, 10 below: the width follows the cursor
    Pick(0.0, 0.0);    // where the pick lands does not count
    EXPECT_DOUBLE_EQ(vantorel::dragTableCorner(u, 60.0, 20.0), 0.5);
    Move(105.0, 10.0); // 5 right, 40 below: the height leads, 3 x 40 wide
    Pick(0.0, 0.0);
    EXPECT_DOUBLE_EQ(vantorel::dragTableCorner(u, 60.0, 20.0), 2.0);
}

TEST_F(TablePlacement, EachMotionErasesTheLastRectangleAndTheEndRemovesIt) {
    const ads_point u{0.0, 0.0, 0.0};
    Move(30.0, -10.0);
    Move(5.0, -40.0);
    Return();
    EXPECT_DOUBLE_EQ(vantorel::dragTableCorner(u, 60.0, 20.0), 1.0);
    // Drawn twice in exclusive-or ink, every rectangle is gone again.
    EXPECT_TRUE(editor.Screen().empty());
    Move(30.0, -10.0);
    editor.Script().Push(cad::CancelAnswer{});
    EXPECT_DOUBLE_EQ(vantorel::dragTableCorner(u, 60.0, 20.0), 1.0);
    EXPECT_TRUE(editor.Screen().empty());
    EXPECT_NE(editor.CommandLine().find("\n*CANCEL*\n"), std::string::npos);
}

TEST_F(TablePlacement, TheRectangleIsFourVectorsInExclusiveOrInk) {
    const ads_point a{0.0, 0.0, 0.0};
    const ads_point b{30.0, -10.0, 0.0};
    vantorel::drawCornerRectangle(a, b);
    std::vector<cad::ScreenVector> expected = {
        {Point3d{0, -10, 0}, Point3d{30, -10, 0}, -1, 1},
        {Point3d{30, -10, 0}, Point3d{30, 0, 0}, -1, 1},
        {Point3d{30, 0, 0}, Point3d{0, 0, 0}, -1, 1},
        {Point3d{0, 0, 0}, Point3d{0, -10, 0}, -1, 1},
    };
    EXPECT_EQ(editor.Screen(), expected);
    vantorel::drawCornerRectangle(a, b);
    EXPECT_TRUE(editor.Screen().empty());
}

TEST_F(TablePlacement, EscapeAtTheCornerPromptInsertsNothingAndRestoresTheVariables) {
    editor.DefineVariable("OSMODE", std::int16_t{37}, false);
    editor.DefineVariable("SNAPMODE", std::int16_t{1}, false);
    editor.DefineVariable("ATTREQ", std::int16_t{1}, false);
    editor.DefineVariable("CMDECHO", std::int16_t{1}, false);
    editor.Script().Push(cad::CancelAnswer{});
    vantorel::placeTable("QVT0001", 60.0, 20.0);
    EXPECT_EQ(editor.Script().Pending(), 0u);
    EXPECT_EQ(Short("OSMODE"), 37);
    EXPECT_EQ(Short("SNAPMODE"), 1);
    EXPECT_EQ(Short("ATTREQ"), 1);
    EXPECT_EQ(Short("CMDECHO"), 1);
    EXPECT_EQ(editor.CommandLine().find("Lower right corner"), std::string::npos);
}

} // namespace
