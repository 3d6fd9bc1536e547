#include "platform/cad/DocumentManager.h"

#include <algorithm>

namespace cad {

void Document::SetPath(const std::string& path) {
    m_hasFile = true;
    auto slash = path.find_last_of("/\\");
    if (slash == std::string::npos) {
        m_folder.clear();
        m_fileName = path;
    } else {
        m_folder = path.substr(0, slash + 1);
        m_fileName = path.substr(slash + 1);
    }
}

DocumentManager::DocumentManager() {
    NewDocument("Drawing1.dwg");
    m_untitled = 1;
}

Document& DocumentManager::NewDocument(const std::string& fileName) {
    std::string name = fileName;
    if (name.empty())
        name = "Drawing" + std::to_string(++m_untitled) + ".dwg";
    m_documents.push_back(std::make_unique<Document>(name));
    m_current = m_documents.back().get();
    return *m_current;
}

void DocumentManager::CloseDocument(Document* document) {
    auto it = std::find_if(m_documents.begin(), m_documents.end(),
                           [&](const std::unique_ptr<Document>& d) { return d.get() == document; });
    if (it == m_documents.end())
        return;
    // A reactor may remove itself while being told, so walk a copy.
    std::vector<DocumentReactor*> reactors = m_reactors;
    for (DocumentReactor* reactor : reactors)
        reactor->DocumentToBeDestroyed(document);
    std::unique_ptr<Document> closing = std::move(*it);
    m_documents.erase(it);
    if (m_current == document) {
        m_current = nullptr;
        if (m_documents.empty())
            NewDocument("");
        m_current = m_documents.front().get();
    }
}

void DocumentManager::MakeCurrent(Document* document) {
    for (const auto& d : m_documents) {
        if (d.get() == document)
            m_current = document;
    }
}

void DocumentManager::AddReactor(DocumentReactor* reactor) {
    if (std::find(m_reactors.begin(), m_reactors.end(), reactor) == m_reactors.end())
        m_reactors.push_back(reactor);
}

void DocumentManager::RemoveReactor(DocumentReactor* reactor) {
    std::erase(m_reactors, reactor);
}

bool DocumentManager::PopResourceHandle() {
    if (m_resourceStack.empty())
        return false;
    m_resourceStack.pop_back();
    return true;
}

} // namespace cad
