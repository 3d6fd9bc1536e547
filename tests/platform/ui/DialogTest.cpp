#include "platform/ui/Dialog.h"
#include "platform/ui/WindowSystem.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>
#include <unistd.h>

namespace {

using ui::ControlKind;
using ui::ControlTemplate;
using ui::Rect;
using ui::WindowSystem;

ui::DialogTemplate Sample() {
    ui::DialogTemplate t;
    t.id = 201;
    t.title = "BOM Report";
    t.units = Rect::FromSize(0, 0, 200, 100);
    t.controls = {
        ControlTemplate{ControlKind::Edit, 10, "", Rect::FromSize(7, 7, 50, 14), ui::StyleVisible | ui::StyleTabStop},
        ControlTemplate{ControlKind::CheckBox, 11, "Show Price", Rect::FromSize(7, 30, 60, 10),
                        ui::StyleVisible | ui::StyleTabStop},
        ControlTemplate{ControlKind::Button, 1, "OK", Rect::FromSize(143, 7, 50, 14),
                        ui::StyleVisible | ui::StyleTabStop | ui::ButtonDefault},
        ControlTemplate{ControlKind::Button, 2, "Cancel", Rect::FromSize(143, 24, 50, 14), ui::StyleVisible | ui::StyleTabStop},
        ControlTemplate{ControlKind::Static, 12, "label", Rect::FromSize(7, 50, 60, 8), ui::StyleVisible},
    };
    return t;
}

// Runs the dialog with these steps given one by one as the loop asks for input.
int RunWith(ui::Dialog& dialog, std::vector<std::function<void(WindowSystem&)>> steps, ui::Window* owner = nullptr) {
    WindowSystem& system = WindowSystem::Instance();
    std::size_t next = 0;
    system.Headless().onIdle = [&](WindowSystem& s) {
        if (next >= steps.size())
            return false;
        steps[next++](s);
        return true;
    };
    int result = dialog.DoModal(owner);
    system.Headless().onIdle = nullptr;
    return result;
}

TEST(DialogLayout, DialogUnitsFollowTheFontsAverageCharacter) {
    EXPECT_EQ(ui::AverageCharSizeOf(ui::Font{"MS Sans Serif", 8, false}), (ui::Size{6, 13}));
    // (7, 7) to (57, 21) in units: x * 6 / 4 and y * 13 / 8, rounded.
    EXPECT_EQ(ui::DialogUnitsToPixels(ui::Font{}, Rect::FromSize(7, 7, 50, 14)), (Rect{11, 11, 86, 34}));
    ui::Dialog dialog(Sample());
    ASSERT_TRUE(dialog.CreateFromTemplate(nullptr, ui::Point{20, 30}));
    EXPECT_EQ(dialog.Control(10)->WindowRect(), (Rect{11, 11, 86, 34}));
    EXPECT_EQ(dialog.ClientRect(), (Rect{0, 0, 300, 163}));
    EXPECT_EQ(dialog.WindowRect(), Rect::FromSize(20, 30, 302, 183));
    EXPECT_TRUE(dialog.Control(10)->HasFocus()); // the first that takes it
    dialog.Destroy();
}

TEST(DialogKeys, EnterPressesTheDefaultButtonEscapeCancelsTabMoves) {
    WindowSystem::Instance().Reset();
    ui::Dialog enter(Sample());
    EXPECT_EQ(RunWith(enter, {[](WindowSystem& s) { s.Type("12"); }, [](WindowSystem& s) { s.PressKey(ui::KeyEnter); }}),
              ui::kIdOk);
    ui::Dialog escape(Sample());
    EXPECT_EQ(RunWith(escape, {[](WindowSystem& s) { s.PressKey(ui::KeyEscape); }}), ui::kIdCancel);

    ui::Dialog tab(Sample());
    std::vector<int> focused;
    auto note = [&](WindowSystem& s) { focused.push_back(s.Focus() ? s.Focus()->Id() : -1); };
    int result = RunWith(tab, {note, [](WindowSystem& s) { s.PressKey(ui::KeyTab); }, note,
                               [](WindowSystem& s) { s.PressKey(ui::KeyTab); }, note,
                               [](WindowSystem& s) { s.PressKey(ui::KeyTab, ui::ModShift); }, note,
                               [](WindowSystem& s) { s.PressKey(ui::KeyTab); }, [](WindowSystem& s) { s.PressKey(ui::KeySpace); }});
    EXPECT_EQ(focused, (std::vector<int>{10, 11, 1, 11}));
    EXPECT_EQ(result, ui::kIdOk); // Space on the focused OK button
}

TEST(DialogModal, ALoopWithoutInputEndsRatherThanWaits) {
    WindowSystem::Instance().Reset();
    ui::Window owner;
    owner.Create(nullptr, Rect::FromSize(0, 0, 640, 480), 0, "", ui::StyleVisible);
    ui::Dialog dialog(Sample());
    bool ownerDisabled = false;
    EXPECT_EQ(RunWith(dialog, {[&](WindowSystem&) { ownerDisabled = !owner.IsEnabled(); }}, &owner), ui::kNoInput);
    EXPECT_TRUE(ownerDisabled);
    EXPECT_TRUE(owner.IsEnabled());
    EXPECT_FALSE(dialog.IsCreated());
    owner.Destroy();
}

TEST(DialogModal, CheckBoxesExchangeTheirValueAndClicksReachTheButtons) {
    WindowSystem::Instance().Reset();
    struct Report : ui::Dialog {
        using Dialog::Dialog;
        int showPrice = 1;
        bool OnInitDialog() override { ExchangeCheck(11, showPrice, true); return true; }
        void OnOK() override { ExchangeCheck(11, showPrice, false); EndDialog(ui::kIdOk); }
    } dialog(Sample());
    auto centre = [&](int id) {
        Rect r = dialog.Control(id)->ScreenRect();
        return ui::Point{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    };
    int result = RunWith(dialog, {[&](WindowSystem& s) { s.Click(ui::Point{dialog.Control(11)->ScreenRect().left + 5, centre(11).y}); },
                                  [&](WindowSystem& s) { s.Click(centre(1)); }});
    EXPECT_EQ(result, ui::kIdOk);
    EXPECT_EQ(dialog.showPrice, 0);
}

TEST(DialogPainting, TheButtonsFrameIsWhereTheTemplatePutsIt) {
    ui::Dialog dialog(Sample());
    ASSERT_TRUE(dialog.CreateFromTemplate(nullptr));
    auto image = WindowSystem::Instance().Render(dialog);
    ASSERT_EQ(image->Width(), 302);
    // The OK button: units (143, 7) to (193, 21) are pixels (215, 11) to (290, 34), inside a frame of one
    // pixel and a title bar of 18. As the default button it has a black outer frame.
    int left = 1 + 215;
    int top = 1 + 18 + 11;
    EXPECT_EQ(image->Pixel(left, top), (ui::Color{0, 0, 0}));
    EXPECT_EQ(image->Pixel(left + 10, top), (ui::Color{0, 0, 0}));
    EXPECT_EQ(image->Pixel(left - 1, top), ui::SystemColorOf(ui::SystemColor::ButtonFace));
    EXPECT_EQ(image->Pixel(left + 1, top + 1), ui::SystemColorOf(ui::SystemColor::ButtonHighlight));
    // The edit box is white inside its sunken edge.
    EXPECT_EQ(image->Pixel(1 + 11 + 5, 19 + 11 + 5 + 3), ui::SystemColorOf(ui::SystemColor::Window));
    EXPECT_EQ(image->Pixel(1 + 11, 19 + 11), ui::SystemColorOf(ui::SystemColor::ButtonShadow));
    // The title bar.
    EXPECT_EQ(image->Pixel(150, 2), ui::SystemColorOf(ui::SystemColor::Highlight));
    std::string png = (std::filesystem::temp_directory_path() / ("vantorel-dialog-" + std::to_string(getpid()) + ".png")).string();
    EXPECT_TRUE(image->SavePng(png));
    EXPECT_GT(std::filesystem::file_size(png), 1000u);
    std::filesystem::remove(png);
    dialog.Destroy();
}

TEST(TextMeasurement, TheSameTextMeasuresTheSameEveryTime) {
    ui::Font font{"MS Sans Serif", 8, false};
    ui::Size first = ui::MeasureText(font, "Block name");
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(ui::MeasureText(font, "Block name"), first);
    EXPECT_GT(first.width, 40);
    EXPECT_EQ(first.height, 13);
    EXPECT_GT(ui::MeasureText(ui::Font{"Courier", 8, false}, "WWW").width, ui::MeasureText(ui::Font{"Courier", 8, false}, "ii").width);
}

} // namespace

namespace {

// A backend with a user: it sees the box and presses a key in it.
class KeyPressingBackend : public ui::Backend {
public:
    std::vector<int> keys;
    std::vector<std::string> seen;
    bool WaitForInput(WindowSystem& system) override {
        if (keys.empty())
            return false;
        if (ui::Window* modal = system.Modal()) {
            std::string texts = modal->Text();
            for (ui::Window* child : modal->Children())
                texts += "|" + child->Text();
            seen.push_back(texts);
        }
        int key = keys.front();
        keys.erase(keys.begin());
        system.PressKey(key);
        return true;
    }
};

TEST(MessageBoxWindows, WithAUserTheBoxIsShownAndItsButtonsAnswer) {
    WindowSystem& system = WindowSystem::Instance();
    system.Reset();
    KeyPressingBackend user;
    system.SetBackend(&user);
    user.keys = {ui::KeyTab, ui::KeyEnter}; // from Yes to No, then press it
    EXPECT_EQ(system.MessageBox(nullptr, "Save changes to a.prc", "BOM Template", ui::MessageBoxYesNoCancel), ui::ResultNo);
    EXPECT_EQ(user.seen.front(), "BOM Template|Save changes to a.prc|&Yes|&No|Cancel");
    user.keys = {ui::KeyEscape};
    EXPECT_EQ(system.MessageBox(nullptr, "Save changes to a.prc", "BOM Template", ui::MessageBoxYesNoCancel),
              ui::ResultCancel);
    user.keys = {ui::KeyEnter};
    EXPECT_EQ(system.MessageBox(nullptr, "File x could  not be opened", "BOM", ui::MessageBoxOk), ui::ResultOk);
    system.SetBackend(nullptr);
    EXPECT_EQ(system.MessageBoxes().size(), 3u);
    EXPECT_EQ(system.TopLevels().size(), 0u); // every box is gone again
}

} // namespace

namespace {

class ClosingDialog : public ui::Dialog {
public:
    using ui::Dialog::Dialog;
    void OnClose() override {
        ++closes;
        ui::Dialog::OnClose();
    }
    int closes = 0;
};

TEST(DialogCloseBox, AClickOnTheBoxOfASystemMenuSendsTheCloseMessage) {
    WindowSystem& system = WindowSystem::Instance();
    system.Reset();
    ui::DialogTemplate t = Sample();
    t.systemMenu = true;
    ClosingDialog dialog(t);
    ui::Rect box;
    int result = RunWith(dialog, {
        [&](WindowSystem& s) {
            box = dialog.CloseBoxRect();
            ui::Rect frame = dialog.ScreenRect();
            ui::Point inside{frame.left + box.left + 4, frame.top + box.top + 4};
            // Pressed on the box but let go beside it: nothing.
            s.MouseDown(inside);
            s.MouseUp(ui::Point{frame.left + 40, frame.top + 8});
            s.Advance(1000);
            EXPECT_EQ(dialog.closes, 0);
            s.Click(inside);
        },
    });
    EXPECT_EQ(dialog.closes, 1);
    EXPECT_EQ(result, ui::kIdCancel); // a dialog's close message is its cancel
    // At the right end of the caption, inside the frame.
    EXPECT_FALSE(box.IsEmpty());
    EXPECT_EQ(box.right, dialog.WindowRect().Width() - 3);
    EXPECT_LT(box.bottom, 20);

    ClosingDialog plain(Sample());
    ASSERT_TRUE(plain.CreateFromTemplate(nullptr, ui::Point{0, 0}));
    EXPECT_TRUE(plain.CloseBoxRect().IsEmpty());
    ui::Rect frame = plain.ScreenRect();
    system.Click(ui::Point{frame.right - 10, frame.top + 8});
    EXPECT_EQ(plain.closes, 0);
    plain.Destroy();
}

// A modal dialog moves with its caption dragged, the point taken staying under the pointer, never above the
// screen's top; a press on its client area or its close box moves nothing.
TEST(DialogCaption, DraggingTheCaptionMovesTheDialog) {
    ui::DialogTemplate t = Sample();
    t.systemMenu = true;
    ClosingDialog dialog(t);
    ui::Rect before;
    ui::Rect after;
    ui::Rect raised;
    RunWith(dialog, {
        [&](WindowSystem& s) {
            before = dialog.ScreenRect();
            ui::Point taken{before.left + 30, before.top + 8};
            s.MouseDown(taken);
            s.MouseMove(ui::Point{taken.x + 40, taken.y + 25});
            s.MouseMove(ui::Point{taken.x + 55, taken.y + 30});
            s.MouseUp(ui::Point{taken.x + 55, taken.y + 30});
            after = dialog.ScreenRect();
            // Pressed inside, not on the caption: it stays.
            s.MouseDown(ui::Point{after.left + 30, after.top + 40});
            s.MouseMove(ui::Point{after.left + 90, after.top + 90});
            s.MouseUp(ui::Point{after.left + 90, after.top + 90});
            EXPECT_EQ(dialog.ScreenRect().left, after.left);
            // Dragged far up: its top stops at the screen's.
            s.MouseDown(ui::Point{after.left + 30, after.top + 8});
            s.MouseMove(ui::Point{after.left + 30, after.top - 5000});
            s.MouseUp(ui::Point{after.left + 30, after.top - 5000});
            raised = dialog.ScreenRect();
            s.Advance(1000);
            s.Click(ui::Point{raised.left + dialog.CloseBoxRect().left + 4, raised.top + dialog.CloseBoxRect().top + 4});
        },
    });
    EXPECT_EQ(after.left, before.left + 55);
    EXPECT_EQ(after.top, before.top + 30);
    EXPECT_EQ(after.Width(), before.Width());
    EXPECT_EQ(raised.top, 0);
    EXPECT_EQ(raised.left, after.left);
    EXPECT_EQ(dialog.closes, 1);
}

} // namespace

namespace {

class CommandLog : public ui::Dialog {
public:
    using ui::Dialog::Dialog;
    void OnCommand(int id, int code) override {
        if (code == ui::NotifyClicked)
            commands.push_back(id);
    }
    std::vector<int> commands;
};

ui::DialogTemplate Mnemonics() {
    ui::DialogTemplate t;
    t.title = "Mnemonics";
    t.units = Rect::FromSize(0, 0, 200, 100);
    t.controls = {
        ControlTemplate{ControlKind::Button, 200, "&Save", Rect::FromSize(7, 7, 50, 14), ui::StyleVisible | ui::StyleTabStop},
        ControlTemplate{ControlKind::Button, 204, "&Save As", Rect::FromSize(7, 24, 50, 14), ui::StyleVisible | ui::StyleTabStop},
        ControlTemplate{ControlKind::Button, 205, "&Close", Rect::FromSize(7, 41, 50, 14), ui::StyleVisible | ui::StyleTabStop},
        ControlTemplate{ControlKind::CheckBox, 221, "Show &Price", Rect::FromSize(7, 60, 60, 10),
                        ui::StyleVisible | ui::StyleTabStop},
        ControlTemplate{ControlKind::Button, 206, "Sa&ve && Go", Rect::FromSize(70, 7, 50, 14), ui::StyleVisible | ui::StyleTabStop},
    };
    return t;
}

TEST(DialogMnemonics, AltAndTheMarkedLetterPressesItsControl) {
    WindowSystem& system = WindowSystem::Instance();
    system.Reset();
    CommandLog dialog(Mnemonics());
    ASSERT_TRUE(dialog.CreateFromTemplate(nullptr, ui::Point{0, 0}));
    system.PressKey('C', ui::ModAlt);
    system.PressKey('V', ui::ModAlt); // "Sa&ve && Go": v, the "&&" an ampersand of its own
    EXPECT_EQ(dialog.commands, (std::vector<int>{205, 206}));
    // Two with the same letter take the focus in turn and neither is pressed.
    dialog.Control(205)->SetFocus();
    system.PressKey('S', ui::ModAlt);
    EXPECT_TRUE(dialog.Control(200)->HasFocus());
    system.PressKey('S', ui::ModAlt);
    EXPECT_TRUE(dialog.Control(204)->HasFocus());
    system.PressKey('S', ui::ModAlt);
    EXPECT_TRUE(dialog.Control(200)->HasFocus());
    EXPECT_EQ(dialog.commands.size(), 2u);
    // A check box turns and tells.
    system.PressKey('P', ui::ModAlt);
    EXPECT_TRUE(static_cast<ui::CheckBox*>(dialog.Control(221))->IsChecked());
    EXPECT_EQ(dialog.commands, (std::vector<int>{205, 206, 221}));
    // A letter nobody marks: the warning sound and nothing else.
    system.PressKey('Q', ui::ModAlt);
    EXPECT_EQ(dialog.commands.size(), 3u);
    EXPECT_EQ(system.BeepRecords().back(), (ui::BeepRecord{0, 0, system.Now()}));
    dialog.Destroy();
}

TEST(DialogMnemonics, TheMarkedLetterIsDrawnUnderlined) {
    EXPECT_EQ(ui::WithoutMnemonic("Sa&ve && Go"), "Save & Go");
    EXPECT_EQ(ui::MnemonicOf("Sa&ve && Go"), 'V');
    EXPECT_EQ(ui::MnemonicOf("A && B"), 0);
    auto render = [](const std::string& text) {
        ui::PushButton button;
        button.Create(nullptr, Rect::FromSize(0, 0, 80, 24), 1, text, ui::StyleVisible);
        std::unique_ptr<ui::Image> image = WindowSystem::Instance().Render(button);
        button.Destroy();
        return image;
    };
    std::unique_ptr<ui::Image> marked = render("&Close");
    std::unique_ptr<ui::Image> plain = render("Close");
    // The same letters, and below the C a line the plain label lacks.
    int differing = 0;
    int lowest = 0;
    for (int y = 0; y < marked->Height(); ++y)
        for (int x = 0; x < marked->Width(); ++x)
            if (!(marked->Pixel(x, y) == plain->Pixel(x, y))) {
                ++differing;
                lowest = y;
            }
    EXPECT_GE(differing, 4);
    EXPECT_GT(lowest, 12); // under the text's middle, not through it
}

} // namespace
