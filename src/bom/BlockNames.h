#pragma once

#include <string>
#include <string_view>

namespace vantorel {

// Block names are compared without regard to case, as the host's runtime does in its "C" locale: A to Z
// match a to z, every other byte matches only itself.
void LowerBlockName(std::string& name);
[[nodiscard]] bool BlockNamesEqual(std::string_view a, std::string_view b);

} // namespace vantorel
