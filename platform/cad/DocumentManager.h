#pragma once

#include "platform/cad/Database.h"

#include <memory>
#include <string>
#include <vector>

namespace cad {

class Document {
public:
    explicit Document(std::string fileName)
        : m_database(std::make_unique<Database>()), m_fileName(std::move(fileName)) {}
    Database& GetDatabase() { return *m_database; }
    // A drawing read from a file takes the place of the one in memory.
    void ReplaceDatabase(std::unique_ptr<Database> database) { m_database = std::move(database); }
    // The full path the drawing was read from or saved to; empty for a new drawing.
    std::string Path() const { return m_folder + m_fileName; }
    // The file name without folder ("Plan1.dwg"), as the host's DWGNAME gives it.
    const std::string& FileName() const { return m_fileName; }
    // The folder with its trailing separator, or empty.
    const std::string& Folder() const { return m_folder; }
    void SetPath(const std::string& path);
    // Opened from a file or saved to one; an untitled drawing has only its name.
    bool HasFile() const { return m_hasFile; }
    // Read from a DWG file, which cannot be written here: it is saved as DXF, under another name.
    bool FromDwg() const { return m_fromDwg; }
    void SetFromDwg(bool fromDwg) { m_fromDwg = fromDwg; }

private:
    std::unique_ptr<Database> m_database;
    std::string m_fileName;
    std::string m_folder;
    bool m_hasFile = false;
    bool m_fromDwg = false;
};

class DocumentReactor {
public:
    virtual ~DocumentReactor() = default;
    virtual void DocumentToBeDestroyed(Document* document) = 0;
};

class DocumentManager {
public:
    DocumentManager();

    Document& Current() { return *m_current; }
    Document& NewDocument(const std::string& fileName);
    // Tells every reactor first; closing the current document makes another one current, and closing the
    // last one opens a fresh "Drawing1.dwg" so the editor always has a drawing.
    void CloseDocument(Document* document);
    void MakeCurrent(Document* document);
    std::size_t DocumentCount() const { return m_documents.size(); }

    void AddReactor(DocumentReactor* reactor);
    void RemoveReactor(DocumentReactor* reactor);
    std::size_t ReactorCount() const { return m_reactors.size(); }

    void PushResourceHandle(void* handle) { m_resourceStack.push_back(handle); }
    // False when the stack is already empty.
    bool PopResourceHandle();
    std::size_t ResourceStackDepth() const { return m_resourceStack.size(); }
    void* CurrentResourceHandle() const { return m_resourceStack.empty() ? nullptr : m_resourceStack.back(); }

private:
    std::vector<std::unique_ptr<Document>> m_documents;
    Document* m_current = nullptr;
    std::vector<DocumentReactor*> m_reactors;
    std::vector<void*> m_resourceStack;
    int m_untitled = 0;
};

} // namespace cad
