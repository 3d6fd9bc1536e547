#include "platform/cad/arx/mbstring.h"

#include "platform/cad/Host.h"

namespace {
const cad::CodePage& Active() {
    return cad::Host::Instance().ActiveCodePage();
}

unsigned char AsciiLower(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}
} // namespace

// A double-byte character is taken whole, lead and trail byte together: it has no case, and its trail byte
// may look like a letter.
unsigned char* _mbslwr(unsigned char* text) {
    if (!text)
        return text;
    const cad::CodePage& page = Active();
    for (unsigned char* p = text; *p; ++p) {
        if (page.IsLeadByte(*p) && p[1] != 0)
            ++p;
        else
            *p = page.Lower(*p);
    }
    return text;
}

int _mbsicmp(const unsigned char* a, const unsigned char* b) {
    static const unsigned char kEmpty[] = "";
    const unsigned char* x = a ? a : kEmpty;
    const unsigned char* y = b ? b : kEmpty;
    const cad::CodePage& page = Active();
    for (;; ++x, ++y) {
        // Equal bytes are lead bytes on both sides or on neither.
        if (page.IsLeadByte(*x) && *x == *y && x[1] != 0) {
            ++x;
            ++y;
            if (*x != *y)
                return *x - *y;
            continue;
        }
        int l = page.Lower(*x);
        int r = page.Lower(*y);
        if (l != r || l == 0)
            return l - r;
    }
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
