#include "platform/cad/dxf/DxfTags.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace cad {

namespace {
constexpr DxfValueKind KindOfCode(int code) {
    if (code >= 10 && code <= 59)
        return DxfValueKind::Real;
    if ((code >= 60 && code <= 79) || (code >= 170 && code <= 179) || (code >= 270 && code <= 289) ||
        (code >= 370 && code <= 389) || (code >= 400 && code <= 409) || (code >= 1060 && code <= 1070))
        return DxfValueKind::Int16;
    if ((code >= 90 && code <= 99) || (code >= 420 && code <= 429) || (code >= 440 && code <= 459) || code == 1071)
        return DxfValueKind::Int32;
    if (code >= 160 && code <= 169)
        return DxfValueKind::Int64;
    if ((code >= 110 && code <= 149) || (code >= 210 && code <= 239) || (code >= 460 && code <= 469) ||
        (code >= 1010 && code <= 1059))
        return DxfValueKind::Real;
    if (code >= 290 && code <= 299)
        return DxfValueKind::Bool;
    if (code == 5 || code == 105 || (code >= 320 && code <= 369) || (code >= 390 && code <= 399) ||
        (code >= 480 && code <= 481) || code == 1005)
        return DxfValueKind::Handle;
    return DxfValueKind::Text;
}

struct KindTable {
    DxfValueKind kinds[1072] = {};
    constexpr KindTable() {
        for (int code = 0; code < 1072; ++code)
            kinds[code] = KindOfCode(code);
    }
};
constexpr KindTable kKinds;
} // namespace

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

DxfValueKind ValueKindOf(int code) {
    return code >= 0 && code < 1072 ? kKinds.kinds[code] : DxfValueKind::Text;
}

namespace {

const char* KindName(DxfValueKind kind) {
    switch (kind) {
    case DxfValueKind::Real: return "a real";
    case DxfValueKind::Int16:
    case DxfValueKind::Int32:
    case DxfValueKind::Int64:
    case DxfValueKind::Bool: return "an integer";
    case DxfValueKind::Handle: return "a handle";
    case DxfValueKind::Text: return "a text";
    }
    return "a value";
}

} // namespace

