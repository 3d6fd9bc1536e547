#include "table/PriceTableBuilder.h"

#include "bom/BlockNames.h"
#include "bom/BomMessages.h"
#include "bom/BomReport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace vantorel {

const char* const reportColumnTitles[kTableColumns] = {"Block name", "Item Price", "Quantity", "Description",
                                                       "Total"};

namespace {
constexpr int kStatusOk = 0;
constexpr int kStatusKeyNotFound = 22;
constexpr const char* kHeadingTags[kTableColumns] = {"BLOCKNAME", "PRICE", "QUANTITY", "DESCRIPTION", "TOTAL"};
// Room for the longest row tag with any 32-bit row number.
constexpr std::size_t kTagSize = 32;

bool ColumnShown(int column) {
    return showPrice || (column != 1 && column != 4);
}

// Looks a text style up for reading and takes its id; the status of the lookup.
int FindTextStyle(AcDbTextStyleTable* table, const char* name, AcDbObjectId& id) {
    AcDbTextStyleTableRecord* record = nullptr;
    int status = table->getAt(name, record, AcDb::kForRead);
    if (status == kStatusOk) {
        id = record->objectId();
        CloseObject(record);
    }
    return status;
}
} // namespace

TableLayout::TableLayout(double height, const std::int32_t* widths, std::int32_t count)
    : columnCount(count), totalWidth(0.0), textHeight(height), characterUnit(1.2 * height), columnWidths(widths) {
    totalWidth = columnLeft(count);
}

double TableLayout::columnLeft(int c) const {
    double characters = 0.0;
    for (int i = 0; i < c && i < columnCount; ++i)
        characters += columnWidths[i];
    return characters * characterUnit;
}

double TableLayout::centredTextX(unsigned n, int c) const {
    return columnLeft(c) + (columnWidths[c] - 0.9 * n) * characterUnit * 0.5;
}

int ensureTableTextStyle() {
    AcDbTextStyleTable* table = nullptr;
    [[maybe_unused]] Acad::ErrorStatus opened =
        acdbHostApplicationServices()->workingDatabase()->getSymbolTable(table, AcDb::kForWrite);
    if (!table)
        return 0;
    if (table->has(kTableStyleName)) {
        CloseObject(table);
        return 1;
    }
    auto* record = new AcDbTextStyleTableRecord();
    [[maybe_unused]] Acad::ErrorStatus status = record->setName(kTableStyleName);
    status = record->setFileName(kTableFontFile);
    if (table->add(record) == Acad::eOk)
        CloseObject(record);
    else
        delete record;
    CloseObject(table);
    return 0;
}

int nextTableNumber() {
    int highest = 0;
    for (const std::string& name : DrawingBlockNames()) {
        if (IsTableBlockName(name))
            highest = std::max(highest, std::atoi(name.c_str() + 3));
    }
    return highest;
}

void measureColumns(const ShownReportView& view, std::int32_t* widths, int count) {
    for (int c = 0; c < count; ++c)
        widths[c] = 0;
    long rows = view.ShownRowCount();
    for (long row = -1; row < rows; ++row) {
        for (int c = 0; c < count && c < kTableColumns; ++c) {
            auto length = static_cast<std::int32_t>(view.ShownText(c, row).size()) + 1;
            if (length > widths[c])
                widths[c] = length;
        }
    }
    if (!showPrice) {
        if (count > 1)
            widths[1] = 0;
        if (count > 4)
            widths[4] = 0;
    }
}

