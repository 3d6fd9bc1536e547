#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace cad {

struct CodePageTable {
    int number;
    std::uint16_t upper[128];     // the character of each byte 0x80-0xFF
    std::uint8_t lowerCase[128];  // the byte of its lower-case letter, the byte itself where there is none
};
extern const CodePageTable kCodePageTables[];
extern const int kCodePageTableCount;

// A Windows code page: the host's active one, or the one a drawing file is written in. The single-byte pages
// come from tables made from the Windows definitions; the double-byte ones (932, 936, 949, 950) from the C
// library's converters, asked once for every character when the page is first used.
class CodePage {
public:
    // Null for a code page this editor does not know.
    static const CodePage* Find(int number);
    // "ANSI_1255" (any case); null when unknown.
    static const CodePage* FromDxfName(std::string_view name);
    static const CodePage& Default(); // 1252

    int Number() const { return m_number; }
    std::string DxfName() const { return "ANSI_" + std::to_string(Number()); }
    bool IsDoubleByte() const { return m_table == nullptr; }
    // A byte that begins a two-byte character; never true on a single-byte page.
    bool IsLeadByte(unsigned char byte) const { return m_lead[byte]; }
    // The character at `text[i]` and its length in bytes: U+FFFD for bytes that are none.
    char32_t DecodeAt(std::string_view text, std::size_t i, std::size_t& length) const;
    // Appends the bytes of `codePoint`; false when this page has no character for it.
    bool EncodeTo(char32_t codePoint, std::string& out) const;
    // The byte of the lower-case letter of the single-byte character `byte`; the byte itself for anything
    // else. Double-byte characters have no case, and no byte of them is to be given here.
    unsigned char Lower(unsigned char byte) const {
        if (byte >= 'A' && byte <= 'Z')
            return static_cast<unsigned char>(byte - 'A' + 'a');
        return byte < 0x80 || !m_table ? byte : m_table->lowerCase[byte - 0x80];
    }

    explicit CodePage(const CodePageTable* table);
    explicit CodePage(int doubleByteNumber);
    ~CodePage();
    CodePage(const CodePage&) = delete;
    CodePage& operator=(const CodePage&) = delete;

private:
    struct DoubleByteTables;
    const DoubleByteTables& Tables() const;

    int m_number = 0;
    const CodePageTable* m_table = nullptr; // single-byte pages
    bool m_lead[256] = {};
    mutable std::once_flag m_built;
    mutable std::unique_ptr<DoubleByteTables> m_tables;
};

// File text to active-code-page text. `fileCodePage` null means the file is UTF-8. "\U+XXXX" escapes are
// resolved; a character the active code page cannot hold stays written as its escape and sets `lost`.
[[nodiscard]] std::string DecodeFileText(std::string_view raw, const CodePage* fileCodePage, const CodePage& active,
                                         bool& lost);
// Active-code-page text to file text; characters the file's code page cannot hold become "\U+XXXX".
[[nodiscard]] std::string EncodeFileText(std::string_view text, const CodePage& active,
                                         const CodePage* fileCodePage);
void AppendUtf8(std::string& out, char32_t codePoint);

} // namespace cad
