#pragma once

#include "grid/CellDataSource.h"
#include "grid/CellType.h"
#include "grid/GridCell.h"
#include "grid/GridParts.h"
#include "grid/GridSheet.h"
#include "grid/MaskedEdit.h"
#include "platform/ui/Window.h"

#include <memory>
#include <string>
#include <vector>

namespace ui {
class Dialog;
}

namespace vantorel {

enum GridResult : int { GridOk = 0, GridOutOfRange = 1, GridOutOfRange2 = 2 };

// Where the active row goes with StepActiveRow, and the first visible row or column with the view steps.
enum GridStep : int { StepUp = 0, StepDown = 1, StepPageUp = 2, StepPageDown = 3, StepFirst = 4, StepLast = 5 };

// A spreadsheet-like child window: cells with a header row above and a header column to the left, scroll
// bars, in-place editing and sorting. It knows nothing of what its cells mean: a derived grid configures it
// in OnInitialize and answers the user through the callbacks below.
class GridControl : public ui::Window, public CellComparer {
public:
    static constexpr int kMaxSheets = 1024;
    static constexpr int kMaxColumns = 32000;
    static constexpr long kUniformRowsAbove = 64000;
    static constexpr unsigned kBindStyles = ui::StyleChild | ui::StyleVisible | ui::StyleBorder | ui::StyleTabStop;
    enum PartId : int { IdCellArea = 1, IdColumnHeader = 2, IdRowHeader = 3, IdCorner = 4, IdSheetTabs = 5,
                        IdVerticalBar = 6, IdHorizontalBar = 7 };

    GridControl();
    ~GridControl() override;

    // Construction and binding
    bool BindToDialogControl(ui::Dialog* parent, int controlId);
    int SetSheetCount(int count);
    int GetSheetCount() const { return static_cast<int>(m_sheets.size()); }
    GridSheet& Sheet() { return *m_sheet; }
    const GridSheet& Sheet() const { return *m_sheet; }

    // Shape
    int SetColumnCount(int count, bool redraw);
    int GetColumnCount() const { return m_sheet->columnCount; }
    int SetRowCount(long count, bool redraw);
    long GetRowCount() const { return m_sheet->rowCount; }
    int SetColumnWidth(int col, int width);
    int GetColumnWidth(int col) const;
    int MoveColumn(int fromCol, int toCol, bool before);
    int SetBaseRowHeight(int height);
    int SetRowHeight(long row, int height);
    int GetRowHeight(long row) const;
    int SetUniformRowHeight(bool on);
    int SetRowHeaderWidth(int width);
    int GetRowHeaderWidth() const { return m_sheet->rowHeaderWidth; }
    int SetColumnHeaderHeight(int height);
    int GetColumnHeaderHeight() const { return m_sheet->columnHeaderHeight; }
    int SetPaintEnabled(bool on);
    int RepaintAll();
    int RepaintRow(long row);
    void RepaintCell(int col, long row);
    int SetDataSource(CellDataSource* source);
    CellDataSource* DataSource() const { return m_sheet->dataSource; }

    // Rows
    int AddRow();
    int InsertRowAt(long row);
    int RemoveRow(long row);

    // Cells
    int ReadCell(int col, long row, GridCell* cell);
    int ResolveCell(int col, long row, GridCell* cell);
    int WriteCell(int col, long row, const GridCell* cell);
    const char* GetCellText(int col, long row);
    int GetCellText(int col, long row, std::string* text);
    int SetCellText(int col, long row, const std::string& text);
    int SetCellCaption(int col, long row, const std::string& caption);
    int SetCellTypeIndex(int col, long row, int index);
    int SetCellTypeStyle(int col, long row, int style);
    int RegisterCellType(CellType* type);
    CellType* CellTypeAt(int index) const;
    // The type that draws and handles a cell with this type index.
    CellType& TypeFor(int index) const;
    // The type of the cell as it is shown.
    CellType& TypeOfCell(int col, long row);
    int CellTypeCount() const { return static_cast<int>(m_types.size()); }

