#include "catalog/CatalogConversion.h"

#include "bom/BomReport.h"
#include "exporters/ExportedReport.h"
#include "exporters/XlsxBook.h"
#include "platform/text/CodePage.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

namespace catalog {

namespace {
std::string Lower(std::string text) {
    for (char& c : text)
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return text;
}

std::string Trim(const std::string& text) {
    std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Whether the text is a decimal number as a price is written: blanks, a sign, digits with one point, an exponent,
// and nothing after.
bool IsDecimal(const std::string& text) {
    std::size_t i = 0;
    auto digits = [&] {
        std::size_t start = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
            ++i;
        return i > start;
    };
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    bool whole = digits();
    bool fraction = false;
    if (i < text.size() && text[i] == '.') {
        ++i;
        fraction = digits();
    }
    if (!whole && !fraction)
        return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            ++i;
        if (!digits())
            return false;
    }
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    return i == text.size();
}

int ColumnOf(const std::vector<std::string>& heading, std::initializer_list<const char*> names) {
    for (std::size_t c = 0; c < heading.size(); ++c) {
        std::string cell = Lower(Trim(heading[c]));
        for (const char* name : names)
            if (cell == name)
                return static_cast<int>(c);
    }
    return -1;
}

std::string Cell(const std::vector<std::string>& row, int column) {
    return column >= 0 && static_cast<std::size_t>(column) < row.size() ? row[static_cast<std::size_t>(column)]
                                                                         : std::string();
}

bool ReadBytes(const std::string& path, std::string& bytes, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        error = "cannot read " + path;
        return false;
    }
    bytes = text.str();
    return true;
}

std::string FileName(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
} // namespace

Format FormatOf(const std::string& path) {
    std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos)
        return Format::Unknown;
    std::string extension = Lower(path.substr(dot + 1));
    return extension == "prc" ? Format::Prc : extension == "csv" ? Format::Csv : extension == "xlsx" ? Format::Xlsx
                                                                                                     : Format::Unknown;
}

bool EntriesOfSheet(const Sheet& sheet, const std::string& place, Catalogue& catalogue,
                    std::vector<std::string>& problems, std::string& error) {
    catalogue = Catalogue{};
    catalogue.lineEnd = sheet.name.empty() ? sheet.lineEnd : "\n";
    catalogue.lastLineEnded = sheet.name.empty() ? sheet.lastLineEnded : true;
    if (sheet.rows.empty())
        return true;
    const std::vector<std::string>& first = sheet.rows.front();
    int name = ColumnOf(first, {"block name", "block", "name"});
    int price = ColumnOf(first, {"price", "item price", "unit price"});
    int description = ColumnOf(first, {"description"});
    bool heading = name >= 0 || price >= 0 || description >= 0;
    if (heading && (name < 0 || price < 0)) {
        error = place + ", row 1 names columns but not " +
                (name < 0 ? std::string("the block name (Block name, Block or Name)")
                          : std::string("the price (Price, Item Price or Unit price)")) +
                ": name both, or leave the heading row out and give name, price and description in that order";
        return false;
    }
    if (!heading) {
        name = 0;
        price = 1;
        description = 2;
    }
    bool csv = sheet.name.empty();
    for (std::size_t r = heading ? 1 : 0; r < sheet.rows.size(); ++r) {
        const std::vector<std::string>& row = sheet.rows[r];
        std::string number = std::to_string(r + 1);
        auto at = [&](int column) {
            return place + ", " + ColumnLetters(static_cast<std::size_t>(std::max(column, 0))) + number + ": ";
        };
        Entry entry{Cell(row, name), Cell(row, price), Cell(row, description), 3};
        if (csv) {
            bool hasPrice = static_cast<std::size_t>(price) < row.size();
            bool hasDescription = description >= 0 && static_cast<std::size_t>(description) < row.size();
            entry.parts = hasDescription ? 3 : hasPrice ? 2 : 1;
        } else if (std::all_of(row.begin(), row.end(), [](const std::string& cell) { return cell.empty(); })) {
            continue; // a workbook's empty rows are not lines
        }
        bool fits = true;
        for (auto [text, column] : {std::pair{&entry.name, name}, std::pair{&entry.price, price},
                                    std::pair{&entry.description, description}}) {
            if (text->find_first_of("\r\n") != std::string::npos) {
                problems.push_back(at(column) + "the text holds a line break, which a catalogue line cannot: the "
                                                "row is left out");
                fits = false;
            }
        }
        for (auto [text, column, what] : {std::tuple{&entry.name, name, "name"}, std::tuple{&entry.price, price, "price"}}) {
            if (fits && text->find('|') != std::string::npos) {
                problems.push_back(at(column) + "the " + what + " \"" + *text +
                                   "\" holds a \"|\", which ends it in a catalogue line: the row is left out");
                fits = false;
            }
        }
        if (!fits)
            continue;
        if (!entry.name.empty() && entry.price.empty())
            problems.push_back(at(price) + "no price: the report leaves the row of " + entry.name + " out");
        else if (!entry.price.empty() && !IsDecimal(entry.price))
            problems.push_back(at(price) + "the price \"" + entry.price + "\" is not a decimal number: it counts as " +
                               vantorel::FormatPrice(vantorel::ParsePrice(entry.price.c_str())));
        if (entry.description.find('|') != std::string::npos)
            problems.push_back(at(description) + "the description holds a \"|\": what follows it is not read");
        catalogue.entries.push_back(std::move(entry));
    }
    return true;
}

