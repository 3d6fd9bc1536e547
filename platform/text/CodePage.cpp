#include "platform/text/CodePage.h"

#include "platform/text/UnicodeTables.h"

#include <iconv.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unordered_map>
#include <vector>

namespace textkit {

namespace {
const std::vector<std::unique_ptr<CodePage>>& AllCodePages() {
    static const auto* s_pages = [] {
        auto* pages = new std::vector<std::unique_ptr<CodePage>>();
        for (int i = 0; i < kCodePageTableCount; ++i)
            pages->push_back(std::make_unique<CodePage>(&kCodePageTables[i]));
        for (int number : {932, 936, 949, 950, kUtf8})
            pages->push_back(std::make_unique<CodePage>(number));
        return pages;
    }();
    return *s_pages;
}

std::atomic<const CodePage*> g_active{nullptr};

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameLetters(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    }
    return true;
}

std::size_t Utf8SequenceLength(unsigned char byte) {
    return byte < 0x80 ? 1 : (byte >> 5) == 6 ? 2 : (byte >> 4) == 14 ? 3 : (byte >> 3) == 30 ? 4 : 0;
}

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

bool InRanges(const CodePointRange* ranges, int count, char32_t c) {
    const CodePointRange* end = ranges + count;
    const CodePointRange* found =
        std::upper_bound(ranges, end, c, [](char32_t value, const CodePointRange& r) { return value < r.first; });
    return found != ranges && c <= (found - 1)->last;
}
} // namespace

// Every character of a double-byte page: what each byte pair and each lone byte stands for, and the way back.
struct CodePage::DoubleByteTables {
    std::vector<char32_t> pairs = std::vector<char32_t>(128 * 256, 0); // by (lead - 0x80) * 256 + trail; 0: none
    char32_t singles[128] = {};                                        // bytes 0x80-0xFF that stand alone
    std::unordered_map<char32_t, std::uint16_t> bytes;                 // a lone byte, or lead * 256 + trail
};

CodePage::CodePage(const CodePageTable* table) : m_number(table->number), m_table(table) {}

CodePage::CodePage(int number) : m_number(number) {
    if (number == kUtf8)
        return;
    // The lead bytes of the Windows definitions: Shift-JIS leaves 0xA0-0xDF to single half-width katakana.
    for (int byte = 0x81; byte <= 0xFE; ++byte)
        m_lead[byte] = number != 932 || byte <= 0x9F || (byte >= 0xE0 && byte <= 0xFC);
}

CodePage::~CodePage() = default;

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
    if (name.size() < 6 || !SameLetters(name.substr(0, 5), "ANSI_"))
        return nullptr;
    return FromName(name.substr(5));
}

const CodePage* CodePage::FromName(std::string_view name) {
    if (SameLetters(name, "utf-8") || SameLetters(name, "utf8"))
        return &Utf8();
    if (name.size() > 2 && SameLetters(name.substr(0, 2), "cp"))
        name.remove_prefix(2);
    if (name.empty() || name.size() > 6)
        return nullptr;
    int number = 0;
    for (char c : name) {
        if (c < '0' || c > '9')
            return nullptr;
        number = number * 10 + (c - '0');
    }
    return Find(number);
}

const CodePage& CodePage::Default() {
    return *Find(1252);
}

const CodePage& CodePage::Utf8() {
    return *Find(kUtf8);
}

char32_t CodePage::DecodeAt(std::string_view text, std::size_t i, std::size_t& length) const {
    auto byte = static_cast<unsigned char>(text[i]);
    length = 1;
    if (byte < 0x80)
        return byte;
    if (IsUtf8())
        return Utf8At(text, i, length);
    if (m_table)
        return m_table->upper[byte - 0x80] != 0 ? m_table->upper[byte - 0x80] : kReplacement;
    const DoubleByteTables& tables = Tables();
    if (!m_lead[byte])
        return tables.singles[byte - 0x80] != 0 ? tables.singles[byte - 0x80] : kReplacement;
    if (i + 1 >= text.size())
        return kReplacement;
    auto trail = static_cast<unsigned char>(text[i + 1]);
    // A trail byte below 0x40 is no part of any character: it is left to stand on its own.
    if (trail < 0x40)
        return kReplacement;
    length = 2;
    char32_t c = tables.pairs[static_cast<std::size_t>((byte - 0x80) * 256 + trail)];
    return c != 0 ? c : kReplacement;
}

