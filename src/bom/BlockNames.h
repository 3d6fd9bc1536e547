#pragma once

#include <string>
#include <string_view>

namespace vantorel {

// Block names are compared without regard to case, as the host's runtime does in its "C" locale: A to Z
// match a to z, every other byte matches only itself.
void LowerBlockName(std::string& name);
[[nodiscard]] bool BlockNamesEqual(std::string_view a, std::string_view b);
// Negative, 0 or positive as `a` sorts before, with or after `b` under the same rule, byte by byte.
[[nodiscard]] int CompareNoCase(const char* a, const char* b);

} // namespace vantorel
