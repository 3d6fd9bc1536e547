#include "platform/cad/dxf/CodePage.h"

#include "platform/cad/Text.h"

#include <cstdio>
#include <memory>
#include <vector>

namespace cad {

namespace {
const std::vector<CodePage>& AllCodePages() {
    static const auto* s_pages = [] {
        auto* pages = new std::vector<CodePage>();
        for (int i = 0; i < kCodePageTableCount; ++i)
            pages->emplace_back(&kCodePageTables[i]);
        return pages;
    }();
    return *s_pages;
}

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

// One UTF-8 sequence at `i`; U+FFFD for a malformed one.
char32_t Utf8At(std::string_view text, std::size_t i, std::size_t& length) {
    auto byte = static_cast<unsigned char>(text[i]);
    int extra = byte < 0x80 ? 0 : (byte >> 5) == 6 ? 1 : (byte >> 4) == 14 ? 2 : (byte >> 3) == 30 ? 3 : -1;
    length = 1;
    if (extra < 0)
        return 0xFFFD;
    if (extra == 0)
        return byte;
    if (i + static_cast<std::size_t>(extra) >= text.size())
        return 0xFFFD;
    char32_t value = byte & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
        if ((next & 0xC0) != 0x80)
            return 0xFFFD;
        value = (value << 6) | (next & 0x3F);
    }
    length = static_cast<std::size_t>(extra) + 1;
    return value;
}

void AppendEscape(std::string& out, char32_t codePoint) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "\\U+%04X", static_cast<unsigned>(codePoint));
    out += buffer;
}
} // namespace

const CodePage* CodePage::Find(int number) {
    for (const CodePage& page : AllCodePages()) {
        if (page.Number() == number)
            return &page;
    }
    return nullptr;
}

const CodePage* CodePage::FromDxfName(std::string_view name) {
    if (name.size() < 6 || !NamesEqual(name.substr(0, 5), "ANSI_"))
        return nullptr;
    int number = 0;
    for (char c : name.substr(5)) {
        if (c < '0' || c > '9')
            return nullptr;
        number = number * 10 + (c - '0');
    }
    return Find(number);
}

const CodePage& CodePage::Default() {
    return *Find(1252);
}

char32_t CodePage::Decode(unsigned char byte) const {
    return byte < 0x80 ? byte : m_table->upper[byte - 0x80];
}

bool CodePage::Encode(char32_t codePoint, char& byte) const {
    if (codePoint < 0x80) {
        byte = static_cast<char>(codePoint);
        return true;
    }
    for (int i = 0; i < 128; ++i) {
        if (m_table->upper[i] == codePoint) {
            byte = static_cast<char>(0x80 + i);
            return true;
        }
    }
    return false;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

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
        if (codePoint == 0) {
            if (fileCodePage) {
                codePoint = fileCodePage->Decode(static_cast<unsigned char>(raw[i]));
                length = 1;
                if (codePoint == 0 && raw[i] != '\0')
                    codePoint = 0xFFFD;
            } else {
                codePoint = Utf8At(raw, i, length);
            }
        }
        char byte = 0;
        if (active.Encode(codePoint, byte)) {
            out += byte;
        } else {
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
    for (char c : text) {
        char32_t codePoint = active.Decode(static_cast<unsigned char>(c));
        if (!fileCodePage) {
            AppendUtf8(out, codePoint);
            continue;
        }
        char byte = 0;
        if (fileCodePage->Encode(codePoint, byte))
            out += byte;
        else
            AppendEscape(out, codePoint);
    }
    return out;
}

} // namespace cad