namespace {
// Where a cell's text stands in its column, for an attribute definition and for a plain text alike.
void placeCell(AcDbText* out, const AcGePoint3d& position, double height, double widthFactor, TableLayout layout,
               int column, int mode) {
    [[maybe_unused]] Acad::ErrorStatus status = out->setHeight(height);
    status = out->setWidthFactor(widthFactor);
    // The inset is a fixed length of the drawing, whatever the text height.
    double left = layout.columnLeft(column) + 1.0;
    double right = layout.columnLeft(column + 1) - 1.0;
    double middle = (left + right) * 0.5;
    switch (mode) {
    case 0:
        status = out->setHorizontalMode(AcDb::kTextLeft);
        status = out->setPosition(AcGePoint3d(left, position.y, 0.0));
        break;
    case 1:
        status = out->setHorizontalMode(AcDb::kTextCenter);
        status = out->setPosition(AcGePoint3d(left, position.y, 0.0));
        status = out->setAlignmentPoint(AcGePoint3d(middle, position.y, 0.0));
        break;
    case 2:
        status = out->setHorizontalMode(AcDb::kTextRight);
        status = out->setAlignmentPoint(AcGePoint3d(right, position.y, 0.0));
        break;
    default:
        break;
    }
}
} // namespace

int addAttributeDefinition(AcDbAttributeDefinition*& out, const AcGePoint3d& position, double height,
                           double widthFactor, const char* text, const char* tag, AcDbObjectId styleId,
                           TableLayout layout, int column, int mode) {
    out = new AcDbAttributeDefinition(position, text, tag, tag, styleId);
    [[maybe_unused]] Acad::ErrorStatus status = out->setInvisible(false);
    status = out->setVerifiable(false);
    status = out->setPreset(false);
    placeCell(out, position, height, widthFactor, layout, column, mode);
    return 1;
}

void addCellText(AcDbText*& out, const AcGePoint3d& position, double height, double widthFactor, const char* text,
                 AcDbObjectId styleId, TableLayout layout, int column, int mode) {
    out = new AcDbText();
    [[maybe_unused]] Acad::ErrorStatus status = out->setPosition(position);
    status = out->setTextString(text);
    status = out->setTextStyle(styleId);
    placeCell(out, position, height, widthFactor, layout, column, mode);
}

int addTableLine(AcDbBlockTableRecord* record, const AcGePoint3d& start, const AcGePoint3d& end) {
    auto* line = new AcDbLine(start, end);
    if (record->appendAcDbEntity(line) == Acad::eOk)
        CloseObject(line);
    else
        delete line;
    return 1;
}

bool containsHebrewLetter(const char* text) {
    for (const char* p = text ? text : ""; *p; ++p) {
        auto byte = static_cast<unsigned char>(*p);
        if (byte >= 0xE0 && byte <= 0xFA)
            return true;
    }
    return false;
}

namespace {
// Appends a made cell to the block and lets it go.
void AppendCell(AcDbBlockTableRecord* block, AcDbText* cell) {
    if (block->appendAcDbEntity(cell) == Acad::eOk)
        CloseObject(cell);
    else
        delete cell;
}

// A cell as an attribute definition, or as plain text when the table is to show in every viewer.
void AddCell(AcDbBlockTableRecord* block, bool asText, const AcGePoint3d& position, double height, const char* text,
             const char* tag, AcDbObjectId styleId, const TableLayout& layout, int column, int mode) {
    if (asText) {
        AcDbText* cell = nullptr;
        addCellText(cell, position, height, 1.0, text, styleId, layout, column, mode);
        AppendCell(block, cell);
        return;
    }
    AcDbAttributeDefinition* cell = nullptr;
    addAttributeDefinition(cell, position, height, 1.0, text, tag, styleId, layout, column, mode);
    AppendCell(block, cell);
}
} // namespace

