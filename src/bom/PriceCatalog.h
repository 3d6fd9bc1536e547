#pragma once

#include "bom/CatalogEntry.h"

#include <string>

namespace vantorel {

// The path of the catalogue file the BOM Template dialog has open; empty when none. It outlives the
// dialog, so the next run proposes the same file.
extern std::string g_templateFile;

// The first entry that keeps a catalogue from being saved.
struct IncompleteEntry {
    long index = -1;
    int column = -1;
    std::string message;
    friend bool operator==(const IncompleteEntry&, const IncompleteEntry&) = default;
};

// The user's list of priced blocks and its file. Entry operations take the indices of the entries (the
// dialog passes its current row); none of them marks the catalogue modified: the end of the cell edit that
// follows each of them in the dialog does.
class PriceCatalog {
public:
    PriceCatalog() : m_store(&m_ownEntries) {}
    explicit PriceCatalog(CatalogStore& store) : m_store(&store) {}
    PriceCatalog(const PriceCatalog&) = delete;
    PriceCatalog& operator=(const PriceCatalog&) = delete;

    // Replaces the entries with the file's; false, with an alert and the entries untouched, when the file
    // cannot be opened.
    [[nodiscard]] bool ReadCatalogFile(const std::string& path);
    // Writes every entry that has some text; false, with an alert, when the file cannot be written. A
    // failed write leaves the file that was there.
    [[nodiscard]] bool WriteCatalogFile(const std::string& path) const;
    void ClearEntries();
    // False, with where and why, for the first entry that has one of block name and price without the
    // other; an entry with neither (a description alone, or nothing) passes.
    [[nodiscard]] bool CheckEntriesComplete(IncompleteEntry* failure) const;
    [[nodiscard]] bool IsBlockNameUnique(const std::string& name, long editedIndex) const;
    void InitNewEntry(long index);
    long AppendEntry();
    // After `index`, or at the end when `index` is -1 or the last entry; the new entry's index.
    long InsertEntryAfter(long index);
    void DeleteEntry(long index);
    [[nodiscard]] bool SwapEntries(long a, long b);

    long EntryCount() const { return m_store->Count(); }
    CatalogEntry Entry(long index) const { return m_store->Get(index); }
    void SetEntry(long index, const CatalogEntry& entry) { m_store->Set(index, entry); }
    bool IsModified() const { return m_modified; }
    void SetModified(bool modified) { m_modified = modified; }

private:
    CatalogEntryList m_ownEntries;
    CatalogStore* m_store; // not owned when given
    bool m_modified = false;
};

} // namespace vantorel
