#pragma once

#include "render/EntityTags.h"

namespace render {

// A POLYLINE that is a mesh (70 has 16: M by N vertices, 71 and 72) or a polyface (64: vertices, then faces of
// vertex numbers in 71-74, a negative number's edge not shown): drawn as its edges. False when it is neither.
bool AddMeshPolyline(Scene& scene, const Tags& tags, const Placement& at, Group& group);
// A MESH: the edges of its faces (its crease and subdivision data aside, as a wireframe shows it).
void AddMesh(Scene& scene, const Tags& tags, const Placement& at, Group& group);

} // namespace render