    // Active cell, selection, editing, sorting
    int GetActiveColumn() const { return m_sheet->activeColumn; }
    long GetActiveRow() const { return m_sheet->activeRow; }
    // Moves the active cell as a click or a key would: OnAllowMove, scrolling into view, the change sequence.
    int GotoCell(int col, long row);
    int BeginSelectionAt(int col, long row);
    int BeginEditAt(int col, long row, int key);
    int BeginEdit() { return BeginEditAt(m_sheet->activeColumn, m_sheet->activeRow, 0); }
    int BeginEditWithKey(int key) { return BeginEditAt(m_sheet->activeColumn, m_sheet->activeRow, key); }
    // Ends the open edit with the editor's text, as the editor does when it loses the focus.
    bool EndEdit(bool cancel);
    bool IsEditing() const { return m_editing; }
    int EditColumn() const { return m_editColumn; }
    long EditRow() const { return m_editRow; }
    ui::Window* Editor() const { return m_editor; }
    MaskedEdit& OwnEditor() { return m_ownEditor; }
    int StepActiveRow(int where);
    int SortRows(int col, int flags);

    // The view
    int SetFirstRow(long row);
    int SetFirstColumn(int col);
    int StepFirstRow(int where);
    int StepFirstColumn(int where);
    long GetFirstRow() const { return m_sheet->firstRow; }
    int GetFirstColumn() const { return m_sheet->firstColumn; }
    // Rows that fit whole in the cell area below the locked rows.
    long RowsPerPage() const;
    int ColumnsPerPage() const;
    long LastFirstRow() const;
    int LastFirstColumn() const;

    // Geometry, in the cell area's client coordinates; false when the cell is not in view.
    bool CellRect(int col, long row, ui::Rect* rect) const;
    // The cell under a point of the cell area, -1,-1 when none.
    void CellAt(ui::Point point, int* col, long* row) const;
    // The visible data rows and columns, locked ones first.
    std::vector<long> VisibleRows(bool partlyToo = true) const;
    std::vector<int> VisibleColumns(bool partlyToo = true) const;

    // Part windows
    CellAreaWindow& CellArea() { return m_cellArea; }
    ColumnHeaderWindow& ColumnHeader() { return m_columnHeader; }
    RowHeaderWindow& RowHeader() { return m_rowHeader; }
    CornerWindow& Corner() { return m_corner; }
    GridScrollBar& VerticalBar() { return m_vBar; }
    GridScrollBar& HorizontalBar() { return m_hBar; }
    TipWindow& Tip() { return m_tip; }
    // The scroll bar positions of the rows and columns, scaled when there are more than a bar holds.
    int RowToThumb(long row) const;
    long ThumbToRow(int thumb) const;

