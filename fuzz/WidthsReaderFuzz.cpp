// Any bytes as the file of column widths, read for both sides and applied to a grid: three or five ints whatever
// the file says, and widths a grid can take.
#include "bom/SettingsFiles.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string s_folder = [] {
        char name[] = "/tmp/vantorel-widths-fuzz-XXXXXX";
        return std::string(mkdtemp(name) ? name : "/tmp");
    }();
    for (vantorel::SettingsSide side : {vantorel::SettingsSide::Catalogue, vantorel::SettingsSide::Report}) {
        vantorel::SettingsPaths paths = vantorel::BuildSettingsPaths(side, (s_folder + "/libvantorel.so").c_str());
        std::remove(paths.fileName.c_str());
        if (std::FILE* file = std::fopen(paths.widths.c_str(), "wb")) {
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