bool CodePage::EncodeTo(char32_t codePoint, std::string& out) const {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
        return true;
    }
    if (IsUtf8()) {
        if (codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
            return false;
        AppendUtf8(out, codePoint);
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

std::size_t CodePage::CharacterLength(std::string_view text, std::size_t at) const {
    if (at >= text.size())
        return 0;
    auto byte = static_cast<unsigned char>(text[at]);
    if (IsUtf8()) {
        std::size_t length = 1;
        [[maybe_unused]] char32_t c = Utf8At(text, at, length);
        return length;
    }
    if (m_lead[byte] && at + 1 < text.size() && static_cast<unsigned char>(text[at + 1]) >= 0x40)
        return 2;
    return 1;
}

std::size_t CodePage::PreviousBoundary(std::string_view text, std::size_t at) const {
    // A trail byte may look like a lead byte: characters are told apart only from the start.
    std::size_t previous = 0;
    for (std::size_t i = 0; i < at && i < text.size(); i += CharacterLength(text, i))
        previous = i;
    return std::min(previous, at);
}

std::size_t CodePage::NextBoundary(std::string_view text, std::size_t at) const {
    std::size_t i = 0;
    while (i <= at && i < text.size())
        i += CharacterLength(text, i);
    return std::min(std::max(i, at), text.size());
}

std::size_t CodePage::WholeCharacters(std::string_view text) const {
    if (IsUtf8()) {
        for (std::size_t back = 1; back <= 3 && back <= text.size(); ++back) {
            auto byte = static_cast<unsigned char>(text[text.size() - back]);
            if ((byte & 0xC0) == 0x80)
                continue;
            return Utf8SequenceLength(byte) > back ? text.size() - back : text.size();
        }
        return text.size();
    }
    if (!IsDoubleByte())
        return text.size();
    std::size_t i = 0;
    while (i < text.size()) {
        if (m_lead[static_cast<unsigned char>(text[i])] && i + 1 == text.size())
            return i;
        i += CharacterLength(text, i);
    }
    return text.size();
}

char32_t CodePage::LowerCharacter(char32_t c) const {
    if (c >= 'A' && c <= 'Z')
        return c - 'A' + 'a';
    return c < 0x80 ? c : SimpleLower(c);
}

std::string CodePage::Lower(std::string_view text) const {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        std::size_t length = CharacterLength(text, i);
        auto byte = static_cast<unsigned char>(text[i]);
        if (IsUtf8() && byte >= 0x80 && length > 1) {
            std::string lower;
            AppendUtf8(lower, LowerCharacter(Utf8At(text, i, length)));
            out.append(lower.size() <= length ? std::string_view(lower) : text.substr(i, length));
        }
        else if (length == 1 && (byte < 0x80 || m_table))
            out += static_cast<char>(byte < 0x80 ? static_cast<unsigned char>(LowerCharacter(byte)) : m_table->lowerCase[byte - 0x80]);
        else
            out.append(text.substr(i, length));
        i += length;
    }
    return out;
}

void CodePage::LowerInPlace(unsigned char* text) const {
    if (!text)
        return;
    if (IsUtf8()) {
        std::string_view view(reinterpret_cast<const char*>(text), std::strlen(reinterpret_cast<const char*>(text)));
        std::string out;
        out.reserve(view.size());
        for (std::size_t i = 0; i < view.size();) {
            std::size_t length = 1;
            char32_t c = Utf8At(view, i, length);
            std::string lower;
            if (length > 1 || c < 0x80)
                AppendUtf8(lower, LowerCharacter(c));
            if (!lower.empty() && lower.size() <= length)
                out += lower;
            else
                out.append(view.substr(i, length));
            i += length;
        }
        std::memcpy(text, out.data(), out.size());
        text[out.size()] = 0;
        return;
    }
    for (unsigned char* p = text; *p; ++p) {
        if (m_lead[*p] && p[1] != 0) {
            ++p;
            continue;
        }
        if (*p >= 'A' && *p <= 'Z')
            *p = static_cast<unsigned char>(*p - 'A' + 'a');
        else if (*p >= 0x80 && m_table)
            *p = m_table->lowerCase[*p - 0x80];
    }
}

int CodePage::CompareNoCase(std::string_view a, std::string_view b) const {
    if (IsUtf8()) {
        std::size_t i = 0;
        std::size_t j = 0;
        while (i < a.size() && j < b.size()) {
            std::size_t la = 1;
            std::size_t lb = 1;
            char32_t x = Utf8At(a, i, la);
            char32_t y = Utf8At(b, j, lb);
            // A byte that begins no character sorts by itself, after every character.
            long l = x == kReplacement && la == 1 ? 0x110000L + static_cast<unsigned char>(a[i]) : LowerCharacter(x);
            long r = y == kReplacement && lb == 1 ? 0x110000L + static_cast<unsigned char>(b[j]) : LowerCharacter(y);
            if (l != r)
                return l < r ? -1 : 1;
            i += la;
            j += lb;
        }
        return i < a.size() ? 1 : j < b.size() ? -1 : 0;
    }
    auto lower = [this](unsigned char c) -> int {
        if (c >= 'A' && c <= 'Z')
            return c - 'A' + 'a';
        return c >= 0x80 && m_table ? m_table->lowerCase[c - 0x80] : c;
    };
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        auto x = static_cast<unsigned char>(a[i]);
        auto y = static_cast<unsigned char>(b[i]);
        // Equal bytes are lead bytes on both sides or on neither: a double-byte character is compared whole.
        if (m_lead[x] && x == y && i + 1 < n) {
            ++i;
            if (a[i] != b[i])
                return static_cast<unsigned char>(a[i]) - static_cast<unsigned char>(b[i]);
            continue;
        }
        int l = lower(x);
        int r = lower(y);
        if (l != r)
            return l - r;
    }
    return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

std::size_t CodePage::DisplayWidth(std::string_view text) const {
    if (!IsUtf8())
        return text.size();
    std::size_t width = 0;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t length = 1;
        width += static_cast<std::size_t>(CharacterWidth(Utf8At(text, i, length)));
        i += length;
    }
    return width;
}

