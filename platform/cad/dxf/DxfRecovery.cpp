#include "platform/cad/dxf/DxfRecovery.h"

#include "platform/cad/dxf/DxfFileReader.h"
#include "platform/cad/dxf/DxfTags.h"

#include <algorithm>
#include <cstring>

namespace cad {

namespace {

// Entity, object and section names: capitals, digits and underscores, with a letter among them ("3DFACE").
bool IsStructureName(std::string_view name) {
    if (name.size() < 2 || name.size() > 64)
        return false;
    bool letter = false;
    for (char c : name) {
        bool capital = c >= 'A' && c <= 'Z';
        if (!capital && !(c >= '0' && c <= '9') && c != '_')
            return false;
        letter = letter || capital;
    }
    return letter;
}

bool IsVowel(char c) {
    return std::strchr("AEIOU", c) != nullptr;
}

} // namespace

std::size_t FindResumePoint(std::string_view content, std::size_t from, int& line) {
    std::size_t at = from;
    int number = line;
    std::string_view previous;
    std::size_t previousAt = std::string_view::npos;
    while (at < content.size()) {
        const void* found = std::memchr(content.data() + at, '\n', content.size() - at);
        std::size_t end = found ? static_cast<std::size_t>(static_cast<const char*>(found) - content.data())
                                : content.size();
        std::string_view text = Trim(content.substr(at, end - at));
        if (previousAt != std::string_view::npos && previous == "0" && IsStructureName(text) && !IsFollower(text)) {
            line = number - 1;
            return previousAt;
        }
        previous = text;
        previousAt = at;
        at = end + 1;
        ++number;
    }
    return std::string_view::npos;
}

bool PlausibleTypeName(std::string_view value) {
    std::string_view name = Trim(value);
    if (name.empty())
        return false;
    for (char c : name) {
        if (!(c >= '0' && c <= '9') && c != '-' && c != '+' && c != '.')
            return true;
    }
    return false;
}

std::string WithArticle(std::string_view name) {
    if (name.empty())
        return "an object";
    char first = name[0];
    char second = name.size() > 1 ? name[1] : ' ';
    // A name no word begins like is said letter by letter ("MTEXT", "LWPOLYLINE"), and said so F, H, L, M, N, R
    // and X begin with a vowel's sound; "SPLINE" and "FRAME" are said as words.
    bool spelled = second >= 'A' && second <= 'Z' && !IsVowel(second) && second != 'Y' &&
                   !(first == 'F' && (second == 'L' || second == 'R'));
    bool an = IsVowel(first) || (spelled && std::strchr("FHLMNRX", first) != nullptr);
    return (an ? "an " : "a ") + std::string(name);
}

std::string LeftOutName(std::string_view type) {
    return PlausibleTypeName(type) ? WithArticle(Trim(type)) : "an object";
}

std::vector<std::string> DxfResult::DamageNotes(const std::string& path) const {
    std::vector<std::string> notes;
    for (const DxfLeftOut& stretch : leftOut) {
        std::string lines = stretch.firstLine == stretch.lastLine
                                ? "line " + std::to_string(stretch.firstLine)
                                : "lines " + std::to_string(stretch.firstLine) + "-" + std::to_string(stretch.lastLine);
        notes.push_back(path + ", " + lines + ": " + stretch.what + " could not be read and was left out");
    }
    for (const Skipped& stray : skipped) {
        notes.push_back(path + ": " +
                        (stray.count == 1 ? "a stray " + stray.marker + " was skipped (at line "
                                          : std::to_string(stray.count) + " stray " + stray.marker +
                                                " records were skipped (the first at line ") +
                        std::to_string(stray.firstLine) + ")");
    }
    return notes;
}

} // namespace cad

// The reader's side of damage: what it leaves out and skips.
namespace cad {

namespace {
bool Recoverable(DxfStatus status) {
    return status == DxfStatus::BadGroupCode || status == DxfStatus::BadValue || status == DxfStatus::BadName;
}
} // namespace

bool DxfReader::LeaveOut(std::size_t begin, int line, std::string what) {
    if (m_options.strict || m_layout->format != DxfFormat::Ascii || !m_stream.Failed() ||
        !Recoverable(m_stream.Error().status))
        return false;
    std::string_view content = m_layout->content;
    std::size_t lineEnd = content.find('\n', begin);
    if (lineEnd == std::string_view::npos)
        return false;
    int resumeLine = line + 1;
    std::size_t resume = FindResumePoint(content, lineEnd + 1, resumeLine);
    if (resume == std::string_view::npos)
        return false; // nothing begins after it: the drawing is cut short, not damaged
    m_leftOut.push_back(DxfLeftOut{line, resumeLine - 1, std::move(what)});
    m_stream.Recover(resume, resumeLine - 1);
    return true;
}

bool DxfReader::SkipStray(const DxfTag& marker) {
    if (m_options.strict)
        return false;
    std::string name(Trim(marker.value));
    auto known = std::find_if(m_skipped.begin(), m_skipped.end(),
                              [&](const DxfResult::Skipped& skipped) { return skipped.marker == name; });
    if (known == m_skipped.end())
        m_skipped.push_back(DxfResult::Skipped{name, marker.line, 1});
    else
        ++known->count;
    DxfTag tag;
    Next(tag);
    ReadBody(m_followerTags);
    return !m_stream.Failed() || LeaveOut(marker.begin, marker.line, "a stray " + name);
}

bool DxfReader::EndsSection() {
    if (m_options.strict)
        return true;
    std::size_t at = m_stream.Offset();
    int lines = m_stream.OffsetLine();
    DxfTag end;
    DxfTag after;
    m_stream.Next(end);
    bool more = m_stream.Peek(after);
    bool stray = more && after.code == 0 && !IsName(after.value, "SECTION") && !IsName(after.value, "EOF");
    // Back before the ENDSEC: a fault met after it is met again, in its turn.
    m_stream.Recover(at, lines);
    return !stray;
}

} // namespace cad
