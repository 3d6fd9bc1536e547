#include "BomTestSupport.h"

#include "bom/PriceCatalog.h"

#include <sys/stat.h>

namespace {

using bomtest::TakeAlerts;
using bomtest::TempFolder;
using vantorel::CatalogEntry;
using vantorel::PriceCatalog;

std::vector<CatalogEntry> Entries(const PriceCatalog& catalog) {
    std::vector<CatalogEntry> entries;
    for (long i = 0; i < catalog.EntryCount(); ++i)
        entries.push_back(catalog.Entry(i));
    return entries;
}

std::vector<CatalogEntry> ReadBytes(const std::string& bytes) {
    TempFolder folder;
    PriceCatalog catalog;
    EXPECT_TRUE(catalog.ReadCatalogFile(folder.Write("parts.prc", bytes)));
    EXPECT_FALSE(catalog.IsModified());
    return Entries(catalog);
}

TEST(CatalogFileRead, TakesThreeFieldsAndSkipsLinesWithoutNameOrPrice) {
    EXPECT_EQ(ReadBytes("Door|12.5|Wooden door\n"), (std::vector<CatalogEntry>{{"Door", "12.5", "Wooden door"}}));
    EXPECT_EQ(ReadBytes("Door|12.5\nWindow|3|\n"),
              (std::vector<CatalogEntry>{{"Door", "12.5", ""}, {"Window", "3", ""}}));
    EXPECT_EQ(ReadBytes("|12.5|no name\nDoor||no price\nno bar at all\n\n"), std::vector<CatalogEntry>{});
    EXPECT_EQ(ReadBytes("Door|12.5|Oak|left over|more\n"), (std::vector<CatalogEntry>{{"Door", "12.5", "Oak"}}));
    EXPECT_EQ(ReadBytes(" Door | 12.5 | Oak \n"), (std::vector<CatalogEntry>{{" Door ", " 12.5 ", " Oak "}}));
    EXPECT_EQ(ReadBytes(""), std::vector<CatalogEntry>{});
}

TEST(CatalogFileRead, ALastLineWithoutItsLineEndIsNotTaken) {
    EXPECT_EQ(ReadBytes("Door|1|a\nWindow|2|b"), (std::vector<CatalogEntry>{{"Door", "1", "a"}}));
    EXPECT_EQ(ReadBytes("Window|2|b"), std::vector<CatalogEntry>{});
}

TEST(CatalogFileRead, WindowsLineEndsAreLineEnds) {
    EXPECT_EQ(ReadBytes("Door|12.5|Wooden door\r\nWindow|3\r\n"),
              (std::vector<CatalogEntry>{{"Door", "12.5", "Wooden door"}, {"Window", "3", ""}}));
    // A carriage return anywhere else is text.
    EXPECT_EQ(ReadBytes("Do\ror|1|a\rb\n"), (std::vector<CatalogEntry>{{"Do\ror", "1", "a\rb"}}));
}

// Lines are read in pieces of 999 characters; each piece loses its last character and is a line of its own.
TEST(CatalogFileRead, LongLinesAreTakenInPiecesOf999Characters) {
    std::string description(990, 'd');
    std::string line = "Door|1|" + description; // 997 characters before the line end
    EXPECT_EQ(ReadBytes(line + "\n"), (std::vector<CatalogEntry>{{"Door", "1", description}}));
    // 999 characters and a line end: the first piece is cut short by one, the line end alone is skipped.
    std::string longer = "Door|1|" + std::string(992, 'd');
    EXPECT_EQ(ReadBytes(longer + "\n"), (std::vector<CatalogEntry>{{"Door", "1", std::string(991, 'd')}}));
    // The rest of a long line is a line of its own.
    std::string twoPieces = "Door|1|" + std::string(992, 'd') + "Window|2|w\n";
    EXPECT_EQ(ReadBytes(twoPieces),
              (std::vector<CatalogEntry>{{"Door", "1", std::string(991, 'd')}, {"Window", "2", "w"}}));
}

TEST(CatalogFileRead, ANulEndsTheLineThere) {
    EXPECT_EQ(ReadBytes(std::string("Door|1|ab\0cd|x\n", 15)), (std::vector<CatalogEntry>{{"Door", "1", "a"}}));
    EXPECT_EQ(ReadBytes(std::string("\0Door|1|a\nWindow|2|b\n", 21)),
              (std::vector<CatalogEntry>{{"Window", "2", "b"}}));
}

TEST(CatalogFileRead, AFileThatCannotBeOpenedIsToldAndChangesNothing) {
    TempFolder folder;
    PriceCatalog catalog;
    ASSERT_TRUE(catalog.ReadCatalogFile(folder.Write("parts.prc", "Door|1|a\n")));
    catalog.SetModified(true);
    TakeAlerts();
    std::string missing = folder.File("missing.prc");
    EXPECT_FALSE(catalog.ReadCatalogFile(missing));
    EXPECT_EQ(TakeAlerts(), std::vector<std::string>{"File " + missing + " could  not be opened"});
    EXPECT_FALSE(catalog.ReadCatalogFile(folder.Path().string()));
    EXPECT_EQ(TakeAlerts(), std::vector<std::string>{"File " + folder.Path().string() + " could  not be opened"});
    EXPECT_EQ(Entries(catalog), (std::vector<CatalogEntry>{{"Door", "1", "a"}}));
    EXPECT_TRUE(catalog.IsModified());
}

TEST(CatalogFileWrite, WritesEveryEntryWithTextAsBarSeparatedLines) {
    TempFolder folder;
    PriceCatalog catalog;
    catalog.SetEntry(catalog.AppendEntry(), CatalogEntry{"Door", "12.5", "Wooden door"});
    catalog.SetEntry(catalog.AppendEntry(), CatalogEntry{"", "", ""});
    catalog.SetEntry(catalog.AppendEntry(), CatalogEntry{"Window", "3", ""});
    catalog.SetEntry(catalog.AppendEntry(), CatalogEntry{"", "", "a note"});
    catalog.SetModified(true);
    std::string path = folder.File("parts.prc");
    ASSERT_TRUE(catalog.WriteCatalogFile(path));
    EXPECT_EQ(bomtest::Slurp(path), "Door|12.5|Wooden door\nWindow|3|\n||a note\n");
    EXPECT_TRUE(catalog.IsModified()); // the dialog clears it

    PriceCatalog again;
    ASSERT_TRUE(again.ReadCatalogFile(path));
    EXPECT_EQ(Entries(again), (std::vector<CatalogEntry>{{"Door", "12.5", "Wooden door"}, {"Window", "3", ""}}));
    EXPECT_EQ(TakeAlerts(), std::vector<std::string>{});
}

TEST(CatalogFileWrite, AFailedWriteIsToldAndLeavesTheOldFile) {
    TempFolder folder;
    PriceCatalog catalog;
    catalog.SetEntry(catalog.AppendEntry(), CatalogEntry{"Door", "1", ""});
    TakeAlerts();
    std::string nowhere = folder.File("no-such-folder/parts.prc");
    EXPECT_FALSE(catalog.WriteCatalogFile(nowhere));
    EXPECT_EQ(TakeAlerts(), std::vector<std::string>{"File " + nowhere + " could  not be opened"});

    // A full disk: the bytes do not all arrive.
    EXPECT_FALSE(catalog.WriteCatalogFile("/dev/full"));
    EXPECT_EQ(TakeAlerts(), std::vector<std::string>{"File /dev/full could  not be opened"});

    std::string kept = folder.Write("kept.prc", "Old|2|x\n");
    chmod(kept.c_str(), 0444);
    if (access(kept.c_str(), W_OK) != 0) { // root may write anything
        EXPECT_FALSE(catalog.WriteCatalogFile(kept));
        EXPECT_EQ(bomtest::Slurp(kept), "Old|2|x\n");
        TakeAlerts();
    }
    chmod(kept.c_str(), 0644);
    ASSERT_TRUE(catalog.WriteCatalogFile(kept));
    EXPECT_EQ(bomtest::Slurp(kept), "Door|1|\n");
    struct stat info {};
    ASSERT_EQ(stat(kept.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u); // the replacement keeps the file's permissions
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.Path()))
        ++files;
    EXPECT_EQ(files, 1u); // no temporary file stays behind
}

} // namespace