std::string CodePage::ToUtf8(std::string_view text) const {
    bool plain = true;
    for (char c : text)
        plain = plain && static_cast<unsigned char>(c) < 0x80;
    if (plain)
        return std::string(text);
    std::string out;
    out.reserve(text.size() * 2);
    for (std::size_t i = 0; i < text.size();) {
        std::size_t length = 1;
        AppendUtf8(out, DecodeAt(text, i, length));
        i += length;
    }
    return out;
}

bool CodePage::FromUtf8(std::string_view utf8, std::string& out) const {
    out.clear();
    for (std::size_t i = 0; i < utf8.size();) {
        std::size_t length = 1;
        char32_t c = Utf8At(utf8, i, length);
        if ((c == kReplacement && length == 1) || !EncodeTo(c, out)) {
            out.clear();
            return false;
        }
        i += length;
    }
    return true;
}

std::string CodePage::FromUtf8Escaped(std::string_view utf8, bool& escaped) const {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        std::size_t length = 1;
        char32_t c = Utf8At(utf8, i, length);
        if (c == kReplacement && length == 1) {
            out += '?';
        } else if (!EncodeTo(c, out)) {
            char escape[16];
            std::snprintf(escape, sizeof escape, "\\U+%04X", static_cast<unsigned>(c));
            out += escape;
            escaped = true;
        }
        i += length;
    }
    return out;
}

const CodePage& Active() {
    const CodePage* page = g_active.load(std::memory_order_relaxed);
    return page ? *page : CodePage::Default();
}

void SetActive(const CodePage& page) {
    g_active.store(&page, std::memory_order_relaxed);
}

char32_t Utf8At(std::string_view text, std::size_t i, std::size_t& length) {
    length = 1;
    if (i >= text.size())
        return kReplacement;
    auto byte = static_cast<unsigned char>(text[i]);
    std::size_t size = Utf8SequenceLength(byte);
    if (size == 1)
        return byte;
    if (size == 0 || i + size > text.size())
        return kReplacement;
    char32_t value = byte & (0x7F >> size);
    for (std::size_t k = 1; k < size; ++k) {
        auto next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80)
            return kReplacement;
        value = (value << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and what lies beyond Unicode are no characters.
    static constexpr char32_t kLeast[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < kLeast[size] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return kReplacement;
    length = size;
    return value;
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

std::size_t FirstInvalidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        std::size_t length = 1;
        char32_t c = Utf8At(text, i, length);
        if (c == kReplacement && length == 1)
            return i;
        i += length;
    }
    return std::string_view::npos;
}

char32_t SimpleLower(char32_t c) {
    const CaseMapping* end = kLowerCase + kLowerCaseCount;
    const CaseMapping* found =
        std::lower_bound(kLowerCase, end, c, [](const CaseMapping& m, char32_t value) { return m.from < value; });
    return found != end && found->from == c ? found->to : c;
}

int CharacterWidth(char32_t c) {
    if (c < 0x20 || (c >= 0x7F && c < 0xA0))
        return 0;
    if (c < 0x300)
        return 1;
    if (InRanges(kZeroWidth, kZeroWidthCount, c))
        return 0;
    return InRanges(kWide, kWideCount, c) ? 2 : 1;
}

bool ToCharset(std::string_view text, const CodePage& from, const std::string& charset, std::string& out) {
    std::string utf8 = from.ToUtf8(text);
    if (SameLetters(charset, "UTF-8") || SameLetters(charset, "UTF8")) {
        out = std::move(utf8);
        return true;
    }
    iconv_t cd = iconv_open(charset.c_str(), "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    out.clear();
    char buffer[256];
    char* in = utf8.data();
    std::size_t inLeft = utf8.size();
    while (inLeft > 0) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        std::size_t converted = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, sizeof buffer - outLeft);
        if (converted == static_cast<std::size_t>(-1) && errno != E2BIG) {
            // A character the set cannot hold: a question mark for it, and on past its bytes.
            out += '?';
            std::size_t length = 1;
            [[maybe_unused]] char32_t c = Utf8At(std::string_view(in, inLeft), 0, length);
            in += length;
            inLeft -= length;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(cd);
    return true;
}

} // namespace textkit
