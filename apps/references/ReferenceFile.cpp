// The counted references as CSV or JSON: one line (object) a reference, in the order the report counted them.
#include "references/ReferenceList.h"

#include "bom/CensusSwitches.h"
#include "exporters/ExportedReport.h"
#include "platform/text/CodePage.h"

#include <charconv>
#include <cmath>
#include <cstdio>

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
    return Utf8(vantorel::AttributedName(reference.countedName, reference.values));
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

std::string Csv(const std::vector<DrawingReferences>& drawings) {
    std::string text = "Drawing,Layout,Handle,Block name,Counted name,Layer,X,Y,Z,X scale,Y scale,Z scale,Rotation,"
                       "Nested in,Count,Attributes\r\n";
    for (const DrawingReferences& drawing : drawings) {
        for (const CountedReference& r : drawing.references) {
            std::string attributes;
            for (std::size_t a = 0; a < r.attributes.size(); ++a)
                attributes += (a ? "; " : "") + Utf8(r.attributes[a].first) + "=" + Utf8(r.attributes[a].second);
            const std::string fields[] = {drawing.drawing, Utf8(r.layout), Hex(r.handle), Utf8(r.storedName),
                                          RowName(r), Utf8(r.layer), Number(r.position.x), Number(r.position.y),
                                          Number(r.position.z), Number(r.scale.x), Number(r.scale.y),
                                          Number(r.scale.z), Degrees(r.rotation), Chain(r.chain, " "),
                                          std::to_string(r.count), attributes};
            for (std::size_t f = 0; f < std::size(fields); ++f)
                text += (f ? "," : "") + vantorel::CsvField(fields[f]);
            text += "\r\n";
        }
    }
    return text;
}

std::string Json(const std::vector<DrawingReferences>& drawings) {
    using vantorel::JsonString;
    std::string text = "{\n  \"references\": [";
    bool first = true;
    for (const DrawingReferences& drawing : drawings) {
        for (const CountedReference& r : drawing.references) {
            text += first ? "\n    {" : ",\n    {";
            first = false;
            text += "\"drawing\": " + JsonString(drawing.drawing) + ", \"layout\": " + JsonString(Utf8(r.layout)) +
                    ", \"handle\": " + JsonString(Hex(r.handle)) + ", \"blockName\": " +
                    JsonString(Utf8(r.storedName)) + ", \"countedName\": " + JsonString(RowName(r)) +
                    ", \"layer\": " + JsonString(Utf8(r.layer)) + ", \"position\": [" + Number(r.position.x) + ", " +
                    Number(r.position.y) + ", " + Number(r.position.z) + "], \"scale\": [" + Number(r.scale.x) + ", " +
                    Number(r.scale.y) + ", " + Number(r.scale.z) + "], \"rotation\": " + Degrees(r.rotation) +
                    ", \"nestedIn\": [";
            for (std::size_t i = 0; i < r.chain.size(); ++i)
                text += (i ? ", " : "") + JsonString(Hex(r.chain[i]));
            text += "], \"count\": " + std::to_string(r.count) + ", \"attributes\": {";
            // A tag given twice keeps its first value, the one the report counts by.
            std::vector<std::string> written;
            for (const auto& [tag, value] : r.attributes) {
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
        }
    }
    text += first ? "]\n}\n" : "\n  ]\n}\n";
    return text;
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

bool WriteReferenceFile(const std::string& path, const std::vector<DrawingReferences>& drawings, std::string& error) {
    return vantorel::WriteWholeFile(path, EndsWith(path, ".json") ? Json(drawings) : Csv(drawings), error);
}

} // namespace references
