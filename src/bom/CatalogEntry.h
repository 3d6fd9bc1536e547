#pragma once

#include <string>
#include <vector>

namespace vantorel {

// One line of a price catalogue, in column order.
struct CatalogEntry {
    std::string blockName;
    std::string price; // kept as typed; only the report turns it into a number
    std::string description;
    friend bool operator==(const CatalogEntry&, const CatalogEntry&) = default;
};

// Where a catalogue's entries live: a plain list, or the rows of the template grid in the dialog, where
// entry i is row i and its texts are the row's first three cells.
class CatalogStore {
public:
    virtual ~CatalogStore() = default;
    virtual long Count() const = 0;
    virtual CatalogEntry Get(long index) const = 0;
    virtual void Set(long index, const CatalogEntry& entry) = 0;
    // `index` == Count() appends.
    virtual void Insert(long index, const CatalogEntry& entry) = 0;
    virtual void Erase(long index) = 0;
    // An entry the reader has just appended; the dialog gives its block-name cell the block-name type.
    virtual void OnEntryRead(long index) { (void)index; }
};

class CatalogEntryList : public CatalogStore {
public:
    long Count() const override { return static_cast<long>(m_entries.size()); }
    CatalogEntry Get(long index) const override { return m_entries[static_cast<std::size_t>(index)]; }
    void Set(long index, const CatalogEntry& entry) override { m_entries[static_cast<std::size_t>(index)] = entry; }
    void Insert(long index, const CatalogEntry& entry) override {
        m_entries.insert(m_entries.begin() + index, entry);
    }
    void Erase(long index) override { m_entries.erase(m_entries.begin() + index); }

private:
    std::vector<CatalogEntry> m_entries;
};

} // namespace vantorel
