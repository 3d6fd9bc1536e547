#include "bom/CatalogLines.h"

#include "host/HostServices.h"

#include "platform/text/CodePage.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>

namespace vantorel {

namespace {
// Lines past these many that are not UTF-8 are not said one by one: a file of another kind would fill the
// command line.
constexpr int kUtf8NotesKept = 5;

// Only the name: the command line is narrow, and the user knows which catalogue they opened.
std::string FileName(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The UTF-8 rest of a catalogue in the active page, in a file of no name that goes when it is closed.
CatalogFile ConvertedToActivePage(std::FILE* file, const std::string& path) {
    std::string utf8;
    char buffer[65536];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        utf8.append(buffer, n);
    const textkit::CodePage& active = textkit::Active();
    bool escaped = false;
    std::string converted = active.FromUtf8Escaped(utf8, escaped);
    CatalogFile out(std::tmpfile(), &std::fclose);
    if (!out || std::fwrite(converted.data(), 1, converted.size(), out.get()) != converted.size() ||
        std::fflush(out.get()) != 0)
        return CatalogFile(nullptr, &std::fclose);
    std::rewind(out.get());
    acutPrintf("\n%s is UTF-8 (it starts with a byte-order mark): its text was converted to code page %d.\n",
               FileName(path).c_str(), active.Number());
    return out;
}
} // namespace

CatalogFile OpenCatalogFile(const std::string& path) {
    CatalogFile file(std::fopen(path.c_str(), "r"), &std::fclose);
    struct stat info {};
    if (file && fstat(fileno(file.get()), &info) == 0 && S_ISDIR(info.st_mode))
        file.reset();
    if (!file)
        return file;
    unsigned char mark[3] = {};
    std::size_t got = std::fread(mark, 1, sizeof mark, file.get());
    if (got == 3 && mark[0] == 0xEF && mark[1] == 0xBB && mark[2] == 0xBF)
        return textkit::Active().IsUtf8() ? std::move(file) : ConvertedToActivePage(file.get(), path);
    std::rewind(file.get());
    return file;
}

int CatalogLineReader::NextByte() {
    if (!m_carried.empty()) {
        int c = static_cast<unsigned char>(m_carried.front());
        m_carried.erase(0, 1);
        return c;
    }
    return std::getc(m_file);
}

bool CatalogLineReader::ReadPiece() {
    std::memset(m_line, 0, sizeof m_line);
    m_pieceLine = m_lineNumber;
    int count = 0;
    while (count < kLineSize - 1) {
        int c = NextByte();
        if (c == EOF)
            return true;
        // Catalogues come from Windows too: a carriage return before a line feed is part of the line end,
        // as the runtime's text mode there takes it.
        if (c == '\r') {
            int next = NextByte();
            if (next == '\n')
                c = '\n';
            else if (next != EOF)
                m_carried.insert(0, 1, static_cast<char>(next));
            else {
                m_line[count] = '\r';
                return true;
            }
        }
        m_line[count++] = static_cast<char>(c);
        if (c == '\n') {
            ++m_lineNumber;
            break;
        }
    }
    const textkit::CodePage& active = textkit::Active();
    if (count == kLineSize - 1 && active.IsUtf8()) {
        std::size_t whole = active.WholeCharacters(std::string_view(m_line, static_cast<std::size_t>(count)));
        m_carried.insert(0, m_line + whole, static_cast<std::size_t>(count) - whole);
        std::memset(m_line + whole, 0, static_cast<std::size_t>(count) - whole);
    }
    return false;
}

void CatalogLineReader::TellIfNotUtf8() {
    if (!textkit::Active().IsUtf8() || m_told > kUtf8NotesKept)
        return;
    std::string_view line(m_line);
    std::size_t bad = textkit::FirstInvalidUtf8(line);
    if (bad == std::string_view::npos)
        return;
    if (++m_told > kUtf8NotesKept) {
        acutPrintf("\n%s: more lines are not UTF-8 text.\n", FileName(m_name).c_str());
        return;
    }
    acutPrintf("\n%s, line %ld: not UTF-8 text (byte 0x%02X at byte %zu): save the catalogue as UTF-8.\n",
               FileName(m_name).c_str(), m_pieceLine, static_cast<unsigned>(static_cast<unsigned char>(line[bad])),
               bad + 1);
}

void CatalogLineReader::SplitFields() {
    TellIfNotUtf8();
    std::memset(m_fields, 0, sizeof m_fields);
    // The last character goes, whatever it is; the line is a C string, so a NUL in it ends it there.
    std::size_t length = std::strlen(m_line);
    if (length > 0) {
        const textkit::CodePage& active = textkit::Active();
        std::size_t last = active.IsUtf8() ? active.PreviousBoundary(std::string_view(m_line, length), length)
                                           : length - 1;
        m_line[last] = '\0';
    }
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
