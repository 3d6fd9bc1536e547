#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cad {

enum class DxfStatus { Ok, CannotOpen, Binary, BadGroupCode, BadValue, UnexpectedEnd, MissingEof, BadStructure,
                       CannotWrite };

struct DxfResult {
    DxfStatus status = DxfStatus::Ok;
    int line = 0;       // 1-based line of the offending group code; 0 when Ok or not tied to a line
    std::string detail; // "expected a real after group 10"
    std::vector<std::string> warnings; // things read but worth telling, each said once
    bool Ok() const { return status == DxfStatus::Ok; }
};

// What kind of value a group code carries.
enum class DxfValueKind { Text, Real, Int16, Int32, Int64, Bool, Handle };
[[nodiscard]] DxfValueKind ValueKindOf(int code);

struct DxfTag {
    int code = 0;
    int line = 0;           // line of the group code
    std::string_view value; // numbers without their surrounding blanks, text as written (line end removed)
    std::size_t begin = 0;  // byte offset of the group code line
    double number = 0.0;    // the value of a real or integer group, read once by the stream
};

// Reads a file's tags one at a time, checking each value against its group code's kind, so that a big
// drawing is never held as a list of tags.
class DxfTagStream {
public:
    explicit DxfTagStream(std::string_view content);
    // False at the end of the content or on an error (then Failed() and Error()).
    bool Next(DxfTag& tag);
    bool Peek(DxfTag& tag);
    // Next, unless the next tag has group code 0: that one stays for the following Next or Peek.
    bool NextInBody(DxfTag& tag);
    // Byte offset just after the last tag taken by Next.
    std::size_t Offset() const { return m_offset; }
    bool Failed() const { return m_error.status != DxfStatus::Ok; }
    const DxfResult& Error() const { return m_error; }
    int Line() const { return m_line; }
    // Sets an error found by the caller at `line`.
    void Fail(DxfStatus status, int line, std::string detail);

private:
    bool ReadLine(std::string_view& line);
    bool Read(DxfTag& tag);
    bool ReadPlainDecimal(DxfTag& tag);
    std::string_view m_content;
    std::size_t m_position = 0;
    std::size_t m_offset = 0;
    int m_line = 0;
    bool m_hasPeeked = false;
    DxfTag m_peeked;
    std::size_t m_peekedOffset = 0;
    DxfResult m_error;
};

[[nodiscard]] bool ParseReal(std::string_view text, double& out);
[[nodiscard]] bool ParseInt(std::string_view text, std::int64_t& out);
// A hexadecimal handle; 0 for empty or malformed text.
[[nodiscard]] std::uint64_t ParseHandle(std::string_view text);
[[nodiscard]] std::string FormatHandle(std::uint64_t handle);
// A real as DXF writers do: shortest text that reads back the same double.
[[nodiscard]] std::string FormatReal(double value);

} // namespace cad
