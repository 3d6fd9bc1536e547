#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace vantorel {

using CatalogFile = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;
// The catalogue opened for reading in text mode; null when it cannot be. A folder opens on this system but
// holds no lines: to the user it is a file that cannot be opened.
[[nodiscard]] CatalogFile OpenCatalogFile(const std::string& path);

// The lines of a catalogue file as both of its readers have always taken them: pieces of at most 999
// characters read as the C runtime's fgets reads them into 1000 bytes, the last character of each piece
// dropped (normally its line feed), and up to three fields split at vertical bars.
class CatalogLineReader {
public:
    static constexpr int kLineSize = 1000;
    static constexpr int kFieldSize = 1001;

    explicit CatalogLineReader(std::FILE* file) : m_file(file) {}
    CatalogLineReader(const CatalogLineReader&) = delete;
    CatalogLineReader& operator=(const CatalogLineReader&) = delete;

    // The next line's fields. False once a read has met the end of the file: a last line that has no line
    // end is read together with the end and is therefore not taken.
    [[nodiscard]] bool Next();
    // Field 0 the block name, 1 the price, 2 the description; empty where the line does not reach.
    const char* Field(int index) const { return m_fields[index]; }

private:
    // Reads one piece into m_line; true when the read met the end of the file.
    bool ReadPiece();
    void SplitFields();

    std::FILE* m_file;
    bool m_started = false;
    bool m_atEnd = false;
    char m_line[kLineSize] = {};
    char m_fields[3][kFieldSize] = {};
};

} // namespace vantorel
