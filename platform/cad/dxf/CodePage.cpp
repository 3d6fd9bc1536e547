#include "platform/cad/dxf/CodePage.h"

#include "platform/cad/Text.h"

#include <iconv.h>

#include <bit>
#include <cstdio>
#include <memory>
#include <unordered_map>
#include <vector>

namespace cad {

namespace {
const std::vector<std::unique_ptr<CodePage>>& AllCodePages() {
    static const auto* s_pages = [] {
        auto* pages = new std::vector<std::unique_ptr<CodePage>>();
        for (int i = 0; i < kCodePageTableCount; ++i)
            pages->push_back(std::make_unique<CodePage>(&kCodePageTables[i]));
        for (int number : {932, 936, 949, 950})
            pages->push_back(std::make_unique<CodePage>(number));
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

// Every character of a double-byte page: what each byte pair and each lone byte stands for, and the way back.
struct CodePage::DoubleByteTables {
    std::vector<char32_t> pairs = std::vector<char32_t>(128 * 256, 0); // by (lead - 0x80) * 256 + trail; 0: none
    char32_t singles[128] = {};                                        // bytes 0x80-0xFF that stand alone
    std::unordered_map<char32_t, std::uint16_t> bytes;                 // a lone byte, or lead * 256 + trail
};

CodePage::CodePage(const CodePageTable* table) : m_number(table->number), m_table(table) {}

CodePage::CodePage(int doubleByteNumber) : m_number(doubleByteNumber) {
    // The lead bytes of the Windows definitions: Shift-JIS leaves 0xA0-0xDF to single half-width katakana.
    for (int byte = 0x81; byte <= 0xFE; ++byte)
        m_lead[byte] = doubleByteNumber != 932 || byte <= 0x9F || (byte >= 0xE0 && byte <= 0xFC);
}

CodePage::~CodePage() = default;

namespace {
// One conversion of `size` bytes to a single character; 0 when they are not exactly one.
char32_t ConvertOne(iconv_t cd, const char* bytes, std::size_t size) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char32_t out[2] = {};
    char* in = const_cast<char*>(bytes);
    std::size_t inLeft = size;
    char* outPtr = reinterpret_cast<char*>(out);
    std::size_t outLeft = sizeof out;
    if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0 ||
        outLeft != sizeof out - sizeof(char32_t))
        return 0;
    return out[0];
}
} // namespace

const CodePage::DoubleByteTables& CodePage::Tables() const {
    std::call_once(m_built, [this] {
        auto tables = std::make_unique<DoubleByteTables>();
        std::string name = "CP" + std::to_string(m_number);
        iconv_t cd = iconv_open(std::endian::native == std::endian::little ? "UTF-32LE" : "UTF-32BE", name.c_str());
        if (cd != reinterpret_cast<iconv_t>(-1)) {
            for (int byte = 0x80; byte <= 0xFF; ++byte) {
                if (m_lead[byte])
                    continue;
                char one = static_cast<char>(byte);
                char32_t c = ConvertOne(cd, &one, 1);
                tables->singles[byte - 0x80] = c;
                if (c != 0)
                    tables->bytes.emplace(c, static_cast<std::uint16_t>(byte));
            }
            for (int lead = 0x81; lead <= 0xFE; ++lead) {
                if (!m_lead[lead])
                    continue;
                for (int trail = 0x40; trail <= 0xFE; ++trail) {
                    char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                    char32_t c = ConvertOne(cd, pair, 2);
                    tables->pairs[static_cast<std::size_t>((lead - 0x80) * 256 + trail)] = c;
                    // Where two pairs stand for one character, the first is the one written.
                    if (c != 0)
                        tables->bytes.emplace(c, static_cast<std::uint16_t>(lead * 256 + trail));
                }
            }
            iconv_close(cd);
        }
        m_tables = std::move(tables);
    });
    return *m_tables;
}

const CodePage* CodePage::Find(int number) {
    for (const auto& page : AllCodePages()) {
        if (page->Number() == number)
            return page.get();
    }
    return nullptr;
}

const CodePage* CodePage::FromDxfName(std::string_view name) {
    if (name.size() < 6 || !NamesEqual(name.substr(0, 5), "ANSI_"))
        return nullptr;
    int number = 0;
    for (char c : name.substr(5)) {
        if (c < '0' || c > '9' || number > 100000)
            return nullptr;
        number = number * 10 + (c - '0');
    }
    return Find(number);
}

const CodePage& CodePage::Default() {
    return *Find(1252);
}

char32_t CodePage::DecodeAt(std::string_view text, std::size_t i, std::size_t& length) const {
    auto byte = static_cast<unsigned char>(text[i]);
    length = 1;
    if (byte < 0x80)
        return byte;
    if (m_table)
        return m_table->upper[byte - 0x80] != 0 ? m_table->upper[byte - 0x80] : 0xFFFD;
    const DoubleByteTables& tables = Tables();
    if (!m_lead[byte])
        return tables.singles[byte - 0x80] != 0 ? tables.singles[byte - 0x80] : 0xFFFD;
    if (i + 1 >= text.size())
        return 0xFFFD;
    auto trail = static_cast<unsigned char>(text[i + 1]);
    // A trail byte below 0x40 is no part of any character: it is left to stand on its own.
    if (trail < 0x40)
        return 0xFFFD;
    length = 2;
    char32_t c = tables.pairs[static_cast<std::size_t>((byte - 0x80) * 256 + trail)];
    return c != 0 ? c : 0xFFFD;
}

bool CodePage::EncodeTo(char32_t codePoint, std::string& out) const {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
        return true;
    }
    if (m_table) {
        for (int i = 0; i < 128; ++i) {
            if (m_table->upper[i] == codePoint) {
                out += static_cast<char>(0x80 + i);
                return true;
            }
        }
        return false;
    }
    const DoubleByteTables& tables = Tables();
    auto found = tables.bytes.find(codePoint);
    if (found == tables.bytes.end())
        return false;
    if (found->second > 0xFF)
        out += static_cast<char>(found->second >> 8);
    out += static_cast<char>(found->second & 0xFF);
    return true;
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
        if (codePoint == 0)
            codePoint = fileCodePage ? fileCodePage->DecodeAt(raw, i, length) : Utf8At(raw, i, length);
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
            AppendUtf8(out, codePoint);
        else if (!fileCodePage->EncodeTo(codePoint, out))
            AppendEscape(out, codePoint);
    }
    return out;
}

} // namespace cad