    // Callbacks, in slot order. The defaults do nothing or allow.
    using ui::Window::OnFocusGained;
    using ui::Window::OnFocusLost;
    virtual void OnFocusGained(int section) { (void)section; }
    virtual void OnInitialize() {}
    virtual void OnSheetInitialize(int sheet) { (void)sheet; }
    virtual bool OnAllowMove(int oldCol, long oldRow, int newCol, long newRow);
    virtual bool OnAllowScroll(int oldFirstCol, long oldFirstRow, int newFirstCol, long newFirstRow);
    virtual void OnPastLastRow(long rowCount, long rowsPast, long rowsFound);
    virtual bool OnAllowColumnResize(int col) { (void)col; return true; }
    virtual void OnColumnResizing(int col, int* width) { (void)col; (void)width; }
    virtual void OnColumnResized(int col, int* width) { (void)col; (void)width; }
    virtual bool OnAllowRowResize(long row) { (void)row; return true; }
    virtual void OnRowResizing(long row, int* height) { (void)row; (void)height; }
    virtual void OnRowResized(long row, int* height) { (void)row; (void)height; }
    virtual bool OnAllowHeaderHeightResize() { return true; }
    virtual bool OnAllowHeaderWidthResize() { return true; }
    virtual bool OnHeaderHeightResizing(int* height) { (void)height; return true; }
    virtual bool OnHeaderWidthResizing(int* width) { (void)width; return true; }
    virtual bool OnHeaderHeightResized(int* height) { (void)height; return true; }
    virtual bool OnHeaderWidthResized(int* width) { (void)width; return true; }
    virtual void OnActiveColumnChanged(int oldCol, int newCol) { (void)oldCol; (void)newCol; }
    virtual void OnActiveRowChanged(long oldRow, long newRow) { (void)oldRow; (void)newRow; }
    virtual void OnActiveCellChanged(int oldCol, int newCol, long oldRow, long newRow);
    virtual void OnFirstColumnChanged(int oldCol, int newCol) { (void)oldCol; (void)newCol; }
    virtual void OnFirstRowChanged(long oldRow, long newRow) { (void)oldRow; (void)newRow; }
    virtual void OnCellLeftClick(int col, long row, int down, ui::Rect* rect, ui::Point* point, bool processed);
    virtual void OnCellRightClick(int col, long row, int down, ui::Rect* rect, ui::Point* point, bool processed);
    virtual void OnCellDoubleClick(int col, long row, ui::Rect* rect, ui::Point* point, bool processed);
    virtual void OnCellMouseMove(int col, long row, ui::Point* point, unsigned keyFlags, bool processed);
    virtual void OnColumnHeaderLeftClick(int col, long row, int down, ui::Rect* rect, ui::Point* point, bool processed);
    virtual void OnColumnHeaderRightClick(int col, long row, int down, ui::Rect* rect, ui::Point* point, bool processed);
    virtual void OnColumnHeaderDoubleClick(int col, long row, ui::Rect* rect, ui::Point* point, bool processed);
    virtual void OnRowHeaderLeftClick(int col, long row, int down, ui::Rect* rect, ui::Point* point, bool processed);
    virtual void OnRowHeaderRightClick(int col, long row, int down, ui::Rect* rect, ui::Point* point, bool processed);
    virtual void OnRowHeaderDoubleClick(int col, long row, ui::Rect* rect, ui::Point* point, bool processed);
    virtual void OnCornerLeftClick(int down, ui::Rect* rect, ui::Point* point, bool processed);
    virtual void OnCornerRightClick(int down, ui::Rect* rect, ui::Point* point, bool processed);
    virtual void OnCornerDoubleClick(ui::Rect* rect, ui::Point* point, bool processed);
    virtual void OnGridKey(unsigned* key, bool processed) { (void)key; (void)processed; }
    virtual void OnGridChar(unsigned* key, bool processed) { (void)key; (void)processed; }
    virtual void OnCellRead(int col, long row, GridCell* cell) { (void)col; (void)row; (void)cell; }
    virtual void OnCellWrite(int col, long row, const GridCell* cell) { (void)col; (void)row; (void)cell; }
    virtual bool OnCellTypeEvent(long typeIndex, int col, long row, long event, long param);
    virtual bool OnEditBegin(int col, long row, ui::Window** editor);
    virtual bool OnEditKey(int col, long row, ui::Window* editor, unsigned* key);
    virtual bool OnEditEnd(int col, long row, ui::Window* editor, const char* text, bool cancelled);
    virtual bool OnEditNext(int oldCol, long oldRow, int* newCol, long* newRow);
    virtual void OnPopupCommand(int col, long row, int section, int item);
    virtual bool OnPopupOpen(int col, long row, int section);
    virtual bool OnCellTip(int col, long row, int section, std::string* text);
    virtual bool OnRowScrollTip(long row, std::string* text);
    virtual bool OnColumnScrollTip(int col, std::string* text);
    virtual int OnDropEnter(void* data) { (void)data; return 0; }
    virtual int OnDropOver(void* data, int col, long row) { (void)data; (void)col; (void)row; return 0; }
    virtual int OnDropData(void* data, int col, long row) { (void)data; (void)col; (void)row; return 0; }
    int OnCompareCells(const GridCell* a, const GridCell* b, int flags) override;
    virtual void OnPrepareDC(ui::Canvas& canvas, int value, int section);
    virtual void OnLayoutParts(ui::Rect* cells, ui::Rect* columnHeader, ui::Rect* rowHeader, ui::Rect* corner,
                               ui::Rect* sheetTabs, ui::Rect* verticalBar, ui::Rect* horizontalBar);
    virtual void OnSheetTabClick(long tabId) { (void)tabId; }
    virtual ui::Color OnDefaultBackColor(int section);
    virtual void OnDrawFocus(ui::Canvas& canvas, ui::Rect* rect);
    virtual void OnFocusLost(int section) { (void)section; }
    virtual bool OnColumnDragStart(int col) { (void)col; return true; }
    virtual bool OnAllowColumnMove(int fromCol, int toCol) { (void)fromCol; (void)toCol; return true; }
    virtual void OnTrackerMoved(ui::Rect* oldRect, ui::Rect* newRect) { (void)oldRect; (void)newRect; }

