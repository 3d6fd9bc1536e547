#include "BomTestSupport.h"
#include "bom/BlockNames.h"
#include "bom/PriceCatalog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using vantorel::CatalogEntry;
using vantorel::IncompleteEntry;
using vantorel::PriceCatalog;

// A catalogue holding these entries, modified flag clear.
void Fill(PriceCatalog& catalog, const std::vector<CatalogEntry>& entries) {
    for (const CatalogEntry& entry : entries)
        catalog.SetEntry(catalog.AppendEntry(), entry);
}

std::vector<std::string> Names(const PriceCatalog& catalog) {
    std::vector<std::string> names;
    for (long i = 0; i < catalog.EntryCount(); ++i)
        names.push_back(catalog.Entry(i).blockName);
    return names;
}

TEST(CatalogCompleteness, TheFirstEntryMissingANameOrAPriceIsNamedWithItsColumn) {
    PriceCatalog catalog;
    Fill(catalog, {{"Door", "1", ""}, {"", "", "only a note"}, {"Window", "", ""}, {"", "2", ""}});
    IncompleteEntry failure;
    EXPECT_FALSE(catalog.CheckEntriesComplete(&failure));
    EXPECT_EQ(failure, (IncompleteEntry{2, 1, "Price is absent"}));

    PriceCatalog nameless;
    Fill(nameless, {{"", "2", "x"}});
    EXPECT_FALSE(nameless.CheckEntriesComplete(&failure));
    EXPECT_EQ(failure, (IncompleteEntry{0, 0, "Block name is absent"}));

    PriceCatalog fine;
    Fill(fine, {{"Door", "1", ""}, {"", "", "only a note"}, {"", "", ""}});
    EXPECT_TRUE(fine.CheckEntriesComplete(&failure));
    EXPECT_TRUE(PriceCatalog().CheckEntriesComplete(nullptr));
}

TEST(CatalogUniqueness, NamesDifferingOnlyInCaseClashButAnEntryNotWithItself) {
    PriceCatalog catalog;
    Fill(catalog, {{"Door", "1", ""}, {"Window", "2", ""}});
    EXPECT_FALSE(catalog.IsBlockNameUnique("DOOR", 1));
    EXPECT_TRUE(catalog.IsBlockNameUnique("DOOR", 0));
    EXPECT_TRUE(catalog.IsBlockNameUnique("Doors", 1));
    EXPECT_FALSE(catalog.IsBlockNameUnique("window", -1));
    EXPECT_TRUE(PriceCatalog().IsBlockNameUnique("Door", -1));
}

TEST(CatalogUniqueness, LettersHaveTheCaseOfTheActiveCodePage) {
    PriceCatalog catalog;
    Fill(catalog, {{"\xC9TAG\xC8RE", "1", ""}, {"\xDF", "2", ""}, {"\xA8", "3", ""}}); // ÉTAGÈRE, ß, ¨ in 1252
    EXPECT_FALSE(catalog.IsBlockNameUnique("\xE9tag\xE8re", -1));
    EXPECT_TRUE(catalog.IsBlockNameUnique("\xFF", -1)); // ÿ is no ß
    EXPECT_TRUE(catalog.IsBlockNameUnique("\xB8", -1)); // ¸ is no ¨
    bomtest::ActiveCodePage cyrillic(1251);
    EXPECT_FALSE(catalog.IsBlockNameUnique("\xFF", -1)); // я is Я
    EXPECT_FALSE(catalog.IsBlockNameUnique("\xB8", -1)); // ё is Ё
}

