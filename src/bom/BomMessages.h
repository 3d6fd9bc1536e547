#pragma once

// The texts users see from the bill-of-materials core, kept exactly as they have always read: the two
// blanks in "could  not" are deliberate.
#include <string>

namespace vantorel {

inline constexpr const char* kFileNotOpenedFormat = "File %s could  not be opened";
inline constexpr const char* kBlockNameAbsent = "Block name is absent";
inline constexpr const char* kPriceAbsent = "Price is absent";
inline constexpr const char* kCannotOpenInsert = "\nCannot open the object INSERT";
inline constexpr const char* kCannotOpenBlockRecord = "\nCannot open the object BlockTableRecord";
inline constexpr const char* kSummaryLabel = "Summary:";

// "Block name NAME is not unique".
[[nodiscard]] inline std::string BlockNameNotUniqueMessage(const std::string& name) {
    return "Block name " + name + " is not unique";
}

// Shows "File PATH could  not be opened" in the host's alert box.
void AlertFileNotOpened(const char* path);

} // namespace vantorel
