#include "bom/ReportTextFile.h"

#include "bom/BomMessages.h"
#include "bom/ReplacingFile.h"

#include "platform/text/CodePage.h"

#include <cstdio>
#include <cstring>

namespace vantorel {

namespace {
// A text less its last four characters (an extension with its point); nothing is left of a shorter one.
std::string WithoutExtension(const std::string& text) {
    return text.size() < 4 ? std::string() : text.substr(0, text.size() - 4);
}

// A field right-aligned in `width` columns as a terminal or an editor shows it: in UTF-8 a character takes
// the columns it shows in (two for an East Asian wide one), where printf would count its bytes.
std::string Aligned(const std::string& text, std::size_t width) {
    std::size_t shown = textkit::Active().DisplayWidth(text);
    return shown >= width ? text : std::string(width - shown, ' ') + text;
}

void WriteLine(std::FILE* file, int showPrice, const std::string* fields) {
    if (textkit::Active().IsUtf8()) {
        if (showPrice)
            std::fprintf(file, "%s %s %s %s %s\n", Aligned(fields[0], 10).c_str(), Aligned(fields[1], 10).c_str(),
                         Aligned(fields[2], 10).c_str(), Aligned(fields[3], 20).c_str(), Aligned(fields[4], 10).c_str());
        else
            std::fprintf(file, "%s %s %s\n", Aligned(fields[0], 10).c_str(), Aligned(fields[2], 10).c_str(),
                         Aligned(fields[3], 20).c_str());
        return;
    }
    if (showPrice)
        std::fprintf(file, "%10s %10s %10s %20s %10s\n", fields[0].c_str(), fields[1].c_str(), fields[2].c_str(),
                     fields[3].c_str(), fields[4].c_str());
    else
        std::fprintf(file, "%10s %10s %20s\n", fields[0].c_str(), fields[2].c_str(), fields[3].c_str());
}
} // namespace

std::string ProposeReportFileName(const std::string& catalogFile, const std::string& drawingName) {
    std::string proposal = catalogFile.empty() ? drawingName : WithoutExtension(catalogFile) + "-" + drawingName;
    return WithoutExtension(proposal) + ".txt";
}

bool WriteReportTextFile(const std::string& path, const char* mode, const ShownReportView& view, int showPrice) {
    // Appending cannot be made safe by a replacement, and nothing here appends; every other mode replaces the
    // file, so it is written beside it first and a failure leaves the file that was there.
    if (!mode || std::strchr(mode, 'w') == nullptr) {
        AlertFileNotOpened(path.c_str());
        return false;
    }
    ReplacingFile file(path);
    if (!file.Stream()) {
        AlertFileNotOpened(path.c_str());
        return false;
    }
    static const std::string kHeadings[5] = {"Block name", "Item Price", "Quantity", "Description", "Total"};
    WriteLine(file.Stream(), showPrice, kHeadings);
    std::string fields[5];
    long rows = view.ShownRowCount();
    for (long row = 0; row < rows; ++row) {
        fields[0] = view.ShownText(0, row);
        if (fields[0] == kSummaryLabel && !showPrice)
            continue;
        for (int col = 1; col < 5; ++col)
            fields[col] = view.ShownText(col, row);
        WriteLine(file.Stream(), showPrice, fields);
    }
    if (!file.Commit()) {
        AlertFileNotOpened(path.c_str());
        return false;
    }
    return true;
}

} // namespace vantorel
