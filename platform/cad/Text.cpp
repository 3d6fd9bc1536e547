#include "platform/cad/Text.h"

#include "platform/text/CodePage.h"

namespace cad {

namespace {
char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
} // namespace

bool NamesEqual(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    const textkit::CodePage& page = textkit::Active();
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (page.IsLeadByte(static_cast<unsigned char>(a[i])) && i + 1 < a.size()) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1])
                return false;
            ++i;
            continue;
        }
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    }
    return true;
}

std::string FoldName(std::string_view name) {
    const textkit::CodePage& page = textkit::Active();
    std::string folded(name);
    for (std::size_t i = 0; i < folded.size(); ++i) {
        if (page.IsLeadByte(static_cast<unsigned char>(folded[i])))
            ++i;
        else
            folded[i] = Lower(folded[i]);
    }
    return folded;
}

} // namespace cad
