#pragma once

// Random drawings for property tests: sections of any size from empty up, entities of every kind the reader
// tells apart (with attribute and vertex followers, paper space, extended data, texts that look like structure),
// in R12 or R2000 form, LF or CR LF, and now and then a fault of the kinds real files carry.

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace dxftest {

struct GeneratedSizes {
    std::size_t entities = 0; // bytes, roughly: the section grows until it passes this
    std::size_t blocks = 0;
    std::size_t objects = 0;
};

enum class Fault {
    None,
    BadReal,       // a real that is not a number
    BadCode,       // a group code that is not a number
    LostLine,      // one line gone: every later code and value trade places
    ExtraLine,     // a raw line break inside a text value
    MissingSeqend, // an INSERT's attributes without their SEQEND
    StrayEndblk,   // an ENDBLK among the entities
    Truncated,     // the file ends anywhere
};

struct GeneratedDrawing {
    std::string text;
    Fault fault = Fault::None;
    std::size_t faultAt = 0; // byte of the fault
};

class DxfGenerator {
public:
    explicit DxfGenerator(std::uint32_t seed) : m_random(seed) {}

    GeneratedDrawing Make(const GeneratedSizes& sizes, bool r12, bool crlf, Fault fault) {
        m_out.clear();
        m_r12 = r12;
        m_handle = 0x100;
        m_blockNames.clear();
        int blockCount = 1 + Below(12);
        for (int i = 0; i < blockCount; ++i)
            m_blockNames.push_back("B" + std::to_string(i));
        Header();
        Tables();
        Section("BLOCKS");
        Block("*Model_Space", 0);
        Block("*Paper_Space", 0);
        std::size_t blocksEnd = m_out.size() + sizes.blocks;
        for (std::size_t i = 0; i < m_blockNames.size(); ++i)
            Block(m_blockNames[i], i + 1 == m_blockNames.size() ? blocksEnd : m_out.size() + sizes.blocks / blockCount);
        Tag(0, "ENDSEC");
        Section("ENTITIES");
        std::size_t entitiesEnd = m_out.size() + sizes.entities;
        while (m_out.size() < entitiesEnd)
            Entity(true);
        Tag(0, "ENDSEC");
        if (!m_r12)
            Objects(sizes.objects);
        Tag(0, "EOF");
        GeneratedDrawing drawing;
        drawing.fault = fault;
        drawing.text = std::move(m_out);
        Damage(drawing);
        if (crlf)
            drawing.text = WithCrLf(drawing.text);
        return drawing;
    }

    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }
    std::mt19937& Random() { return m_random; }

private:
    void Code(int code) {
        // Most writers right-align codes in three columns; some do not pad at all.
        std::string text = std::to_string(code);
        if (m_padded && text.size() < 3)
            m_out.append(3 - text.size(), ' ');
        m_out += text;
        m_out += '\n';
    }
    void Tag(int code, const std::string& value) {
        Code(code);
        m_out += value;
        m_out += '\n';
    }
    void Real(int code, double value) {
        char buffer[40];
        std::snprintf(buffer, sizeof buffer, Below(4) == 0 ? "%.17g" : "%.4f", value);
        Tag(code, buffer);
    }
    void Point(int code) {
        Real(code, Coordinate());
        Real(code + 10, Coordinate());
        if (Below(2))
            Real(code + 20, 0.0);
    }
    double Coordinate() { return std::uniform_real_distribution<double>(-1e4, 1e4)(m_random); }
    void Handle() {
        if (!m_r12)
            Tag(5, Hex(m_handle++));
    }
    static std::string Hex(std::uint64_t value) {
        char buffer[20];
        std::snprintf(buffer, sizeof buffer, "%llX", static_cast<unsigned long long>(value));
        return buffer;
    }
    void Section(const char* name) {
        Tag(0, "SECTION");
        Tag(2, name);
    }

    void Header() {
        m_padded = Below(5) != 0;
        Section("HEADER");
        Tag(9, "$ACADVER");
        Tag(1, m_r12 ? "AC1009" : "AC1015");
        Tag(9, "$HANDSEED");
        Tag(5, "FFFFFF");
        Tag(9, "$INSUNITS");
        Tag(70, "4");
        Tag(0, "ENDSEC");
    }

    void Tables() {
        Section("TABLES");
        Table("LAYER", {"0", "Walls", "0 ENDSEC"});
        Table("STYLE", {"Standard", "Notes"});
        if (!m_r12) {
            std::vector<std::string> records{"*Model_Space", "*Paper_Space"};
            records.insert(records.end(), m_blockNames.begin(), m_blockNames.end());
            Table("BLOCK_RECORD", records);
        }
        Tag(0, "ENDSEC");
    }

    void Table(const char* name, const std::vector<std::string>& records) {
        Tag(0, "TABLE");
        Tag(2, name);
        Handle();
        Tag(70, std::to_string(records.size()));
        for (const std::string& record : records) {
            Tag(0, name);
            Handle();
            Tag(2, record);
            Tag(70, "0");
            if (std::string(name) == "STYLE") {
                Real(40, 0.0);
                Real(41, 1.0);
                Tag(3, "txt");
            }
        }
        Tag(0, "ENDTAB");
    }

    void Block(const std::string& name, std::size_t until) {
        Tag(0, "BLOCK");
        Handle();
        Tag(8, "0");
        Tag(2, name);
        Tag(70, Below(3) == 0 ? "2" : "0");
        Point(10);
        Tag(3, name);
        while (m_out.size() < until)
            Entity(false);
        Tag(0, "ENDBLK");
        Handle();
        Tag(8, "0");
    }

    void Common(bool paper) {
        Handle();
        Tag(8, Below(4) == 0 ? "Walls" : "0");
        if (Below(5) == 0)
            Tag(62, std::to_string(Below(256)));
        if (paper)
            Tag(67, "1");
    }

    void XData() {
        Tag(1001, "VANTOREL_TEST");
        Tag(1000, Below(2) ? "note" : "ENDSEC");
        Real(1040, Coordinate());
        Tag(1070, std::to_string(Below(100)));
    }

    void Entity(bool inEntities) {
        bool paper = inEntities && Below(10) == 0;
        switch (Below(12)) {
        case 0:
        case 1:
            Tag(0, "LINE");
            Common(paper);
            Point(10);
            Point(11);
            break;
        case 2:
            Tag(0, "CIRCLE");
            Common(paper);
            Point(10);
            Real(40, 1.5);
            break;
        case 3:
            Tag(0, "ARC");
            Common(paper);
            Point(10);
            Real(40, 2.0);
            Real(50, 10.0);
            Real(51, 200.0);
            break;
        case 4:
            // Texts whose values look like structure: a code, a section's end, a group 0.
            Tag(0, "TEXT");
            Common(paper);
            Point(10);
            Real(40, 2.5);
            Tag(1, Below(3) == 0 ? "ENDSEC" : Below(2) ? "0" : "hello world");
            Tag(7, Below(2) ? "Notes" : "NOSTYLE");
            if (Below(2))
                Tag(72, std::to_string(Below(6)));
            break;
        case 5:
            Tag(0, "MTEXT");
            Common(paper);
            Point(10);
            Tag(1, "{\\Ftxt;two}\\Plines");
            break;
        case 6:
            if (m_r12) {
                Polyline(paper);
                break;
            }
            Tag(0, "LWPOLYLINE");
            Common(paper);
            Tag(90, "3");
            Tag(70, std::to_string(Below(2)));
            for (int i = 0; i < 3; ++i) {
                Real(10, Coordinate());
                Real(20, Coordinate());
            }
            break;
        case 7:
            Polyline(paper);
            break;
        case 8:
        case 9:
            Insert(paper);
            break;
        case 10:
            Tag(0, "HATCH");
            Common(paper);
            Tag(2, "SOLID");
            Tag(70, "1");
            Tag(91, "0");
            break;
        default:
            Tag(0, "POINT");
            Common(paper);
            Point(10);
            XData();
            break;
        }
    }

    void Polyline(bool paper) {
        Tag(0, "POLYLINE");
        Common(paper);
        Tag(66, "1");
        Tag(70, std::to_string(Below(2)));
        int vertices = Below(5);
        for (int i = 0; i < vertices; ++i) {
            Tag(0, "VERTEX");
            Common(paper);
            Point(10);
        }
        Tag(0, "SEQEND");
        Common(paper);
    }

    void Insert(bool paper) {
        Tag(0, "INSERT");
        Common(paper);
        bool attributes = Below(3) == 0;
        if (attributes)
            Tag(66, "1");
        Tag(2, Below(20) == 0 ? "UNDEFINED" : m_blockNames[static_cast<std::size_t>(Below(static_cast<int>(m_blockNames.size())))]);
        Point(10);
        if (Below(3) == 0) {
            Tag(70, std::to_string(1 + Below(3)));
            Tag(71, std::to_string(1 + Below(3)));
            Real(44, 1.0);
            Real(45, 2.0);
        }
        if (Below(4) == 0)
            XData();
        if (!attributes)
            return;
        int count = Below(4);
        for (int i = 0; i < count; ++i) {
            Tag(0, "ATTRIB");
            Common(paper);
            Point(10);
            Real(40, 1.0);
            Tag(1, "value " + std::to_string(i));
            Tag(2, "TAG" + std::to_string(i));
            Tag(70, "0");
        }
        Tag(0, "SEQEND");
        Common(paper);
    }

    void Objects(std::size_t size) {
        Section("OBJECTS");
        Tag(0, "DICTIONARY");
        Handle();
        Tag(3, "ACAD_GROUP");
        Tag(350, Hex(0x80));
        std::size_t until = m_out.size() + size;
        while (m_out.size() < until) {
            Tag(0, "XRECORD");
            Handle();
            Tag(102, "{ACAD_REACTORS");
            Tag(330, "80");
            Tag(102, "}");
            Tag(100, "AcDbXrecord");
            int count = 4 + Below(20);
            for (int i = 0; i < count; ++i) {
                if (Below(3) == 0)
                    Tag(1, Below(2) ? "0" : "ENDSEC");
                else
                    Real(40, Coordinate());
            }
        }
        Tag(0, "ENDSEC");
    }

    static std::string WithCrLf(const std::string& text) {
        std::string out;
        out.reserve(text.size() + text.size() / 8);
        for (char c : text) {
            if (c == '\n')
                out += '\r';
            out += c;
        }
        return out;
    }

    // The start of a line at or after `at`.
    static std::size_t LineStart(const std::string& text, std::size_t at) {
        std::size_t found = text.find('\n', at);
        return found == std::string::npos ? text.size() : found + 1;
    }

    void Damage(GeneratedDrawing& drawing) {
        std::string& text = drawing.text;
        if (drawing.fault == Fault::None || text.size() < 64)
            return;
        std::size_t at = std::uniform_int_distribution<std::size_t>(0, text.size() - 1)(m_random);
        auto findFrom = [&](const char* what) {
            std::size_t found = text.find(what, at);
            return found != std::string::npos ? found : text.find(what);
        };
        switch (drawing.fault) {
        case Fault::BadReal: {
            std::size_t found = findFrom("\n 10");
            if (found == std::string::npos)
                return;
            std::size_t value = LineStart(text, found + 1);
            text.insert(value, "x");
            drawing.faultAt = value;
            break;
        }
        case Fault::BadCode: {
            std::size_t line = LineStart(text, at);
            drawing.faultAt = line;
            text.insert(line, "#");
            break;
        }
        case Fault::LostLine: {
            std::size_t line = LineStart(text, at);
            std::size_t end = LineStart(text, line);
            drawing.faultAt = line;
            text.erase(line, end - line);
            break;
        }
        case Fault::ExtraLine: {
            std::size_t found = findFrom("hello world");
            if (found == std::string::npos)
                return;
            drawing.faultAt = found;
            text.replace(found + 5, 1, "\n");
            break;
        }
        case Fault::MissingSeqend: {
            std::size_t found = findFrom("SEQEND");
            if (found == std::string::npos)
                return;
            // From the SEQEND's group code up to the next group 0.
            std::size_t code = text.rfind('\n', found - 2);
            std::size_t next = text.find("\n  0\n", found);
            if (code == std::string::npos || next == std::string::npos || !m_padded)
                return;
            drawing.faultAt = code + 1;
            text.erase(code + 1, next - code);
            break;
        }
        case Fault::StrayEndblk: {
            std::size_t found = text.find("ENTITIES");
            std::size_t entity = found == std::string::npos ? found : text.find(m_padded ? "\n  0\n" : "\n0\n", std::max(found, at));
            if (entity == std::string::npos)
                return;
            drawing.faultAt = entity + 1;
            text.insert(entity + 1, m_padded ? "  0\nENDBLK\n  8\n0\n" : "0\nENDBLK\n8\n0\n");
            break;
        }
        case Fault::Truncated:
            drawing.faultAt = at;
            text.resize(at);
            break;
        case Fault::None:
            break;
        }
    }

    std::mt19937 m_random;
    std::string m_out;
    bool m_r12 = false;
    bool m_padded = true;
    std::uint64_t m_handle = 0x100;
    std::vector<std::string> m_blockNames;
};

} // namespace dxftest
