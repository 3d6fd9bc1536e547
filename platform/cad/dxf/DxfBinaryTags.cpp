#include "platform/cad/dxf/DxfTags.h"

#include <cstring>
#include <string>

// Binary DXF: group codes of one or two bytes, numbers stored little-endian, text ending in a NUL.
namespace cad {

DxfFormat FormatOf(std::string_view content) {
    if (content.substr(0, kBinaryDxfSentinel.size()) != kBinaryDxfSentinel)
        return DxfFormat::Ascii;
    // The width of group codes goes with the release, which only $ACADVER tells: its value follows the
    // variable's NUL and a group code 1 of one byte or of two.
    std::string_view start = content.substr(kBinaryDxfSentinel.size(), 1024);
    std::size_t at = start.find(std::string_view("$ACADVER\0", 9));
    if (at != std::string_view::npos && at + 10 < start.size())
        return start[at + 10] == 'A' ? DxfFormat::BinaryShortCodes : DxfFormat::Binary;
    // No header: the first tag is most likely 0 SECTION, whose second byte is the text with short codes.
    if (start.size() >= 2 && (static_cast<unsigned char>(start[0]) == 255 || (start[0] == 0 && start[1] != 0)))
        return DxfFormat::BinaryShortCodes;
    return DxfFormat::Binary;
}

namespace {
bool IsBinaryChunk(int code) {
    return (code >= 310 && code <= 319) || code == 1004;
}

// The stored size of a number of `kind`; 0 for text.
std::size_t StoredSize(DxfValueKind kind) {
    switch (kind) {
    case DxfValueKind::Real:
    case DxfValueKind::Int64: return 8;
    case DxfValueKind::Int32: return 4;
    case DxfValueKind::Int16: return 2;
    case DxfValueKind::Bool: return 1;
    case DxfValueKind::Text:
    case DxfValueKind::Handle: return 0;
    }
    return 0;
}

// Little-endian, as binary DXF stores every number, whatever the machine.
std::uint64_t LoadLittle(const char* bytes, std::size_t size) {
    std::uint64_t value = 0;
    for (std::size_t i = size; i-- > 0;)
        value = value << 8 | static_cast<unsigned char>(bytes[i]);
    return value;
}

void StoreLittle(std::string& out, std::uint64_t value, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        out += static_cast<char>(value & 0xFF);
        value >>= 8;
    }
}

double NumberOf(DxfValueKind kind, const char* bytes) {
    std::uint64_t raw = LoadLittle(bytes, StoredSize(kind));
    switch (kind) {
    case DxfValueKind::Real: {
        double value = 0.0;
        std::memcpy(&value, &raw, sizeof value);
        return value;
    }
    case DxfValueKind::Int64: return static_cast<double>(static_cast<std::int64_t>(raw));
    case DxfValueKind::Int32: return static_cast<double>(static_cast<std::int32_t>(static_cast<std::uint32_t>(raw)));
    case DxfValueKind::Int16: return static_cast<double>(static_cast<std::int16_t>(static_cast<std::uint16_t>(raw)));
    case DxfValueKind::Bool: return static_cast<double>(raw);
    case DxfValueKind::Text:
    case DxfValueKind::Handle: return 0.0;
    }
    return 0.0;
}
} // namespace

bool DxfTagStream::ReadBinary(DxfTag& tag) {
    const char* data = m_content.data();
    std::size_t size = m_content.size();
    std::size_t begin = m_position;
    if (begin >= size)
        return false;
    int line = begin <= 0x7FFFFFFF ? static_cast<int>(begin) : 0x7FFFFFFF;
    std::size_t at = begin;
    int code = 0;
    bool whole = true;
    if (m_format == DxfFormat::BinaryShortCodes) {
        code = static_cast<unsigned char>(data[at++]);
        if (code == 255) { // a code beyond one byte follows in two
            whole = size - at >= 2;
            code = whole ? static_cast<int>(LoadLittle(data + at, 2)) : 0;
            at += 2;
        }
    } else {
        whole = size - at >= 2;
        code = whole ? static_cast<int>(LoadLittle(data + at, 2)) : 0;
        at += 2;
    }
    if (!whole) {
        Fail(DxfStatus::UnexpectedEnd, line, "the file ends inside a group code");
        return false;
    }
    if (code > 1071) {
        Fail(DxfStatus::BadGroupCode, line, "expected a group code, found " + std::to_string(code));
        return false;
    }
    auto ends = [&] {
        Fail(DxfStatus::UnexpectedEnd, line,
             "the file ends inside the value of group code " + std::to_string(code));
        return false;
    };
    DxfValueKind kind = ValueKindOf(code);
    std::size_t length = 0;
    std::size_t next = 0;
    tag.number = 0.0;
    if (IsBinaryChunk(code)) {
        if (at >= size)
            return ends();
        length = static_cast<unsigned char>(data[at++]);
        if (size - at < length)
            return ends();
        next = at + length;
    } else if (std::size_t stored = StoredSize(kind); stored > 0) {
        if (size - at < stored)
            return ends();
        length = stored;
        next = at + length;
        tag.number = NumberOf(kind, data + at);
    } else {
        const void* nul = std::memchr(data + at, 0, size - at);
        if (!nul)
            return ends();
        length = static_cast<std::size_t>(static_cast<const char*>(nul) - (data + at));
        next = at + length + 1;
    }
    tag.code = code;
    tag.line = line;
    tag.begin = begin;
    tag.value = std::string_view(data + at, length);
    m_position = next;
    m_line = line;
    return true;
}

void AppendBinaryTag(std::string& out, DxfFormat format, int code, std::string_view value, bool stored) {
    if (format == DxfFormat::BinaryShortCodes && code < 255) {
        out += static_cast<char>(code);
    } else {
        if (format == DxfFormat::BinaryShortCodes)
            out += static_cast<char>(255);
        StoreLittle(out, static_cast<std::uint64_t>(code), 2);
    }
    DxfValueKind kind = ValueKindOf(code);
    if (IsBinaryChunk(code)) {
        if (!stored) { // hexadecimal digits, as an ASCII file holds a chunk
            std::string bytes;
            for (std::size_t i = 0; i + 1 < value.size() && bytes.size() < 255; i += 2)
                bytes += static_cast<char>(ParseHandle(value.substr(i, 2)));
            out += static_cast<char>(bytes.size());
            out += bytes;
            return;
        }
        std::string_view kept = value.substr(0, 255);
        out += static_cast<char>(kept.size());
        out += kept;
        return;
    }
    std::size_t size = StoredSize(kind);
    if (size == 0) {
        out += value.substr(0, value.find('\0'));
        out += '\0';
        return;
    }
    if (stored && value.size() == size) {
        out += value;
        return;
    }
    if (kind == DxfValueKind::Real) {
        double real = 0.0;
        if (!ParseReal(value, real))
            real = 0.0;
        std::uint64_t raw = 0;
        std::memcpy(&raw, &real, sizeof raw);
        StoreLittle(out, raw, size);
        return;
    }
    std::int64_t integer = 0;
    if (!ParseInt(value, integer))
        integer = 0;
    StoreLittle(out, static_cast<std::uint64_t>(integer), size);
}

} // namespace cad