// Most reals in a drawing are short decimals ("12.5", "-0.25"). When the digits fit in 2^53 and the
// fraction is no longer than 22 digits, one division by an exact power of ten rounds exactly as the full
// parser would; anything else goes to it.
static bool ParseShortDecimal(std::string_view text, double& out) {
    static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                         1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    std::size_t i = 0;
    std::size_t n = text.size();
    bool negative = false;
    if (i < n && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    std::uint64_t mantissa = 0;
    int digits = 0;
    int fraction = 0;
    bool point = false;
    bool any = false;
    for (; i < n; ++i) {
        char c = text[i];
        if (c >= '0' && c <= '9') {
            if (++digits > 15)
                return false;
            mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
            fraction += point ? 1 : 0;
            any = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    if (!any || fraction > 22)
        return false;
    double value = static_cast<double>(mantissa) / kPowers[fraction];
    out = negative ? -value : value;
    return true;
}

static bool ParseRealTrimmed(std::string_view text, double& out) {
    if (ParseShortDecimal(text, out))
        return true;
    if (text.empty())
        return false;
    if (text.front() == '+')
        text.remove_prefix(1);
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
    return error == std::errc() && end == text.data() + text.size();
}

bool ParseReal(std::string_view text, double& out) {
    return ParseRealTrimmed(Trim(text), out);
}

static bool ParseIntTrimmed(std::string_view text, std::int64_t& out) {
    // Plain digits, the usual case, need no general parser.
    std::size_t i = !text.empty() && text[0] == '-' ? 1 : 0;
    if (text.size() > i && text.size() - i <= 18) {
        std::int64_t value = 0;
        std::size_t j = i;
        while (j < text.size() && text[j] >= '0' && text[j] <= '9')
            value = value * 10 + (text[j++] - '0');
        if (j == text.size()) {
            out = i ? -value : value;
            return true;
        }
    }
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty())
        return false;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
    if (error == std::errc() && end == text.data() + text.size())
        return true;
    // Some writers put integers as reals ("1.0"); accept whole numbers only.
    double real = 0.0;
    if (!ParseRealTrimmed(text, real) || !(real >= -0x1p63 && real < 0x1p63) || real != std::trunc(real))
        return false;
    out = static_cast<std::int64_t>(real);
    return true;
}

bool ParseInt(std::string_view text, std::int64_t& out) {
    return ParseIntTrimmed(Trim(text), out);
}

std::uint64_t ParseHandle(std::string_view text) {
    text = Trim(text);
    if (text.empty() || text.size() > 16)
        return 0;
    std::uint64_t value = 0;
    for (char c : text) {
        unsigned digit = c >= '0' && c <= '9'   ? static_cast<unsigned>(c - '0')
                         : c >= 'a' && c <= 'f' ? static_cast<unsigned>(c - 'a' + 10)
                         : c >= 'A' && c <= 'F' ? static_cast<unsigned>(c - 'A' + 10)
                                                : 16u;
        if (digit == 16u)
            return 0;
        value = value << 4 | digit;
    }
    return value;
}

std::string FormatHandle(std::uint64_t handle) {
    char buffer[20];
    std::snprintf(buffer, sizeof buffer, "%llX", static_cast<unsigned long long>(handle));
    return buffer;
}

std::string FormatReal(double value) {
    char buffer[32];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    std::string text(buffer, error == std::errc() ? end : buffer);
    if (text.find_first_of(".eEn") == std::string::npos)
        text += ".0";
    return text;
}

DxfTagStream::DxfTagStream(std::string_view content) : m_content(content), m_format(FormatOf(content)) {
    if (m_format != DxfFormat::Ascii) {
        m_position = m_offset = kBinaryDxfSentinel.size();
        m_line = static_cast<int>(kBinaryDxfSentinel.size());
    }
    m_error.binary = m_format != DxfFormat::Ascii;
}

DxfTagStream::DxfTagStream(std::string_view content, DxfFormat format) : m_content(content), m_format(format) {
    m_error.binary = m_format != DxfFormat::Ascii;
}

std::string DxfTagStream::Place(int line) const {
    return (m_format == DxfFormat::Ascii ? "line " : "byte ") + std::to_string(line);
}

void DxfTagStream::Fail(DxfStatus status, int line, std::string detail) {
    if (Failed())
        return;
    m_error.status = status;
    m_error.line = line;
    m_error.detail = std::move(detail);
}

bool DxfTagStream::ReadLine(std::string_view& line) {
    if (m_position >= m_content.size())
        return false;
    // Most lines of a drawing are a few bytes long: their end is found among the next 16 bytes at once, or by a
    // plain loop, sooner than memchr would find it.
    const char* data = m_content.data();
    std::size_t size = m_content.size();
    std::size_t end = m_position;
    std::size_t shortEnd = size - m_position > 24 ? m_position + 24 : size;
#if defined(__SSE2__)
    if (size - m_position >= 16) {
        __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + m_position));
        auto found = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n'))));
        end = found ? m_position + static_cast<std::size_t>(__builtin_ctz(found)) : m_position + 16;
        shortEnd = found ? end : shortEnd;
    }
#endif
    while (end < shortEnd && data[end] != '\n')
        ++end;
    if (end == shortEnd && end < size && data[end] != '\n') {
        const void* found = std::memchr(data + end, '\n', size - end);
        end = found ? static_cast<std::size_t>(static_cast<const char*>(found) - data) : size;
    }
    std::size_t next = end < size ? end + 1 : size;
    line = std::string_view(data + m_position, end - m_position);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    m_position = next;
    ++m_line;
    return true;
}

