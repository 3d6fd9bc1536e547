#pragma once

#include "platform/files/ReplacingWrite.h"

#include <cstdio>
#include <string>

namespace vantorel {

// A file written in full or not at all: the text goes to a file without a name beside the target, which takes
// the target's place only when everything was written. A failed write leaves the old file as it was.
class ReplacingFile {
public:
    [[nodiscard]] explicit ReplacingFile(std::string path);
    ~ReplacingFile(); // without Commit, what was written goes and the target stays as it was
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Null when the target could not be opened for writing (a folder that is not there, a file or folder
    // that may not be written).
    std::FILE* Stream() const { return m_stream; }
    // A name by which a library that opens files by name writes what is to take the target's place.
    std::string Path() const { return m_replace ? m_write.Path() : m_path; }
    // True when every byte reached the disk and the file now stands at the target's path.
    [[nodiscard]] bool Commit();

private:
    std::string m_path;
    files::ReplacingWrite m_write;
    std::FILE* m_stream = nullptr;
    bool m_replace = true; // false: the target is written in place (a link, or a device such as /dev/null)
};

} // namespace vantorel
