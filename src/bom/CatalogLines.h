#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace vantorel {

using CatalogFile = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;
// The catalogue opened for reading in text mode; null when it cannot be. A folder opens on this system but
// holds no lines: to the user it is a file that cannot be opened. A catalogue that starts with a UTF-8
// byte-order mark is UTF-8 whatever the active code page: the mark is passed over and, in any other page, the
// text is read converted to it (a character the page cannot hold as "\U+XXXX", as drawings have it), which
// the command line is told once.
[[nodiscard]] CatalogFile OpenCatalogFile(const std::string& path);

// The lines of a catalogue file as both of its readers have always taken them: pieces of at most 999
// characters read as the C runtime's fgets reads them into 1000 bytes, the last character of each piece
// dropped (normally its line feed), and up to three fields split at vertical bars. With UTF-8 active a piece
// ends before a character it would cut and drops its last character whole; a line that is not UTF-8 is said
// on the command line with its number (`name` the file's).
class CatalogLineReader {
public:
    static constexpr int kLineSize = 1000;
    static constexpr int kFieldSize = 1001;

    explicit CatalogLineReader(std::FILE* file, std::string name = {}) : m_file(file), m_name(std::move(name)) {}
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
    int NextByte();
    void SplitFields();
    void TellIfNotUtf8();

    std::FILE* m_file;
    std::string m_name;
    std::string m_carried; // the start of a character a full piece would have cut, for the next piece
    long m_lineNumber = 1;  // of the next piece's first byte
    long m_pieceLine = 1;   // of the piece in m_line
    int m_told = 0;
    bool m_started = false;
    bool m_atEnd = false;
    char m_line[kLineSize] = {};
    char m_fields[3][kFieldSize] = {};
};

} // namespace vantorel
