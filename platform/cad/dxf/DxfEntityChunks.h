#pragma once

#include "platform/cad/LargeMemory.h"
#include "platform/cad/dxf/DxfEntityReader.h"
#include "platform/cad/dxf/DxfSource.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace cad {

// A big ENTITIES section is read in pieces on several threads, each piece from an entity's start to the next
// piece's. The pieces are then taken in file order, so the drawing is the one a single reader makes; any piece
// whose end does not meet the next one's start is read again by the single reader, which then tells any fault
// with its true line.
struct EntityChunk {
    enum class Outcome {
        Complete, // read up to the next chunk's start
        Stopped,  // stopped at a tag that is no entity of the section (its ENDSEC): `stop`, `stopLines`
        Redo,     // a fault, an entity that ran past the chunk, or not read at all: nothing of it is kept
    };
    std::size_t begin = 0;
    std::size_t limit = 0; // the next chunk's begin, or the section's end
    Outcome outcome = Outcome::Redo;
    std::size_t stop = 0;
    int stopLines = 0; // lines between `begin` and `stop`
    std::unique_ptr<Arena> arena = std::make_unique<Arena>();
    EntityRecords records;
    std::vector<std::string> unresolved;
    HandleCount handles;
    bool lost = false;

    EntityChunk() = default;
    EntityChunk(EntityChunk&&) = default;
    EntityChunk& operator=(EntityChunk&&) = default;
    ~EntityChunk(); // destroys the objects of records not taken
};

// Where the ASCII section whose first entity starts at `begin` ends: the start of the line "0" before its first
// "ENDSEC" line. Codes and values take turns and a code is all digits, so in a well-formed file that pair can
// only be the section's end. npos when there is none.
[[nodiscard]] std::size_t EntitySectionEnd(std::string_view content, std::size_t begin);

// The starts of up to `count` chunks of the ASCII entities from `begin` (an entity's start) to `end` (the
// section's end): `begin` itself, then the first entity start after each equal share of the section. No chunk
// starts at or beyond `end`.
[[nodiscard]] std::vector<std::size_t> EntityChunkStarts(std::string_view content, std::size_t begin, std::size_t end,
                                                         unsigned count);

// Reads the chunks on up to `threads` threads, the calling one among them, and hands them to `take` on the calling
// thread in their order as soon as each is read; once `take` says false the rest are not read, and the call
// returns as soon as the chunks already begun are done. Block and text style names are looked up with `findBlock`
// and `findStyle`, which must be safe to call from any thread.
void ReadEntityChunks(const DxfSource& source, std::vector<EntityChunk>& chunks, unsigned threads,
                      const CodePage* fileCodePage, const CodePage& active, const EntityReader::Lookup& findBlock,
                      const EntityReader::Lookup& findStyle, const std::function<bool(EntityChunk&)>& take);

} // namespace cad
