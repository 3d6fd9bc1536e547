#include "catalog/SheetReader.h"

#include "platform/text/CodePage.h"

#include <pugixml.hpp>
#include <zip.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace catalog {

namespace {

// An element's name without its namespace prefix: workbooks written by other programs prefix them ("x:row").
const char* Local(const pugi::xml_node& node) {
    const char* name = node.name();
    const char* colon = std::strrchr(name, ':');
    return colon ? colon + 1 : name;
}

pugi::xml_node Child(const pugi::xml_node& node, const char* name) {
    for (pugi::xml_node child : node.children())
        if (std::strcmp(Local(child), name) == 0)
            return child;
    return {};
}

// Every text element's text below `node`: a rich-text string is runs of them.
std::string Texts(const pugi::xml_node& node) {
    std::string text;
    for (pugi::xml_node child : node.children()) {
        if (std::strcmp(Local(child), "t") == 0)
            text += child.text().get();
        else if (std::strcmp(Local(child), "rPh") != 0) // phonetic guides are not part of the text
            text += Texts(child);
    }
    return text;
}

// The shortest decimal text of a number as the workbook stores it ("12.300000000000001" is 12.3).
std::string NumberText(const char* stored) {
    char* end = nullptr;
    double value = std::strtod(stored, &end);
    if (end == stored || *end != '\0' || !std::isfinite(value))
        return stored;
    char buffer[64];
    auto [last, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return error == std::errc() ? std::string(buffer, last) : std::string(stored);
}

class Archive {
public:
    bool Open(std::string_view bytes, std::string& error) {
        zip_error_t zipError;
        zip_error_init(&zipError);
        zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &zipError);
        if (source)
            m_zip = zip_open_from_source(source, ZIP_RDONLY, &zipError);
        if (!m_zip) {
            if (source)
                zip_source_free(source);
            error = "it is no XLSX workbook (not a zip archive: " + std::string(zip_error_strerror(&zipError)) + ")";
        }
        zip_error_fini(&zipError);
        return m_zip != nullptr;
    }
    ~Archive() {
        if (m_zip)
            zip_discard(m_zip);
    }
    // False, with the reason, when the part is missing, too big or damaged; `missing` tells the first.
    bool Read(const std::string& name, std::string& bytes, std::string& error, bool* missing = nullptr) {
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat(m_zip, name.c_str(), 0, &stat) != 0) {
            if (missing)
                *missing = true;
            error = "the workbook has no " + name;
            return false;
        }
        if (!(stat.valid & ZIP_STAT_SIZE) || stat.size > kMostWorkbookPart) {
            error = name + " is larger than " + std::to_string(kMostWorkbookPart >> 20) + " MB unpacked";
            return false;
        }
        zip_file_t* file = zip_fopen(m_zip, name.c_str(), 0);
        bytes.assign(static_cast<std::size_t>(stat.size), '\0');
        zip_int64_t got = file ? zip_fread(file, bytes.data(), stat.size) : -1;
        if (file)
            zip_fclose(file);
        if (got < 0 || static_cast<zip_uint64_t>(got) != stat.size) {
            error = name + " cannot be unpacked: the workbook is damaged";
            return false;
        }
        return true;
    }

private:
    zip_t* m_zip = nullptr;
};

bool Parse(pugi::xml_document& document, const std::string& bytes, const std::string& name, std::string& error) {
    pugi::xml_parse_result parsed = document.load_buffer(bytes.data(), bytes.size());
    if (!parsed)
        error = name + " is not well-formed XML (" + parsed.description() + " at byte " +
                std::to_string(parsed.offset) + ")";
    return static_cast<bool>(parsed);
}

// "B7": column 1, row 7; false for anything else.
bool CellAddress(const char* reference, std::size_t& column, std::size_t& row) {
    const char* p = reference;
    column = 0;
    std::size_t letters = 0;
    for (; *p >= 'A' && *p <= 'Z' && letters < 3; ++p, ++letters)
        column = column * 26 + static_cast<std::size_t>(*p - 'A' + 1);
    row = 0;
    std::size_t digits = 0;
    for (; *p >= '0' && *p <= '9' && digits < 7; ++p, ++digits)
        row = row * 10 + static_cast<std::size_t>(*p - '0');
    if (letters == 0 || digits == 0 || *p != '\0' || row == 0)
        return false;
    --column;
    return true;
}

// The sheet's part of the workbook, "xl/worksheets/sheet1.xml", from a relationship's target: relative to xl/, or
// from the archive's root when it starts with "/".
std::string PartOf(std::string target) {
    if (!target.empty() && target[0] == '/')
        return target.substr(1);
    while (target.rfind("./", 0) == 0)
        target.erase(0, 2);
    return "xl/" + target;
}

} // namespace

std::string ColumnLetters(std::size_t column) {
    std::string letters;
    for (std::size_t c = column + 1; c > 0; c = (c - 1) / 26)
        letters.insert(letters.begin(), static_cast<char>('A' + (c - 1) % 26));
    return letters;
}

