#include "platform/cad/Text.h"

#include "platform/cad/dxf/CodePage.h"

#include <atomic>

namespace cad {

namespace {
std::atomic<const CodePage*> g_namesCodePage{nullptr};

const CodePage& NamesCodePage() {
    const CodePage* page = g_namesCodePage.load(std::memory_order_relaxed);
    return page ? *page : CodePage::Default();
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
} // namespace

void SetNamesCodePage(const CodePage& page) {
    g_namesCodePage.store(&page, std::memory_order_relaxed);
}

bool NamesEqual(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    const CodePage& page = NamesCodePage();
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
    const CodePage& page = NamesCodePage();
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
