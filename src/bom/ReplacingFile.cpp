#include "bom/ReplacingFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace vantorel {

ReplacingFile::ReplacingFile(std::string path) : m_path(std::move(path)) {
    struct stat existing {};
    bool exists = lstat(m_path.c_str(), &existing) == 0;
    if (m_path.empty() || (exists && S_ISDIR(existing.st_mode)))
        return;
    if (exists && !S_ISREG(existing.st_mode)) {
        // Writing through a link or to a device is what the user asked for; there is no file to protect.
        m_replace = false;
        m_stream = std::fopen(m_path.c_str(), "w");
        return;
    }
    // A file the user may not write stays refused, as opening it for writing would be.
    if (exists && access(m_path.c_str(), W_OK) != 0)
        return;
    std::string error;
    if (!m_write.Open(m_path, error)) {
        // A folder where nothing new may be made can still hold a file the user may write: write it there.
        if (exists) {
            m_replace = false;
            m_stream = std::fopen(m_path.c_str(), "w");
        }
        return;
    }
    int descriptor = dup(m_write.Descriptor());
    m_stream = descriptor >= 0 ? fdopen(descriptor, "w") : nullptr;
    if (!m_stream && descriptor >= 0)
        close(descriptor);
}

ReplacingFile::~ReplacingFile() {
    if (m_stream)
        std::fclose(m_stream);
}

bool ReplacingFile::Commit() {
    if (!m_stream)
        return false;
    bool ok = std::fflush(m_stream) == 0 && !std::ferror(m_stream);
    ok = std::fclose(m_stream) == 0 && ok;
    m_stream = nullptr;
    if (!m_replace || !ok)
        return ok;
    std::string error;
    return m_write.Commit(error);
}

} // namespace vantorel
