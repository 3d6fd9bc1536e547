#pragma once

#include <string>

namespace vantorel {

// The two sides that remember their grid's column widths and their catalogue beside the module.
enum class SettingsSide { Catalogue, Report };

inline constexpr int kCatalogueColumns = 3;
inline constexpr int kReportColumns = 5;
// A width not known yet. A fresh grid starts every width so, and a widths file fills only what it holds; a
// first width of -1 means all widths are computed afresh, any other unknown one takes its computed default.
inline constexpr int kUnknownWidth = -1;
// The catalogue path kept in "filename.set" holds at most this many characters.
inline constexpr int kSettingsPathLength = 100;

struct SettingsPaths {
    std::string widths;   // ".../vantorel1.set" or ".../vantorel2.set"
    std::string fileName; // ".../filename.set"
};

// Beside the module whose file name is `modulePath`: lower-cased, the module's own name replaced.
[[nodiscard]] SettingsPaths BuildSettingsPaths(SettingsSide side, const char* modulePath);

// Reads the side's widths into `widths` (3 or 5 of them; those the file lacks keep their values) and its
// catalogue path, cut at its first blank and after 100 characters. Missing files are no error.
void LoadSettings(const SettingsPaths& paths, SettingsSide side, int* widths, std::string& catalogPath);
// Writes the grid's `current` widths and the catalogue path. On the report side a current width of 0 (a
// price column while prices are hidden) keeps the width in `widths`, which receives what was written.
// Files that cannot be made are left alone without a word.
void SaveSettings(const SettingsPaths& paths, SettingsSide side, const int* current, int* widths,
                  const std::string& catalogPath);

// The widths a grid gets when it is set up, `available` being its client width less the side heading:
// computed when the first stored width is -1, else the stored ones, each unknown or unusable one computed.
// `stored` and `out` may be the same array.
void ApplyStoredWidths(SettingsSide side, int available, const int* stored, int* out);

} // namespace vantorel
