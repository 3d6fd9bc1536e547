#include "grid/FlashLabel.h"
#include "platform/ui/WindowSystem.h"

#include <gtest/gtest.h>

namespace {

TEST(FlashLabels, BlinkEveryPeriodWithABeepEachTimeTheyShowUntilStopped) {
    ui::WindowSystem& system = ui::WindowSystem::Instance();
    system.Reset();
    ui::Window dialog;
    dialog.Create(nullptr, ui::Rect::FromSize(0, 0, 300, 100), 0, "", ui::StyleVisible);
    vantorel::FlashLabel label;
    label.Create(&dialog, ui::Rect::FromSize(0, 0, 200, 20), 1001, "", ui::StyleVisible);
    label.StartFlash(0, 200, "Block name is absent");
    EXPECT_EQ(label.Text(), "Block name is absent");
    std::vector<bool> shown;
    for (int tick = 0; tick < 4; ++tick) {
        system.Advance(200);
        shown.push_back(label.IsVisible());
    }
    EXPECT_EQ(shown, (std::vector<bool>{true, false, true, false}));
    // A low short beep each time it shows: 100 Hz for 100 ms.
    EXPECT_EQ(system.BeepRecords(), (std::vector<ui::BeepRecord>{{100, 100, 200}, {100, 100, 600}}));
    label.StopFlash();
    EXPECT_TRUE(label.IsVisible());
    EXPECT_EQ(label.Text(), "");
    EXPECT_FALSE(system.HasTimer(&label, vantorel::FlashLabel::kBlinkTimer));

    // With a duration it stops by itself.
    label.StartFlash(500, 200, "Price is absent");
    system.Advance(1000);
    EXPECT_EQ(label.Text(), "");
    EXPECT_TRUE(label.IsVisible());
    EXPECT_EQ(system.Beeps(), 3); // shown at 200 with a beep, hidden at 400, stopped at 500
    dialog.Destroy();
}

} // namespace
