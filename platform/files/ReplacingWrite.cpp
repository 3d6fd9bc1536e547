#include "platform/files/ReplacingWrite.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace files {

namespace {

std::string Folder(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Reason(int error) {
    return std::strerror(error);
}

// The process's umask, read where no other thread can see it change: setting it to learn it would make the files
// another thread creates meanwhile readable by all.
mode_t CurrentUmask() {
    if (std::FILE* status = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, status)) {
            if (std::strncmp(line, "Umask:", 6) == 0) {
                std::fclose(status);
                return static_cast<mode_t>(std::strtoul(line + 6, nullptr, 8) & 0777);
            }
        }
        std::fclose(status);
    }
    mode_t mask = umask(0);
    umask(mask);
    return mask;
}

// The process number a temporary's name carries after `prefix`, or 0.
pid_t OwnerOf(const char* name, const std::string& prefix) {
    if (std::strncmp(name, prefix.c_str(), prefix.size()) != 0)
        return 0;
    const char* digits = name + prefix.size();
    char* end = nullptr;
    long pid = std::strtol(digits, &end, 10);
    return end != digits && *end == '-' && pid > 0 ? static_cast<pid_t>(pid) : 0;
}

std::string UniqueSuffix() {
    static std::atomic<unsigned> s_counter{0};
    return std::to_string(getpid()) + "-" + std::to_string(s_counter++) + "-" + std::to_string(std::rand() % 100000);
}

} // namespace

void RemoveLeftovers(const std::string& folder, const std::string& prefix) {
    DIR* listing = opendir(folder.c_str());
    if (!listing)
        return;
    while (dirent* entry = readdir(listing)) {
        pid_t owner = OwnerOf(entry->d_name, prefix);
        if (owner > 0 && owner != getpid() && kill(owner, 0) != 0 && errno == ESRCH) {
            std::error_code ignored;
            std::filesystem::remove_all(std::filesystem::path(folder) / entry->d_name, ignored);
        }
    }
    closedir(listing);
}

ReplacingWrite::~ReplacingWrite() {
    Abandon();
}

void ReplacingWrite::Abandon() {
    if (m_fd >= 0)
        close(m_fd);
    m_fd = -1;
    if (!m_named.empty())
        unlink(m_named.c_str());
    m_named.clear();
}

bool ReplacingWrite::Open(const std::string& target, std::string& error) {
    Abandon();
    m_target = target;
    struct stat existing {};
    m_existed = stat(target.c_str(), &existing) == 0;
    m_mode = m_existed ? existing.st_mode & 07777 : 0666 & ~CurrentUmask();
    std::string folder = Folder(target);
    // A program killed in the moment a file of its had a name beside the target left it there, and its name
    // says whose it was: once that program is gone, the file goes.
    RemoveLeftovers(folder, BaseName(target) + ".~vantorel-");
    m_fd = open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
    if (m_fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        // A file system that cannot make files without a name: a named one, which says whose it is.
        std::string name = target + ".~vantorel-" + std::to_string(getpid()) + "-XXXXXX";
        m_fd = mkostemp(name.data(), O_CLOEXEC);
        if (m_fd >= 0)
            m_named = name;
    }
    if (m_fd < 0) {
        error = "cannot write beside " + target + ": " + Reason(errno);
        return false;
    }
    // The kernel gave a new file 0666 less the umask already; a replacement takes the mode of what it replaces.
    if ((m_existed || !m_named.empty()) && fchmod(m_fd, m_mode) != 0) {
        error = "cannot write " + target + ": " + Reason(errno);
        Abandon();
        return false;
    }
    return true;
}

std::string ReplacingWrite::Path() const {
    return m_named.empty() ? "/proc/self/fd/" + std::to_string(m_fd) : m_named;
}

bool ReplacingWrite::Commit(std::string& error) {
    if (m_fd < 0) {
        error = "cannot write " + m_target;
        return false;
    }
    if (fsync(m_fd) != 0) {
        error = "cannot write " + m_target + ": " + Reason(errno);
        Abandon();
        return false;
    }
    if (m_named.empty()) {
        // The file gets a name of its own for the moment it takes to move it over the target: a link cannot
        // replace a file, a rename can.
        std::string name;
        int linked = -1;
        for (int attempt = 0; attempt < 100 && linked != 0; ++attempt) {
            name = m_target + ".~vantorel-" + UniqueSuffix();
            linked = linkat(AT_FDCWD, ("/proc/self/fd/" + std::to_string(m_fd)).c_str(), AT_FDCWD, name.c_str(),
                            AT_SYMLINK_FOLLOW);
            if (linked != 0 && errno == ENOENT) // no /proc: a privileged process may still link it
                linked = linkat(m_fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH);
            if (linked != 0 && errno != EEXIST)
                break;
        }
        if (linked != 0) {
            error = "cannot write " + m_target + ": " + Reason(errno);
            Abandon();
            return false;
        }
        m_named = name;
    }
    // The name beside the target lasts no longer than it must: the move comes right after the link, and the
    // file (already on the disk) is closed after it.
    if (std::rename(m_named.c_str(), m_target.c_str()) != 0) {
        error = "cannot write " + m_target + ": " + Reason(errno);
        Abandon();
        return false;
    }
    m_named.clear();
    int closed = close(m_fd);
    m_fd = -1;
    if (closed != 0) {
        error = "cannot write " + m_target + ": " + Reason(errno);
        return false;
    }
    return true;
}

PrivateTemporary::~PrivateTemporary() {
    if (m_fd >= 0)
        close(m_fd);
    if (!m_named.empty())
        unlink(m_named.c_str());
}

bool PrivateTemporary::Open(const std::string& prefix, const std::string& suffix, std::string& error) {
    const char* given = std::getenv("TMPDIR");
    std::string folder = given && *given ? given : "/tmp";
    m_fd = open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (m_fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        RemoveLeftovers(folder, prefix);
        std::string name = folder + "/" + prefix + std::to_string(getpid()) + "-XXXXXX" + suffix;
        m_fd = mkostemps(name.data(), static_cast<int>(suffix.size()), O_CLOEXEC);
        if (m_fd >= 0)
            m_named = name;
    }
    if (m_fd < 0) {
        error = "no temporary file in " + folder + ": " + Reason(errno);
        return false;
    }
    return true;
}

std::string PrivateTemporary::Path() const {
    return m_named.empty() ? "/proc/self/fd/" + std::to_string(m_fd) : m_named;
}

} // namespace files
