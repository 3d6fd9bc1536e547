#include "bom/SettingsFiles.h"

#include "bom/ReplacingFile.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace vantorel {

namespace {

using FileCloser = int (*)(std::FILE*);

int ColumnCount(SettingsSide side) {
    return side == SettingsSide::Catalogue ? kCatalogueColumns : kReportColumns;
}

// One "%i " item: blanks, a sign, then a decimal, octal ("0...") or hexadecimal ("0x...") number, then
// blanks. Only the number itself is checked here, so that no file content can overflow anything: a number
// beyond an int's range is held at the range's end. False when no number begins here.
bool ReadInteger(std::FILE* file, int& out) {
    int c = std::getc(file);
    while (c != EOF && std::isspace(c))
        c = std::getc(file);
    bool negative = false;
    if (c == '+' || c == '-') {
        negative = c == '-';
        c = std::getc(file);
    }
    int base = 10;
    bool digits = false;
    if (c == '0') {
        digits = true;
        base = 8;
        c = std::getc(file);
        if (c == 'x' || c == 'X') {
            base = 16;
            digits = false;
            c = std::getc(file);
        }
    }
    long long value = 0;
    for (;; c = std::getc(file)) {
        int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : 99;
        if (digit >= base)
            break;
        digits = true;
        if (value <= static_cast<long long>(INT_MAX) + 1)
            value = value * base + digit;
    }
    while (c != EOF && std::isspace(c))
        c = std::getc(file);
    if (c != EOF)
        std::ungetc(c, file);
    if (!digits)
        return false;
    if (negative)
        value = -value;
    out = value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : static_cast<int>(value);
    return true;
}

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The module's folder made lower case names the folder itself on the file system the paths were made for,
// which ignores case. On one that does not, the folder is found again component by component: the existing
// entry whose name is the same but for case. Where none is, the lower-cased rest stays as it is.
std::string ResolveFolderCase(const std::string& folder) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (folder.empty() || fs::is_directory(folder, error))
        return folder;
    std::string resolved = folder[0] == '/' ? "/" : "";
    std::size_t at = resolved.size();
    while (at < folder.size()) {
        std::size_t end = folder.find('/', at);
        if (end == std::string::npos)
            end = folder.size();
        std::string component = folder.substr(at, end - at);
        at = end + 1;
        if (component.empty())
            continue;
        std::string exact = resolved + component;
        if (fs::exists(exact, error)) {
            resolved = exact + "/";
            continue;
        }
        std::vector<std::string> matches;
        for (fs::directory_iterator it(resolved.empty() ? "." : resolved, error), last; !error && it != last;
             it.increment(error)) {
            std::string name = it->path().filename().string();
            if (Lower(name) == component)
                matches.push_back(name);
        }
        if (matches.empty())
            return resolved + folder.substr(at - component.size() - 1);
        std::sort(matches.begin(), matches.end());
        resolved += matches.front() + "/";
    }
    return resolved;
}

} // namespace

namespace {
// $XDG_CONFIG_HOME/vantorel/ (~/.config/vantorel/ by default), made when missing; empty when it cannot be.
std::string UserSettingsFolder() {
    std::string base;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config == '/')
        base = config;
    else if (const char* home = std::getenv("HOME"); home && *home)
        base = std::string(home) + "/.config";
    if (base.empty())
        return {};
    std::string folder = base + "/vantorel/";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return access(folder.c_str(), W_OK) == 0 ? folder : std::string();
}
} // namespace

SettingsPaths BuildSettingsPaths(SettingsSide side, const char* modulePath) {
    const char* widthsName = side == SettingsSide::Catalogue ? "vantorel1.set" : "vantorel2.set";
    std::string path = Lower(modulePath ? modulePath : "");
    std::size_t separator = path.rfind('/');
    if (separator == std::string::npos)
        separator = path.rfind('\\');
    if (separator == std::string::npos)
        return SettingsPaths{widthsName, "filename.set"};
    std::string folder = path.substr(0, separator + 1);
    if (path[separator] == '/')
        folder = ResolveFolderCase(folder);
    // A module installed where its user cannot write keeps them in the user's own settings folder instead.
    if (access(folder.c_str(), F_OK) == 0 && access(folder.c_str(), W_OK) != 0) {
        std::string own = UserSettingsFolder();
        if (!own.empty())
            folder = own;
    }
    return SettingsPaths{folder + widthsName, folder + "filename.set"};
}

void LoadSettings(const SettingsPaths& paths, SettingsSide side, int* widths, std::string& catalogPath) {
    if (std::unique_ptr<std::FILE, FileCloser> file{std::fopen(paths.widths.c_str(), "r"), &std::fclose}) {
        for (int i = 0; i < ColumnCount(side); ++i) {
            if (!ReadInteger(file.get(), widths[i]))
                break;
        }
    }
    if (std::unique_ptr<std::FILE, FileCloser> file{std::fopen(paths.fileName.c_str(), "r"), &std::fclose}) {
        char word[kSettingsPathLength + 1] = {};
        if (std::fscanf(file.get(), "%100s", word) == 1)
            catalogPath = word;
    }
}

void SaveSettings(const SettingsPaths& paths, SettingsSide side, const int* current, int* widths,
                  const std::string& catalogPath) {
    for (int i = 0; i < ColumnCount(side); ++i) {
        if (side == SettingsSide::Catalogue || current[i] != 0)
            widths[i] = current[i];
    }
    {
        ReplacingFile file(paths.widths);
        if (file.Stream()) {
            for (int i = 0; i < ColumnCount(side); ++i)
                std::fprintf(file.Stream(), "%i ", widths[i]);
            [[maybe_unused]] bool written = file.Commit();
        }
    }
    ReplacingFile file(paths.fileName);
    if (file.Stream()) {
        std::fputs(catalogPath.c_str(), file.Stream());
        [[maybe_unused]] bool written = file.Commit();
    }
}

void ApplyStoredWidths(SettingsSide side, int available, const int* stored, int* out) {
    int count = ColumnCount(side);
    int computed[kReportColumns] = {};
    if (side == SettingsSide::Catalogue) {
        int e = available / 8;
        computed[0] = 3 * e;
        computed[1] = e;
        computed[2] = 4 * e;
    } else {
        int t = available / 20;
        for (int i = 0; i < kReportColumns; ++i)
            computed[i] = 4 * t;
    }
    // Stored widths are applied as they are, 0 among them. -1 stands for a width not known, as a fresh grid has
    // it and a short file leaves it: that one takes its default. Any other number below 0 cannot be a width and
    // is taken as 0, the narrowest there is; one wider than any screen is held at the widest.
    constexpr int kWidest = 100000;
    bool fresh = stored[0] == kUnknownWidth;
    for (int i = 0; i < count; ++i)
        out[i] = fresh || stored[i] == kUnknownWidth ? computed[i] : std::clamp(stored[i], 0, kWidest);
}

} // namespace vantorel