bool ReadCsv(std::string_view bytes, Sheet& sheet, std::string& error) {
    sheet = Sheet{};
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    std::string checked;
    if (!textkit::CodePage::Utf8().FromUtf8(bytes, checked)) {
        error = "it is not UTF-8 text: save it as CSV UTF-8";
        return false;
    }
    std::size_t firstEnd = bytes.find_first_of("\r\n");
    // The separator is the one the first line has more of outside quotes.
    std::size_t commas = 0;
    std::size_t semicolons = 0;
    bool inQuotes = false;
    for (char c : bytes.substr(0, firstEnd)) {
        inQuotes = c == '"' ? !inQuotes : inQuotes;
        commas += !inQuotes && c == ',' ? 1 : 0;
        semicolons += !inQuotes && c == ';' ? 1 : 0;
    }
    char separator = semicolons > commas ? ';' : ',';
    if (firstEnd != std::string_view::npos)
        sheet.lineEnd = bytes.substr(firstEnd, 2) == "\r\n" ? "\r\n" : "\n";
    std::vector<std::string> record;
    std::string field;
    bool quoted = false;
    bool inRecord = false;
    std::size_t quoteOpenedOn = 0;
    std::size_t line = 1;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char c = bytes[i];
        inRecord = true;
        if (quoted) {
            if (c == '"' && i + 1 < bytes.size() && bytes[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                line += c == '\n' ? 1 : 0;
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
            quoteOpenedOn = line;
        } else if (c == separator) {
            record.push_back(std::move(field));
            field.clear();
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
            ++line;
            record.push_back(std::move(field));
            field.clear();
            sheet.rows.push_back(std::move(record));
            record.clear();
            inRecord = false;
        } else {
            field += c;
        }
    }
    if (quoted) {
        error = "the quote opened on line " + std::to_string(quoteOpenedOn) + " is not closed";
        return false;
    }
    sheet.lastLineEnded = !inRecord;
    if (inRecord) {
        record.push_back(std::move(field));
        sheet.rows.push_back(std::move(record));
    }
    return true;
}

bool ReadXlsx(std::string_view bytes, Sheet& sheet, std::string& error) {
    sheet = Sheet{};
    Archive archive;
    if (!archive.Open(bytes, error))
        return false;
    std::string part;
    pugi::xml_document workbook;
    if (!archive.Read("xl/workbook.xml", part, error) || !Parse(workbook, part, "xl/workbook.xml", error))
        return false;
    pugi::xml_node first = Child(Child(Child(workbook, "workbook"), "sheets"), "sheet");
    if (!first) {
        error = "the workbook has no sheet";
        return false;
    }
    sheet.name = first.attribute("name").as_string();
    std::string relation;
    for (pugi::xml_attribute attribute : first.attributes()) {
        std::string name = attribute.name();
        if (name.size() >= 3 && name.compare(name.size() - 3, 3, ":id") == 0)
            relation = attribute.as_string();
    }
    std::string sheetPart = "xl/worksheets/sheet1.xml";
    pugi::xml_document relations;
    if (archive.Read("xl/_rels/workbook.xml.rels", part, error) &&
        Parse(relations, part, "xl/_rels/workbook.xml.rels", error)) {
        for (pugi::xml_node link : Child(relations, "Relationships").children()) {
            if (std::strcmp(Local(link), "Relationship") == 0 && relation == link.attribute("Id").as_string())
                sheetPart = PartOf(link.attribute("Target").as_string());
        }
    }
    error.clear();
    std::vector<std::string> shared;
    bool missing = false;
    pugi::xml_document strings;
    if (archive.Read("xl/sharedStrings.xml", part, error, &missing)) {
        if (!Parse(strings, part, "xl/sharedStrings.xml", error))
            return false;
        for (pugi::xml_node item : Child(strings, "sst").children())
            if (std::strcmp(Local(item), "si") == 0)
                shared.push_back(Texts(item));
    } else if (!missing) {
        return false;
    }
    error.clear();
    pugi::xml_document worksheet;
    if (!archive.Read(sheetPart, part, error) || !Parse(worksheet, part, sheetPart, error))
        return false;
    part.clear();
    part.shrink_to_fit();
    std::size_t nextRow = 1;
    for (pugi::xml_node row : Child(Child(worksheet, "worksheet"), "sheetData").children()) {
        if (std::strcmp(Local(row), "row") != 0)
            continue;
        std::size_t number = row.attribute("r").as_ullong(nextRow);
        if (number < nextRow || number > 1048576) {
            error = "sheet " + sheet.name + ": row " + std::to_string(number) + " is out of order";
            return false;
        }
        nextRow = number + 1;
        sheet.rows.resize(number);
        std::vector<std::string>& cells = sheet.rows[number - 1];
        std::size_t nextColumn = 0;
        for (pugi::xml_node cell : row.children()) {
            if (std::strcmp(Local(cell), "c") != 0)
                continue;
            std::size_t column = nextColumn;
            std::size_t cellRow = number;
            const char* reference = cell.attribute("r").as_string();
            if (*reference && (!CellAddress(reference, column, cellRow) || cellRow != number || column > 16383)) {
                error = "sheet " + sheet.name + ": the cell " + reference + " is not where row " +
                        std::to_string(number) + " can hold it";
                return false;
            }
            nextColumn = column + 1;
            std::string type = cell.attribute("t").as_string("n");
            std::string text;
            pugi::xml_node value = Child(cell, "v");
            if (type == "s") {
                std::size_t index = value.text().as_ullong(shared.size());
                if (index >= shared.size()) {
                    error = "sheet " + sheet.name + ", " + ColumnLetters(column) + std::to_string(number) +
                            ": the cell names a shared string the workbook lacks";
                    return false;
                }
                text = shared[index];
            } else if (type == "inlineStr") {
                text = Texts(Child(cell, "is"));
            } else if (type == "b") {
                text = value.text().as_int() != 0 ? "TRUE" : "FALSE";
            } else if (type == "n") {
                text = value ? NumberText(value.text().get()) : std::string();
            } else {
                text = value.text().get(); // str (a formula's text) and e (an error, #N/A)
            }
            if (cells.size() <= column)
                cells.resize(column + 1);
            cells[column] = std::move(text);
        }
    }
    return true;
}

} // namespace catalog
