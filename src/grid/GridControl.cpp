#include "grid/GridControl.h"

#include "platform/ui/Dialog.h"
#include "platform/ui/WindowSystem.h"

#include <algorithm>
#include <climits>
#include <cstdio>

namespace vantorel {

GridSheet::GridSheet() {
    gridDefaultCell = GridCell::Defaults();
    headerDefaultCell = GridCell::Defaults();
    headerDefaultCell.SetBackColor(ui::SystemColorOf(ui::SystemColor::ButtonFace));
    headerDefaultCell.SetBorderStyle(0x2000);
    headerDefaultCell.SetAlignment(0x24);
    vScrollWidth = ui::SystemMetricOf(ui::SystemMetric::ScrollBarWidth);
    hScrollHeight = ui::SystemMetricOf(ui::SystemMetric::ScrollBarHeight);
    ownedDataSource = std::make_unique<MemoryDataSource>();
    dataSource = ownedDataSource.get();
    defaultDataSource = dataSource;
}

GridControl::GridControl()
    : m_cellArea(*this), m_columnHeader(*this), m_rowHeader(*this), m_corner(*this), m_sheetTabs(*this),
      m_vBar(*this, ui::ScrollBar::Vertical), m_hBar(*this, ui::ScrollBar::Horizontal), m_ownEditor(*this) {
    m_types = {&m_normalType, &m_dropListType, &m_checkBoxType, &m_arrowType};
    for (std::size_t i = 0; i < m_types.size(); ++i) {
        m_types[i]->Attach(this, static_cast<int>(i));
        m_types[i]->OnRegistered();
    }
    m_highlightColor = ui::SystemColorOf(ui::SystemColor::ButtonHighlight);
    m_shadowColor = ui::SystemColorOf(ui::SystemColor::ButtonShadow);
    m_editor = &m_ownEditor;
    // No derived part exists yet, so this reaches only the base behaviour.
    SetSheetCount(1);
}

GridControl::~GridControl() {
    // The part windows are members: take them down before they are destroyed one by one.
    m_tip.Destroy();
    Destroy();
}

bool GridControl::BindToDialogControl(ui::Dialog* parent, int controlId) {
    if (!parent || m_bound)
        return false;
    if (!parent->TakeOverPlaceholder(controlId, *this, kBindStyles))
        return false;
    m_bound = true;
    m_cellArea.Create(this, ui::Rect{}, IdCellArea, "", ui::StyleChild | ui::StyleVisible);
    m_columnHeader.Create(this, ui::Rect{}, IdColumnHeader, "", ui::StyleChild | ui::StyleVisible);
    m_rowHeader.Create(this, ui::Rect{}, IdRowHeader, "", ui::StyleChild | ui::StyleVisible);
    m_corner.Create(this, ui::Rect{}, IdCorner, "", ui::StyleChild | ui::StyleVisible);
    m_sheetTabs.Create(this, ui::Rect{}, IdSheetTabs, "", ui::StyleChild | ui::StyleVisible);
    m_vBar.Create(this, ui::Rect{}, IdVerticalBar, "", ui::StyleChild | ui::StyleVisible | ui::StyleVScroll);
    m_hBar.Create(this, ui::Rect{}, IdHorizontalBar, "", ui::StyleChild | ui::StyleVisible | ui::StyleHScroll);
    m_tip.Create(nullptr, ui::Rect{}, 0, "", ui::StylePopup | ui::StyleBorder);
    for (GridPart* part : std::initializer_list<GridPart*>{&m_cellArea, &m_columnHeader, &m_rowHeader, &m_corner,
                                                           &m_sheetTabs, &m_vBar, &m_hBar})
        part->SetSheet(m_sheet);
    LayoutParts();
    OnInitialize();
    OnSheetInitialize(0);
    LayoutParts();
    return true;
}

int GridControl::SetSheetCount(int count) {
    if (count < 1 || count > kMaxSheets)
        return GridOutOfRange;
    int old = static_cast<int>(m_sheets.size());
    if (count < old) {
        if (m_activeSheet >= count)
            m_activeSheet = count - 1;
        m_sheet = m_sheets[static_cast<std::size_t>(m_activeSheet)].get();
        m_sheets.resize(static_cast<std::size_t>(count));
        return GridOk;
    }
    for (int i = old; i < count; ++i) {
        m_sheets.push_back(std::make_unique<GridSheet>());
        // Each new sheet is the active one while it is set up.
        GridSheet* active = m_sheet;
        m_sheet = m_sheets.back().get();
        OnSheetInitialize(i);
        m_sheet = active ? active : m_sheets.front().get();
    }
    return GridOk;
}

// ---- Shape --------------------------------------------------------------------------------------------

GridColumn GridControl::MakeColumn(int position) {
    GridColumn column;
    column.width = m_sheet->defaultColumnWidth;
    column.dataSource = m_sheet->defaultDataSource;
    column.defaultCell = std::make_unique<GridCell>(m_sheet->gridDefaultCell);
    column.sourceIndex = position;
    return column;
}

int GridControl::SetColumnCount(int count, bool redraw) {
    GridSheet& s = *m_sheet;
    if (count < 0 || count > kMaxColumns)
        return GridOutOfRange;
    if (count < s.columnCount) {
        s.columns.resize(static_cast<std::size_t>(count));
    } else {
        s.columns.reserve(static_cast<std::size_t>(count));
        for (int i = s.columnCount; i < count; ++i)
            s.columns.push_back(MakeColumn(i));
    }
    s.columnCount = count;
    if (count > 0 && count <= s.lockedColumns) {
        s.lockedColumns = count - 1;
        s.firstColumn = s.lockedColumns;
    }
    if (s.activeColumn >= count) {
        s.activeColumn = count - 1;
        s.previousActiveColumn = std::min(s.previousActiveColumn, count - 1);
        s.dragColumn = count - 1;
    }
    if (s.dragColumn >= count)
        s.dragColumn = count - 1;
    if (s.activeColumn < 0 && count > 0) {
        s.activeColumn = 0;
        s.previousActiveColumn = 0;
        s.dragColumn = 0;
    }
    RecomputeLocked();
    ClampFirstVisible();
    if (redraw)
        RepaintAll();
    return GridOk;
}

int GridControl::SetRowCount(long count, bool redraw) {
    GridSheet& s = *m_sheet;
    if (count < 0)
        return GridOutOfRange;
    if (count > 0 && count <= s.lockedRows)
        s.lockedRows = count - 1;
    if (count > kUniformRowsAbove && !s.uniformRowHeight) {
        s.uniformRowHeight = true;
        std::vector<int>().swap(s.rowHeights);
    }
    s.rowCount = count;
    if (!s.uniformRowHeight)
        s.rowHeights.resize(static_cast<std::size_t>(count), s.defaultRowHeight);
    long firstBefore = s.firstRow;
    UpdateScrollBars();
    if (s.firstRow != firstBefore)
        RunChangeSequence();
    if (s.activeRow >= count) {
        s.activeRow = count - 1;
        s.previousActiveRow = count - 1;
        s.dragRow = count - 1;
    } else if (s.dragRow >= count) {
        s.dragRow = count - 1;
    }
    RecomputeLocked();
    if (s.activeRow < 0 && count > 0)
        MoveTo(s.activeColumn, 0);
    if (redraw)
        RepaintAll();
    return GridOk;
}

int GridControl::SetColumnWidth(int col, int width) {
    GridSheet& s = *m_sheet;
    if (col >= 0 && col < s.columnCount) {
        s.columns[static_cast<std::size_t>(col)].width = width;
        if (col < s.lockedColumns)
            RecomputeLocked();
        return GridOk;
    }
    if (col < 0 && -col <= s.rowHeaderColumns) {
        if (width < 0 || width > 1024)
            return GridOutOfRange2;
        s.headerColumnWidths[static_cast<std::size_t>(-col - 1)] = width;
        if (s.rowHeaderColumns == 1)
            s.rowHeaderWidth = width;
        LayoutParts();
        return GridOk;
    }
    return GridOutOfRange;
}

int GridControl::GetColumnWidth(int col) const {
    const GridSheet& s = *m_sheet;
    if (col < 0 || col >= s.columnCount)
        return GridOutOfRange;
    return s.columns[static_cast<std::size_t>(col)].width;
}

int GridControl::MoveColumn(int fromCol, int toCol, bool before) {
    GridSheet& s = *m_sheet;
    if (fromCol < 0 || fromCol >= s.columnCount || toCol < 0 || toCol >= s.columnCount)
        return GridOutOfRange;
    int target = before ? toCol : toCol + 1; // the position the record goes in front of
    if (target == fromCol || target == fromCol + 1)
        return GridOk;
    GridColumn moving = std::move(s.columns[static_cast<std::size_t>(fromCol)]);
    s.columns.erase(s.columns.begin() + fromCol);
    if (target > fromCol)
        --target;
    s.columns.insert(s.columns.begin() + target, std::move(moving));
    RecomputeLocked();
    RepaintAll();
    return GridOk;
}

int GridControl::SetBaseRowHeight(int height) {
    if (height < 1 || height > 1024)
        return GridOutOfRange;
    m_sheet->defaultRowHeight = height;
    RepaintAll();
    return GridOk;
}

int GridControl::SetRowHeight(long row, int height) {
    GridSheet& s = *m_sheet;
    if (row < 0 || row >= s.rowCount || height < 0 || height > 1024)
        return GridOutOfRange;
    if (s.uniformRowHeight)
        s.defaultRowHeight = std::max(height, 1);
    else
        s.rowHeights[static_cast<std::size_t>(row)] = height;
    RecomputeLocked();
    return GridOk;
}

int GridControl::GetRowHeight(long row) const {
    if (row < 0 || row >= m_sheet->rowCount)
        return GridOutOfRange;
    return m_sheet->RowHeight(row);
}

int GridControl::SetUniformRowHeight(bool on) {
    GridSheet& s = *m_sheet;
    if (on == s.uniformRowHeight)
        return GridOk;
    s.uniformRowHeight = on;
    if (on)
        std::vector<int>().swap(s.rowHeights);
    else
        s.rowHeights.assign(static_cast<std::size_t>(s.rowCount), s.defaultRowHeight);
    return GridOk;
}

int GridControl::SetRowHeaderWidth(int width) {
    GridSheet& s = *m_sheet;
    if (width < 0 || width > 1024)
        return GridOutOfRange;
    long sum = 0;
    for (int w : s.headerColumnWidths)
        sum += w;
    if (sum > 0) {
        double ratio = static_cast<double>(width) / static_cast<double>(sum);
        for (int& w : s.headerColumnWidths)
            w = static_cast<int>(w * ratio + 0.5);
    } else {
        // Hidden headers have no proportions left to keep: the first header column takes it all.
        std::fill(s.headerColumnWidths.begin(), s.headerColumnWidths.end(), 0);
        s.headerColumnWidths.front() = width;
    }
    s.rowHeaderWidth = width;
    LayoutParts();
    return GridOk;
}

int GridControl::SetColumnHeaderHeight(int height) {
    GridSheet& s = *m_sheet;
    if (height < 0 || height > 1024)
        return GridOutOfRange;
    long sum = 0;
    for (int h : s.headerRowHeights)
        sum += h;
    if (sum > 0) {
        double ratio = static_cast<double>(height) / static_cast<double>(sum);
        for (int& h : s.headerRowHeights)
            h = static_cast<int>(h * ratio + 0.5);
    } else {
        std::fill(s.headerRowHeights.begin(), s.headerRowHeights.end(), 0);
        s.headerRowHeights.front() = height;
    }
    s.columnHeaderHeight = height;
    LayoutParts();
    return GridOk;
}

int GridControl::SetPaintEnabled(bool on) {
    m_paintEnabled = on;
    return GridOk;
}

int GridControl::RepaintAll() {
    if (!m_paintEnabled)
        return GridOk;
    LayoutParts();
    Invalidate();
    for (ui::Window* part : Children())
        part->Invalidate();
    return GridOk;
}

int GridControl::RepaintRow(long row) {
    (void)row; // the cell area paints as a whole
    m_cellArea.Invalidate();
    return GridOk;
}

void GridControl::RepaintCell(int col, long row) {
    if (col < 0 && row >= 0)
        m_rowHeader.Invalidate();
    else if (row < 0)
        (col < 0 ? static_cast<ui::Window&>(m_corner) : m_columnHeader).Invalidate();
    else
        m_cellArea.Invalidate();
}

int GridControl::SetDataSource(CellDataSource* source) {
    if (!source)
        return GridOutOfRange;
    m_sheet->dataSource = source;
    return GridOk;
}

// ---- Rows ---------------------------------------------------------------------------------------------

int GridControl::AddRow() {
    int result = m_sheet->dataSource->AddRow();
    if (result == 0)
        SetRowCount(m_sheet->rowCount + 1, true);
    return result;
}

int GridControl::InsertRowAt(long row) {
    if (row < 0 || row > m_sheet->rowCount)
        return GridOutOfRange;
    int result = m_sheet->dataSource->InsertRow(row);
    if (result == 0)
        SetRowCount(m_sheet->rowCount + 1, true);
    return result;
}

int GridControl::RemoveRow(long row) {
    if (row < 0 || row >= m_sheet->rowCount)
        return GridOutOfRange;
    int result = m_sheet->dataSource->RemoveRow(row);
    if (result == 0)
        SetRowCount(m_sheet->rowCount - 1, true);
    return result;
}

// ---- Cells --------------------------------------------------------------------------------------------

CellDataSource* GridControl::SourceFor(int col) const {
    if (col < 0)
        return m_sheet->defaultDataSource;
    return m_sheet->columns[static_cast<std::size_t>(col)].dataSource;
}

int GridControl::SourceColumn(int col) const {
    return col < 0 ? col : m_sheet->columns[static_cast<std::size_t>(col)].sourceIndex;
}

int GridControl::ReadCell(int col, long row, GridCell* cell) {
    if (!cell || col >= m_sheet->columnCount)
        return GridOutOfRange;
    cell->ClearAll();
    return SourceFor(col)->ReadCell(SourceColumn(col), row, cell);
}

int GridControl::ResolveCell(int col, long row, GridCell* cell) {
    const GridSheet& s = *m_sheet;
    if (!cell || col >= s.columnCount)
        return GridOutOfRange;
    if (col < 0 || row < 0)
        cell->ReplaceWith(s.headerDefaultCell);
    else
        cell->ReplaceWith(*s.columns[static_cast<std::size_t>(col)].defaultCell);
    if (row < s.rowCount) {
        SourceFor(col)->ReadCell(SourceColumn(col), row, cell);
        OnCellRead(col, row, cell);
    }
    if (CellFormatter* format = cell->GetFormat())
        format->Apply(*cell);
    if (const GridCell* style = cell->GetStyleCell()) {
        GridCell copy = *style;
        cell->MergeFrom(copy);
    }
    return GridOk;
}

int GridControl::WriteCell(int col, long row, const GridCell* cell) {
    if (!cell || col >= m_sheet->columnCount)
        return GridOutOfRange;
    OnCellWrite(col, row, cell);
    SourceFor(col)->WriteCell(SourceColumn(col), row, *cell);
    return GridOk;
}

const char* GridControl::GetCellText(int col, long row) {
    if (ReadCell(col, row, &m_scratch) == GridOutOfRange)
        return nullptr;
    return m_scratch.GetText();
}

int GridControl::GetCellText(int col, long row, std::string* text) {
    if (!text)
        return GridOutOfRange;
    const char* value = GetCellText(col, row);
    *text = value ? value : "";
    return GridOk;
}

int GridControl::SetCellText(int col, long row, const std::string& text) {
    if (col >= m_sheet->columnCount)
        return GridOutOfRange;
    ReadCell(col, row, &m_scratch);
    m_scratch.SetText(text);
    WriteCell(col, row, &m_scratch);
    return GridOk;
}

int GridControl::SetCellCaption(int col, long row, const std::string& caption) {
    if (col >= m_sheet->columnCount)
        return GridOutOfRange;
    ReadCell(col, row, &m_scratch);
    m_scratch.SetCaption(caption);
    WriteCell(col, row, &m_scratch);
    return GridOk;
}

int GridControl::SetCellTypeIndex(int col, long row, int index) {
    if (col >= m_sheet->columnCount)
        return GridOutOfRange;
    ReadCell(col, row, &m_scratch);
    m_scratch.SetCellType(index);
    WriteCell(col, row, &m_scratch);
    return GridOk;
}

int GridControl::SetCellTypeStyle(int col, long row, int style) {
    if (col >= m_sheet->columnCount)
        return GridOutOfRange;
    ReadCell(col, row, &m_scratch);
    m_scratch.SetCellTypeStyle(style);
    WriteCell(col, row, &m_scratch);
    return GridOk;
}

int GridControl::RegisterCellType(CellType* type) {
    if (!type || m_types.size() >= static_cast<std::size_t>(INT_MAX))
        return -1;
    int index = static_cast<int>(m_types.size());
    m_types.push_back(type);
    type->Attach(this, index);
    type->OnRegistered();
    return index;
}

CellType* GridControl::CellTypeAt(int index) const {
    if (index < 0 || index >= static_cast<int>(m_types.size()))
        return nullptr;
    return m_types[static_cast<std::size_t>(index)];
}

CellType& GridControl::TypeFor(int index) const {
    CellType* type = index >= 1 ? CellTypeAt(index) : nullptr;
    return type ? *type : *m_types.front();
}

CellType& GridControl::TypeOfCell(int col, long row) {
    GridCell cell;
    ResolveCell(col, row, &cell);
    return TypeFor(cell.GetCellType());
}

// ---- Moving the active cell ---------------------------------------------------------------------------

int GridControl::GotoCell(int col, long row) {
    return MoveTo(col, row);
}

int GridControl::MoveTo(int col, long row) {
    GridSheet& s = *m_sheet;
    s.dragColumn = col;
    s.dragRow = row;
    if (!OnAllowMove(s.activeColumn, s.activeRow, col, row)) {
        s.dragColumn = s.activeColumn;
        s.dragRow = s.activeRow;
        return GridOutOfRange2;
    }
    int firstCol = s.firstColumn;
    long firstRow = s.firstRow;
    if (ScrollIntoView(col, row, &firstCol, &firstRow) &&
        OnAllowScroll(s.firstColumn, s.firstRow, firstCol, firstRow)) {
        s.firstColumn = firstCol;
        s.firstRow = firstRow;
        UpdateScrollBars();
    }
    if (!s.multiSelect || m_editing) {
        s.activeColumn = s.dragColumn;
        s.activeRow = s.dragRow;
    } else {
        // New block on a plain move, extended with Shift, another block with Ctrl.
        SelectionBlock block{s.dragColumn, s.dragRow, s.dragColumn, s.dragRow};
        if ((s.moveKeyFlags & ui::ModShift) && !s.selection.empty()) {
            s.selection.back().endColumn = s.dragColumn;
            s.selection.back().endRow = s.dragRow;
        } else if (s.moveKeyFlags & ui::ModControl) {
            s.selection.push_back(block);
        } else {
            s.selection.assign(1, block);
        }
        s.activeColumn = s.dragColumn;
        s.activeRow = s.dragRow;
    }
    RunChangeSequence();
    return GridOk;
}

void GridControl::RunChangeSequence() {
    GridSheet& s = *m_sheet;
    int oldCol = s.previousActiveColumn;
    long oldRow = s.previousActiveRow;
    int newCol = s.activeColumn;
    long newRow = s.activeRow;
    int oldFirstCol = s.previousFirstColumn;
    long oldFirstRow = s.previousFirstRow;
    int newFirstCol = s.firstColumn;
    long newFirstRow = s.firstRow;
    // What follows may move again; the next sequence starts from here.
    s.previousActiveColumn = newCol;
    s.previousActiveRow = newRow;
    s.previousFirstColumn = newFirstCol;
    s.previousFirstRow = newFirstRow;
    bool columnChanged = oldCol != newCol;
    bool rowChanged = oldRow != newRow;
    if (columnChanged) {
        s.dataSource->OnActiveColumnChange(oldCol, newCol);
        OnActiveColumnChanged(oldCol, newCol);
    }
    if (rowChanged) {
        s.dataSource->OnActiveRowChange(oldRow, newRow);
        OnActiveRowChanged(oldRow, newRow);
    }
    if (columnChanged || rowChanged)
        OnActiveCellChanged(oldCol, newCol, oldRow, newRow);
    if (oldFirstCol != newFirstCol)
        OnFirstColumnChanged(oldFirstCol, newFirstCol);
    if (oldFirstRow != newFirstRow)
        OnFirstRowChanged(oldFirstRow, newFirstRow);
    if (columnChanged || rowChanged) {
        GridCell cell;
        if (oldCol < s.columnCount && (oldCol >= 0 || oldRow >= 0) && oldRow >= -s.columnHeaderRows) {
            ResolveCell(oldCol, oldRow, &cell);
            TypeFor(cell.GetCellType()).OnFocusOut(oldCol, oldRow, &cell);
        }
        if (newCol < s.columnCount && (newCol >= 0 || newRow >= 0)) {
            ResolveCell(newCol, newRow, &cell);
            TypeFor(cell.GetCellType()).OnFocusIn(newCol, newRow, &cell);
        }
    }
    if (m_bound) {
        m_cellArea.Invalidate();
        if (rowChanged || oldFirstRow != newFirstRow)
            m_rowHeader.Invalidate();
        if (columnChanged || oldFirstCol != newFirstCol)
            m_columnHeader.Invalidate();
    }
}

bool GridControl::ScrollIntoView(int col, long row, int* firstCol, long* firstRow) const {
    const GridSheet& s = *m_sheet;
    bool changed = false;
    ui::Rect area = m_cellArea.ClientRect();
    if (row >= s.lockedRows && row < s.rowCount) {
        long first = *firstRow;
        if (row < first) {
            first = row;
        } else {
            int available = area.Height() - s.lockedHeight;
            long y = 0;
            for (long r = first; r <= row && r < s.rowCount; ++r)
                y += s.RowHeight(r);
            if (y > available) {
                // The lowest first row that still shows `row` whole.
                long sum = 0;
                first = row;
                while (first > s.lockedRows && sum + s.RowHeight(first) <= available) {
                    sum += s.RowHeight(first);
                    --first;
                }
                if (sum + s.RowHeight(first) > available && first < row)
                    ++first;
            }
        }
        first = std::max(first, s.lockedRows);
        if (first != *firstRow) {
            *firstRow = first;
            changed = true;
        }
    }
    if (col >= s.lockedColumns && col < s.columnCount) {
        int first = *firstCol;
        if (col < first) {
            first = col;
        } else {
            int available = area.Width() - s.lockedWidth;
            long x = 0;
            for (int c = first; c <= col; ++c)
                x += s.columns[static_cast<std::size_t>(c)].width;
            if (x > available) {
                long sum = 0;
                first = col;
                while (first > s.lockedColumns && sum + s.columns[static_cast<std::size_t>(first)].width <= available) {
                    sum += s.columns[static_cast<std::size_t>(first)].width;
                    --first;
                }
                if (sum + s.columns[static_cast<std::size_t>(first)].width > available && first < col)
                    ++first;
            }
        }
        first = std::max(first, s.lockedColumns);
        if (first != *firstCol) {
            *firstCol = first;
            changed = true;
        }
    }
    return changed;
}

int GridControl::StepActiveRow(int where) {
    GridSheet& s = *m_sheet;
    if (where < StepUp || where > StepLast)
        return GridOk;
    if (s.multiSelect && !(s.moveKeyFlags & ui::ModShift))
        s.selection.clear();
    if (s.rowCount <= 0)
        return GridOk;
    long row = s.activeRow;
    long page = std::max(RowsPerPage(), 1L);
    long target = row;
    switch (where) {
    case StepUp: target = row - 1; break;
    case StepDown: target = row + 1; break;
    case StepPageUp: target = row - page; break;
    case StepPageDown: target = row + page; break;
    case StepFirst: target = 0; break;
    case StepLast: target = s.rowCount - 1; break;
    default: break;
    }
    target = std::clamp(target, 0L, s.rowCount - 1);
    if (target == row)
        return GridOk;
    return MoveTo(s.activeColumn, target);
}

int GridControl::SortRows(int col, int flags) {
    if (col < 0 || col >= m_sheet->columnCount)
        return GridOutOfRange;
    int source = SourceColumn(col);
    return m_sheet->defaultDataSource->Sort(&source, 1, flags, *this);
}

int GridControl::BeginSelectionAt(int col, long row) {
    GridSheet& s = *m_sheet;
    s.selection.assign(1, SelectionBlock{col, row, col, row});
    RepaintCell(col, row);
    return GridOk;
}

// ---- The view -----------------------------------------------------------------------------------------

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
    if (!m_editing)
        m_cellArea.SetFocus();
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
            GridScrollBar& barWindow = vertical ? m_vBar : m_hBar;
            ui::Rect screen = barWindow.ScreenRect();
            ui::Point at = vertical ? ui::Point{screen.left - 4, screen.top} : ui::Point{screen.left, screen.top - 20};
            if (shown)
                m_tip.ShowAt(at, text);
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

// ---- Layout and geometry ------------------------------------------------------------------------------

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

// ---- Keys from the cell area --------------------------------------------------------------------------

void GridControl::KeyInCells(unsigned key, unsigned modifiers, int step) {
    GridSheet& s = *m_sheet;
    s.moveReason = MoveByKey;
    s.moveKeyFlags = modifiers;
    bool processed = false;
    if (s.activeColumn < s.columnCount && s.activeRow >= 0)
        processed = TypeOfCell(s.activeColumn, s.activeRow).OnKeyPress(s.activeColumn, s.activeRow, &key);
    OnGridKey(&key, processed);
    if (key == 0 || s.columnCount == 0 || s.rowCount == 0)
        return;
    bool control = (modifiers & ui::ModControl) != 0;
    int col = s.activeColumn;
    long row = s.activeRow;
    switch (key) {
    case ui::KeyLeft:
        if (col > 0)
            MoveTo(std::max(col - step, 0), row);
        break;
    case ui::KeyRight:
        if (col < s.columnCount - 1)
            MoveTo(std::min(col + step, s.columnCount - 1), row);
        break;
    case ui::KeyUp:
        if (row > 0)
            MoveTo(col, std::max(row - step, 0L));
        break;
    case ui::KeyDown: {
        long target = row + step;
        if (target > s.rowCount - 1) {
            // The source may find more rows first.
            long before = s.rowCount;
            s.dataSource->OnMovePastLastRow();
            OnPastLastRow(s.rowCount, target - (before - 1), s.rowCount - before);
            target = std::min(target, s.rowCount - 1);
        }
        if (target != row)
            MoveTo(col, target);
        break;
    }
    case ui::KeyPageUp: StepActiveRow(StepPageUp); break;
    case ui::KeyPageDown: StepActiveRow(StepPageDown); break;
    case ui::KeyHome:
        if (control)
            StepActiveRow(StepFirst);
        else if (col != 0)
            MoveTo(0, row);
        break;
    case ui::KeyEnd:
        if (control)
            StepActiveRow(StepLast);
        else if (col != s.columnCount - 1)
            MoveTo(s.columnCount - 1, row);
        break;
    default: break;
    }
}

void GridControl::CharInCells(unsigned character) {
    GridSheet& s = *m_sheet;
    bool processed = false;
    if (s.activeColumn < s.columnCount && s.activeRow >= 0)
        processed = TypeOfCell(s.activeColumn, s.activeRow).OnCharacter(s.activeColumn, s.activeRow, &character);
    OnGridChar(&character, processed);
}

void GridControl::OnFocusGained(ui::Window* previous) {
    (void)previous;
    // The grid is one tab stop; the keys go to its cells.
    if (m_bound && !m_editing)
        m_cellArea.SetFocus();
}

// ---- Default callbacks --------------------------------------------------------------------------------

bool GridControl::OnAllowMove(int, long, int, long) { return true; }
bool GridControl::OnAllowScroll(int, long, int, long) { return true; }
void GridControl::OnPastLastRow(long, long, long) {}
void GridControl::OnActiveCellChanged(int, int, long, long) {}
void GridControl::OnCellLeftClick(int, long, int, ui::Rect*, ui::Point*, bool) {}
void GridControl::OnCellRightClick(int, long, int, ui::Rect*, ui::Point*, bool) {}
void GridControl::OnCellDoubleClick(int, long, ui::Rect*, ui::Point*, bool) {}
void GridControl::OnCellMouseMove(int, long, ui::Point*, unsigned, bool) {}
void GridControl::OnColumnHeaderLeftClick(int, long, int, ui::Rect*, ui::Point*, bool) {}
void GridControl::OnColumnHeaderRightClick(int, long, int, ui::Rect*, ui::Point*, bool) {}
void GridControl::OnColumnHeaderDoubleClick(int, long, ui::Rect*, ui::Point*, bool) {}
void GridControl::OnRowHeaderLeftClick(int, long, int, ui::Rect*, ui::Point*, bool) {}
void GridControl::OnRowHeaderRightClick(int, long, int, ui::Rect*, ui::Point*, bool) {}
void GridControl::OnRowHeaderDoubleClick(int, long, ui::Rect*, ui::Point*, bool) {}
void GridControl::OnCornerLeftClick(int, ui::Rect*, ui::Point*, bool) {}
void GridControl::OnCornerRightClick(int, ui::Rect*, ui::Point*, bool) {}
void GridControl::OnCornerDoubleClick(ui::Rect*, ui::Point*, bool) {}
bool GridControl::OnCellTypeEvent(long, int, long, long, long) { return true; }
bool GridControl::OnEditBegin(int, long, ui::Window**) { return true; }
bool GridControl::OnEditEnd(int, long, ui::Window*, const char*, bool) { return true; }
bool GridControl::OnEditNext(int, long, int*, long*) { return true; }
void GridControl::OnPopupCommand(int, long, int, int) {}
bool GridControl::OnPopupOpen(int, long, int) { return true; }
bool GridControl::OnRowScrollTip(long, std::string*) { return true; }
bool GridControl::OnColumnScrollTip(int, std::string*) { return true; }
void GridControl::OnPrepareDC(ui::Canvas&, int, int) {}
void GridControl::OnLayoutParts(ui::Rect*, ui::Rect*, ui::Rect*, ui::Rect*, ui::Rect*, ui::Rect*, ui::Rect*) {}

bool GridControl::OnEditKey(int col, long row, ui::Window* editor, unsigned* key) {
    (void)row;
    if (!key)
        return false;
    if (col == 1) {
        // A price: digits and one decimal point.
        if (*key == ui::KeyBack || (*key >= '0' && *key <= '9'))
            return true;
        return *key == '.' && editor && editor->Text().find('.') == std::string::npos;
    }
    if (col == 2)
        return *key != '|'; // the catalogue's own separator
    return true;
}

bool GridControl::OnCellTip(int col, long row, int section, std::string* text) {
    (void)section;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "Col:%d Row:%ld", col, row);
    *text = buffer;
    return true;
}

int GridControl::OnCompareCells(const GridCell* a, const GridCell* b, int flags) {
    return DefaultCompareCells(a, b, flags);
}

ui::Color GridControl::OnDefaultBackColor(int section) {
    return ui::SystemColorOf(section == SectionCells ? ui::SystemColor::Window : ui::SystemColor::ButtonFace);
}

void GridControl::OnDrawFocus(ui::Canvas& canvas, ui::Rect* rect) {
    ui::Rect frame = *rect;
    frame.right -= 1;
    frame.bottom -= 1;
    canvas.DrawFocusRect(frame);
}

} // namespace vantorel
