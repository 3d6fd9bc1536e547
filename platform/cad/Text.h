#pragma once

#include <string>
#include <string_view>

namespace cad {

class CodePage;

// Symbol names are compared as the host does: without regard to ASCII case. In a double-byte active code
// page a two-byte character is compared whole, so that a trail byte that happens to be a letter's stays as it is.
[[nodiscard]] bool NamesEqual(std::string_view a, std::string_view b);
// `name` with A to Z made a to z, double-byte characters whole: names that are NamesEqual fold alike.
[[nodiscard]] std::string FoldName(std::string_view name);
// The code page symbol names are in: the host's active one.
void SetNamesCodePage(const CodePage& page);

} // namespace cad