bool DxfTagStream::ReadPlainDecimal(DxfTag& tag) {
    // The common real, "-12.5" and a line end, read in one pass over its bytes: the whole part, then the fraction,
    // each a run of digits. Anything else (blanks, exponents) is left for the general path, which reads the line
    // again from its start.
    static constexpr double kPowers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13,
                                         1e14, 1e15};
    const char* const start = m_content.data() + m_position;
    const char* const end = m_content.data() + m_content.size();
    const char* p = start;
    bool negative = p < end && *p == '-';
    p += negative ? 1 : 0;
    const char* digits = p;
    // Wraps past 19 digits; then it is not used.
    std::uint64_t mantissa = 0;
    while (p < end && static_cast<unsigned char>(*p - '0') < 10)
        mantissa = mantissa * 10 + static_cast<unsigned char>(*p++ - '0');
    std::ptrdiff_t whole = p - digits;
    std::ptrdiff_t fraction = 0;
    if (p < end && *p == '.') {
        const char* first = ++p;
        while (p < end && static_cast<unsigned char>(*p - '0') < 10)
            mantissa = mantissa * 10 + static_cast<unsigned char>(*p++ - '0');
        fraction = p - first;
    }
    if (whole + fraction == 0 || p >= end)
        return false;
    const char* valueEnd = p;
    p += *p == '\r' ? 1 : 0;
    if (p >= end || *p != '\n')
        return false;
    double value = 0.0;
    if (whole + fraction <= 15) {
        value = static_cast<double>(mantissa) / kPowers[fraction];
        value = negative ? -value : value;
    } else if (std::from_chars(start, valueEnd, value).ptr != valueEnd) {
        // A double written in full has 16 or 17 digits: too many for one exact division, but still a plain
        // decimal that the general parser takes as it stands.
        return false;
    }
    tag.number = value;
    tag.value = std::string_view(start, static_cast<std::size_t>(valueEnd - start));
    m_position = static_cast<std::size_t>(p + 1 - m_content.data());
    ++m_line;
    return true;
}

bool DxfTagStream::Peek(DxfTag& tag) {
    if (!m_hasPeeked) {
        std::size_t offset = m_offset;
        if (!Read(m_peeked))
            return false;
        m_peekedOffset = m_position;
        m_peekedLine = m_line;
        m_offset = offset;
        m_hasPeeked = true;
    }
    tag = m_peeked;
    return true;
}

bool DxfTagStream::NextInBody(DxfTag& tag) {
    if (m_hasPeeked) {
        if (m_peeked.code == 0)
            return false;
        return Next(tag);
    }
    std::size_t offset = m_offset;
    if (!Read(tag))
        return false;
    if (tag.code == 0) {
        m_peeked = tag;
        m_peekedOffset = m_position;
        m_peekedLine = m_line;
        m_offset = offset;
        m_hasPeeked = true;
        return false;
    }
    m_offset = m_position;
    m_offsetLine = m_line;
    return true;
}

bool DxfTagStream::Next(DxfTag& tag) {
    if (m_hasPeeked) {
        m_hasPeeked = false;
        tag = m_peeked;
        m_offset = m_peekedOffset;
        m_offsetLine = m_peekedLine;
        return true;
    }
    if (!Read(tag))
        return false;
    m_offset = m_position;
    m_offsetLine = m_line;
    return true;
}

