#pragma once

#include <string>

namespace files {

// A file written in full or not at all. The bytes go to a file without a name in the target's folder, which takes
// the target's place only once it is whole: a failed write, or a program killed at any moment, leaves the target as
// it was and nothing beside it. A new file gets the mode 0666 less the umask, as the user's other programs give it;
// a replaced file keeps its mode. Where the file system cannot make files without a name, a named temporary takes
// its place; it carries the writing process's number, and a later write of the same target removes those whose
// process has ended.
class ReplacingWrite {
public:
    ReplacingWrite() = default;
    ~ReplacingWrite(); // without Commit, what was written goes and the target stays as it was
    ReplacingWrite(const ReplacingWrite&) = delete;
    ReplacingWrite& operator=(const ReplacingWrite&) = delete;

    // False, with the reason, when nothing can be made in the target's folder.
    [[nodiscard]] bool Open(const std::string& target, std::string& error);
    int Descriptor() const { return m_fd; }
    // A name by which code that opens files by name (a library) reaches the file being written.
    std::string Path() const;
    // Flushes the file to the disk and puts it in the target's place; false, with the reason, when it cannot be.
    // The descriptor is closed either way.
    [[nodiscard]] bool Commit(std::string& error);

private:
    void Abandon();
    std::string m_target;
    std::string m_named; // the named temporary, where there is one
    int m_fd = -1;
    bool m_existed = false;
    unsigned m_mode = 0;
};

// A file only the user may read, in the system's temporary folder, for a helper process to write and this one to
// read. It has no name where the file system allows, so that nothing is left behind whatever happens to either
// process; otherwise its name carries this process's number, and a later one removes it once this one has ended.
class PrivateTemporary {
public:
    PrivateTemporary() = default;
    ~PrivateTemporary(); // the file goes
    PrivateTemporary(const PrivateTemporary&) = delete;
    PrivateTemporary& operator=(const PrivateTemporary&) = delete;

    // `prefix` starts the name a named one gets ("vantorel-dwg-"), `suffix` ends it (".dxf").
    [[nodiscard]] bool Open(const std::string& prefix, const std::string& suffix, std::string& error);
    int Descriptor() const { return m_fd; }
    // A name that reaches the file from this process while it is open.
    std::string Path() const;

private:
    int m_fd = -1;
    std::string m_named;
};

// Removes the named temporaries (files or folders) that ended processes left in `folder` under names starting with
// `prefix` followed by their process number and a dash.
void RemoveLeftovers(const std::string& folder, const std::string& prefix);

} // namespace files
