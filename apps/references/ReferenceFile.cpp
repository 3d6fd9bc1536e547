// The counted references as CSV or JSON: one line (object) a reference, in the order the report counted them.
#include "references/ReferenceList.h"

#include "bom/CensusSwitches.h"
#include "bom/ReplacingFile.h"
#include "exporters/ExportedReport.h"
#include "platform/text/CodePage.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>

namespace references {

namespace {
// The shortest text that reads back as the same double.
std::string Number(double value) {
    if (!std::isfinite(value))
        return "0";
    char buffer[64];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return error == std::errc() ? std::string(buffer, end) : std::string("0");
}

std::string Hex(std::uint64_t handle) {
    if (handle == 0)
        return {};
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "%llX", static_cast<unsigned long long>(handle));
    return buffer;
}

std::string Utf8(const std::string& text) {
    return textkit::Active().ToUtf8(text);
}

// The name of the reference's row as the report shows it.
std::string RowName(const CountedReference& reference) {
    return Utf8(vantorel::AttributedName(reference.facts->countedName, reference.facts->values));
}

std::string Degrees(double radians) {
    double degrees = radians * 180.0 / M_PI;
    // Radians read from degrees do not always come back whole: 90 stays 90.
    double whole = std::round(degrees * 1e9) / 1e9;
    return Number(whole == 0.0 ? 0.0 : whole);
}

std::string Chain(const std::vector<std::uint64_t>& chain, const char* separator) {
    std::string text;
    for (std::size_t i = 0; i < chain.size(); ++i)
        text += (i ? separator : "") + Hex(chain[i]);
    return text;
}

void CsvLines(const std::string& drawing, const ReferenceList& list, std::string& text,
              const std::function<void()>& flush) {
    for (const CountedReference& r : list.References()) {
        std::string attributes;
        const auto& all = r.facts->attributes;
        for (std::size_t a = 0; a < all.size(); ++a)
            attributes += (a ? "; " : "") + Utf8(all[a].first) + "=" + Utf8(all[a].second);
        const std::string fields[] = {drawing, Utf8(*r.layout), Hex(r.handle), Utf8(r.facts->storedName),
                                      RowName(r), Utf8(*r.layer), Number(r.position.x), Number(r.position.y),
                                      Number(r.position.z), Number(r.scale.x), Number(r.scale.y),
                                      Number(r.scale.z), Degrees(r.rotation), Chain(r.chain, " "),
                                      std::to_string(r.count), attributes};
        for (std::size_t f = 0; f < std::size(fields); ++f)
            text += (f ? "," : "") + vantorel::CsvField(fields[f]);
        text += "\r\n";
        flush();
    }
}

// Objects of the "references" array; `first` says whether none was written before.
void JsonObjects(const std::string& drawing, const ReferenceList& list, std::string& text, bool& first,
                 const std::function<void()>& flush) {
    using vantorel::JsonString;
    for (const CountedReference& r : list.References()) {
        text += first ? "\n    {" : ",\n    {";
        first = false;
        text += "\"drawing\": " + JsonString(drawing) + ", \"layout\": " + JsonString(Utf8(*r.layout)) +
                ", \"handle\": " + JsonString(Hex(r.handle)) + ", \"blockName\": " +
                JsonString(Utf8(r.facts->storedName)) + ", \"countedName\": " + JsonString(RowName(r)) +
                ", \"layer\": " + JsonString(Utf8(*r.layer)) + ", \"position\": [" + Number(r.position.x) + ", " +
                Number(r.position.y) + ", " + Number(r.position.z) + "], \"scale\": [" + Number(r.scale.x) + ", " +
                Number(r.scale.y) + ", " + Number(r.scale.z) + "], \"rotation\": " + Degrees(r.rotation) +
                ", \"nestedIn\": [";
        for (std::size_t i = 0; i < r.chain.size(); ++i)
            text += (i ? ", " : "") + JsonString(Hex(r.chain[i]));
        text += "], \"count\": " + std::to_string(r.count) + ", \"attributes\": {";
        // A tag given twice keeps its first value, the one the report counts by.
        std::vector<std::string> written;
        for (const auto& [tag, value] : r.facts->attributes) {
            std::string key = Utf8(tag);
            if (std::find(written.begin(), written.end(), key) != written.end())
                continue;
            text += (written.empty() ? "" : ", ") + JsonString(key) + ": " + JsonString(Utf8(value));
            written.push_back(key);
        }
        text += "}}";
        flush();
    }
}

bool EndsWith(const std::string& path, const char* extension) {
    std::string ending(extension);
    if (path.size() < ending.size())
        return false;
    for (std::size_t i = 0; i < ending.size(); ++i) {
        char c = path[path.size() - ending.size() + i];
        if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != ending[i])
            return false;
    }
    return true;
}
} // namespace

bool IsReferenceFileName(const std::string& path) {
    return EndsWith(path, ".csv") || EndsWith(path, ".json");
}

ReferenceFileWriter::ReferenceFileWriter(const std::string& path)
    : m_path(path), m_json(EndsWith(path, ".json")), m_file(path) {
    m_text = m_json ? "{\n  \"references\": [" : "Drawing,Layout,Handle,Block name,Counted name,Layer,X,Y,Z,X scale,"
                                                  "Y scale,Z scale,Rotation,Nested in,Count,Attributes\r\n";
}

void ReferenceFileWriter::Flush(bool always) {
    // What is written goes out in pieces of 64 KB: a list of a million references is never held whole as text.
    if (m_text.size() < (1u << 16) && !always)
        return;
    m_ok = m_ok && m_file.Stream() && std::fwrite(m_text.data(), 1, m_text.size(), m_file.Stream()) == m_text.size();
    m_text.clear();
}

void ReferenceFileWriter::Add(const std::string& drawing, const ReferenceList& list) {
    auto flush = [this] { Flush(false); };
    if (m_json)
        JsonObjects(drawing, list, m_text, m_first, flush);
    else
        CsvLines(drawing, list, m_text, flush);
}

bool ReferenceFileWriter::Commit(std::string& error) {
    if (m_json)
        m_text += m_first ? "]\n}\n" : "\n  ]\n}\n";
    Flush(true);
    if (!m_ok || !m_file.Commit()) {
        error = "cannot write " + m_path + ": " + std::strerror(errno ? errno : EIO);
        return false;
    }
    return true;
}

bool WriteReferenceFile(const std::string& path, const std::string& drawing, const ReferenceList& list,
                        std::string& error) {
    ReferenceFileWriter writer(path);
    writer.Add(drawing, list);
    return writer.Commit(error);
}

} // namespace references
