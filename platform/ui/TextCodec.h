#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ui {

// The windows' text is in the process's code page, as the programs that made them know it: single-byte Windows
// code pages (1250 to 1258, 874), double-byte ones (932, 936, 949, 950), or 65001 for UTF-8 itself. Pango draws
// UTF-8 and SDL types UTF-8: every text crosses here on its way, and only here.
class TextCodec {
public:
    static constexpr int kUtf8 = 65001;

    static TextCodec& Instance();

    // False, changing nothing, for a code page the C library's converters do not know.
    [[nodiscard]] bool SetCodePage(int codePage);
    int CodePage() const { return m_codePage; }

    // The text as UTF-8; a byte that is no character of the code page shows as U+FFFD. Safe from any thread.
    [[nodiscard]] std::string ToUtf8(std::string_view text) const;
    // UTF-8 into the code page; false, with `out` empty, when a character has no bytes there.
    [[nodiscard]] bool FromUtf8(std::string_view utf8, std::string& out) const;

    // The length in bytes of the character at `at`: two for a lead byte and its trail in a double-byte page,
    // a whole sequence in UTF-8, else one.
    [[nodiscard]] std::size_t CharacterLength(std::string_view text, std::size_t at) const;
    // The start of the character before `at`, and the end of the one at `at`: where a caret may stand.
    [[nodiscard]] std::size_t PreviousBoundary(std::string_view text, std::size_t at) const;
    [[nodiscard]] std::size_t NextBoundary(std::string_view text, std::size_t at) const;

private:
    TextCodec();
    bool IsLeadByte(unsigned char byte) const;
    int m_codePage = 0;
    bool m_singleByte = true;
    // UTF-8 of each byte 0x80 to 0xFF of a single-byte code page.
    std::string m_upper[128];
};

} // namespace ui
