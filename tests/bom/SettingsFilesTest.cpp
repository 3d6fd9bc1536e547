#include "BomTestSupport.h"

#include "bom/SettingsFiles.h"

namespace {

using bomtest::Slurp;
using bomtest::TempFolder;
using vantorel::BuildSettingsPaths;
using vantorel::SettingsPaths;
using vantorel::SettingsSide;

TEST(SettingsPaths, LieBesideTheModuleInLowerCase) {
    SettingsPaths paths = BuildSettingsPaths(SettingsSide::Report, "/Opt/Vantorel/LibVantorel.so");
    EXPECT_EQ(paths.widths, "/opt/vantorel/vantorel2.set");
    EXPECT_EQ(paths.fileName, "/opt/vantorel/filename.set");
    paths = BuildSettingsPaths(SettingsSide::Catalogue, "C:\\Program Files\\ACAD\\Vantorel.ARX");
    EXPECT_EQ(paths.widths, "c:\\program files\\acad\\vantorel1.set");
    EXPECT_EQ(paths.fileName, "c:\\program files\\acad\\filename.set");
    // A slash wins over a backslash that comes after it.
    EXPECT_EQ(BuildSettingsPaths(SettingsSide::Catalogue, "/a/b\\c.so").widths, "/a/vantorel1.set");
    paths = BuildSettingsPaths(SettingsSide::Catalogue, "vantorel.so");
    EXPECT_EQ(paths.widths, "vantorel1.set");
    EXPECT_EQ(paths.fileName, "filename.set");
}

TEST(SettingsLoad, MissingFilesLeaveEverythingAsItWas) {
    TempFolder folder;
    SettingsPaths paths = BuildSettingsPaths(SettingsSide::Report, folder.File("libvantorel.so").c_str());
    int widths[5] = {-1, -1, -1, 7, 8};
    std::string catalog = "kept";
    vantorel::LoadSettings(paths, SettingsSide::Report, widths, catalog);
    EXPECT_EQ(std::vector<int>(widths, widths + 5), (std::vector<int>{-1, -1, -1, 7, 8}));
    EXPECT_EQ(catalog, "kept");
    EXPECT_EQ(bomtest::TakeAlerts(), std::vector<std::string>{});
}

TEST(SettingsLoad, ReadsTheLeadingNumbersAndOneWordOfAtMost100Characters) {
    TempFolder folder;
    SettingsPaths paths = BuildSettingsPaths(SettingsSide::Report, folder.File("libvantorel.so").c_str());
    folder.Write("vantorel2.set", "120 80 x 5 6");
    folder.Write("filename.set", "/home/me/My Parts/doors.prc");
    int widths[5] = {-1, -1, -1, -1, -1};
    std::string catalog;
    vantorel::LoadSettings(paths, SettingsSide::Report, widths, catalog);
    EXPECT_EQ(std::vector<int>(widths, widths + 5), (std::vector<int>{120, 80, -1, -1, -1}));
    EXPECT_EQ(catalog, "/home/me/My");

    folder.Write("vantorel2.set", "0x10 010 -3 99999999999 +4 9");
    folder.Write("filename.set", std::string(150, 'p'));
    vantorel::LoadSettings(paths, SettingsSide::Report, widths, catalog);
    EXPECT_EQ(std::vector<int>(widths, widths + 5), (std::vector<int>{16, 8, -3, 2147483647, 4}));
    EXPECT_EQ(catalog, std::string(100, 'p'));
}

TEST(SettingsSave, WritesEachWidthWithABlankAndThePathAsItIs) {
    TempFolder folder;
    SettingsPaths paths = BuildSettingsPaths(SettingsSide::Catalogue, folder.File("libvantorel.so").c_str());
    int current[3] = {300, 100, 400};
    int widths[3] = {-1, -1, -1};
    vantorel::SaveSettings(paths, SettingsSide::Catalogue, current, widths, "/home/me/My Parts/doors.prc");
    EXPECT_EQ(Slurp(folder.File("vantorel1.set")), "300 100 400 ");
    EXPECT_EQ(Slurp(folder.File("filename.set")), "/home/me/My Parts/doors.prc");
    vantorel::SaveSettings(paths, SettingsSide::Catalogue, current, widths, "");
    EXPECT_EQ(Slurp(folder.File("filename.set")), "");
}

TEST(SettingsSave, HiddenPriceColumnsKeepTheirWidthsFromBefore) {
    TempFolder folder;
    SettingsPaths paths = BuildSettingsPaths(SettingsSide::Report, folder.File("libvantorel.so").c_str());
    int widths[5] = {160, 150, 140, 130, 120};
    int hidden[5] = {170, 0, 140, 200, 0};
    vantorel::SaveSettings(paths, SettingsSide::Report, hidden, widths, "doors.prc");
    EXPECT_EQ(Slurp(folder.File("vantorel2.set")), "170 150 140 200 120 ");

    int loaded[5] = {-1, -1, -1, -1, -1};
    std::string catalog;
    vantorel::LoadSettings(paths, SettingsSide::Report, loaded, catalog);
    EXPECT_EQ(std::vector<int>(loaded, loaded + 5), (std::vector<int>{170, 150, 140, 200, 120}));
    EXPECT_EQ(catalog, "doors.prc");
}

TEST(SettingsSave, AFolderThatCannotBeWrittenIsPassedOverInSilence) {
    SettingsPaths paths = BuildSettingsPaths(SettingsSide::Report, "/no/such/folder/libvantorel.so");
    int widths[5] = {1, 2, 3, 4, 5};
    vantorel::SaveSettings(paths, SettingsSide::Report, widths, widths, "x");
    EXPECT_EQ(bomtest::TakeAlerts(), std::vector<std::string>{});
}

TEST(SettingsWidths, AFirstWidthOfMinusOneMeansAllAreComputed) {
    int out[5] = {};
    int unknown[5] = {-1, 50, 50, 50, 50};
    vantorel::ApplyStoredWidths(SettingsSide::Report, 819, unknown, out); // t = 40
    EXPECT_EQ(std::vector<int>(out, out + 5), (std::vector<int>{160, 160, 160, 160, 160}));
    int stored[3] = {10, 20, 30};
    vantorel::ApplyStoredWidths(SettingsSide::Catalogue, 807, stored, out);
    EXPECT_EQ(std::vector<int>(out, out + 3), (std::vector<int>{10, 20, 30}));
    int fresh[3] = {-1, -1, -1};
    vantorel::ApplyStoredWidths(SettingsSide::Catalogue, 807, fresh, out); // e = 100
    EXPECT_EQ(std::vector<int>(out, out + 3), (std::vector<int>{300, 100, 400}));
    // A short file: the widths it lacks (still -1, "not known") are computed.
    int partial[5] = {90, 80, 70, -1, -1};
    vantorel::ApplyStoredWidths(SettingsSide::Report, 819, partial, out);
    EXPECT_EQ(std::vector<int>(out, out + 5), (std::vector<int>{90, 80, 70, 160, 160}));
    // The others are applied as they are: a negative one as 0, one wider than any screen at the widest.
    int odd[5] = {90, -7, 2147483647, 0, 5};
    vantorel::ApplyStoredWidths(SettingsSide::Report, 819, odd, out);
    EXPECT_EQ(std::vector<int>(out, out + 5), (std::vector<int>{90, 0, 100000, 0, 5}));
    int zeroPrices[5] = {90, 0, 70, 0, 0};
    vantorel::ApplyStoredWidths(SettingsSide::Report, 819, zeroPrices, zeroPrices);
    EXPECT_EQ(std::vector<int>(zeroPrices, zeroPrices + 5), (std::vector<int>{90, 0, 70, 0, 0}));
    int zeroOnTheCatalogueSide[3] = {90, 0, 0};
    vantorel::ApplyStoredWidths(SettingsSide::Catalogue, 807, zeroOnTheCatalogueSide, out);
    EXPECT_EQ(std::vector<int>(out, out + 3), (std::vector<int>{90, 0, 0}));
}

} // namespace