int buildTableBlock(const ShownReportView& view, const char* blockName, const char* styleName, double H,
                    double* tableWidth, double* tableHeight, bool cellsAsText) {
    AcDbDatabase* database = acdbHostApplicationServices()->workingDatabase();
    AcDbBlockTable* blocks = nullptr;
    [[maybe_unused]] Acad::ErrorStatus opened = database->getSymbolTable(blocks, AcDb::kForWrite);
    if (!blocks) {
        acedAlert(kNoBlockRecordForTable);
        return 0;
    }
    AcDbBlockTableRecord* block = nullptr;
    int found = blocks->getAt(blockName, block, AcDb::kForWrite);
    if (found == kStatusKeyNotFound) {
        block = new AcDbBlockTableRecord();
        [[maybe_unused]] Acad::ErrorStatus named = block->setName(blockName);
        if (blocks->add(block) != Acad::eOk) {
            delete block;
            block = nullptr;
        }
    } else if (found != kStatusOk) {
        block = nullptr;
    }
    if (!block) {
        CloseObject(blocks);
        acedAlert(kNoBlockRecordForTable);
        return 0;
    }
    CloseObject(blocks);

    AcDbTextStyleTable* styles = nullptr;
    opened = database->getSymbolTable(styles, AcDb::kForRead);
    AcDbObjectId styleId;
    int styleStatus = styles ? FindTextStyle(styles, styleName, styleId) : -1;
    if (styleStatus == kStatusKeyNotFound)
        styleStatus = FindTextStyle(styles, "Standard", styleId);
    if (styleStatus != kStatusOk) {
        CloseObject(styles);
        acedAlert(kNoTextStyleForTable);
        CloseObject(block);
        return 0;
    }
    std::vector<std::int32_t> widths(kTableColumns);
    measureColumns(view, widths.data(), kTableColumns);
    const AcGePoint3d origin(0.0, 2.0 * H, 0.0);
    AcGePoint3d text(0.0, 0.0, 0.0);
    CloseObject(styles);

    TableLayout layout(H, widths.data(), kTableColumns);
    const double W = layout.totalWidth;
    addTableLine(block, AcGePoint3d(0.0, 2.0 * H, 0.0), AcGePoint3d(W, 2.0 * H, 0.0));
    for (int c = 0; c < kTableColumns; ++c) {
        if (!ColumnShown(c))
            continue;
        text.x = layout.centredTextX(static_cast<unsigned>(std::strlen(reportColumnTitles[c])), c);
        AddCell(block, cellsAsText, text, H, reportColumnTitles[c], kHeadingTags[c], styleId, layout, c, 1);
    }
    double y = -H;
    addTableLine(block, AcGePoint3d(0.0, y, 0.0), AcGePoint3d(W, y, 0.0));
    y -= 2.0 * H;

    char tags[kTableColumns][kTagSize];
    for (long row = 0; row < view.ShownRowCount(); ++row) {
        const int n = static_cast<int>(row + 1);
        std::snprintf(tags[0], kTagSize, "BLOCKNAME%i", n);
        std::snprintf(tags[1], kTagSize, "PRICE%i", n);
        std::snprintf(tags[2], kTagSize, "QUANTITY%i", n);
        std::snprintf(tags[3], kTagSize, "DESCRIPTION%i", n);
        std::snprintf(tags[4], kTagSize, "TOTAL%i", n);
        std::string texts[kTableColumns];
        texts[0] = view.ShownText(0, row);
        if (texts[0] == kSummaryLabel && !showPrice)
            continue;
        for (int c = 1; c < kTableColumns; ++c)
            texts[c] = view.ShownText(c, row);
        text.y = y;
        for (int c = 0; c < kTableColumns; ++c) {
            if (!ColumnShown(c))
                continue;
            int mode = 2;
            if (c == 0)
                mode = 0;
            else if (c == 3)
                mode = containsHebrewLetter(texts[c].c_str()) ? 2 : 0;
            text.x = layout.centredTextX(static_cast<unsigned>(texts[c].size()), c);
            AddCell(block, cellsAsText, text, H, texts[c].c_str(), tags[c], styleId, layout, c, mode);
        }
        y -= H;
        addTableLine(block, AcGePoint3d(0.0, y, 0.0), AcGePoint3d(W, y, 0.0));
        y -= 2.0 * H;
    }
    const double bottom = y + 2.0 * H;
    for (int c = 0; c <= kTableColumns; ++c) {
        double x = layout.columnLeft(c);
        addTableLine(block, AcGePoint3d(x, 2.0 * H, 0.0), AcGePoint3d(x, bottom, 0.0));
    }
    [[maybe_unused]] Acad::ErrorStatus placed = block->setOrigin(origin);
    if (tableWidth)
        *tableWidth = layout.columnLeft(kTableColumns) - 0.0;
    if (tableHeight)
        *tableHeight = 2.0 * H - bottom;
    CloseObject(block);
    return 1;
}

} // namespace vantorel
