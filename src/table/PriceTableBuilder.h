#pragma once

#include "bom/ReportTextFile.h"
#include "host/HostServices.h"

#include <cstdint>

namespace vantorel {

inline constexpr const char* kTableStyleName = "QVTTABLE";
inline constexpr const char* kTableFontFile = "simpheb.shx";
inline constexpr int kLastTableNumber = 9999;
inline constexpr int kTableColumns = 5;
// "QVT0001" and its terminating zero.
inline constexpr int kTableNameSize = 8;

inline constexpr const char* kTooLargeTableNumber = "Too large number for name of table price";
inline constexpr const char* kNoBlockRecordForTable =
    "Cannot get an object \"AcDbBlockTableRecord\" for the price table";
inline constexpr const char* kNoTextStyleForTable =
    "Cannot get an object \"AcDbTextStyleTableRecord\" for the price table";

// The headings of the five report columns, shared by the dialog's grid and the table.
extern const char* const reportColumnTitles[kTableColumns];

// The horizontal geometry of a table: a column w characters wide is w character units wide.
struct TableLayout {
    TableLayout(double height, const std::int32_t* widths, std::int32_t count);

    // The x of the left border of column c; columnLeft(count) is the total width.
    double columnLeft(int c) const;
    // Where a text of n bytes starts when centred in column c, a character taken as 0.9 units wide.
    double centredTextX(unsigned n, int c) const;

    std::int32_t columnCount;
    double totalWidth;
    double textHeight;
    double characterUnit;
    const std::int32_t* columnWidths; // not owned
};

// 1 when the table's text style was there already, 0 when it has been made.
int ensureTableTextStyle();
// The highest n of the drawing's block names "QVTnnnn", in any case; 0 when there is none.
int nextTableNumber();
// Each column's longest text in bytes, heading included, plus one; the price columns 0 while prices are hidden.
void measureColumns(const ShownReportView& view, std::int32_t* widths, int count);
// Writes the table of the shown report as the block definition `blockName`, its texts attribute definitions
// of height H; 1 when written, 0 after an alert. The table's size comes back in the last two.
int buildTableBlock(const ShownReportView& view, const char* blockName, const char* styleName, double H,
                    double* tableWidth, double* tableHeight, bool cellsAsText = false);
// The same cell as plain text at the same place: what viewers that show no attribute definitions draw.
void addCellText(AcDbText*& out, const AcGePoint3d& position, double height, double widthFactor, const char* text,
                 AcDbObjectId styleId, TableLayout layout, int column, int mode);
// One cell of the table, aligned in its column by `mode`: 0 left, 1 centre, 2 right. Always 1.
int addAttributeDefinition(AcDbAttributeDefinition*& out, const AcGePoint3d& position, double height,
                           double widthFactor, const char* text, const char* tag, AcDbObjectId styleId,
                           TableLayout layout, int column, int mode);
// One rule of the table, appended to the open block definition. Always 1.
int addTableLine(AcDbBlockTableRecord* record, const AcGePoint3d& start, const AcGePoint3d& end);
// Whether a text holds a Hebrew letter of code page 1255, so that it reads from the right.
bool containsHebrewLetter(const char* text);

} // namespace vantorel
