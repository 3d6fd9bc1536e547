#pragma once

#include "host/HostServices.h"

#include <string>

namespace vantorel {

// How Insert makes and places the table, from the host's system variables; a host without them places the
// table as always: a new block of attribute definitions 1.0 high, where the user picks.
struct TableOptions {
    bool replace = false;     // BOMREPLACE 1: a table placed before is refreshed in its place
    bool cellsAsText = false; // BOMTABLETEXT 1: cells are plain texts, which every viewer draws
    double textHeight = 1.0;  // BOMTEXTHEIGHT, above 0
};
[[nodiscard]] TableOptions ReadTableOptions();

// The newest table this program placed in model space: its block, its reference, where and how large.
struct PlacedTable {
    bool found = false;
    std::string blockName;
    AcDbObjectId blockId;
    AcDbObjectId referenceId;
    AcGePoint3d corner;
    double scale = 1.0;
};
[[nodiscard]] PlacedTable FindPlacedTable();
// Erases the table's reference and what its definition holds, keeping the definition itself for the new
// table; false when an object cannot be opened for writing.
[[nodiscard]] bool ClearPlacedTable(const PlacedTable& table);

} // namespace vantorel
