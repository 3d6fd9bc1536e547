#pragma once

#include "platform/cad/LargeMemory.h"
#include "platform/cad/Objects.h"
#include "platform/cad/dxf/DxfSource.h"
#include "platform/cad/dxf/DxfTags.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cad {

enum class DxfItemKind : std::uint8_t {
    Raw,         // bytes of the file written back as they were
    Object,      // a modelled object: its bytes while it stays unmodified
    NewRecords,  // where records added to the table `object` go
    NewBlocks,   // where added block definitions go
    NewEntities, // where entities added to the block record `object` go
};

// One piece of the file. The pieces cover it in order, so each ends where the next begins and the last at the
// file's end; that keeps them at 16 bytes, and a big drawing has millions. Where a piece begins and what it is
// share one word, written whole: a field of bits would be read before it is written, and reading a fresh page
// first costs a second fault on writing it, which stops every other thread of the process.
struct DxfItem {
    DxfItem(DxfItemKind kind, std::size_t begin, ObjectId id)
        : m_beginAndKind(static_cast<std::uint64_t>(begin) << 8 | static_cast<std::uint64_t>(kind)), object(id) {}
    std::size_t Begin() const { return static_cast<std::size_t>(m_beginAndKind >> 8); }
    DxfItemKind Kind() const { return static_cast<DxfItemKind>(m_beginAndKind & 0xFF); }

private:
    std::uint64_t m_beginAndKind;

public:
    ObjectId object = kNullId;
};

// A drawing file as read: its bytes and how they map onto the objects of the database.
struct DxfLayout {
    DxfSource source;
    std::string_view content; // all of the source's bytes
    std::vector<DxfItem, LargeAllocator<DxfItem>> items;
    std::size_t End(std::size_t item) const { return item + 1 < items.size() ? items[item + 1].Begin() : content.size(); }
    DxfFormat format = DxfFormat::Ascii; // saved as it was read
    bool utf8 = false;                 // R2007 and later
    int codePage = 1252;               // of the file's text up to R2004
    bool handles = true;               // the file gives objects handles (R2000+, or R12 with $HANDLING 1)
    std::uint64_t highestHandle = 0;   // of every object in the file, modelled or not
    std::size_t handseedBegin = 0;     // bytes of the $HANDSEED value; equal when there is none
    std::size_t handseedEnd = 0;
    std::string lineEnd = "\n";
    std::vector<ObjectId> defaultRecords; // created by the editor, not read: not written unless asked
};

} // namespace cad
