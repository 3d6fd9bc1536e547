#include "bom/CatalogLines.h"

#include <sys/stat.h>

#include <cstring>

namespace vantorel {

CatalogFile OpenCatalogFile(const std::string& path) {
    CatalogFile file(std::fopen(path.c_str(), "r"), &std::fclose);
    struct stat info {};
    if (file && fstat(fileno(file.get()), &info) == 0 && S_ISDIR(info.st_mode))
        file.reset();
    return file;
}

bool CatalogLineReader::ReadPiece() {
    std::memset(m_line, 0, sizeof m_line);
    int count = 0;
    while (count < kLineSize - 1) {
        int c = std::getc(m_file);
        if (c == EOF)
            return true;
        // Catalogues come from Windows too: a carriage return before a line feed is part of the line end,
        // as the runtime's text mode there takes it.
        if (c == '\r') {
            int next = std::getc(m_file);
            if (next == '\n')
                c = '\n';
            else if (next != EOF)
                std::ungetc(next, m_file);
            else {
                m_line[count] = '\r';
                return true;
            }
        }
        m_line[count++] = static_cast<char>(c);
        if (c == '\n')
            break;
    }
    return false;
}

void CatalogLineReader::SplitFields() {
    std::memset(m_fields, 0, sizeof m_fields);
    // The last character goes, whatever it is; the line is a C string, so a NUL in it ends it there.
    std::size_t length = std::strlen(m_line);
    if (length > 0)
        m_line[length - 1] = '\0';
    const char* at = m_line;
    for (int field = 0; field < 3; ++field) {
        int n = 0;
        while (*at != '\0' && *at != '|' && *at != '\n' && n < kFieldSize - 1)
            m_fields[field][n++] = *at++;
        if (*at != '|')
            break;
        ++at;
    }
}

bool CatalogLineReader::Next() {
    if (!m_started) {
        m_started = true;
        m_atEnd = ReadPiece();
    }
    if (m_atEnd)
        return false;
    SplitFields();
    m_atEnd = ReadPiece();
    return true;
}

} // namespace vantorel
