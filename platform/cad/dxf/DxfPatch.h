#pragma once

#include "platform/cad/dxf/DxfTags.h"

#include <string_view>
#include <utility>
#include <vector>

namespace cad {

using Tags = std::vector<std::pair<int, std::string_view>>;

// A modified object as it is saved: the tags the editor wrote for it (`fresh`), merged into those it was read with
// (`read`), so that what the file holds beyond the fields modelled here (extended data, reactors, true colours,
// linetypes, whether a layer is plotted) stays. Both texts are tags in the file's `format`; the values point into them.
[[nodiscard]] Tags MergeTags(std::string_view read, std::string_view fresh, DxfFormat format);

} // namespace cad
