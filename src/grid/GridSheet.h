#pragma once

#include "grid/CellDataSource.h"
#include "grid/GridCell.h"

#include <memory>
#include <vector>

namespace vantorel {

// One data column, in display order. `sourceIndex` is the column number the data source knows it by: it
// starts as the column's position and travels with the record when columns are moved.
struct GridColumn {
    int width = 75;
    CellDataSource* dataSource = nullptr;
    std::unique_ptr<GridCell> defaultCell;
    int sourceIndex = 0;
};

struct SelectionBlock {
    int startColumn = -1;
    long startRow = -1;
    int endColumn = -1;
    long endRow = -1;
};

// Why the active cell is moving; the selection logic asks.
enum MoveReason : int { MoveByKey = 0, MoveByLeftClick = 1, MoveByRightClick = 2, MoveByDrag = 3, MoveByScrollBar = 4 };

// Everything one sheet of a grid shows and remembers.
struct GridSheet {
    GridSheet();

    int columnCount = 0;
    int activeColumn = -1;
    int previousActiveColumn = -1;
    int firstColumn = 0;
    int previousFirstColumn = 0;
    int defaultColumnWidth = 75;
    std::vector<GridColumn> columns;
    int dragColumn = -1;

    long rowCount = 0;
    long activeRow = -1;
    long previousActiveRow = -1;
    long firstRow = 0;
    long previousFirstRow = 0;
    std::vector<int> rowHeights; // empty in uniform mode
    int defaultRowHeight = 20;
    bool uniformRowHeight = false;
    long dragRow = -1;

    int columnHeaderRows = 1;
    std::vector<int> headerRowHeights{20};
    int rowHeaderColumns = 1;
    std::vector<int> headerColumnWidths{25};
    GridCell gridDefaultCell;
    GridCell headerDefaultCell;
    int columnHeaderHeight = 20;
    int rowHeaderWidth = 40;
    int vScrollWidth = 16;
    int hScrollHeight = 16;
    int lockedColumns = 0;
    long lockedRows = 0;
    int lockedWidth = 0;
    int lockedHeight = 0;
    bool multiSelect = false;
    int keyAcceleration = 0;
    int keyAccelerationDelay = 0;

    std::unique_ptr<CellDataSource> ownedDataSource;
    CellDataSource* dataSource = nullptr;
    CellDataSource* defaultDataSource = nullptr;
    std::vector<SelectionBlock> selection;
    ui::Pen gridLinePen{ui::Color{220, 220, 220}, 1, ui::PenStyle::Solid};
    int textMargin = 4;
    bool gridLines = true;
    int edgeWidth3d = 1;

    // Mouse, scrolling and tips
    bool cellTips = false;
    bool rowScrollTips = false;
    bool columnScrollTips = false;
    bool liveVerticalTracking = false;
    bool liveHorizontalTracking = false;
    int dragScrollAcceleration = 0;
    int dragScrollDelay = 200;
    bool popupMenu = false;
    bool userColumnSizing = true;
    bool userRowSizing = true;
    bool columnMoving = false;
    int moveReason = MoveByKey;
    unsigned moveKeyFlags = 0;

    int RowHeight(long row) const {
        if (uniformRowHeight || row < 0 || row >= static_cast<long>(rowHeights.size()))
            return defaultRowHeight;
        return rowHeights[static_cast<std::size_t>(row)];
    }
};

} // namespace vantorel
