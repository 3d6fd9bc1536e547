#include "bom/ReplacingFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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
    m_temporary = m_path + ".XXXXXX";
    int descriptor = mkstemp(m_temporary.data());
    if (descriptor < 0) {
        m_temporary.clear();
        // A folder where nothing new may be made can still hold a file the user may write: write it there.
        if (exists) {
            m_replace = false;
            m_stream = std::fopen(m_path.c_str(), "w");
        }
        return;
    }
    // The replacement keeps the permissions of the file it replaces; a new file gets the usual ones.
    mode_t mask = umask(0);
    umask(mask);
    mode_t mode = exists ? (existing.st_mode & 07777) : (0666 & ~mask);
    fchmod(descriptor, mode);
    m_stream = fdopen(descriptor, "w");
    if (!m_stream) {
        close(descriptor);
        unlink(m_temporary.c_str());
        m_temporary.clear();
    }
}

ReplacingFile::~ReplacingFile() {
    if (m_stream)
        std::fclose(m_stream);
    if (!m_temporary.empty())
        unlink(m_temporary.c_str());
}

bool ReplacingFile::Commit() {
    if (!m_stream)
        return false;
    bool ok = std::fflush(m_stream) == 0 && !std::ferror(m_stream);
    if (ok && m_replace)
        ok = fsync(fileno(m_stream)) == 0;
    ok = std::fclose(m_stream) == 0 && ok;
    m_stream = nullptr;
    if (!m_replace)
        return ok;
    if (ok)
        ok = std::rename(m_temporary.c_str(), m_path.c_str()) == 0;
    if (ok)
        m_temporary.clear();
    return ok;
}

} // namespace vantorel
