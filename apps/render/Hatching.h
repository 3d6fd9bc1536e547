#pragma once

// A hatch's pattern: families of parallel dashed lines, as the HATCH entity stores them (already at its scale
// and angle), cut to the inside of its boundary paths.
#include "render/Curves.h"
#include "render/Placement.h"
#include "render/Scene.h"

#include <array>
#include <cstddef>
#include <vector>

namespace render {

struct PatternLine {
    double angle = 0.0; // radians
    double baseX = 0.0, baseY = 0.0;
    double offsetX = 0.0, offsetY = 0.0; // from one line of the family to the next
    std::vector<double> dashes;          // as a linetype's: dash positive, gap negative, dot 0; none: solid
};

using Stroke = std::array<double, 4>; // x1, y1, x2, y2

// The pattern's strokes inside `rings` by the even-odd rule (islands left out, islands in islands hatched).
// More than `most` strokes and the rest are not made: `complete` says whether all were.
std::vector<Stroke> PatternStrokes(const std::vector<PatternLine>& pattern, const std::vector<Points>& rings,
                                   std::size_t most, bool& complete);

struct Tags;
// A HATCH from its tags: solid (or gradient) areas, or its pattern's strokes, inside the boundary paths kept by
// its style; placed by `at` into `group`.
bool AddHatch(Scene& scene, const Tags& tags, const Placement& at, Group& group);

} // namespace render
