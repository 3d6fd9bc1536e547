// Any bytes as text of every code page: what the text library says of it holds together. Text from drawings,
// catalogues, typing and file names all passes here, so no input may crash it or break its promises.
#include "platform/text/CodePage.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    for (int number : {1252, 1251, 874, 932, 936, 949, 950, 65001}) {
        const textkit::CodePage& page = *textkit::CodePage::Find(number);
        // Every text shows as well-formed UTF-8, and what it shows comes back where the page holds it.
        std::string utf8 = page.ToUtf8(text);
        if (textkit::FirstInvalidUtf8(utf8) != std::string::npos)
            std::abort();
        std::string back;
        if (page.FromUtf8(utf8, back) && number == 65001 && textkit::FirstInvalidUtf8(text) == std::string::npos &&
            back != text)
            std::abort();
        // Characters tile the text; the caret's steps land on them.
        std::size_t at = 0;
        while (at < text.size()) {
            std::size_t length = page.CharacterLength(text, at);
            if (length == 0 || at + length > text.size() || page.NextBoundary(text, at) != at + length ||
                page.PreviousBoundary(text, at + length) != at)
                std::abort();
            at += length;
        }
        std::size_t whole = page.WholeCharacters(text);
        // What is held back is no more than a character begun at the end.
        if (whole > size || size - whole > 3)
            std::abort();
        // Case: lowering in place and by copy agree, never grow, and a text equals itself and its lower case.
        std::string lower = page.Lower(text);
        std::vector<unsigned char> inPlace(text.begin(), text.end());
        inPlace.push_back(0);
        page.LowerInPlace(inPlace.data());
        std::string upToNul = text.substr(0, std::strlen(text.c_str()));
        if (std::string(reinterpret_cast<char*>(inPlace.data())) != page.Lower(upToNul) || lower.size() > size)
            std::abort();
        if (page.CompareNoCase(text, text) != 0 || page.CompareNoCase(text, lower) != 0)
            std::abort();
        if (page.DisplayWidth(text) > 2 * size)
            std::abort();
    }
    return 0;
}
