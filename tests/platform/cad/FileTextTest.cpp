// Text between a drawing file and the module: the file's code page or UTF-8 to the active page and back, escapes
// for what a page cannot hold, and names compared as the host compares them.
#include "platform/cad/Host.h"
#include "platform/cad/Text.h"
#include "platform/cad/dxf/FileText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(DoubleByteCodePages, BrokenBytesAndForeignCharactersAreToldNotSwallowed) {
    const textkit::CodePage& gbk = *textkit::CodePage::Find(936);
    // A lead byte at the end, or before a byte that trails nothing, stands alone; the ASCII after it stays.
    EXPECT_EQ(cad::EncodeFileText("A\xD6", gbk, nullptr), "A\xEF\xBF\xBD");
    EXPECT_EQ(cad::EncodeFileText("\xD6" "1B", gbk, nullptr), "\xEF\xBF\xBD" "1B");
    // A file in 936 read with 1252 active: the Chinese keeps its place as an escape, and that is told.
    bool lost = false;
    EXPECT_EQ(cad::DecodeFileText("\xD6\xD0" "door", &gbk, textkit::CodePage::Default(), lost), "\\U+4E2Ddoor");
    EXPECT_TRUE(lost);
    // Escapes written by a writer that could not hold a character come back as the character itself.
    lost = false;
    EXPECT_EQ(cad::DecodeFileText("\\U+4E2D", &textkit::CodePage::Default(), gbk, lost), "\xD6\xD0");
    EXPECT_FALSE(lost);
    // A trail byte that is a backslash begins no escape.
    const textkit::CodePage& sjis = *textkit::CodePage::Find(932);
    EXPECT_EQ(cad::DecodeFileText("\x83\\U+0041", &sjis, sjis, lost), "\x83\\U+0041");
    EXPECT_EQ(cad::EncodeFileText("\x83\\U+0041", sjis, nullptr), "\xE3\x82\xBDU+0041");
}

TEST(FileText, AnyFileReadIntoUtf8AndBack) {
    const textkit::CodePage& utf8 = textkit::CodePage::Utf8();
    bool lost = false;
    // Д from a file in 1251, 中 from one in 936, and the escape of a character no page had.
    EXPECT_EQ(cad::DecodeFileText("\xC4", textkit::CodePage::Find(1251), utf8, lost), "\xD0\x94");
    EXPECT_EQ(cad::DecodeFileText("\xD6\xD0", textkit::CodePage::Find(936), utf8, lost), "\xE4\xB8\xAD");
    EXPECT_EQ(cad::DecodeFileText("\\U+05E9", &textkit::CodePage::Default(), utf8, lost), "\xD7\xA9");
    EXPECT_FALSE(lost);
    EXPECT_EQ(cad::EncodeFileText("\xD0\x94\xD7\xA9", utf8, textkit::CodePage::Find(1251)), "\xC4\\U+05E9");
    EXPECT_EQ(cad::EncodeFileText("\xD0\x94", utf8, nullptr), "\xD0\x94");
}

TEST(DoubleByteCodePages, NamesIgnoreTheCaseOfLettersButNotOfTrailBytes) {
    cad::Host& host = cad::Host::Instance();
    host.SetActiveCodePage(*textkit::CodePage::Find(932));
    EXPECT_FALSE(cad::NamesEqual("\x83\x41", "\x83\x61")); // ア and ヂ
    EXPECT_TRUE(cad::NamesEqual("\x83\x41Z", "\x83\x41z"));
    EXPECT_EQ(cad::FoldName("AB\x83\x41\x83\x5A" "C"), "ab\x83\x41\x83\x5A" "c");
    host.SetActiveCodePage(textkit::CodePage::Default());
    EXPECT_TRUE(cad::NamesEqual("\x83\x41", "\x83\x61")); // in 1252 these are two letters each
}

} // namespace
