#pragma once

#include "platform/text/CodePage.h"

#include <string>
#include <string_view>

namespace cad {

using textkit::CodePage;

// File text to active-code-page text. `fileCodePage` null means the file is UTF-8. "\U+XXXX" escapes are
// resolved; a character the active code page cannot hold stays written as its escape and sets `lost`.
[[nodiscard]] std::string DecodeFileText(std::string_view raw, const CodePage* fileCodePage, const CodePage& active,
                                         bool& lost);
// Active-code-page text to file text; characters the file's code page cannot hold become "\U+XXXX".
[[nodiscard]] std::string EncodeFileText(std::string_view text, const CodePage& active,
                                         const CodePage* fileCodePage);

} // namespace cad
