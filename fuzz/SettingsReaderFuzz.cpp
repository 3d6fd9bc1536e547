// Any bytes as both settings files of the report side: the widths read are five ints whatever the file
// says, and the catalogue path at most 100 characters without a blank.
#include "bom/SettingsFiles.h"

#include <unistd.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <tuple>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string s_folder = [] {
        char name[] = "/tmp/vantorel-settings-fuzz-XXXXXX";
        return std::string(mkdtemp(name) ? name : "/tmp");
    }();
    vantorel::SettingsPaths paths =
        vantorel::BuildSettingsPaths(vantorel::SettingsSide::Report, (s_folder + "/libvantorel.so").c_str());
    // The first half goes to the widths file, the rest to the catalogue path file.
    std::size_t half = size / 2;
    for (const auto& [path, begin, length] :
         {std::tuple{paths.widths, data, half}, std::tuple{paths.fileName, data + half, size - half}}) {
        if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
            std::fwrite(begin, 1, length, file);
            std::fclose(file);
        }
    }
    int widths[5] = {-1, -1, -1, -1, -1};
    std::string catalog;
    vantorel::LoadSettings(paths, vantorel::SettingsSide::Report, widths, catalog);
    if (catalog.size() > 100)
        std::abort();
    for (char c : catalog) {
        if (std::isspace(static_cast<unsigned char>(c)))
            std::abort();
    }
    int out[5] = {};
    vantorel::ApplyStoredWidths(vantorel::SettingsSide::Report, 800, widths, out);
    for (int width : out) {
        if (width < 0 || width > 100000)
            std::abort();
    }
    return 0;
}
