#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

// The one place that knows text: code pages, conversion, case, character boundaries and display width. The
// drawing reader, the window system and the C runtime's multibyte functions the module calls all come here.
namespace textkit {

struct CodePageTable {
    int number;
    std::uint16_t upper[128];     // the character of each byte 0x80-0xFF
    std::uint8_t lowerCase[128];  // the byte of its lower-case letter, the byte itself where there is none
};
extern const CodePageTable kCodePageTables[];
extern const int kCodePageTableCount;

constexpr char32_t kReplacement = 0xFFFD;
constexpr int kUtf8 = 65001;

// A code page: a Windows one (single-byte pages from tables made from the Windows definitions; the double-byte
// ones, 932, 936, 949 and 950, from the C library's converters, asked once for every character when the page
// is first used), or UTF-8 (65001).
class CodePage {
public:
    // Null for a code page not known here.
    static const CodePage* Find(int number);
    // "ANSI_1255" (any case); null when unknown.
    static const CodePage* FromDxfName(std::string_view name);
    // "1251", "65001", "utf-8", "UTF8", "cp1251" (any case); null when unknown.
    static const CodePage* FromName(std::string_view name);
    static const CodePage& Default(); // 1252
    static const CodePage& Utf8();

    int Number() const { return m_number; }
    std::string DxfName() const { return "ANSI_" + std::to_string(Number()); }
    bool IsUtf8() const { return m_number == kUtf8; }
    bool IsDoubleByte() const { return m_table == nullptr && !IsUtf8(); }
    // A byte that begins a two-byte character of a double-byte page; never true on any other.
    bool IsLeadByte(unsigned char byte) const { return m_lead[byte]; }

    // The character at `text[i]` and its length in bytes: U+FFFD for a byte that begins none, taking that byte.
    char32_t DecodeAt(std::string_view text, std::size_t i, std::size_t& length) const;
    // Appends the bytes of `codePoint`; false when this page has no character for it.
    bool EncodeTo(char32_t codePoint, std::string& out) const;

    // The length of the character at `at` (0 at the end): where a caret may stand and where text may be cut.
    std::size_t CharacterLength(std::string_view text, std::size_t at) const;
    // The start of the character before `at`, and the end of the one at `at`.
    std::size_t PreviousBoundary(std::string_view text, std::size_t at) const;
    std::size_t NextBoundary(std::string_view text, std::size_t at) const;
    // `text` less a character begun at its end and not finished (a lead byte, the start of a UTF-8 sequence):
    // what of a stream read so far can be taken as it is.
    std::size_t WholeCharacters(std::string_view text) const;

    // Case as the runtime of this page has it: the page's own letters (Unicode's simple mapping in UTF-8);
    // double-byte characters have no case and are taken whole. Lower-casing is done in place in C strings, so
    // a UTF-8 character whose lower case takes more bytes is left as it is, by both.
    std::string Lower(std::string_view text) const;
    void LowerInPlace(unsigned char* text) const;
    // Negative, 0 or positive as `a` sorts before, with or after `b`, letters taken as their lower case.
    int CompareNoCase(std::string_view a, std::string_view b) const;

    // The columns `text` takes in a terminal or a fixed-width editor: in UTF-8 by its characters (East Asian
    // wide ones count two, combining marks none); in every other page a byte is a column.
    std::size_t DisplayWidth(std::string_view text) const;

    // The text as UTF-8; a byte that is no character shows as U+FFFD.
    std::string ToUtf8(std::string_view text) const;
    // UTF-8 into this page; false, with `out` empty, when a character has no bytes here or the input is not
    // UTF-8.
    [[nodiscard]] bool FromUtf8(std::string_view utf8, std::string& out) const;
    // UTF-8 text of a file into this page as drawings have it: a character the page cannot hold written as its
    // "\U+XXXX" escape (which sets `escaped`), a byte that is no UTF-8 as "?".
    std::string FromUtf8Escaped(std::string_view utf8, bool& escaped) const;

    explicit CodePage(const CodePageTable* table);
    explicit CodePage(int number);
    ~CodePage();
    CodePage(const CodePage&) = delete;
    CodePage& operator=(const CodePage&) = delete;

private:
    struct DoubleByteTables;
    const DoubleByteTables& Tables() const;
    char32_t LowerCharacter(char32_t c) const;

    int m_number = 0;
    const CodePageTable* m_table = nullptr; // single-byte pages
    bool m_lead[256] = {};
    mutable std::once_flag m_built;
    mutable std::unique_ptr<DoubleByteTables> m_tables;
};

// The process's active code page: the host's, in which the module, the windows and the command line keep
// their text. Safe to read from any thread.
const CodePage& Active();
void SetActive(const CodePage& page);

// UTF-8 by itself, whatever page is active.
// One sequence at `i`: its character and length; U+FFFD and 1 for a byte that begins no whole sequence.
char32_t Utf8At(std::string_view text, std::size_t i, std::size_t& length);
void AppendUtf8(std::string& out, char32_t codePoint);
// The offset of the first byte that is not part of well-formed UTF-8; npos when there is none.
std::size_t FirstInvalidUtf8(std::string_view text);
// Unicode's simple lower-case mapping; the character itself when it has none.
char32_t SimpleLower(char32_t c);
// 0, 1 or 2 columns.
int CharacterWidth(char32_t c);

// Text of the active page for a device that takes another character set (a terminal's `nl_langinfo(CODESET)`,
// "UTF-8" say); what it cannot hold becomes "?". False when the C library has no converter for that set.
[[nodiscard]] bool ToCharset(std::string_view text, const CodePage& from, const std::string& charset,
                             std::string& out);

} // namespace textkit
