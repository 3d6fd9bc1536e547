#pragma once

#include "host/HostServices.h"

namespace vantorel {

inline constexpr const char* kUpperLeftPrompt = "\nUpper left corner of table: ";
inline constexpr const char* kLowerRightPrompt = "\nLower right corner (or RETURN): ";
inline constexpr const char* kCancelNotice = "\n*CANCEL*\n";

// Asks for the table's upper left corner, lets the user drag its size, and inserts the block there. Attribute
// prompts, command echo, snap and object snap are off meanwhile and have their values back on every way out.
void placeTable(const char* tableBlockName, double tableWidth, double tableHeight);
// Inserts the block at `upperLeft` and `scale` with no question asked, the four variables handled as above:
// a table refreshed where the one it replaces stood.
void placeTableAt(const char* tableBlockName, const AcGePoint3d& upperLeft, double scale);
// The scale the user drags for a table of `width` by `height` hanging from `upperLeft`; 1.0 on RETURN or ESC.
double dragTableCorner(const ads_point upperLeft, double width, double height);
// The axis-parallel rectangle with opposite corners p1 and p2, in ink that a second drawing removes.
void drawCornerRectangle(const ads_point p1, const ads_point p2);

} // namespace vantorel
