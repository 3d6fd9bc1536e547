#include "catalog/CatalogCheck.h"

#include "platform/text/CodePage.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <unordered_map>

namespace hostapp {

namespace {
// The module reads a catalogue in pieces of 999 bytes and drops the last byte of each, its line feed.
constexpr std::size_t kPiece = 999;

bool IsBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

std::string Trimmed(const std::string& text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && IsBlank(text[first]))
        ++first;
    while (last > first && IsBlank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

// What the module makes of a price: the decimal number it starts with (after blanks), with or without an
// exponent; 0 for anything else. The point is the decimal separator whatever the locale.
double PriceValue(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    std::size_t start = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    std::size_t digits = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        ++i;
    bool whole = i != digits;
    bool fraction = false;
    if (i < text.size() && text[i] == '.') {
        std::size_t after = ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
            ++i;
        fraction = i != after;
    }
    if (!whole && !fraction)
        return 0.0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t exponent = i + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-'))
            ++exponent;
        if (exponent < text.size() && text[exponent] >= '0' && text[exponent] <= '9') {
            i = exponent;
            while (i < text.size() && text[i] >= '0' && text[i] <= '9')
                ++i;
        }
    }
    std::istringstream number(text.substr(start, i - start));
    number.imbue(std::locale::classic());
    double value = 0.0;
    number >> value;
    return std::isfinite(value) ? value : 0.0;
}

// A price as people write one: digits with at most one point, a sign before.
bool IsDecimal(const std::string& price) {
    std::size_t i = price.empty() || (price[0] != '+' && price[0] != '-') ? 0 : 1;
    bool digit = false;
    bool point = false;
    for (; i < price.size(); ++i) {
        if (price[i] >= '0' && price[i] <= '9')
            digit = true;
        else if (price[i] == '.' && !point)
            point = true;
        else
            return false;
    }
    return digit;
}

bool HasDecimalComma(const std::string& price) {
    std::size_t comma = price.find(',');
    if (comma == std::string::npos || price.find(',', comma + 1) != std::string::npos)
        return false;
    std::string asPoint = price;
    asPoint[comma] = '.';
    return IsDecimal(asPoint) && comma + 1 < price.size();
}

std::string Money(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

std::string Hex(unsigned char byte) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned>(byte));
    return text;
}

// The first byte of the line that is a control character or begins no character of the active page.
std::string BadBytes(const std::string& line) {
    const textkit::CodePage& page = textkit::Active();
    for (std::size_t i = 0; i < line.size();) {
        auto byte = static_cast<unsigned char>(line[i]);
        if (byte < 0x20 || byte == 0x7F) {
            if (byte == 0)
                return "a NUL byte at byte " + std::to_string(i + 1) + ": the line ends there for the reader";
            return "a control character (" + Hex(byte) + ") at byte " + std::to_string(i + 1) +
                   ": a name or description with it matches nothing typed";
        }
        std::size_t length = 1;
        char32_t c = page.DecodeAt(line, i, length);
        if (c == textkit::kReplacement && (length == 1 || page.IsDoubleByte()) &&
            line.compare(i, 3, "\xEF\xBF\xBD") != 0) {
            if (page.IsUtf8())
                return "not UTF-8 text (byte " + Hex(byte) + " at byte " + std::to_string(i + 1) +
                       "): save the catalogue as UTF-8, or give --codepage for its code page";
            return "byte " + Hex(byte) + " at byte " + std::to_string(i + 1) + " is no character of code page " +
                   std::to_string(page.Number()) + ": give --codepage for the catalogue's code page";
        }
        i += length;
    }
    return {};
}

class Checker {
public:
    explicit Checker(std::vector<CatalogFinding>& findings) : m_findings(findings) {}

