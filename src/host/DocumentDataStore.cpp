#include "host/DocumentDataStore.h"

namespace vantorel {

DocumentDataStore::DocumentDataStore() {
    acDocManagerPtr()->addReactor(this);
}

DocumentDataStore::~DocumentDataStore() {
    acDocManagerPtr()->removeReactor(this);
    m_entries.clear();
}

void DocumentDataStore::documentToBeDestroyed(AcApDocument* document) {
    auto [first, last] = m_entries.equal_range(document);
    m_entries.erase(first, last);
}

AcRxClass* DocumentDataStore::isA() const {
    static AcRxClass* s_class = FindHostClass("AcApDocManagerReactor");
    return s_class;
}

} // namespace vantorel
