#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace cad {

// Where reading a damaged ASCII drawing goes on: a line "0" followed by the name of an entity, an object, a table
// entry or a section's or block's end, but not by a follower (ATTRIB, VERTEX, SEQEND), which belongs to what was
// left out. Looked for line by line from `from` (a line's start, `line` being its number), whatever the pairing
// of codes and values there: a raw line break in a text shifts it. Returns the offset of the line "0" and sets
// `line` to its number, or npos when none is left.
[[nodiscard]] std::size_t FindResumePoint(std::string_view content, std::size_t from, int& line);

// Whether a group 0 value can name what begins there: a code read in its place, after a line lost or a line too
// many, cannot.
[[nodiscard]] bool PlausibleTypeName(std::string_view value);

// "an MTEXT", "a LINE", "an INSERT": the article as the name is said, letter by letter where it cannot be read as a
// word.
[[nodiscard]] std::string WithArticle(std::string_view name);
// What an object left out is called, by the group 0 value it began with: "an MTEXT", or "an object" where that
// value names nothing.
[[nodiscard]] std::string LeftOutName(std::string_view type);

} // namespace cad
