// The report as CSV and as JSON: text formats every other program reads.
#include "exporters/ExportedReport.h"

#include "bom/ReplacingFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace vantorel {

bool WriteWholeFile(const std::string& path, const std::string& text, std::string& error) {
    ReplacingFile file(path);
    if (!file.Stream() || std::fwrite(text.data(), 1, text.size(), file.Stream()) != text.size() || !file.Commit()) {
        error = "cannot write " + path + ": " + std::strerror(errno ? errno : EIO);
        return false;
    }
    return true;
}

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c;
        if (c == '"')
            quoted += '"';
    }
    return quoted + "\"";
}

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
                out += escape;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

bool WriteCsv(const std::string& path, const ExportedReport& report, std::string& error) {
    std::string text;
    auto line = [&text](const std::vector<std::string>& fields) {
        for (std::size_t i = 0; i < fields.size(); ++i)
            text += (i ? "," : "") + CsvField(fields[i]);
        text += "\r\n";
    };
    std::vector<std::string> heading = ExportHeadings(report);
    line(heading);
    for (const ExportedRow& row : report.rows) {
        std::vector<std::string> fields{row.blockName};
        for (std::size_t t = 0; t < report.switches.attributeTags.size(); ++t)
            fields.push_back(t < row.attributes.size() ? row.attributes[t] : std::string());
        if (report.showPrice)
            fields.push_back(FormatMoney(row.itemPrice));
        fields.push_back(std::to_string(row.quantity));
        for (std::size_t c = 0; c < report.columns.size(); ++c)
            fields.push_back(std::to_string(c < row.quantities.size() ? row.quantities[c] : 0));
        fields.push_back(row.description);
        if (report.showPrice)
            fields.push_back(FormatMoney(row.total));
        line(fields);
    }
    if (report.hasSummary) {
        std::vector<std::string> fields(heading.size());
        fields.front() = "Summary:";
        fields.back() = FormatMoney(report.summary);
        line(fields);
    }
    return WriteWholeFile(path, text, error);
}

bool WriteJson(const std::string& path, const ExportedReport& report, std::string& error) {
    const CensusSwitches& s = report.switches;
    std::string text = "{\n";
    text += "  \"catalog\": " + (report.catalog.empty() ? std::string("null") : JsonString(report.catalog)) + ",\n";
    text += "  \"drawings\": [";
    for (std::size_t d = 0; d < report.drawings.size(); ++d)
        text += (d ? ", " : "") + JsonString(report.drawings[d]);
    text += "],\n";
    text += std::string("  \"switches\": {\"names\": ") + (s.effectiveNames ? "\"effective\"" : "\"stored\"") +
            ", \"nested\": " + (s.nested ? "true" : "false") + ", \"minsert\": " + (s.grids ? "true" : "false") +
            ", \"skipTables\": " + (s.skipTables ? "true" : "false") +
            ", \"keyAttribute\": " + JsonString(s.keyAttribute) + ", \"attributes\": [";
    for (std::size_t t = 0; t < s.attributeTags.size(); ++t)
        text += (t ? ", " : "") + JsonString(s.attributeTags[t]);
    text += "]},\n";
    if (!report.columns.empty())
        text += "  \"columnsBy\": " + JsonString(report.columnsBy) + ",\n";
    text += std::string("  \"showPrice\": ") + (report.showPrice ? "true" : "false") + ",\n";
    text += "  \"rows\": [";
    for (std::size_t r = 0; r < report.rows.size(); ++r) {
        const ExportedRow& row = report.rows[r];
        text += (r ? ",\n    {" : "\n    {");
        text += "\"blockName\": " + JsonString(row.blockName);
        if (!s.attributeTags.empty()) {
            text += ", \"attributes\": {";
            for (std::size_t t = 0; t < s.attributeTags.size(); ++t)
                text += (t ? ", " : "") + JsonString(s.attributeTags[t]) + ": " +
                        JsonString(t < row.attributes.size() ? row.attributes[t] : std::string());
            text += "}";
        }
        if (report.showPrice)
            text += ", \"itemPrice\": " + FormatMoney(row.itemPrice);
        text += ", \"quantity\": " + std::to_string(row.quantity);
        if (!report.columns.empty()) {
            text += ", \"quantities\": {";
            for (std::size_t c = 0; c < report.columns.size(); ++c)
                text += (c ? ", " : "") + JsonString(report.columns[c]) + ": " +
                        std::to_string(c < row.quantities.size() ? row.quantities[c] : 0);
            text += "}";
        }
        text += ", \"description\": " + JsonString(row.description);
        if (report.showPrice)
            text += ", \"total\": " + FormatMoney(row.total);
        text += "}";
    }
    text += report.rows.empty() ? "],\n" : "\n  ],\n";
    text += "  \"summary\": " + (report.hasSummary ? "{\"total\": " + FormatMoney(report.summary) + "}" : std::string("null")) +
            "\n}\n";
    return WriteWholeFile(path, text, error);
}

} // namespace vantorel
