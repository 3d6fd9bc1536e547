#include "bom/PriceCatalog.h"

#include "bom/BlockNames.h"
#include "bom/BomMessages.h"
#include "bom/CatalogLines.h"
#include "bom/ReplacingFile.h"

#include <cstdio>

namespace vantorel {

std::string g_templateFile;

bool PriceCatalog::ReadCatalogFile(const std::string& path) {
    CatalogFile file = OpenCatalogFile(path);
    if (!file) {
        AlertFileNotOpened(path.c_str());
        return false;
    }
    ClearEntries();
    CatalogLineReader lines(file.get(), path);
    while (lines.Next()) {
        if (*lines.Field(0) == '\0' || *lines.Field(1) == '\0')
            continue;
        long index = m_store->Count();
        m_store->Insert(index, CatalogEntry{lines.Field(0), lines.Field(1), lines.Field(2)});
        m_store->OnEntryRead(index);
    }
    return true;
}

bool PriceCatalog::WriteCatalogFile(const std::string& path) const {
    ReplacingFile file(path);
    if (!file.Stream()) {
        AlertFileNotOpened(path.c_str());
        return false;
    }
    for (long i = 0; i < m_store->Count(); ++i) {
        CatalogEntry entry = m_store->Get(i);
        if (entry.blockName.empty() && entry.price.empty() && entry.description.empty())
            continue;
        std::fprintf(file.Stream(), "%s|%s|%s\n", entry.blockName.c_str(), entry.price.c_str(),
                     entry.description.c_str());
    }
    // A disk that fills up half way is as bad as a file that never opened, and is said the same way.
    if (!file.Commit()) {
        AlertFileNotOpened(path.c_str());
        return false;
    }
    return true;
}

void PriceCatalog::ClearEntries() {
    m_modified = false;
    for (long i = m_store->Count() - 1; i >= 0; --i)
        m_store->Erase(i);
}

bool PriceCatalog::CheckEntriesComplete(IncompleteEntry* failure) const {
    for (long i = 0; i < m_store->Count(); ++i) {
        CatalogEntry entry = m_store->Get(i);
        if (entry.blockName.empty() && entry.price.empty())
            continue;
        if (entry.blockName.empty() || entry.price.empty()) {
            if (failure) {
                *failure = entry.blockName.empty() ? IncompleteEntry{i, 0, kBlockNameAbsent}
                                                   : IncompleteEntry{i, 1, kPriceAbsent};
            }
            return false;
        }
    }
    return true;
}

bool PriceCatalog::IsBlockNameUnique(const std::string& name, long editedIndex) const {
    for (long i = 0; i < m_store->Count(); ++i) {
        if (i != editedIndex && BlockNamesEqual(m_store->Get(i).blockName, name))
            return false;
    }
    return true;
}

void PriceCatalog::InitNewEntry(long index) {
    if (index >= 0 && index < m_store->Count())
        m_store->Set(index, CatalogEntry{"", "0", ""});
}

long PriceCatalog::AppendEntry() {
    long index = m_store->Count();
    m_store->Insert(index, CatalogEntry{});
    InitNewEntry(index);
    return index;
}

long PriceCatalog::InsertEntryAfter(long index) {
    if (index < 0 || index >= m_store->Count() - 1)
        return AppendEntry();
    m_store->Insert(index + 1, CatalogEntry{});
    InitNewEntry(index + 1);
    return index + 1;
}

void PriceCatalog::DeleteEntry(long index) {
    if (index >= 0 && index < m_store->Count())
        m_store->Erase(index);
}

bool PriceCatalog::SwapEntries(long a, long b) {
    long count = m_store->Count();
    if (a < 0 || a >= count || b < 0 || b >= count)
        return false;
    CatalogEntry first = m_store->Get(a);
    m_store->Set(a, m_store->Get(b));
    m_store->Set(b, first);
    return true;
}

} // namespace vantorel
