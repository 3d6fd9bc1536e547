#include "platform/ui/Controls.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/WindowSystem.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using ui::Point;
using ui::Rect;
using ui::ScrollBar;
using ui::ScrollCode;
using ui::WindowSystem;

// A window with a vertical scroll bar that writes down what the bar asks of it.
class Scrolled : public ui::Window {
public:
    std::vector<std::string> log;
    void OnScroll(ScrollBar, ScrollCode code, int position) override {
        const char* names[] = {"line up", "line down", "page up", "page down", "track", "position", "top", "bottom", "end"};
        log.push_back(std::string(names[static_cast<int>(code)]) + " " + std::to_string(position));
        if (code == ScrollCode::ThumbPosition)
            SetScrollPosition(ScrollBar::Vertical, position);
    }
};

TEST(ScrollBars, ArrowsPagesAndTheThumbSayWhatTheyDo) {
    WindowSystem& system = WindowSystem::Instance();
    system.Reset();
    Scrolled window;
    // 116 pixels high: arrows of 16 at each end leave a track of 84; a page of 10 in 0..99 makes a thumb of 8.
    window.Create(nullptr, Rect::FromSize(0, 0, 100, 116), 0, "", ui::StyleVisible | ui::StyleVScroll);
    window.SetScrollInfo(ScrollBar::Vertical, ui::ScrollInfo{0, 99, 10, 0, 0});
    system.Click(Point{90, 110}); // the lower arrow
    system.Click(Point{90, 60});  // below the thumb
    // On the thumb, 4 pixels into it; 38 pixels down of the 76 it can travel is 45 of the 90 positions.
    system.MouseDown(Point{90, 20});
    system.MouseMove(Point{90, 58});
    system.MouseUp(Point{90, 58});
    EXPECT_EQ(window.log, (std::vector<std::string>{"line down 0", "end 0", "page down 0", "end 0", "track 45",
                                                    "position 45", "end 45"}));
    EXPECT_EQ(window.GetScrollInfo(ScrollBar::Vertical).position, 45);
    EXPECT_EQ(system.Capture(), nullptr);
    EXPECT_EQ(window.ClientRect(), (Rect{0, 0, 84, 116}));
    // The position stays where a whole page still fits.
    window.SetScrollPosition(ScrollBar::Vertical, 500);
    EXPECT_EQ(window.GetScrollInfo(ScrollBar::Vertical).position, 90);
    window.Destroy();
}

TEST(ListBoxes, ClicksAndArrowsSelectAndTellTheParent) {
    WindowSystem& system = WindowSystem::Instance();
    system.Reset();
    struct Parent : ui::Window {
        std::vector<std::pair<int, int>> commands;
        void OnCommand(int id, int code) override { commands.emplace_back(id, code); }
    } parent;
    parent.Create(nullptr, Rect::FromSize(0, 0, 200, 200), 0, "", ui::StyleVisible);
    ui::ListBox list;
    list.Create(&parent, Rect::FromSize(0, 0, 150, 60), 5, "", ui::StyleVisible);
    for (const char* item : {"door", "window", "lamp", "bolt", "nut", "hinge"})
        list.AddItem(item);
    int height = list.ItemHeight();
    EXPECT_TRUE(list.HasScrollBar(ScrollBar::Vertical)); // six rows do not fit in 60 pixels
    system.Click(Point{10, height + 2});
    EXPECT_EQ(list.Selection(), 1);
    EXPECT_TRUE(list.HasFocus());
    system.PressKey(ui::KeyDown);
    system.PressKey(ui::KeyEnd);
    system.PressKey(ui::KeyEnd); // already there: nothing to tell
    system.Click(Point{10, 2});
    // End scrolled the last row into view: four rows show, so the top one is now "lamp".
    EXPECT_EQ(list.Selection(), 2);
    EXPECT_EQ(parent.commands, (std::vector<std::pair<int, int>>{{5, ui::NotifySelectionChange},
                                                                  {5, ui::NotifySelectionChange},
                                                                  {5, ui::NotifySelectionChange},
                                                                  {5, ui::NotifySelectionChange}}));
    parent.Destroy();
}

