#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cad {

enum class DxfStatus { Ok, CannotOpen, BadGroupCode, BadValue, UnexpectedEnd, MissingEof, BadStructure,
                       CannotWrite, BadName };

// How a file writes its tags: lines of text, or binary with one-byte group codes (R12 and older) or two-byte
// ones (R13 and later).
enum class DxfFormat { Ascii, Binary, BinaryShortCodes };

// The 22 bytes a binary DXF file starts with.
inline constexpr std::string_view kBinaryDxfSentinel{"AutoCAD Binary DXF\r\n\x1a\0", 22};

// The format of a whole file, told by its first bytes.
[[nodiscard]] DxfFormat FormatOf(std::string_view content);

// A stretch of a damaged drawing that could not be read and was left out of it, though kept in its file.
struct DxfLeftOut {
    int firstLine = 0;
    int lastLine = 0;
    std::string what; // "an MTEXT", "a LAYER table entry", "an object"
};

struct DxfResult {
    DxfStatus status = DxfStatus::Ok;
    // Where the offending group code is: its 1-based line in an ASCII file, its byte offset in a binary one;
    // 0 when Ok or not tied to a place.
    int line = 0;
    bool binary = false;
    std::string detail; // "expected a real after group 10"
    std::vector<std::string> warnings; // things read but worth telling, each said once
    // What a damaged drawing held that could not be read, each stretch once, in file order; markers out of place
    // that were skipped ("ENDBLK" and the line of the first of them), with how many there were.
    std::vector<DxfLeftOut> leftOut;
    struct Skipped {
        std::string marker;
        int firstLine = 0;
        int count = 0;
    };
    std::vector<Skipped> skipped;
    bool Ok() const { return status == DxfStatus::Ok; }
    bool Damaged() const { return !leftOut.empty() || !skipped.empty(); }
    // What is to be said of a damaged drawing read from `path`, a line each: "plan.dxf, lines 22243-22357: an MTEXT
    // could not be read and was left out", "plan.dxf: 36 stray ENDBLK records were skipped (the first at line 90)".
    std::vector<std::string> DamageNotes(const std::string& path) const;
    // "line 12" or "byte 4096".
    std::string Place() const { return (binary ? "byte " : "line ") + std::to_string(line); }
};

// What kind of value a group code carries.
enum class DxfValueKind { Text, Real, Int16, Int32, Int64, Bool, Handle };
[[nodiscard]] DxfValueKind ValueKindOf(int code);

struct DxfTag {
    int code = 0;
    int line = 0;           // line of the group code (its byte offset, up to 2^31, in a binary file)
    // ASCII: numbers without their surrounding blanks, text as written (line end removed).
    // Binary: the value's bytes as stored (without a text's NUL or a chunk's length byte).
    std::string_view value;
    std::size_t begin = 0;  // byte offset of the group code
    double number = 0.0;    // the value of a real or integer group, read once by the stream
};

// Reads a file's tags one at a time, checking each value against its group code's kind, so that a big
// drawing is never held as a list of tags.
class DxfTagStream {
public:
    // A whole file, in the format its first bytes tell.
    explicit DxfTagStream(std::string_view content);
    // Tags of `format` back to back, with no sentinel before them: a piece of a file.
    DxfTagStream(std::string_view content, DxfFormat format);
    // False at the end of the content or on an error (then Failed() and Error()).
    bool Next(DxfTag& tag);
    bool Peek(DxfTag& tag);
    // Next, unless the next tag has group code 0: that one stays for the following Next or Peek.
    bool NextInBody(DxfTag& tag);
    // Goes on from `offset`, a tag's start, with `line` lines before it; forgets a tag peeked at.
    void Resume(std::size_t offset, int line) {
        m_position = m_offset = offset;
        m_line = m_offsetLine = line;
        m_hasPeeked = false;
    }
    // Forgets a fault and goes on from `offset`, a tag's start, with `line` lines before it: reading past a
    // stretch of a damaged file.
    void Recover(std::size_t offset, int line) {
        m_error.status = DxfStatus::Ok;
        m_error.line = 0;
        m_error.detail.clear();
        Resume(offset, line);
    }
    // Byte offset just after the last tag taken by Next, and the lines up to there.
    std::size_t Offset() const { return m_offset; }
    int OffsetLine() const { return m_offsetLine; }
    bool Failed() const { return m_error.status != DxfStatus::Ok; }
    const DxfResult& Error() const { return m_error; }
    int Line() const { return m_line; }
    DxfFormat Format() const { return m_format; }
    // "line 12" or "byte 4096" for a tag's `line`.
    std::string Place(int line) const;
    // Sets an error found by the caller at `line`.
    void Fail(DxfStatus status, int line, std::string detail);

private:
    bool ReadLine(std::string_view& line);
    bool Read(DxfTag& tag);
    bool ReadBinary(DxfTag& tag);
    bool ReadPlainDecimal(DxfTag& tag);
    std::string_view m_content;
    DxfFormat m_format = DxfFormat::Ascii;
    std::size_t m_position = 0;
    std::size_t m_offset = 0;
    int m_line = 0;
    int m_offsetLine = 0;
    bool m_hasPeeked = false;
    DxfTag m_peeked;
    std::size_t m_peekedOffset = 0;
    int m_peekedLine = 0;
    DxfResult m_error;
};

// A line without the blanks and tabs around it and the carriage return of a CR LF end.
[[nodiscard]] std::string_view Trim(std::string_view text);
[[nodiscard]] bool ParseReal(std::string_view text, double& out);
[[nodiscard]] bool ParseInt(std::string_view text, std::int64_t& out);
// A hexadecimal handle; 0 for empty or malformed text.
[[nodiscard]] std::uint64_t ParseHandle(std::string_view text);
[[nodiscard]] std::string FormatHandle(std::uint64_t handle);
// A real as DXF writers do: shortest text that reads back the same double.
[[nodiscard]] std::string FormatReal(double value);

// Appends a tag to a binary file. `value` is a stored value as a binary stream gives it when `stored`, else
// the text an ASCII file would hold (a number is then converted to its binary kind).
void AppendBinaryTag(std::string& out, DxfFormat format, int code, std::string_view value, bool stored);

} // namespace cad
