#include "platform/cad/dxf/DxfSource.h"

#include "platform/cad/dxf/MappedFileGuard.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace cad {

namespace {
constexpr std::size_t kPage = 4096;
// Pages are let go in steps of this size: one call per step, and the pages just read stay for the tags that
// look back at them. Each call makes every core forget the pages, so the steps are not small.
constexpr std::size_t kReleaseStep = std::size_t{16} << 20;

DxfResult Failure(const char* what, const std::string& path, int error) {
    DxfResult result;
    result.status = DxfStatus::CannotOpen;
    result.detail = std::string(what) + " " + path + ": " + std::strerror(error);
    return result;
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}
} // namespace

DxfSource::~DxfSource() {
    if (m_map) {
        UnguardMapping(m_guard);
        munmap(m_map, m_mapSize);
    }
    if (m_descriptor >= 0)
        close(m_descriptor);
}

bool DxfSource::Copy(std::string_view content) {
    if (!m_buffer.Reserve(content.size() + 1))
        return false;
    if (!content.empty())
        std::memcpy(m_buffer.Data(), content.data(), content.size());
    m_buffer.SetSize(content.size());
    m_content = std::string_view(m_buffer.Data(), content.size());
    return true;
}

DxfResult DxfSource::Open(const std::string& path) {
    m_path = path;
    int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return Failure("cannot open", path, errno);
    struct stat info {};
    if (fstat(descriptor, &info) != 0) {
        int error = errno;
        close(descriptor);
        return Failure("cannot open", path, error);
    }
    if (S_ISDIR(info.st_mode)) {
        close(descriptor);
        return Failure("cannot open", path, EISDIR);
    }
    std::size_t expected = info.st_size > 0 ? static_cast<std::size_t>(info.st_size) : 0;
    if (S_ISREG(info.st_mode) && expected >= kMapFrom) {
        void* map = mmap(nullptr, expected, PROT_READ, MAP_PRIVATE, descriptor, 0);
        if (map != MAP_FAILED) {
            // Read front to back: the system may read ahead generously.
            madvise(map, expected, MADV_SEQUENTIAL);
            m_map = map;
            m_mapSize = expected;
            m_guard = GuardMapping(map, expected);
            m_content = std::string_view(static_cast<const char*>(map), expected);
            m_descriptor = descriptor;
            m_read = info;
            return DxfResult{};
        }
    }
    // Read straight into the buffer the drawing keeps; the loop covers files that grow or lie about their size.
    std::size_t size = 0;
    bool ok = m_buffer.Reserve(expected + 1);
    while (ok) {
        if (size == m_buffer.Capacity() && !m_buffer.Reserve(m_buffer.Capacity() * 2)) {
            ok = false;
            break;
        }
        ssize_t n = read(descriptor, m_buffer.Data() + size, m_buffer.Capacity() - size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            int error = errno;
            close(descriptor);
            return Failure("cannot read", path, error);
        }
        if (n == 0)
            break;
        size += static_cast<std::size_t>(n);
        m_buffer.SetSize(size);
    }
    close(descriptor);
    if (!ok)
        return Failure("not enough memory to read", path, ENOMEM);
    m_buffer.SetSize(size);
    m_content = std::string_view(m_buffer.Data(), size);
    return DxfResult{};
}

void DxfSource::ReleaseBefore(std::size_t& mark, std::size_t offset, bool now) const {
    if (!m_map || offset <= mark || (!now && offset < mark + kReleaseStep))
        return;
    std::size_t begin = mark / kPage * kPage;
    std::size_t end = offset / kPage * kPage;
    madvise(static_cast<char*>(m_map) + begin, end - begin, MADV_DONTNEED);
    mark = end;
}

std::string DxfSource::Changed() const {
    if (!m_map)
        return std::string();
    struct stat now {};
    if (fstat(m_descriptor, &now) != 0)
        return std::string("it can no longer be read: ") + std::strerror(errno);
    if (!SameFile(now, m_read) || MappingWasCut(m_guard))
        return "another program changed " + m_path + " after it was read";
    return std::string();
}

} // namespace cad