Catalogue ReadPrc(std::string_view bytes) {
    Catalogue catalogue;
    const textkit::CodePage& page = textkit::Active();
    std::size_t firstEnd = bytes.find('\n');
    if (firstEnd != std::string_view::npos && firstEnd > 0 && bytes[firstEnd - 1] == '\r')
        catalogue.lineEnd = "\r\n";
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        catalogue.lastLineEnded = end != std::string_view::npos;
        std::string_view line = bytes.substr(start, (end == std::string_view::npos ? bytes.size() : end) - start);
        if (catalogue.lineEnd == "\r\n" && end != std::string_view::npos && !line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        Entry entry;
        std::size_t bar = line.find('|');
        entry.name = page.ToUtf8(line.substr(0, bar));
        entry.parts = 1;
        if (bar != std::string_view::npos) {
            std::size_t second = line.find('|', bar + 1);
            entry.price = page.ToUtf8(line.substr(bar + 1, second == std::string_view::npos ? std::string_view::npos
                                                                                            : second - bar - 1));
            entry.parts = 2;
            if (second != std::string_view::npos) {
                entry.description = page.ToUtf8(line.substr(second + 1));
                entry.parts = 3;
            }
        }
        catalogue.entries.push_back(std::move(entry));
        start = end == std::string_view::npos ? bytes.size() : end + 1;
    }
    return catalogue;
}

std::string PrcText(const Catalogue& catalogue, const std::string& place, std::vector<std::string>& problems) {
    const textkit::CodePage& page = textkit::Active();
    std::string text;
    for (std::size_t i = 0; i < catalogue.entries.size(); ++i) {
        const Entry& entry = catalogue.entries[i];
        std::string line = entry.name;
        if (entry.parts >= 2)
            line += "|" + entry.price;
        if (entry.parts >= 3)
            line += "|" + entry.description;
        std::string bytes;
        if (!page.FromUtf8(line, bytes)) {
            problems.push_back(place + ": the row of " + entry.name + " has text code page " +
                               std::to_string(page.Number()) + " cannot hold: it is left out");
            continue;
        }
        text += bytes;
        if (i + 1 < catalogue.entries.size() || catalogue.lastLineEnded)
            text += catalogue.lineEnd;
    }
    return text;
}

std::string CsvText(const Catalogue& catalogue) {
    std::string text = "Block name,Item Price,Description" + catalogue.lineEnd;
    for (std::size_t i = 0; i < catalogue.entries.size(); ++i) {
        const Entry& entry = catalogue.entries[i];
        text += vantorel::CsvField(entry.name);
        if (entry.parts >= 2)
            text += "," + vantorel::CsvField(entry.price);
        if (entry.parts >= 3)
            text += "," + vantorel::CsvField(entry.description);
        if (i + 1 < catalogue.entries.size() || catalogue.lastLineEnded)
            text += catalogue.lineEnd;
    }
    return text;
}

