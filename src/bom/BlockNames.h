#pragma once

#include <string>

namespace vantorel {

// Block names are compared without regard to case by the active code page's own letters (the runtime's
// multibyte functions): "ДВЕРЬ" and "дверь" are one name in code page 1251, "ÉTAGÈRE" and "étagère" in 1252.
void LowerBlockName(std::string& name);
[[nodiscard]] bool BlockNamesEqual(const std::string& a, const std::string& b);
// Negative, 0 or positive as `a` sorts before, with or after `b` under that rule.
[[nodiscard]] int CompareBlockNames(const char* a, const char* b);
// The same in the runtime's "C" locale, where only A to Z match a to z.
[[nodiscard]] int CompareNoCase(const char* a, const char* b);
// A name of this program's own table blocks, as Insert's numbering counts them: seven characters beginning
// with QVT in any case.
[[nodiscard]] bool IsTableBlockName(const std::string& name);

} // namespace vantorel
