#pragma once

#include "platform/cad/LargeMemory.h"
#include "platform/cad/dxf/DxfTags.h"

#include <sys/stat.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace cad {

// The bytes of a drawing as read, kept for as long as the drawing so that saving copies what it did not change.
// A big file is mapped rather than copied: its pages come from the system's file cache when they are touched and
// are let go again once they have been read, so an open drawing costs the memory of its objects, not of its file.
// The file stays open, which lets a save find out whether another program changed it in the meantime.
class DxfSource {
public:
    // Files from this size on are mapped; smaller ones are read, which costs next to nothing.
    static constexpr std::size_t kMapFrom = std::size_t{4} << 20;

    DxfSource() = default;
    ~DxfSource();
    DxfSource(const DxfSource&) = delete;
    DxfSource& operator=(const DxfSource&) = delete;

    // Reads or maps `path`; a failure is CannotOpen with the reason.
    [[nodiscard]] DxfResult Open(const std::string& path);
    // A copy of bytes held elsewhere; false when there is no memory for it.
    [[nodiscard]] bool Copy(std::string_view content);

    std::string_view Content() const { return m_content; }
    bool Mapped() const { return m_map != nullptr; }
    // Lets the pages of the content from `mark` to `offset` go, once they make a step worth a call, and moves
    // `mark` on (`now`: whatever their number). They read back the same when touched again: a hint that only a
    // mapped file takes. Each reader of the content keeps its own mark.
    void ReleaseBefore(std::size_t& mark, std::size_t offset, bool now = false) const;
    // Empty while the file is as it was read; else what happened to it, for a message.
    [[nodiscard]] std::string Changed() const;
    const std::string& Path() const { return m_path; }

private:
    ByteBuffer m_buffer;
    void* m_map = nullptr;
    std::size_t m_mapSize = 0;
    std::string_view m_content;
    int m_descriptor = -1;
    int m_guard = -1; // against another program cutting the mapped file short
    struct stat m_read {};
    std::string m_path;
};

} // namespace cad