bool DxfTagStream::Read(DxfTag& tag) {
    if (Failed())
        return false;
    if (m_format != DxfFormat::Ascii)
        return ReadBinary(tag);
    std::size_t begin = m_position;
    int code = 0;
    int line = m_line + 1;
    // Nearly every group code line is digits right-aligned in three columns ("  0", " 10", "330") and a line end:
    // read those in place, the rest as a line.
    const char* data = m_content.data();
    std::size_t size = m_content.size();
    std::size_t at = m_position;
    bool quick = false;
    if (size - at >= 5) {
        // Three columns and a line end, looked at all at once.
        const auto* q = reinterpret_cast<const unsigned char*>(data + at);
        unsigned d0 = q[0] - unsigned{'0'};
        unsigned d1 = q[1] - unsigned{'0'};
        unsigned d2 = q[2] - unsigned{'0'};
        bool ends = q[3] == '\n' || (q[3] == '\r' && q[4] == '\n');
        if (ends && d2 < 10) {
            if (q[0] == ' ' && q[1] == ' ')
                code = static_cast<int>(d2), quick = true;
            else if (q[0] == ' ' && d1 < 10)
                code = static_cast<int>(d1 * 10 + d2), quick = true;
            else if (d0 < 10 && d1 < 10)
                code = static_cast<int>(d0 * 100 + d1 * 10 + d2), quick = true;
            at += quick ? 3 : 0;
        }
    }
    if (!quick) {
        while (at < size && at - m_position < 3 && data[at] == ' ')
            ++at;
        std::size_t first = at;
        while (at < size && at - first < 4 && data[at] >= '0' && data[at] <= '9')
            code = code * 10 + (data[at++] - '0');
        quick = at > first && at < size && (data[at] == '\n' || (data[at] == '\r' && at + 1 < size && data[at + 1] == '\n'));
    }
    std::string_view codeLine;
    if (quick) {
        codeLine = std::string_view(data + m_position, at - m_position);
        m_position = at + (data[at] == '\r' ? 2 : 1);
        m_line = line;
    }
    if (!quick && !ReadLine(codeLine))
        return false;
    std::size_t digits = quick ? 1 : 0;
    std::size_t i = quick ? codeLine.size() : 0;
    std::size_t n = codeLine.size();
    if (!quick) {
        // Group codes are short numbers, perhaps with blanks around.
        code = 0;
        while (i < n && (codeLine[i] == ' ' || codeLine[i] == '\t'))
            ++i;
        while (i < n && codeLine[i] >= '0' && codeLine[i] <= '9' && digits < 5) {
            code = code * 10 + (codeLine[i] - '0');
            ++i;
            ++digits;
        }
        while (i < n && (codeLine[i] == ' ' || codeLine[i] == '\t'))
            ++i;
    }
    if (digits == 0 || i != n || code > 1071) {
        Fail(DxfStatus::BadGroupCode, line,
             "expected a group code, found \"" + std::string(Trim(codeLine).substr(0, 40)) + "\"");
        return false;
    }
    DxfValueKind kind = ValueKindOf(code);
    if (kind == DxfValueKind::Real && ReadPlainDecimal(tag)) {
        tag.code = code;
        tag.line = line;
        tag.begin = begin;
        return true;
    }
    std::string_view valueLine;
    if (!ReadLine(valueLine)) {
        Fail(DxfStatus::UnexpectedEnd, line,
             "the file ends after group code " + std::to_string(code) + " without its value");
        return false;
    }
    tag.code = code;
    tag.line = line;
    tag.begin = begin;
    if (kind == DxfValueKind::Text) {
        tag.value = valueLine;
        tag.number = 0.0;
        return true;
    }
    std::string_view trimmed = Trim(valueLine);
    tag.value = trimmed;
    double real = 0.0;
    std::int64_t integer = 0;
    bool valid = true;
    tag.number = 0.0;
    if (kind == DxfValueKind::Real) {
        valid = ParseRealTrimmed(trimmed, real);
        tag.number = real;
    }
    else if (kind == DxfValueKind::Handle)
        valid = true; // real writers put names where handles belong; such a value simply points nowhere
    else {
        valid = ParseIntTrimmed(trimmed, integer);
        tag.number = static_cast<double>(integer);
    }
    if (!valid) {
        Fail(DxfStatus::BadValue, line,
             std::string("expected ") + KindName(kind) + " after group " + std::to_string(code) + ", found \"" +
                 std::string(trimmed.substr(0, 40)) + "\"");
        return false;
    }
    return true;
}

} // namespace cad
