#include "platform/cad/arx/mbstring.h"

#include "platform/cad/Host.h"

#include <string_view>

namespace {
const cad::CodePage& Active() {
    return cad::Host::Instance().ActiveCodePage();
}

unsigned char AsciiLower(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}
} // namespace

// A double-byte character is taken whole, lead and trail byte together: it has no case, and its trail byte
// may look like a letter. In UTF-8 a character is taken whole too, by Unicode's simple case mapping.
unsigned char* _mbslwr(unsigned char* text) {
    Active().LowerInPlace(text);
    return text;
}

int _mbsicmp(const unsigned char* a, const unsigned char* b) {
    auto view = [](const unsigned char* s) {
        return s ? std::string_view(reinterpret_cast<const char*>(s)) : std::string_view();
    };
    return Active().CompareNoCase(view(a), view(b));
}

int _stricmp(const char* a, const char* b) {
    const auto* x = reinterpret_cast<const unsigned char*>(a ? a : "");
    const auto* y = reinterpret_cast<const unsigned char*>(b ? b : "");
    for (;; ++x, ++y) {
        int l = AsciiLower(*x);
        int r = AsciiLower(*y);
        if (l != r || l == 0)
            return l - r;
    }
}

int _getmbcp() {
    return Active().Number();
}