    void Line(long number, std::string line) {
        auto say = [&](const std::string& text) { m_findings.push_back({number, text}); };
        if (line.size() >= kPiece) {
            say("the line is " + std::to_string(line.size()) + " bytes long: it is read " + std::to_string(kPiece) +
                " bytes at a time, each piece losing its last byte, and what follows byte " +
                std::to_string(kPiece - 1) + " is read as a line of its own");
            return;
        }
        if (std::string bad = BadBytes(line); !bad.empty())
            say(bad);
        if (std::size_t nul = line.find('\0'); nul != std::string::npos)
            line.resize(nul);
        if (Trimmed(line).empty())
            return;
        std::size_t bar = line.find('|');
        if (bar == std::string::npos) {
            say("no \"|\" in the line: it is left out (a line is NAME|PRICE|DESCRIPTION)");
            return;
        }
        std::string name = line.substr(0, bar);
        std::size_t priceEnd = line.find('|', bar + 1);
        std::string price = line.substr(bar + 1, priceEnd == std::string::npos ? std::string::npos : priceEnd - bar - 1);
        if (priceEnd != std::string::npos) {
            std::size_t descriptionEnd = line.find('|', priceEnd + 1);
            if (descriptionEnd != std::string::npos)
                say("the description holds a \"|\": \"" + line.substr(descriptionEnd + 1) + "\" after it is left out");
        }
        if (name.empty()) {
            say("no block name before the \"|\": the line is left out");
            return;
        }
        if (price.empty()) {
            say("no price: the line is left out");
            return;
        }
        if (Trimmed(name) != name)
            say("the block name \"" + name + "\" begins or ends with a blank: it matches only a block named so");
        std::string trimmed = Trimmed(price);
        if (HasDecimalComma(trimmed)) {
            std::string asPoint = trimmed;
            asPoint[asPoint.find(',')] = '.';
            say(trimmed + " counts as " + Money(PriceValue(price)) + ": write " + asPoint);
        } else if (!IsDecimal(trimmed)) {
            say("the price \"" + price + "\" is not a decimal number: it counts as " + Money(PriceValue(price)));
        }
        std::string key = textkit::Active().Lower(name);
        auto [first, added] = m_names.emplace(key, number);
        if (!added) {
            say("the block name \"" + name + "\" is given again (before on line " + std::to_string(first->second) +
                "): this line's price counts, line " + std::to_string(first->second) + " gets nothing");
            first->second = number;
        }
    }

private:
    std::vector<CatalogFinding>& m_findings;
    std::unordered_map<std::string, long> m_names;
};
} // namespace

bool CheckCatalog(const std::string& path, std::vector<CatalogFinding>& findings, std::string& why) {
    findings.clear();
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        why = "cannot read " + path + ": it is a folder";
        return false;
    }
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        why = "cannot read " + path + (errno ? std::string(": ") + std::strerror(errno) : std::string());
        return false;
    }
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        why = "cannot read " + path;
        return false;
    }
    const textkit::CodePage& active = textkit::Active();
    if (content.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        content.erase(0, 3);
        if (!active.IsUtf8()) {
            bool escaped = false;
            content = active.FromUtf8Escaped(content, escaped);
            findings.push_back({0, "UTF-8 with a byte-order mark: read converted to code page " +
                                       std::to_string(active.Number()) +
                                       (escaped ? std::string(", characters it cannot hold as \\U+XXXX escapes")
                                                : std::string())});
        }
    }
    Checker checker(findings);
    long number = 1;
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        if (end == std::string::npos) {
            if (!Trimmed(content.substr(start)).empty())
                findings.push_back({number, "the last line has no line end: it is left out; end it with Enter"});
            break;
        }
        std::size_t lineEnd = end > start && content[end - 1] == '\r' ? end - 1 : end;
        checker.Line(number, content.substr(start, lineEnd - start));
        start = end + 1;
        ++number;
    }
    return true;
}

std::string FindingLine(const std::string& path, const CatalogFinding& finding) {
    return path + (finding.line > 0 ? ":" + std::to_string(finding.line) : std::string()) + ": " + finding.text;
}

int RunCatalogCheck(const std::vector<std::string>& paths) {
    int exitCode = 0;
    for (const std::string& path : paths) {
        std::vector<CatalogFinding> findings;
        std::string why;
        if (!CheckCatalog(path, findings, why)) {
            std::fprintf(stderr, "vantorel: %s\n", why.c_str());
            exitCode = 3;
            continue;
        }
        for (const CatalogFinding& finding : findings)
            std::printf("%s\n", FindingLine(path, finding).c_str());
        if (!findings.empty() && exitCode == 0)
            exitCode = 1;
    }
    return exitCode;
}

void WarnOfCatalog(const std::string& path) {
    std::vector<CatalogFinding> findings;
    std::string why;
    if (path.empty() || !CheckCatalog(path, findings, why))
        return;
    for (const CatalogFinding& finding : findings)
        std::fprintf(stderr, "vantorel: %s\n", FindingLine(path, finding).c_str());
}

} // namespace hostapp
