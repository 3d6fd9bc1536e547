#pragma once

#include "platform/cad/LargeMemory.h"
#include "platform/cad/Objects.h"
#include "platform/cad/dxf/DxfTags.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cad {

enum class DxfItemKind {
    Raw,         // bytes of the file written back as they were
    Object,      // a modelled object: its bytes while it stays unmodified
    NewRecords,  // where records added to the table `object` go
    NewBlocks,   // where added block definitions go
    NewEntities, // where entities added to the block record `object` go
};

struct DxfItem {
    DxfItemKind kind = DxfItemKind::Raw;
    std::size_t begin = 0;
    std::size_t end = 0;
    ObjectId object = kNullId;
};

// A drawing file as read: its bytes and how they map onto the objects of the database.
struct DxfLayout {
    ByteBuffer bytes;
    std::string_view content; // all of `bytes`
    std::vector<DxfItem, LargeAllocator<DxfItem>> items;
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
