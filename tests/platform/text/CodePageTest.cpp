// Text in every code page the program keeps it in: the Windows characters of each, UTF-8 with Unicode's case
// and widths, characters taken whole wherever text is cut, and text for a terminal of another character set.
#include "platform/text/CodePage.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using textkit::CodePage;

const CodePage& Page(int number) {
    const CodePage* page = CodePage::Find(number);
    EXPECT_NE(page, nullptr) << number;
    return page ? *page : CodePage::Default();
}

struct Character {
    int page;
    std::string bytes; // in the page
    std::string utf8;
};

TEST(CodePages, EachCharacterIsItsWindowsOneBothWays) {
    const Character characters[] = {
        {936, "\xD6\xD0", "\xE4\xB8\xAD"},       // 中
        {950, "\xA4\xA4", "\xE4\xB8\xAD"},       // 中 in Big5
        {949, "\xC7\xD1", "\xED\x95\x9C"},       // 한
        {932, "\x83\x5C", "\xE3\x82\xBD"},       // ソ, whose trail byte is a backslash
        {932, "\x83\x41", "\xE3\x82\xA2"},       // ア, whose trail byte is an A
        {932, "\xB1", "\xEF\xBD\xB1"},           // half-width ｱ, one byte
        {932, "\x81\x60", "\xEF\xBD\x9E"},       // the Windows wave dash: ～, not 〜
        {936, "\x80", "\xE2\x82\xAC"},           // €, one byte in 936
        {1252, "\x80 B\xFC", "\xE2\x82\xAC B\xC3\xBC"}, // € Bü
        {1251, "\xC4", "\xD0\x94"},                // Д
        {1255, "\xF9", "\xD7\xA9"},                // ש
        {65001, "\xD0\x94", "\xD0\x94"},
    };
    for (const Character& c : characters) {
        const CodePage& page = Page(c.page);
        EXPECT_EQ(page.IsDoubleByte(), c.page >= 932 && c.page <= 950);
        EXPECT_EQ(page.ToUtf8(c.bytes), c.utf8) << c.page;
        std::string back;
        EXPECT_TRUE(page.FromUtf8(c.utf8, back));
        EXPECT_EQ(back, c.bytes) << c.page;
        EXPECT_EQ(CodePage::FromDxfName("ansi_" + std::to_string(c.page)), &page);
    }
}