TEST(Placeholders, AnotherWindowTakesThePlaceTheIdAndTheTabOrder) {
    WindowSystem::Instance().Reset();
    ui::DialogTemplate t;
    t.units = Rect::FromSize(0, 0, 200, 100);
    t.controls = {ui::ControlTemplate{ui::ControlKind::Button, 7, "Before", Rect::FromSize(4, 4, 40, 14),
                                      ui::StyleVisible | ui::StyleTabStop},
                  ui::ControlTemplate{ui::ControlKind::Placeholder, 201, "", Rect::FromSize(8, 23, 100, 50), ui::StyleVisible},
                  ui::ControlTemplate{ui::ControlKind::Button, 8, "After", Rect::FromSize(150, 4, 40, 14),
                                      ui::StyleVisible | ui::StyleTabStop}};
    ui::Dialog dialog(t);
    ASSERT_TRUE(dialog.CreateFromTemplate(nullptr));
    Rect place = dialog.Control(201)->WindowRect();
    ui::ListBox grid;
    ASSERT_TRUE(dialog.TakeOverPlaceholder(201, grid, ui::StyleVisible | ui::StyleTabStop));
    EXPECT_EQ(dialog.Control(201), &grid);
    EXPECT_EQ(grid.WindowRect(), place);
    EXPECT_EQ(dialog.NextTabStop(dialog.Control(7), false), &grid);
    EXPECT_EQ(dialog.NextTabStop(&grid, false), dialog.Control(8));
    EXPECT_FALSE(dialog.TakeOverPlaceholder(999, grid, 0));
    dialog.Destroy();
}

TEST(StaticTexts, AColourOfTheirOwnIsDrawn) {
    ui::Window top;
    top.Create(nullptr, Rect::FromSize(0, 0, 120, 30), 0, "", ui::StyleVisible);
    ui::StaticText label;
    label.Create(&top, Rect::FromSize(0, 0, 120, 30), 9, "IIIIIIIIIIII", ui::StyleVisible);
    label.SetTextColor(ui::Color{255, 0, 0});
    auto image = WindowSystem::Instance().Render(top);
    bool red = false;
    for (int x = 0; x < 60 && !red; ++x) {
        for (int y = 0; y < 20 && !red; ++y)
            red = image->Pixel(x, y).r > 200 && image->Pixel(x, y).g < 60;
    }
    EXPECT_TRUE(red);
    top.Destroy();
}

TEST(StaticTexts, ATextTooWideBreaksAtABlankAsALabelDoes) {
    // Two words that do not fit side by side: the second goes to a line below, which a one-line label does not
    // show, so nothing is drawn where it would have stood beside the first.
    ui::Window top;
    top.Create(nullptr, Rect::FromSize(0, 0, 200, 40), 0, "", ui::StyleVisible);
    ui::StaticText label;
    int word = ui::MeasureText(top.GetFont(), "WWWW").width;
    int line = ui::MeasureText(top.GetFont(), "Ay").height;
    label.Create(&top, Rect::FromSize(0, 0, word + word / 2, line), 9, "WWWW WWWW", ui::StyleVisible);
    auto image = WindowSystem::Instance().Render(top);
    auto inked = [&](int x0, int x1) {
        for (int x = x0; x < x1; ++x)
            for (int y = 0; y < line; ++y)
                if (image->Pixel(x, y).r < 100)
                    return true;
        return false;
    };
    EXPECT_TRUE(inked(0, word));
    EXPECT_FALSE(inked(word + 2, word + word / 2));
    top.Destroy();
}

TEST(ListBoxes, FindAnItemByItsTextAndDescribeTheirItems) {
    ui::Window top;
    top.Create(nullptr, Rect::FromSize(0, 0, 200, 100), 0, "", ui::StyleVisible);
    ui::ListBox list;
    list.Create(&top, Rect::FromSize(0, 0, 200, 100), 5, "", ui::StyleVisible);
    list.AddItem("Alpha");
    list.AddItem("beta");
    Rect rect;
    ASSERT_TRUE(list.FindItem("beta", rect));
    EXPECT_EQ(rect.top, list.ItemHeight());
    EXPECT_EQ(rect.Height(), list.ItemHeight());
    EXPECT_FALSE(list.FindItem("gamma", rect));
    EXPECT_EQ(list.Describe(), "items 2\nAlpha\nbeta\n");
    top.Destroy();
}

} // namespace
