// Any bytes as the file that remembers the last catalogue, read for both sides: the path read is at most 100
// characters without a blank.
#include "bom/SettingsFiles.h"

#include <unistd.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string s_folder = [] {
        char name[] = "/tmp/vantorel-settings-fuzz-XXXXXX";
        return std::string(mkdtemp(name) ? name : "/tmp");
    }();
    for (vantorel::SettingsSide side : {vantorel::SettingsSide::Catalogue, vantorel::SettingsSide::Report}) {
        vantorel::SettingsPaths paths = vantorel::BuildSettingsPaths(side, (s_folder + "/libvantorel.so").c_str());
        std::remove(paths.widths.c_str());
        if (std::FILE* file = std::fopen(paths.fileName.c_str(), "wb")) {
            std::fwrite(data, 1, size, file);
            std::fclose(file);
        }
        int widths[5] = {-1, -1, -1, -1, -1};
        std::string catalog;
        vantorel::LoadSettings(paths, side, widths, catalog);
        if (catalog.size() > 100)
            std::abort();
        for (char c : catalog) {
            if (std::isspace(static_cast<unsigned char>(c)))
                std::abort();
        }
        for (int width : widths) {
            if (width != -1)
                std::abort(); // no widths file, no widths
        }
    }
    return 0;
}
