#include "platform/cad/dxf/DxfTags.h"

#include <charconv>
#include <cstdio>
#include <cstring>

namespace cad {

DxfValueKind ValueKindOf(int code) {
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

namespace {
std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

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

bool IsHex(std::string_view text) {
    for (char c : text) {
        bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (!hex)
            return false;
    }
    return true;
}

} // namespace

bool ParseReal(std::string_view text, double& out) {
    text = Trim(text);
    if (text.empty())
        return false;
    if (text.front() == '+')
        text.remove_prefix(1);
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
    return error == std::errc() && end == text.data() + text.size();
}

bool ParseInt(std::string_view text, std::int64_t& out) {
    text = Trim(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty())
        return false;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
    if (error == std::errc() && end == text.data() + text.size())
        return true;
    // Some writers put integers as reals ("1.0"); accept whole numbers only.
    double real = 0.0;
    if (!ParseReal(text, real) || real != static_cast<double>(static_cast<std::int64_t>(real)))
        return false;
    out = static_cast<std::int64_t>(real);
    return true;
}

std::uint64_t ParseHandle(std::string_view text) {
    text = Trim(text);
    std::uint64_t value = 0;
    if (text.empty() || text.size() > 16 || !IsHex(text))
        return 0;
    std::from_chars(text.data(), text.data() + text.size(), value, 16);
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

DxfTagStream::DxfTagStream(std::string_view content) : m_content(content) {
    static constexpr std::string_view kBinarySentinel = "AutoCAD Binary DXF";
    if (content.substr(0, kBinarySentinel.size()) == kBinarySentinel)
        Fail(DxfStatus::Binary, 1, "this is a binary DXF file; save the drawing as ASCII DXF");
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
    std::size_t end = m_content.find('\n', m_position);
    std::size_t next = end == std::string_view::npos ? m_content.size() : end + 1;
    if (end == std::string_view::npos)
        end = m_content.size();
    line = m_content.substr(m_position, end - m_position);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    m_position = next;
    ++m_line;
    return true;
}

bool DxfTagStream::Peek(DxfTag& tag) {
    if (!m_hasPeeked) {
        std::size_t offset = m_offset;
        if (!Read(m_peeked))
            return false;
        m_peekedOffset = m_position;
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
        m_offset = offset;
        m_hasPeeked = true;
        return false;
    }
    m_offset = m_position;
    return true;
}

bool DxfTagStream::Next(DxfTag& tag) {
    if (m_hasPeeked) {
        m_hasPeeked = false;
        tag = m_peeked;
        m_offset = m_peekedOffset;
        return true;
    }
    if (!Read(tag))
        return false;
    m_offset = m_position;
    return true;
}

bool DxfTagStream::Read(DxfTag& tag) {
    if (Failed())
        return false;
    std::string_view codeLine;
    std::size_t begin = m_position;
    if (!ReadLine(codeLine))
        return false;
    int line = m_line;
    // Group codes are short numbers, perhaps with blanks around: read them without the general parser.
    std::size_t i = 0;
    std::size_t n = codeLine.size();
    while (i < n && (codeLine[i] == ' ' || codeLine[i] == '\t'))
        ++i;
    int code = 0;
    std::size_t digits = 0;
    while (i < n && codeLine[i] >= '0' && codeLine[i] <= '9' && digits < 5) {
        code = code * 10 + (codeLine[i] - '0');
        ++i;
        ++digits;
    }
    while (i < n && (codeLine[i] == ' ' || codeLine[i] == '\t'))
        ++i;
    if (digits == 0 || i != n || code > 1071) {
        Fail(DxfStatus::BadGroupCode, line,
             "expected a group code, found \"" + std::string(Trim(codeLine).substr(0, 40)) + "\"");
        return false;
    }
    std::string_view valueLine;
    if (!ReadLine(valueLine)) {
        Fail(DxfStatus::UnexpectedEnd, line,
             "the file ends after group code " + std::to_string(code) + " without its value");
        return false;
    }
    DxfValueKind kind = ValueKindOf(code);
    tag.code = code;
    tag.line = line;
    tag.begin = begin;
    if (kind == DxfValueKind::Text) {
        tag.value = valueLine;
        return true;
    }
    std::string_view trimmed = Trim(valueLine);
    tag.value = trimmed;
    double real = 0.0;
    std::int64_t integer = 0;
    bool valid = true;
    tag.number = 0.0;
    if (kind == DxfValueKind::Real) {
        valid = ParseReal(trimmed, real);
        tag.number = real;
    }
    else if (kind == DxfValueKind::Handle)
        valid = true; // real writers put names where handles belong; such a value simply points nowhere
    else {
        valid = ParseInt(trimmed, integer);
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
