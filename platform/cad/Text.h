#pragma once

#include <string>
#include <string_view>

namespace cad {

// Symbol names are compared as the host does: without regard to ASCII case, in the active code page. In a
// double-byte page a two-byte character is compared whole, so that a trail byte that happens to be a letter's
// stays as it is.
[[nodiscard]] bool NamesEqual(std::string_view a, std::string_view b);
// `name` with A to Z made a to z, double-byte characters whole: names that are NamesEqual fold alike.
[[nodiscard]] std::string FoldName(std::string_view name);

} // namespace cad
