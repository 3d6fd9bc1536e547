// Any bytes as a settings file, read for both sides: the file that remembers the last catalogue
// (settings_reader_fuzz: the path read is at most 100 characters without a blank, and no widths come of it), or
// the file of column widths (widths_reader_fuzz, built with VANTOREL_FUZZ_WIDTHS: three or five ints whatever the
// file says, never more, and widths a grid can take once applied).
#include "bom/SettingsFiles.h"

#include <unistd.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Where the module's settings lie is worked out once: it looks through folders, which is not what is fuzzed.
    static const std::string s_folder = [] {
        char name[] = "/tmp/vantorel-settings-fuzz-XXXXXX";
        return std::string(mkdtemp(name) ? name : "/tmp");
    }();
    static const vantorel::SettingsPaths s_paths[] = {
        vantorel::BuildSettingsPaths(vantorel::SettingsSide::Catalogue, (s_folder + "/libvantorel.so").c_str()),
        vantorel::BuildSettingsPaths(vantorel::SettingsSide::Report, (s_folder + "/libvantorel.so").c_str())};
#ifdef VANTOREL_FUZZ_WIDTHS
    constexpr bool kWidths = true;
#else
    constexpr bool kWidths = false;
#endif
    for (vantorel::SettingsSide side : {vantorel::SettingsSide::Catalogue, vantorel::SettingsSide::Report}) {
        const vantorel::SettingsPaths& paths = s_paths[side == vantorel::SettingsSide::Catalogue ? 0 : 1];
        std::remove((kWidths ? paths.fileName : paths.widths).c_str());
        if (std::FILE* file = std::fopen((kWidths ? paths.widths : paths.fileName).c_str(), "wb")) {
            std::fwrite(data, 1, size, file);
            std::fclose(file);
        }
        // A guard on either side of the widths catches a read of more than the side's columns.
        int widths[7] = {7777, -1, -1, -1, -1, -1, 7777};
        std::string catalog;
        vantorel::LoadSettings(paths, side, widths + 1, catalog);
        int columns = side == vantorel::SettingsSide::Catalogue ? 3 : 5;
        if (widths[0] != 7777 || widths[6] != 7777 || (columns == 3 && (widths[4] != -1 || widths[5] != -1)))
            std::abort();
        if (catalog.size() > 100)
            std::abort();
        for (char c : catalog) {
            if (std::isspace(static_cast<unsigned char>(c)))
                std::abort();
        }
        if (!kWidths) {
            for (int k = 1; k <= 5; ++k) {
                if (widths[k] != -1)
                    std::abort(); // no widths file, no widths
            }
            continue;
        }
        int out[7] = {7777, 0, 0, 0, 0, 0, 7777};
        vantorel::ApplyStoredWidths(side, 800, widths + 1, out + 1);
        if (out[0] != 7777 || out[6] != 7777)
            std::abort();
        for (int k = 1; k <= columns; ++k) {
            if (out[k] < 0 || out[k] > 100000)
                std::abort();
        }
    }
    return 0;
}