// In Shift-JIS the trail bytes of many characters are ASCII letters: ア is 83 41, ヂ is 83 61. They are other
// characters, not the same one in another case; and the letters around them still ignore case.
TEST(CatalogUniqueness, DoubleByteCharactersHaveNoCaseAndTheirTrailBytesAreNoLetters) {
    bomtest::ActiveCodePage japanese(932);
    PriceCatalog catalog;
    Fill(catalog, {{"\x83\x41" "Door", "1", ""}, {"\x83\x5C", "2", ""}}); // アDoor, ソ (trail byte '\\')
    EXPECT_TRUE(catalog.IsBlockNameUnique("\x83\x61" "Door", -1));
    EXPECT_FALSE(catalog.IsBlockNameUnique("\x83\x41" "DOOR", -1));
    EXPECT_FALSE(catalog.IsBlockNameUnique("\x83\x5c", -1));
    std::string name = "\x83\x41\x83\x5A" "AB\xB1"; // アズAB and half-width ｱ
    vantorel::LowerBlockName(name);
    EXPECT_EQ(name, "\x83\x41\x83\x5A" "ab\xB1");
    bomtest::ActiveCodePage chinese(936);
    EXPECT_TRUE(catalog.IsBlockNameUnique("\x83\x61" "Door", -1));
    EXPECT_FALSE(catalog.IsBlockNameUnique("\x83\x41" "door", -1));
}

TEST(CatalogEntryOperations, NewEntriesHaveAnEmptyNameAndThePriceZero) {
    PriceCatalog catalog;
    EXPECT_EQ(catalog.AppendEntry(), 0);
    EXPECT_EQ(catalog.Entry(0), (CatalogEntry{"", "0", ""}));
    EXPECT_FALSE(catalog.IsModified());
}

TEST(CatalogEntryOperations, InsertGoesAfterTheIndexUnlessItIsTheLastOrNone) {
    PriceCatalog catalog;
    Fill(catalog, {{"A", "1", ""}, {"B", "1", ""}, {"C", "1", ""}});
    EXPECT_EQ(catalog.InsertEntryAfter(0), 1);
    EXPECT_EQ(Names(catalog), (std::vector<std::string>{"A", "", "B", "C"}));
    EXPECT_EQ(catalog.InsertEntryAfter(3), 4); // the last: appended
    EXPECT_EQ(catalog.InsertEntryAfter(-1), 5);
    EXPECT_EQ(catalog.Entry(5), (CatalogEntry{"", "0", ""}));
    EXPECT_EQ(Names(catalog), (std::vector<std::string>{"A", "", "B", "C", "", ""}));
}

TEST(CatalogEntryOperations, DeleteAndSwapOutsideTheEntriesChangeNothing) {
    PriceCatalog catalog;
    Fill(catalog, {{"A", "1", "a"}, {"B", "2", "b"}, {"C", "3", "c"}});
    catalog.DeleteEntry(3);
    catalog.DeleteEntry(-1);
    EXPECT_EQ(Names(catalog), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_FALSE(catalog.SwapEntries(0, -1)); // the first moved up
    EXPECT_FALSE(catalog.SwapEntries(2, 3));  // the last moved down
    EXPECT_EQ(Names(catalog), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_TRUE(catalog.SwapEntries(1, 2));
    EXPECT_EQ(catalog.Entry(1), (CatalogEntry{"C", "3", "c"}));
    EXPECT_EQ(catalog.Entry(2), (CatalogEntry{"B", "2", "b"}));
    catalog.DeleteEntry(0);
    EXPECT_EQ(Names(catalog), (std::vector<std::string>{"C", "B"}));
    EXPECT_FALSE(catalog.IsModified());
}

TEST(CatalogEntryOperations, ClearingEmptiesAndClearsTheModifiedFlag) {
    PriceCatalog catalog;
    Fill(catalog, {{"A", "1", ""}, {"B", "1", ""}});
    catalog.SetModified(true);
    catalog.ClearEntries();
    EXPECT_EQ(catalog.EntryCount(), 0);
    EXPECT_FALSE(catalog.IsModified());
}

// In the dialog the entries are the grid's rows: the catalogue works on whatever holds them.
TEST(CatalogEntryOperations, EntriesHeldElsewhereAreWorkedOnThereAndTheReaderTellsOfEachNewOne) {
    struct RecordingStore : vantorel::CatalogEntryList {
        std::vector<long> read;
        void OnEntryRead(long index) override { read.push_back(index); }
    } store;
    PriceCatalog catalog(store);
    catalog.AppendEntry();
    EXPECT_EQ(store.Count(), 1);
    EXPECT_EQ(store.Get(0), (CatalogEntry{"", "0", ""}));
    EXPECT_TRUE(store.read.empty());
}

} // namespace
