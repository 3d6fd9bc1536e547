#include "bom/BlockNames.h"

namespace vantorel {

namespace {
char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
} // namespace

void LowerBlockName(std::string& name) {
    for (char& c : name)
        c = Lower(c);
}

bool BlockNamesEqual(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    }
    return true;
}

int CompareNoCase(const char* a, const char* b) {
    const auto* x = reinterpret_cast<const unsigned char*>(a ? a : "");
    const auto* y = reinterpret_cast<const unsigned char*>(b ? b : "");
    for (;; ++x, ++y) {
        int l = static_cast<unsigned char>(Lower(static_cast<char>(*x)));
        int r = static_cast<unsigned char>(Lower(static_cast<char>(*y)));
        if (l != r || l == 0)
            return l - r;
    }
}

} // namespace vantorel
