#pragma once

// The geometry of entities the editor keeps only as the file's tags (ellipses, splines, solids, hatches,
// multiline texts, dimensions...): read from those tags when the display list is built.
#include "render/Curves.h"
#include "render/Placement.h"
#include "render/Scene.h"

#include "platform/cad/dxf/DxfTags.h"

#include <string>
#include <string_view>
#include <vector>

namespace render {

// Adds what the entity of type `type`, whose tags are `bytes` in `format`, draws; false for a kind that is not
// drawn (which the caller counts).
bool AddOpaqueEntity(Scene& scene, const cad::Database& db, std::string_view type, std::string_view bytes,
                     cad::DxfFormat format, const Placement& at, Group& group, int depth);
// The first number of group `code` among the tags; `fallback` when there is none or they cannot be read.
double FirstNumber(std::string_view bytes, cad::DxfFormat format, int code, double fallback);

// A polyline from its tags (an LWPOLYLINE, or a POLYLINE with its VERTEX records): arcs where vertices have
// bulges, filled bands where segments have widths. False when the tags cannot be read.
bool AddPolylineFromTags(Scene& scene, std::string_view bytes, cad::DxfFormat format, bool heavy, const Placement& at,
                         Group& group);

} // namespace render