bool WriteXlsxCatalogue(const std::string& path, const Catalogue& catalogue, std::string& error) {
    vantorel::XlsxBook book(path, "Prices");
    lxw_worksheet* sheet = book.Sheet();
    if (!sheet) {
        error = "cannot write " + path;
        return false;
    }
    lxw_format* bold = book.Bold();
    lxw_format* money = book.Money();
    const char* headings[] = {"Block name", "Item Price", "Description"};
    for (lxw_col_t c = 0; c < 3; ++c)
        worksheet_write_string(sheet, 0, c, headings[c], bold);
    lxw_row_t row = 1;
    for (const Entry& entry : catalogue.entries) {
        if (entry.name.empty() && entry.parts == 1)
            continue; // an empty line
        worksheet_write_string(sheet, row, 0, entry.name.c_str(), nullptr);
        if (IsDecimal(entry.price))
            worksheet_write_number(sheet, row, 1, vantorel::ParsePrice(entry.price.c_str()), money);
        else if (!entry.price.empty())
            worksheet_write_string(sheet, row, 1, entry.price.c_str(), nullptr);
        if (!entry.description.empty())
            worksheet_write_string(sheet, row, 2, entry.description.c_str(), nullptr);
        ++row;
    }
    worksheet_set_column(sheet, 0, 0, 24, nullptr);
    worksheet_set_column(sheet, 1, 1, 12, nullptr);
    worksheet_set_column(sheet, 2, 2, 40, nullptr);
    worksheet_freeze_panes(sheet, 1, 0);
    return book.Close(error);
}

bool ReadCatalogue(const std::string& path, Catalogue& catalogue, std::vector<std::string>& problems,
                   std::string& error) {
    std::string bytes;
    if (!ReadBytes(path, bytes, error))
        return false;
    Format format = FormatOf(path);
    if (format == Format::Prc || format == Format::Unknown) {
        catalogue = ReadPrc(bytes);
        return true;
    }
    Sheet sheet;
    bool read = format == Format::Csv ? ReadCsv(bytes, sheet, error) : ReadXlsx(bytes, sheet, error);
    if (!read) {
        error = path + ": " + error;
        return false;
    }
    std::string place = FileName(path) + (format == Format::Xlsx ? ", sheet " + sheet.name : std::string());
    return EntriesOfSheet(sheet, place, catalogue, problems, error);
}

bool CatalogueForModule(const std::string& path, std::string& prcPath, std::vector<std::string>& problems,
                        std::string& error) {
    Format format = FormatOf(path);
    if (format != Format::Csv && format != Format::Xlsx) {
        prcPath = path;
        return true;
    }
    Catalogue catalogue;
    if (!ReadCatalogue(path, catalogue, problems, error))
        return false;
    // The module does not read a last line without its end: a spreadsheet's last row is a line like the others.
    catalogue.lastLineEnded = true;
    std::string text = PrcText(catalogue, FileName(path), problems);
    std::error_code failed;
    std::filesystem::path absolute = std::filesystem::absolute(path, failed);
    const char* cache = std::getenv("XDG_CACHE_HOME");
    const char* home = std::getenv("HOME");
    std::filesystem::path folder = cache && *cache ? std::filesystem::path(cache)
                                   : home && *home ? std::filesystem::path(home) / ".cache"
                                                   : std::filesystem::temp_directory_path();
    // A folder for each spreadsheet, so that two of one name in different folders do not meet.
    char hash[24];
    std::snprintf(hash, sizeof hash, "%016zx", std::hash<std::string>{}(absolute.string()));
    folder = folder / "vantorel" / "catalogues" / hash;
    std::filesystem::create_directories(folder, failed);
    std::filesystem::path stem = std::filesystem::path(FileName(path)).stem();
    prcPath = (folder / stem).string() + ".prc";
    if (failed || !vantorel::WriteWholeFile(prcPath, text, error)) {
        error = "the catalogue converted from " + path + " cannot be kept in " + folder.string() +
                (failed ? ": " + failed.message() : ": " + error);
        return false;
    }
    return true;
}

} // namespace catalog