TEST(CodePages, WhatAPageCannotHoldIsRefusedAndBrokenBytesAreReplacementCharacters) {
    std::string bytes = "left";
    EXPECT_FALSE(Page(1252).FromUtf8("\xCE\xA9", bytes)); // Ω
    EXPECT_EQ(bytes, "");
    EXPECT_FALSE(Page(65001).FromUtf8("\xFF", bytes));
    EXPECT_EQ(Page(1252).ToUtf8("\x81"), "\xEF\xBF\xBD");                      // no character in 1252
    EXPECT_EQ(Page(932).ToUtf8("\x83\x41\x83"), "\xE3\x82\xA2\xEF\xBF\xBD");   // a lead byte typed alone
    EXPECT_EQ(Page(65001).ToUtf8("a\xC3" "b\xE2\x82"), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD\xEF\xBF\xBD");
    // A file's UTF-8 as drawings have it: escapes for what the page lacks, "?" for what is no UTF-8.
    bool escaped = false;
    EXPECT_EQ(Page(1251).FromUtf8Escaped("\xD0\x94\xD7\xA9\xFF", escaped), "\xC4\\U+05E9?");
    EXPECT_TRUE(escaped);
}

TEST(CodePages, NamesAUserMayGive) {
    EXPECT_EQ(CodePage::FromName("utf-8"), &CodePage::Utf8());
    EXPECT_EQ(CodePage::FromName("UTF8"), &CodePage::Utf8());
    EXPECT_EQ(CodePage::FromName("65001"), &CodePage::Utf8());
    EXPECT_EQ(CodePage::FromName("CP1251"), &Page(1251));
    EXPECT_EQ(CodePage::FromName("936"), &Page(936));
    for (const char* unknown : {"", "4242", "cp", "latin1", "1251x", "99999999999"})
        EXPECT_EQ(CodePage::FromName(unknown), nullptr) << unknown;
}

TEST(Utf8, OnlyWellFormedSequencesAreCharacters) {
    std::size_t length = 0;
    EXPECT_EQ(textkit::Utf8At("\xF0\x9F\x98\x80", 0, length), U'\U0001F600');
    EXPECT_EQ(length, 4u);
    for (const char* bad : {"\xC0\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\x80", "\xE2\x82"}) {
        EXPECT_EQ(textkit::Utf8At(bad, 0, length), textkit::kReplacement) << bad;
        EXPECT_EQ(length, 1u);
    }
    EXPECT_EQ(textkit::FirstInvalidUtf8("стол|1.00"), std::string::npos);
    EXPECT_EQ(textkit::FirstInvalidUtf8("ab\xD1"), 2u);
    EXPECT_EQ(textkit::FirstInvalidUtf8("\xEF\xBF\xBD"), std::string::npos); // U+FFFD itself is a character
}

// Case as the module's runtime has it: a code page's own letters, in UTF-8 Unicode's simple mapping.
TEST(Case, EveryScriptsLettersMatchTheirLowerCase) {
    const CodePage& utf8 = CodePage::Utf8();
    EXPECT_EQ(utf8.CompareNoCase("СТОЛ", "стол"), 0);
    EXPECT_EQ(utf8.CompareNoCase("ÉTAGÈRE", "étagère"), 0);
    EXPECT_EQ(utf8.CompareNoCase("ΤΡΑΠΈΖΙ", "τραπέζι"), 0);
    EXPECT_EQ(utf8.CompareNoCase("שולחן", "שולחן"), 0);
    EXPECT_LT(utf8.CompareNoCase("стол", "СТУЛ"), 0);
    EXPECT_GT(utf8.CompareNoCase("стол", "СТО"), 0);
    EXPECT_NE(utf8.CompareNoCase("a\xFF", "a\xFE"), 0);
    EXPECT_EQ(utf8.Lower("СТОЛ Desk 中"), "стол desk 中");
    EXPECT_EQ(Page(1251).CompareNoCase("\xD1\xD2\xCE\xCB", "\xF1\xF2\xEE\xEB"), 0); // СТОЛ in 1251
    EXPECT_EQ(Page(1252).Lower("\xC9TAG\xC8RE"), "\xE9tag\xE8re");
    // A double-byte character has no case, even where its trail byte is a letter's (ア 83 41, ヂ 83 61).
    EXPECT_NE(Page(932).CompareNoCase("\x83\x41", "\x83\x61"), 0);
    EXPECT_EQ(Page(932).CompareNoCase("\x83\x41Z", "\x83\x41z"), 0);
    EXPECT_EQ(Page(1252).CompareNoCase("\x83\x41", "\x83\x61"), 0);
}

TEST(Case, InPlaceACharacterNeverGrowsAndBrokenBytesStay) {
    const CodePage& utf8 = CodePage::Utf8();
    unsigned char text[] = "\xD0\xA1\xD0\xA2\xD0\x9E\xD0\x9B \xE2\x84\xAA \xC8\xBA \xFF Z"; // СТОЛ, Kelvin K, Ⱥ
    utf8.LowerInPlace(text);
    // The Kelvin sign becomes a one-byte k; Ⱥ, whose small letter takes three bytes, stays.
    EXPECT_STREQ(reinterpret_cast<char*>(text), "\xD1\x81\xD1\x82\xD0\xBE\xD0\xBB k \xC8\xBA \xFF z");
    unsigned char sjis[] = "A\x83\x41Z";
    Page(932).LowerInPlace(sjis);
    EXPECT_STREQ(reinterpret_cast<char*>(sjis), "a\x83\x41z");
    EXPECT_EQ(textkit::SimpleLower(U'\u0130'), U'i'); // İ: the simple mapping, not i with a dot
}

TEST(Boundaries, ACharacterIsNeverCut) {
    const CodePage& utf8 = CodePage::Utf8();
    const std::string text = "a\xD0\xB4\xE2\x82\xAC\xF0\x9F\x98\x80" "b"; // aд€😀b
    EXPECT_EQ(utf8.NextBoundary(text, 0), 1u);
    EXPECT_EQ(utf8.NextBoundary(text, 1), 3u);
    EXPECT_EQ(utf8.NextBoundary(text, 3), 6u);
    EXPECT_EQ(utf8.NextBoundary(text, 6), 10u);
    EXPECT_EQ(utf8.PreviousBoundary(text, 10), 6u);
    EXPECT_EQ(utf8.PreviousBoundary(text, 6), 3u);
    // What of a stream read so far can be taken: not a character begun at its end.
    EXPECT_EQ(utf8.WholeCharacters(text.substr(0, 5)), 3u);
    EXPECT_EQ(utf8.WholeCharacters(text.substr(0, 9)), 6u);
    EXPECT_EQ(utf8.WholeCharacters(text), text.size());
    EXPECT_EQ(Page(932).WholeCharacters("a\x83\x41\x83"), 3u);
    EXPECT_EQ(Page(1251).WholeCharacters("\xC4\xC4\xC4"), 3u);
}

TEST(DisplayWidth, WideCharactersTakeTwoColumnsAndMarksNone) {
    const CodePage& utf8 = CodePage::Utf8();
    EXPECT_EQ(utf8.DisplayWidth("стол"), 4u);
    EXPECT_EQ(utf8.DisplayWidth("中文桌子"), 8u);
    EXPECT_EQ(utf8.DisplayWidth("ｱｲ"), 2u);                // half-width katakana
    EXPECT_EQ(utf8.DisplayWidth("e\xCC\x81tage"), 5u);     // e and a combining acute
    EXPECT_EQ(utf8.DisplayWidth("\xF0\x9F\x98\x80"), 2u);  // 😀
    EXPECT_EQ(utf8.DisplayWidth("שולחן"), 5u);
    // Elsewhere a byte is a column, as the fixed-width file always had it.
    EXPECT_EQ(Page(1252).DisplayWidth("B\xFCro"), 4u);
    EXPECT_EQ(Page(936).DisplayWidth("\xD6\xD0"), 2u);
}

TEST(Charsets, TextForATerminalOfAnotherSet) {
    std::string out;
    ASSERT_TRUE(textkit::ToCharset("\xC4\x88!", Page(1251), "KOI8-R", out)); // Д€! : KOI8-R has no €
    EXPECT_EQ(out, "\xE4?!");
    ASSERT_TRUE(textkit::ToCharset("\xC4", Page(1251), "utf-8", out));
    EXPECT_EQ(out, "\xD0\x94");
    EXPECT_FALSE(textkit::ToCharset("x", Page(1251), "NO-SUCH-SET", out));
}

TEST(ActivePage, OnePageForTheWholeProcess) {
    const CodePage& saved = textkit::Active();
    textkit::SetActive(CodePage::Utf8());
    EXPECT_EQ(textkit::Active().Number(), 65001);
    textkit::SetActive(saved);
    EXPECT_EQ(&textkit::Active(), &saved);
}

} // namespace
