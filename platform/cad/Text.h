#pragma once

#include <string_view>

namespace cad {

// Symbol names are compared as the host does: without regard to ASCII case.
[[nodiscard]] bool NamesEqual(std::string_view a, std::string_view b);

} // namespace cad
