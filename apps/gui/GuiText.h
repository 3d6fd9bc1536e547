#pragma once

// Small texts of the live editor: typed words and the module's prompts.
#include <cctype>
#include <string>

namespace gui {

inline std::string Upper(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

inline std::string Trim(const std::string& text) {
    std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    std::size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// A prompt as the command line shows it: on one line, without the line breaks the module puts around it.
inline std::string OneLine(const std::string& prompt) {
    std::string line;
    for (char c : prompt)
        if (c != '\n' && c != '\r')
            line += c;
    return line;
}

} // namespace gui