    // Window
    void OnFocusGained(ui::Window* previous) override;
    // The rows as "|"-separated texts under a line of the row count, the active cell and any open edit.
    std::string Describe() const override;
    void OnSize(ui::Size size) override;
    void OnPaint(ui::Canvas& canvas) override;

    // For the part windows, the editor and the cell types.
    void KeyInCells(unsigned key, unsigned modifiers, int step);
    void CharInCells(unsigned character);
    void EditorLeaving(ui::Window* next);
    void PaintCells(ui::Canvas& canvas, const ui::Rect& area);
    void PaintColumnHeader(ui::Canvas& canvas, const ui::Rect& area);
    void PaintRowHeader(ui::Canvas& canvas, const ui::Rect& area);
    void PaintCorner(ui::Canvas& canvas, const ui::Rect& area);
    void Scrolled(ui::ScrollBar bar, ui::ScrollCode code, int position);
    // x of each visible column's left edge in the cell area, and the columns, locked ones first.
    void ColumnEdges(std::vector<int>* columns, std::vector<int>* lefts) const;
    // The 3-D pens' colours.
    ui::Color HighlightColor() const { return m_highlightColor; }
    ui::Color ShadowColor() const { return m_shadowColor; }
    // The move with its callbacks; 0 moved or already there, 2 refused.
    int MoveTo(int col, long row);

private:
    void RunChangeSequence();
    // Makes (col, row) visible, asking OnAllowScroll; false when refused.
    bool ScrollIntoView(int col, long row, int* firstCol, long* firstRow) const;
    bool ApplyScroll(int firstCol, long firstRow);
    void LayoutParts();
    void UpdateScrollBars();
    void ClampFirstVisible();
    void RecomputeLocked();
    void ResetSheet(GridSheet& sheet);
    GridColumn MakeColumn(int position);
    CellDataSource* SourceFor(int col) const;
    int SourceColumn(int col) const;

    std::vector<std::unique_ptr<GridSheet>> m_sheets;
    GridSheet* m_sheet = nullptr;
    int m_activeSheet = 0;
    bool m_bound = false;
    bool m_paintEnabled = true;

    CellAreaWindow m_cellArea;
    ColumnHeaderWindow m_columnHeader;
    RowHeaderWindow m_rowHeader;
    CornerWindow m_corner;
    SheetTabWindow m_sheetTabs;
    GridScrollBar m_vBar;
    GridScrollBar m_hBar;
    TipWindow m_tip;

    std::vector<CellType*> m_types;
    CellType m_normalType;
    DropListCellType m_dropListType;
    CheckBoxCellType m_checkBoxType;
    ArrowCellType m_arrowType;
    ui::Color m_highlightColor;
    ui::Color m_shadowColor;

    bool m_editing = false;
    int m_editColumn = -1;
    long m_editRow = -1;
    MaskedEdit m_ownEditor;
    ui::Window* m_editor = nullptr;
    GridCell m_editCell;
    ui::Window* m_editHost = nullptr;
    bool m_ending = false;

    GridCell m_scratch;
    int m_popupColumn = -1;
    long m_popupRow = -1;
    int m_popupSection = 0;
};

} // namespace vantorel
