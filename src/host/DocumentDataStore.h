#pragma once

#include "host/HostServices.h"

#include <cstddef>
#include <map>

namespace vantorel {

// Per-document data of the module. Nothing is stored yet; the store exists so that a document's entries
// go when the document goes.
struct DocumentData {
    friend bool operator==(const DocumentData&, const DocumentData&) = default;
};

class DocumentDataStore : public AcApDocManagerReactor {
public:
    // Registers with the host's document manager.
    DocumentDataStore();
    ~DocumentDataStore() override;
    DocumentDataStore(const DocumentDataStore&) = delete;
    DocumentDataStore& operator=(const DocumentDataStore&) = delete;

    void documentToBeDestroyed(AcApDocument* document) override;
    AcRxClass* isA() const override;

    std::size_t EntryCount() const { return m_entries.size(); }
    DocumentData& DataFor(AcApDocument* document) { return m_entries[document]; }

private:
    std::map<AcApDocument*, DocumentData> m_entries;
};

} // namespace vantorel
