// The counted references as CSV or JSON: one line (object) a reference, in the order the report counted them.
#include "references/ReferenceList.h"

#include "bom/CensusSwitches.h"
#include "bom/ReplacingFile.h"
#include "exporters/ExportedReport.h"
#include "platform/text/CodePage.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

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

// What is written goes out in pieces of 64 KB: a list of a million references is never held whole as text.
class Sink {
public:
    explicit Sink(std::FILE* file) : m_file(file) {}
    std::string text;
    void Flush(bool always = false) {
        if (text.size() < (1u << 16) && !always)
            return;
        m_ok = m_ok && std::fwrite(text.data(), 1, text.size(), m_file) == text.size();
        text.clear();
    }
    bool Ok() const { return m_ok; }

private:
    std::FILE* m_file;
    bool m_ok = true;
};

void Csv(std::span<const DrawingReferences> drawings, Sink& sink) {
    std::string& text = sink.text;
    text = "Drawing,Layout,Handle,Block name,Counted name,Layer,X,Y,Z,X scale,Y scale,Z scale,Rotation,"
                       "Nested in,Count,Attributes\r\n";
    for (const DrawingReferences& drawing : drawings) {
        for (const CountedReference& r : drawing.list.References()) {
            std::string attributes;
            const auto& all = r.facts->attributes;
            for (std::size_t a = 0; a < all.size(); ++a)
                attributes += (a ? "; " : "") + Utf8(all[a].first) + "=" + Utf8(all[a].second);
            const std::string fields[] = {drawing.drawing, Utf8(*r.layout), Hex(r.handle), Utf8(r.facts->storedName),
                                          RowName(r), Utf8(*r.layer), Number(r.position.x), Number(r.position.y),
                                          Number(r.position.z), Number(r.scale.x), Number(r.scale.y),
                                          Number(r.scale.z), Degrees(r.rotation), Chain(r.chain, " "),
                                          std::to_string(r.count), attributes};
            for (std::size_t f = 0; f < std::size(fields); ++f)
                text += (f ? "," : "") + vantorel::CsvField(fields[f]);
            text += "\r\n";
            sink.Flush();
        }
    }
}

void Json(std::span<const DrawingReferences> drawings, Sink& sink) {
    using vantorel::JsonString;
    std::string& text = sink.text;
    text = "{\n  \"references\": [";
    bool first = true;
    for (const DrawingReferences& drawing : drawings) {
        for (const CountedReference& r : drawing.list.References()) {
            text += first ? "\n    {" : ",\n    {";
            first = false;
            text += "\"drawing\": " + JsonString(drawing.drawing) + ", \"layout\": " + JsonString(Utf8(*r.layout)) +
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
                bool again = false;
                for (const std::string& seen : written)
                    again = again || seen == key;
                if (again)
                    continue;
                text += (written.empty() ? "" : ", ") + JsonString(key) + ": " + JsonString(Utf8(value));
                written.push_back(key);
            }
            text += "}}";
            sink.Flush();
        }
    }
    text += first ? "]\n}\n" : "\n  ]\n}\n";
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

bool WriteReferenceFile(const std::string& path, std::span<const DrawingReferences> drawings, std::string& error) {
    vantorel::ReplacingFile file(path);
    if (!file.Stream()) {
        error = "cannot write " + path + ": " + std::strerror(errno ? errno : EIO);
        return false;
    }
    Sink sink(file.Stream());
    if (EndsWith(path, ".json"))
        Json(drawings, sink);
    else
        Csv(drawings, sink);
    sink.Flush(true);
    if (!sink.Ok() || !file.Commit()) {
        error = "cannot write " + path + ": " + std::strerror(errno ? errno : EIO);
        return false;
    }
    return true;
}

} // namespace references
