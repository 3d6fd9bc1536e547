// Text of the windows in their code page: drawn as the same text is drawn from UTF-8, and Pango never sees
// bytes that are not UTF-8.
#include "platform/ui/Controls.h"
#include "platform/text/CodePage.h"
#include "platform/ui/WindowSystem.h"

#include <glib.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

int g_pangoWarnings = 0;

// Pango's warnings come as structured log records: a writer of the process's own counts them.
GLogWriterOutput CountPangoWarnings(GLogLevelFlags level, const GLogField* fields, gsize count, gpointer data) {
    for (gsize i = 0; i < count; ++i) {
        if (std::string(fields[i].key) == "GLIB_DOMAIN" && fields[i].length < 0 &&
            std::string(static_cast<const char*>(fields[i].value)) == "Pango" &&
            (level & (G_LOG_LEVEL_WARNING | G_LOG_LEVEL_CRITICAL)) != 0)
            ++g_pangoWarnings;
    }
    return g_log_writer_default(level, fields, count, data);
}

void WatchPango() {
    static bool s_watching = false; // a process gets one writer, once
    if (!s_watching)
        g_log_set_writer_func(CountPangoWarnings, nullptr, nullptr);
    s_watching = true;
}

// The code page for as long as the guard lives.
class CodePage {
public:
    explicit CodePage(int number) : m_saved(textkit::Active()) { textkit::SetActive(*textkit::CodePage::Find(number)); }
    ~CodePage() { textkit::SetActive(m_saved); }
    CodePage(const CodePage&) = delete;
    CodePage& operator=(const CodePage&) = delete;

private:
    const textkit::CodePage& m_saved;
};

// A label with this text as the window shows it.
std::unique_ptr<ui::Image> Label(const std::string& text) {
    ui::StaticText label;
    label.Create(nullptr, ui::Rect::FromSize(0, 0, 160, 20), 0, text, ui::StyleVisible);
    std::unique_ptr<ui::Image> image = ui::WindowSystem::Instance().Render(label);
    label.Destroy();
    return image;
}

bool SamePixels(const ui::Image& a, const ui::Image& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return false;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (!(a.Pixel(x, y) == b.Pixel(x, y)))
                return false;
    return true;
}

class TextOnScreen : public ::testing::Test {
protected:
    void SetUp() override {
        WatchPango();
        g_pangoWarnings = 0;
    }
};

TEST_F(TextOnScreen, LatinOneAndHebrewAreDrawnAsFromUtf8WithoutAWarning) {
    std::unique_ptr<ui::Image> latin;
    std::unique_ptr<ui::Image> hebrew;
    {
        CodePage page(1252);
        latin = Label("B\xFCrodrehstuhl");
    }
    {
        CodePage page(1255);
        hebrew = Label("\xF9\xEC\xE5\xED \xF2\xE5\xEC\xED"); // שלום עולם
    }
    CodePage utf8(textkit::kUtf8);
    EXPECT_TRUE(SamePixels(*latin, *Label("B\xC3\xBCrodrehstuhl")));
    EXPECT_TRUE(SamePixels(*hebrew, *Label("\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D \xD7\xA2\xD7\x95\xD7\x9C\xD7\x9D")));
    EXPECT_FALSE(SamePixels(*latin, *Label("Brodrehstuhl")));
    // Even bytes that are no UTF-8 never reach Pango as they are.
    Label("B\xFCro");
    EXPECT_EQ(g_pangoWarnings, 0);
}

// A double-byte character is one to the caret: arrows step over it, Backspace and Delete take it whole, even
// where its trail byte is a backslash (ソ, 83 5C) or a letter (ア, 83 41).
TEST(TextInEditBoxes, TheCaretTakesADoubleByteCharacterWhole) {
    CodePage japanese(932);
    ui::WindowSystem& system = ui::WindowSystem::Instance();
    system.Reset();
    ui::Window top;
    top.Create(nullptr, ui::Rect::FromSize(0, 0, 200, 100), 0, "", ui::StyleVisible);
    ui::EditBox edit;
    edit.Create(&top, ui::Rect::FromSize(5, 5, 120, 20), 3, "", ui::StyleVisible | ui::StyleSunken);
    edit.SetFocus();
    edit.SetText("a\x83\x5C\x83\x41" "b\xB1"); // aソアbｱ, the last a single half-width byte
    system.PressKey(ui::KeyLeft);
    system.PressKey(ui::KeyLeft);
    EXPECT_EQ(edit.Caret(), 5);
    system.PressKey(ui::KeyLeft);
    EXPECT_EQ(edit.Caret(), 3);
    system.PressKey(ui::KeyBack);
    EXPECT_EQ(edit.Text(), "a\x83\x41" "b\xB1");
    system.PressKey(ui::KeyDelete);
    EXPECT_EQ(edit.Text(), "ab\xB1");
    system.PressKey(ui::KeyRight, ui::ModShift);
    system.PressKey(ui::KeyRight, ui::ModShift);
    EXPECT_EQ(edit.SelectionEnd() - edit.SelectionStart(), 2);
    top.Destroy();
}

} // namespace
