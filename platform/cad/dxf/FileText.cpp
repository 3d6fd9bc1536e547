#include "platform/cad/dxf/FileText.h"

#include <cstdio>

namespace cad {

namespace {
int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// "\U+XXXX" at `i`: its code point and length, or 0.
char32_t EscapeAt(std::string_view text, std::size_t i, std::size_t& length) {
    if (i + 7 > text.size() || text[i] != '\\' || (text[i + 1] != 'U' && text[i + 1] != 'u') || text[i + 2] != '+')
        return 0;
    char32_t value = 0;
    for (std::size_t k = 3; k < 7; ++k) {
        int digit = HexValue(text[i + k]);
        if (digit < 0)
            return 0;
        value = value * 16 + static_cast<char32_t>(digit);
    }
    length = 7;
    return value;
}

void AppendEscape(std::string& out, char32_t codePoint) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "\\U+%04X", static_cast<unsigned>(codePoint));
    out += buffer;
}
} // namespace

std::string DecodeFileText(std::string_view raw, const CodePage* fileCodePage, const CodePage& active, bool& lost) {
    // Most names are plain ASCII, the same in every code page.
    bool plain = true;
    for (char c : raw) {
        if (static_cast<unsigned char>(c) >= 0x80 || c == '\\') {
            plain = false;
            break;
        }
    }
    if (plain)
        return std::string(raw);
    std::string out;
    out.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size();) {
        std::size_t length = 1;
        char32_t codePoint = EscapeAt(raw, i, length);
        if (codePoint == 0)
            codePoint = fileCodePage ? fileCodePage->DecodeAt(raw, i, length) : textkit::Utf8At(raw, i, length);
        if (!active.EncodeTo(codePoint, out)) {
            AppendEscape(out, codePoint);
            lost = true;
        }
        i += length;
    }
    return out;
}

std::string EncodeFileText(std::string_view text, const CodePage& active, const CodePage* fileCodePage) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        std::size_t length = 1;
        char32_t codePoint = active.DecodeAt(text, i, length);
        i += length;
        if (!fileCodePage)
            textkit::AppendUtf8(out, codePoint);
        else if (!fileCodePage->EncodeTo(codePoint, out))
            AppendEscape(out, codePoint);
    }
    return out;
}

} // namespace cad
