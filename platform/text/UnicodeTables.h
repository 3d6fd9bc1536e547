#pragma once

namespace textkit {

struct CaseMapping {
    char32_t from;
    char32_t to;
};
struct CodePointRange {
    char32_t first;
    char32_t last;
};

// Sorted by the first member.
extern const CaseMapping kLowerCase[];
extern const int kLowerCaseCount;
extern const CodePointRange kWide[];
extern const int kWideCount;
extern const CodePointRange kZeroWidth[];
extern const int kZeroWidthCount;

} // namespace textkit
