#pragma once

#include <string>
#include <vector>

namespace vantorel {

// The report as a grid shows it, row by row in the order on screen: what the text file and the table block
// are made from.
class ShownReportView {
public:
    virtual ~ShownReportView() = default;
    virtual long ShownRowCount() const = 0;
    // Row -1 is the heading row. A cell without text gives "".
    virtual std::string ShownText(int col, long row) const = 0;
    // The values of the attributes the row's name shows after it, when the rows are split by attributes; none
    // for a row of the name alone.
    virtual std::vector<std::string> ShownAttributes(long) const { return {}; }
};

// The file name the "Save as" prompt proposes: the catalogue's name less its extension, "-", the drawing's
// name, with ".txt" in place of the drawing's extension; the drawing's name alone when no catalogue is in use.
[[nodiscard]] std::string ProposeReportFileName(const std::string& catalogFile, const std::string& drawingName);

// Writes the heading and the rows in fixed-width columns, the price columns only while `showPrice` is 1.
// False, with the "could  not be opened" alert, when the file cannot be written; an existing file of that
// name is then left as it was.
[[nodiscard]] bool WriteReportTextFile(const std::string& path, const char* mode, const ShownReportView& view,
                                       int showPrice);

} // namespace vantorel
