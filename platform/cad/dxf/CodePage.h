#pragma once

#include <cstdint>
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

// A single-byte Windows code page: the host's active one, or the one a drawing file is written in.
class CodePage {
public:
    // Null for a code page this editor does not know.
    static const CodePage* Find(int number);
    // "ANSI_1255" (any case); null when unknown.
    static const CodePage* FromDxfName(std::string_view name);
    static const CodePage& Default(); // 1252

    int Number() const { return m_table->number; }
    std::string DxfName() const { return "ANSI_" + std::to_string(Number()); }
    // 0 for a byte without a character.
    char32_t Decode(unsigned char byte) const;
    bool Encode(char32_t codePoint, char& byte) const;
    // The byte of the lower-case letter of `byte` in this code page; the byte itself for anything else.
    unsigned char Lower(unsigned char byte) const {
        if (byte >= 'A' && byte <= 'Z')
            return static_cast<unsigned char>(byte - 'A' + 'a');
        return byte < 0x80 ? byte : m_table->lowerCase[byte - 0x80];
    }

    explicit CodePage(const CodePageTable* table) : m_table(table) {}

private:
    const CodePageTable* m_table;
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
