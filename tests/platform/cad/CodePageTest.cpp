// The code pages text passes through between a drawing file and the module: the Windows characters of each,
// double-byte characters taken whole, and names compared as the host compares them.
#include "platform/cad/Host.h"
#include "platform/cad/Text.h"
#include "platform/cad/dxf/CodePage.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Character {
    int page;
    std::string bytes; // in the page
    std::string utf8;
};

TEST(DoubleByteCodePages, EachCharacterIsItsWindowsOneBothWays) {
    const Character characters[] = {
        {936, "\xD6\xD0", "\xE4\xB8\xAD"},       // 中
        {950, "\xA4\xA4", "\xE4\xB8\xAD"},       // 中 in Big5
        {949, "\xC7\xD1", "\xED\x95\x9C"},       // 한
        {932, "\x83\x5C", "\xE3\x82\xBD"},       // ソ, whose trail byte is a backslash
        {932, "\x83\x41", "\xE3\x82\xA2"},       // ア, whose trail byte is an A
        {932, "\xB1", "\xEF\xBD\xB1"},           // half-width ｱ, one byte
        {932, "\x81\x60", "\xEF\xBD\x9E"},       // the Windows wave dash: ～, not 〜
        {936, "\x80", "\xE2\x82\xAC"},           // €, one byte in 936
    };
    for (const Character& c : characters) {
        const cad::CodePage* page = cad::CodePage::Find(c.page);
        ASSERT_NE(page, nullptr) << c.page;
        EXPECT_TRUE(page->IsDoubleByte());
        bool lost = false;
        EXPECT_EQ(cad::DecodeFileText(c.utf8, nullptr, *page, lost), c.bytes) << c.page;
        EXPECT_FALSE(lost);
        EXPECT_EQ(cad::EncodeFileText(c.bytes, *page, nullptr), c.utf8) << c.page;
        EXPECT_EQ(cad::CodePage::FromDxfName("ansi_" + std::to_string(c.page)), page);
    }
}

TEST(DoubleByteCodePages, BrokenBytesAndForeignCharactersAreToldNotSwallowed) {
    const cad::CodePage& gbk = *cad::CodePage::Find(936);
    // A lead byte at the end, or before a byte that trails nothing, stands alone; the ASCII after it stays.
    EXPECT_EQ(cad::EncodeFileText("A\xD6", gbk, nullptr), "A\xEF\xBF\xBD");
    EXPECT_EQ(cad::EncodeFileText("\xD6" "1B", gbk, nullptr), "\xEF\xBF\xBD" "1B");
    // A file in 936 read with 1252 active: the Chinese keeps its place as an escape, and that is told.
    bool lost = false;
    EXPECT_EQ(cad::DecodeFileText("\xD6\xD0" "door", &gbk, cad::CodePage::Default(), lost), "\\U+4E2Ddoor");
    EXPECT_TRUE(lost);
    // Escapes written by a writer that could not hold a character come back as the character itself.
    lost = false;
    EXPECT_EQ(cad::DecodeFileText("\\U+4E2D", &cad::CodePage::Default(), gbk, lost), "\xD6\xD0");
    EXPECT_FALSE(lost);
    // A trail byte that is a backslash begins no escape.
    const cad::CodePage& sjis = *cad::CodePage::Find(932);
    EXPECT_EQ(cad::DecodeFileText("\x83\\U+0041", &sjis, sjis, lost), "\x83\\U+0041");
    EXPECT_EQ(cad::EncodeFileText("\x83\\U+0041", sjis, nullptr), "\xE3\x82\xBDU+0041");
}

TEST(DoubleByteCodePages, NamesIgnoreTheCaseOfLettersButNotOfTrailBytes) {
    cad::Host& host = cad::Host::Instance();
    host.SetActiveCodePage(*cad::CodePage::Find(932));
    EXPECT_FALSE(cad::NamesEqual("\x83\x41", "\x83\x61")); // ア and ヂ
    EXPECT_TRUE(cad::NamesEqual("\x83\x41Z", "\x83\x41z"));
    EXPECT_EQ(cad::FoldName("AB\x83\x41\x83\x5A" "C"), "ab\x83\x41\x83\x5A" "c");
    host.SetActiveCodePage(cad::CodePage::Default());
    EXPECT_TRUE(cad::NamesEqual("\x83\x41", "\x83\x61")); // in 1252 these are two letters each
}

} // namespace
