// Typing into a catalogue cell on the live screen (SDL's dummy display): what the keyboard gives as UTF-8 is
// kept, and written, as the bytes of the active code page.
#include "dialogs/TemplateGrid.h"
#include "platform/text/CodePage.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/SdlBackend.h"
#include "platform/ui/WindowSystem.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <fstream>
#include <sstream>
#include <string>

namespace {

// A catalogue grid with one new entry in a dialog on the live screen, typed into through SDL events.
class CatalogueTyping : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
        std::string error;
        ASSERT_TRUE(backend.Open("typing", 800, 600, error)) << error;
        system.Reset();
        system.SetBackend(&backend);
        ui::DialogTemplate t;
        t.title = "BOM Template";
        t.units = ui::Rect::FromSize(0, 0, 393, 248);
        t.controls = {{ui::ControlKind::Placeholder, 201, "", ui::Rect::FromSize(8, 23, 312, 212), ui::StyleVisible}};
        dialog = std::make_unique<ui::Dialog>(t);
        ASSERT_TRUE(dialog->CreateFromTemplate(nullptr, ui::Point{0, 0}));
        ASSERT_TRUE(grid.BindToDialogControl(dialog.get(), 201));
        ASSERT_EQ(grid.AddRow(), 0);
        grid.MakeNewEntry(0);
    }
    void TearDown() override {
        grid.Destroy();
        if (dialog)
            dialog->Destroy();
        system.SetBackend(nullptr);
        textkit::SetActive(saved);
    }
    void Push(SDL_Event event) {
        ASSERT_EQ(SDL_PushEvent(&event), 1);
        ASSERT_TRUE(backend.WaitForInput(system));
    }
    void Type(const char* utf8) {
        SDL_Event event{};
        event.type = SDL_TEXTINPUT;
        std::strncpy(event.text.text, utf8, sizeof event.text.text - 1);
        Push(event);
    }
    void Key(SDL_Keycode code) {
        SDL_Event event{};
        event.type = SDL_KEYDOWN;
        event.key.keysym.sym = code;
        Push(event);
    }

    const textkit::CodePage& saved = textkit::Active();
    ui::SdlBackend backend;
    ui::WindowSystem& system = ui::WindowSystem::Instance();
    std::unique_ptr<ui::Dialog> dialog;
    vantorel::TemplateGrid grid;
};

TEST_F(CatalogueTyping, UmlautsAreKeptAsCodePageBytesAndWhatItCannotHoldIsRefused) {
    ASSERT_EQ(grid.BeginEditAt(2, 0, 0), 0);
    for (const char* typed : {"B", "\xC3\xBC", "\xCE\xA9", "ro"}) // B ü Ω ro
        Type(typed);
    Key(SDLK_RETURN);
    EXPECT_STREQ(grid.GetCellText(2, 0), "B\xFCro");
    EXPECT_EQ(system.Beeps(), 1); // for the Ω
    std::filesystem::path file = std::filesystem::temp_directory_path() / "vantorel-typed.prc";
    grid.SetCellText(0, 0, "CHAIR");
    ASSERT_TRUE(grid.catalog.WriteCatalogFile(file.string()));
    std::ifstream in(file, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    EXPECT_EQ(bytes.str(), "CHAIR|0|B\xFCro\n");
    std::filesystem::remove(file);
}

// In UTF-8 the keyboard's text is kept as it comes, and Backspace takes the character before the caret whole.
TEST_F(CatalogueTyping, InUtf8ACharacterIsTypedAndTakenBackWhole) {
    textkit::SetActive(textkit::CodePage::Utf8());
    ASSERT_EQ(grid.BeginEditAt(0, 0, 0), 0);
    for (const char* typed : {"\xD0\xA1\xD0\xA2", "\xD0\x9E\xD0\x9B", "\xE6\xA1\x8C"}) // СТ ОЛ 桌
        Type(typed);
    Key(SDLK_BACKSPACE); // 桌, three bytes
    Key(SDLK_LEFT);
    Key(SDLK_BACKSPACE); // О, two bytes, from before Л
    Key(SDLK_RETURN);
    EXPECT_STREQ(grid.GetCellText(0, 0), "\xD0\xA1\xD0\xA2\xD0\x9B"); // СТЛ
    EXPECT_EQ(system.Beeps(), 0);
}

} // namespace
