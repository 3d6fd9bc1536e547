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
    // The previous active column stays as it was: the next move reports the column change from there.
    if (s.activeColumn >= count) {
        s.activeColumn = count - 1;
        s.dragColumn = count - 1;
    }
    if (s.dragColumn >= count)
        s.dragColumn = count - 1;
    if (s.activeColumn < 0 && count > 0) {
        s.activeColumn = 0;
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

int GridControl::AddRow() {
    int result = m_sheet->dataSource->AddRow();
    if (result == 0)
        SetRowCount(m_sheet->rowCount + 1, true);
    return result;
}

// Only a row past the end is refused: a negative row goes to the store, which inserts in front of a header
// row it holds, and does nothing for one it does not; either way the grid has a row more.
int GridControl::InsertRowAt(long row) {
    if (row > m_sheet->rowCount)
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

} // namespace vantorel
