#pragma once

// The user's terminal and locale: which code page text starts in, and what the terminal shows.
#include "platform/text/CodePage.h"

#include <string>

namespace hostapp {

// UTF-8 when the locale (LC_ALL, else LC_CTYPE, else LANG) names it; 1252 otherwise, as the module was made.
const textkit::CodePage& LocaleCodePage();
// The character set the locale names ("UTF-8", "KOI8-R", "CP1251"); empty for the C locale or none.
std::string LocaleCharset();
// Standard output and error that go to a terminal whose character set is not the active page's get the text
// converted on its way there; pipes and files keep the active page's bytes. Undone at exit, all of it written.
void ConvertTerminalOutput(const textkit::CodePage& active);

} // namespace hostapp
