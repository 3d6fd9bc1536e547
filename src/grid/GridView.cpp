#include "grid/GridControl.h"

#include "platform/ui/WindowSystem.h"

#include <algorithm>
#include <climits>

namespace vantorel {

long GridControl::RowsPerPage() const {
    const GridSheet& s = *m_sheet;
    int available = m_cellArea.ClientRect().Height() - s.lockedHeight;
    long rows = 0;
    long y = 0;
    for (long r = std::max(s.firstRow, s.lockedRows); r < s.rowCount; ++r) {
        y += s.RowHeight(r);
        if (y > available)
            break;
        ++rows;
    }
    if (s.uniformRowHeight || rows == s.rowCount - std::max(s.firstRow, s.lockedRows))
        rows = std::max(rows, static_cast<long>(available / std::max(s.defaultRowHeight, 1)));
    return rows;
}

int GridControl::ColumnsPerPage() const {
    const GridSheet& s = *m_sheet;
    int available = m_cellArea.ClientRect().Width() - s.lockedWidth;
    int columns = 0;
    long x = 0;
    for (int c = std::max(s.firstColumn, s.lockedColumns); c < s.columnCount; ++c) {
        x += s.columns[static_cast<std::size_t>(c)].width;
        if (x > available)
            break;
        ++columns;
    }
    return columns;
}

long GridControl::LastFirstRow() const {
    const GridSheet& s = *m_sheet;
    if (s.rowCount <= s.lockedRows)
        return s.lockedRows;
    int available = m_cellArea.ClientRect().Height() - s.lockedHeight;
    long first = s.rowCount;
    long sum = 0;
    while (first > s.lockedRows && sum + s.RowHeight(first - 1) <= available) {
        sum += s.RowHeight(first - 1);
        --first;
    }
    return std::min(first, s.rowCount - 1);
}

int GridControl::LastFirstColumn() const {
    const GridSheet& s = *m_sheet;
    if (s.columnCount <= s.lockedColumns)
        return s.lockedColumns;
    int available = m_cellArea.ClientRect().Width() - s.lockedWidth;
    int first = s.columnCount;
    long sum = 0;
    while (first > s.lockedColumns && sum + s.columns[static_cast<std::size_t>(first - 1)].width <= available) {
        sum += s.columns[static_cast<std::size_t>(first - 1)].width;
        --first;
    }
    return std::min(first, s.columnCount - 1);
}

bool GridControl::ApplyScroll(int firstCol, long firstRow) {
    GridSheet& s = *m_sheet;
    firstRow = std::clamp(firstRow, s.lockedRows, std::max(LastFirstRow(), s.lockedRows));
    firstCol = std::clamp(firstCol, s.lockedColumns, std::max(LastFirstColumn(), s.lockedColumns));
    if (firstRow == s.firstRow && firstCol == s.firstColumn)
        return false;
    if (!OnAllowScroll(s.firstColumn, s.firstRow, firstCol, firstRow))
        return false;
    s.firstRow = firstRow;
    s.firstColumn = firstCol;
    UpdateScrollBars();
    RunChangeSequence();
    return true;
}

int GridControl::SetFirstRow(long row) {
    ApplyScroll(m_sheet->firstColumn, row);
    return GridOk;
}

int GridControl::SetFirstColumn(int col) {
    ApplyScroll(col, m_sheet->firstRow);
    return GridOk;
}

int GridControl::StepFirstRow(int where) {
    const GridSheet& s = *m_sheet;
    long page = std::max(RowsPerPage(), 1L);
    switch (where) {
    case StepUp: return SetFirstRow(s.firstRow - 1);
    case StepDown: return SetFirstRow(s.firstRow + 1);
    case StepPageUp: return SetFirstRow(s.firstRow - page);
    case StepPageDown: return SetFirstRow(s.firstRow + page);
    case StepFirst: return SetFirstRow(0);
    case StepLast: return SetFirstRow(s.rowCount);
    default: return GridOk;
    }
}

int GridControl::StepFirstColumn(int where) {
    const GridSheet& s = *m_sheet;
    int page = std::max(ColumnsPerPage(), 1);
    switch (where) {
    case StepUp: return SetFirstColumn(s.firstColumn - 1);
    case StepDown: return SetFirstColumn(s.firstColumn + 1);
    case StepPageUp: return SetFirstColumn(s.firstColumn - page);
    case StepPageDown: return SetFirstColumn(s.firstColumn + page);
    case StepFirst: return SetFirstColumn(0);
    case StepLast: return SetFirstColumn(s.columnCount);
    default: return GridOk;
    }
}

// A bar's positions are ints; beyond that the rows are spread over its range.
int GridControl::RowToThumb(long row) const {
    long count = m_sheet->rowCount;
    if (count <= INT_MAX)
        return static_cast<int>(row);
    return static_cast<int>(static_cast<double>(row) * INT_MAX / static_cast<double>(count));
}

long GridControl::ThumbToRow(int thumb) const {
    long count = m_sheet->rowCount;
    if (count <= INT_MAX)
        return thumb;
    return static_cast<long>(static_cast<double>(thumb) * static_cast<double>(count) / INT_MAX);
}

void GridControl::ClampFirstVisible() {
    GridSheet& s = *m_sheet;
    s.firstRow = std::clamp(s.firstRow, s.lockedRows, std::max(LastFirstRow(), s.lockedRows));
    s.firstColumn = std::clamp(s.firstColumn, s.lockedColumns, std::max(LastFirstColumn(), s.lockedColumns));
}

void GridControl::UpdateScrollBars() {
    GridSheet& s = *m_sheet;
    ClampFirstVisible();
    if (!m_bound)
        return;
    ui::ScrollInfo vertical;
    vertical.minimum = 0;
    vertical.maximum = RowToThumb(std::max(s.rowCount - 1, 0L));
    vertical.page = RowToThumb(RowsPerPage());
    vertical.position = RowToThumb(s.firstRow);
    if (!(m_vBar.GetScrollInfo(ui::ScrollBar::Vertical) == vertical))
        m_vBar.SetScrollInfo(ui::ScrollBar::Vertical, vertical);
    ui::ScrollInfo horizontal;
    horizontal.minimum = 0;
    horizontal.maximum = std::max(s.columnCount - 1 - s.lockedColumns, 0);
    horizontal.page = ColumnsPerPage();
    horizontal.position = std::max(s.firstColumn - s.lockedColumns, 0);
    if (!(m_hBar.GetScrollInfo(ui::ScrollBar::Horizontal) == horizontal))
        m_hBar.SetScrollInfo(ui::ScrollBar::Horizontal, horizontal);
}

void GridControl::Scrolled(ui::ScrollBar bar, ui::ScrollCode code, int position) {
    GridSheet& s = *m_sheet;
    // The cell area takes the focus first, which ends an open edit; an edit that may not end yet keeps its
    // editor over its own cell, so the view does not move from under it.
    m_cellArea.SetFocus();
    if (m_editing)
        return;
    s.moveReason = MoveByScrollBar;
    bool vertical = bar == ui::ScrollBar::Vertical;
    auto step = [&](int where) { vertical ? StepFirstRow(where) : StepFirstColumn(where); };
    switch (code) {
    case ui::ScrollCode::LineUp: step(StepUp); break;
    case ui::ScrollCode::LineDown: step(StepDown); break;
    case ui::ScrollCode::PageUp: step(StepPageUp); break;
    case ui::ScrollCode::PageDown: step(StepPageDown); break;
    case ui::ScrollCode::Top: step(StepFirst); break;
    case ui::ScrollCode::Bottom: step(StepLast); break;
    case ui::ScrollCode::ThumbTrack: {
        bool live = vertical ? s.liveVerticalTracking : s.liveHorizontalTracking;
        if (live)
            vertical ? SetFirstRow(ThumbToRow(position)) : SetFirstColumn(position + s.lockedColumns);
        bool tips = vertical ? s.rowScrollTips : s.columnScrollTips;
        if (tips) {
            std::string text;
            bool shown = vertical ? OnRowScrollTip(ThumbToRow(position), &text)
                                  : OnColumnScrollTip(position + s.lockedColumns, &text);
            if (shown)
                m_tip.ShowAt(ui::WindowSystem::Instance().PointerPosition(), text);
        }
        break;
    }
    case ui::ScrollCode::ThumbPosition:
        m_tip.Hide();
        vertical ? SetFirstRow(ThumbToRow(position)) : SetFirstColumn(position + s.lockedColumns);
        break;
    case ui::ScrollCode::EndScroll:
        UpdateScrollBars();
        break;
    }
    s.moveReason = MoveByKey;
}

void GridControl::RecomputeLocked() {
    GridSheet& s = *m_sheet;
    s.lockedWidth = 0;
    for (int c = 0; c < s.lockedColumns && c < s.columnCount; ++c)
        s.lockedWidth += s.columns[static_cast<std::size_t>(c)].width;
    s.lockedHeight = 0;
    for (long r = 0; r < s.lockedRows && r < s.rowCount; ++r)
        s.lockedHeight += s.RowHeight(r);
}

void GridControl::OnSize(ui::Size size) {
    (void)size;
    if (m_bound)
        LayoutParts();
}

void GridControl::LayoutParts() {
    if (!m_bound)
        return;
    GridSheet& s = *m_sheet;
    ui::Rect client = ClientRect();
    int rowHeader = s.rowHeaderWidth;
    int header = s.columnHeaderHeight;
    // A bar shows only when something is out of sight; one bar takes room from the other's direction.
    long columnsWidth = 0;
    for (const GridColumn& column : s.columns)
        columnsWidth += column.width;
    auto rowsExceed = [&](int available) {
        long y = 0;
        for (long r = 0; r < s.rowCount; ++r) {
            y += s.RowHeight(r);
            if (y > available)
                return true;
        }
        return false;
    };
    bool needH = columnsWidth > client.Width() - rowHeader;
    bool needV = rowsExceed(client.Height() - header - (needH ? s.hScrollHeight : 0));
    if (!needH && needV)
        needH = columnsWidth > client.Width() - rowHeader - s.vScrollWidth;
    if (needH && !needV)
        needV = rowsExceed(client.Height() - header - s.hScrollHeight);
    int vBar = needV ? s.vScrollWidth : 0;
    int hBar = needH ? s.hScrollHeight : 0;
    int tabsWidth = m_sheets.size() > 1 ? std::min(client.Width() / 3, 120) : 0;
    ui::Rect cells{rowHeader, header, client.right - vBar, client.bottom - hBar};
    ui::Rect columnHeader{rowHeader, 0, client.right - vBar, header};
    ui::Rect rowHeaderRect{0, header, rowHeader, client.bottom - hBar};
    ui::Rect corner{0, 0, rowHeader, header};
    ui::Rect tabs{0, client.bottom - hBar, tabsWidth, client.bottom};
    ui::Rect vertical{client.right - vBar, 0, client.right, client.bottom - hBar};
    ui::Rect horizontal{tabsWidth, client.bottom - hBar, client.right - vBar, client.bottom};
    OnLayoutParts(&cells, &columnHeader, &rowHeaderRect, &corner, &tabs, &vertical, &horizontal);
    auto place = [](ui::Window& part, const ui::Rect& rect) {
        ui::Rect fixed{rect.left, rect.top, std::max(rect.left, rect.right), std::max(rect.top, rect.bottom)};
        if (!(part.WindowRect() == fixed))
            part.Move(fixed);
    };
    place(m_cellArea, cells);
    place(m_columnHeader, columnHeader);
    place(m_rowHeader, rowHeaderRect);
    place(m_corner, corner);
    place(m_sheetTabs, tabs);
    place(m_vBar, vertical);
    place(m_hBar, horizontal);
    m_vBar.Show(needV);
    m_hBar.Show(needH);
    UpdateScrollBars();
}

std::vector<long> GridControl::VisibleRows(bool partlyToo) const {
    const GridSheet& s = *m_sheet;
    std::vector<long> rows;
    int height = m_cellArea.ClientRect().Height();
    long y = 0;
    auto take = [&](long r) {
        int h = s.RowHeight(r);
        if (y >= height || (!partlyToo && y + h > height))
            return false;
        rows.push_back(r);
        y += h;
        return true;
    };
    for (long r = 0; r < s.lockedRows && r < s.rowCount; ++r)
        if (!take(r))
            return rows;
    for (long r = std::max(s.firstRow, s.lockedRows); r < s.rowCount; ++r)
        if (!take(r))
            break;
    return rows;
}

std::vector<int> GridControl::VisibleColumns(bool partlyToo) const {
    std::vector<int> columns;
    std::vector<int> lefts;
    ColumnEdges(&columns, &lefts);
    if (partlyToo)
        return columns;
    int width = m_cellArea.ClientRect().Width();
    std::vector<int> whole;
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (lefts[i] + m_sheet->columns[static_cast<std::size_t>(columns[i])].width <= width)
            whole.push_back(columns[i]);
    return whole;
}

void GridControl::ColumnEdges(std::vector<int>* columns, std::vector<int>* lefts) const {
    const GridSheet& s = *m_sheet;
    int width = m_bound ? m_cellArea.ClientRect().Width() : 0;
    int x = 0;
    auto take = [&](int c) {
        if (x >= width && !(x == width && s.columns[static_cast<std::size_t>(c)].width == 0))
            return false;
        columns->push_back(c);
        lefts->push_back(x);
        x += s.columns[static_cast<std::size_t>(c)].width;
        return true;
    };
    for (int c = 0; c < s.lockedColumns && c < s.columnCount; ++c)
        if (!take(c))
            return;
    for (int c = std::max(s.firstColumn, s.lockedColumns); c < s.columnCount; ++c)
        if (!take(c))
            break;
}

std::string GridControl::Describe() const {
    auto* self = const_cast<GridControl*>(this);
    const GridSheet& s = *m_sheet;
    std::string text = "rows " + std::to_string(s.rowCount) + ", active " + std::to_string(s.activeColumn) + "," +
                       std::to_string(s.activeRow);
    for (const SelectionBlock& block : s.selection)
        text += ", selected " + std::to_string(block.startColumn) + "," + std::to_string(block.startRow) + ".." +
                std::to_string(block.endColumn) + "," + std::to_string(block.endRow);
    if (m_editing)
        text += ", editing " + std::to_string(m_editColumn) + "," + std::to_string(m_editRow) + " \"" +
                m_editor->Text() + "\"";
    text += "\n";
    std::string cell;
    for (long row = -1; row < s.rowCount; ++row) {
        text += row < 0 ? std::string("head") : std::to_string(row);
        for (int col = 0; col < s.columnCount; ++col) {
            cell.clear();
            [[maybe_unused]] int found = self->GetCellText(col, row, &cell);
            text += (col == 0 ? ": " : "|") + cell;
        }
        text += "\n";
    }
    return text;
}

bool GridControl::CellRect(int col, long row, ui::Rect* rect) const {
    const GridSheet& s = *m_sheet;
    std::vector<int> columns;
    std::vector<int> lefts;
    ColumnEdges(&columns, &lefts);
    int left = -1;
    if (col < 0) {
        left = 0;
    } else {
        for (std::size_t i = 0; i < columns.size(); ++i)
            if (columns[i] == col)
                left = lefts[i];
        if (left < 0)
            return false;
    }
    int top = -1;
    if (row < 0) {
        top = 0;
    } else {
        long y = 0;
        auto find = [&](long from, long to) {
            for (long r = from; r < to; ++r) {
                if (r == row) {
                    top = static_cast<int>(y);
                    return true;
                }
                y += s.RowHeight(r);
                if (y > m_cellArea.ClientRect().Height())
                    return false;
            }
            return false;
        };
        if (!find(0, std::min(s.lockedRows, s.rowCount)))
            find(std::max(s.firstRow, s.lockedRows), s.rowCount);
        if (top < 0)
            return false;
    }
    int width = col < 0 ? s.headerColumnWidths[static_cast<std::size_t>(std::min(-col, s.rowHeaderColumns) - 1)]
                        : s.columns[static_cast<std::size_t>(col)].width;
    int height = row < 0 ? s.headerRowHeights[static_cast<std::size_t>(std::min(static_cast<int>(-row), s.columnHeaderRows) - 1)]
                         : s.RowHeight(row);
    *rect = ui::Rect::FromSize(left, top, width, height);
    return true;
}

void GridControl::CellAt(ui::Point point, int* col, long* row) const {
    const GridSheet& s = *m_sheet;
    *col = -1;
    *row = -1;
    ui::Rect area = m_cellArea.ClientRect();
    if (point.x < 0 || point.y < 0 || point.x >= area.Width() || point.y >= area.Height())
        return;
    std::vector<int> columns;
    std::vector<int> lefts;
    ColumnEdges(&columns, &lefts);
    int foundCol = -1;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        int width = s.columns[static_cast<std::size_t>(columns[i])].width;
        if (point.x >= lefts[i] && point.x < lefts[i] + width) {
            foundCol = columns[i];
            break;
        }
    }
    long foundRow = -1;
    long y = 0;
    auto walk = [&](long from, long to) {
        for (long r = from; r < to && y <= point.y; ++r) {
            int h = s.RowHeight(r);
            if (point.y >= y && point.y < y + h) {
                foundRow = r;
                return true;
            }
            y += h;
        }
        return false;
    };
    if (!walk(0, std::min(s.lockedRows, s.rowCount)))
        walk(std::max(s.firstRow, s.lockedRows), s.rowCount);
    if (foundCol < 0 || foundRow < 0)
        return;
    *col = foundCol;
    *row = foundRow;
}

} // namespace vantorel
