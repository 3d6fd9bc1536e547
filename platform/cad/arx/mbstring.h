#pragma once

// The host's C runtime functions for text, as a module finds them there: the multibyte ones work in the
// process's active code page (the host's), the plain ones in the runtime's "C" locale.

// Lower-cases `text` in place by the active code page's own letters; returns `text`.
unsigned char* _mbslwr(unsigned char* text);
// Compares without regard to case in the active code page: negative, 0 or positive as `a` sorts before, with
// or after `b`, letters compared as their lower-case bytes.
int _mbsicmp(const unsigned char* a, const unsigned char* b);
// The same in the "C" locale: only A to Z match a to z.
int _stricmp(const char* a, const char* b);
// The number of the active code page.
int _getmbcp();
