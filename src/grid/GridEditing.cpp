#include "grid/GridControl.h"

#include "platform/ui/WindowSystem.h"

namespace vantorel {

namespace {

bool IsInside(const ui::Window* window, const ui::Window* ancestor) {
    for (; window; window = window->Parent())
        if (window == ancestor)
            return true;
    return false;
}

} // namespace

int GridControl::BeginEditAt(int col, long row, int key) {
    GridSheet& s = *m_sheet;
    if (m_editing || !m_bound || col >= s.columnCount || col < -s.rowHeaderColumns || row >= s.rowCount ||
        row < -s.columnHeaderRows)
        return GridOutOfRange;
    m_editing = true;
    GridCell probe;
    ResolveCell(col, row, &probe);
    int joinCol = 0;
    long joinRow = 0;
    if (probe.GetJoin(&joinCol, &joinRow)) {
        col += joinCol;
        row += joinRow;
    }
    if (col != s.activeColumn || row != s.activeRow) {
        if (MoveTo(col, row) == GridOutOfRange2) {
            m_editing = false;
            return GridOutOfRange2;
        }
    }
    m_editColumn = col;
    m_editRow = row;
    ResolveCell(col, row, &m_editCell);
    CellType& type = TypeFor(m_editCell.GetCellType());
    if (!type.IsEditable()) {
        m_editing = false;
        return GridOutOfRange;
    }
    ui::Window* host = col < 0 ? static_cast<ui::Window*>(&m_rowHeader)
                               : row < 0 ? static_cast<ui::Window*>(&m_columnHeader) : &m_cellArea;
    ui::Rect rect;
    if (!CellRect(col, row, &rect)) {
        m_editing = false;
        return GridOutOfRange;
    }
    type.GetEditorRect(&rect);
    if (m_editCell.GetReadOnly()) {
        m_editing = false;
        return GridOutOfRange;
    }
    const char* text = m_editCell.GetText();
    ui::Window* editor = &m_ownEditor;
    m_ownEditor.SetText(text ? text : "");
    if (!s.dataSource->OnEditStart(col, row, &editor) || !OnEditBegin(col, row, &editor) || !editor) {
        m_editing = false;
        return GridOutOfRange;
    }
    m_editor = editor;
    m_editHost = host;
    if (editor->IsCreated() && editor->Parent() != host && editor == &m_ownEditor)
        editor->Destroy();
    if (!editor->IsCreated())
        editor->Create(host, rect, 0, "", ui::StyleChild | ui::StyleBorder);
    else
        editor->Move(rect);
    if (editor == &m_ownEditor) {
        m_ownEditor.Reset();
        const char* mask = m_editCell.GetEditMask();
        m_ownEditor.SetMask(mask ? mask : "");
    }
    editor->SetText(text ? text : "");
    const ui::Font* font = m_editCell.GetFont();
    editor->SetFont(font ? *font : GetFont());
    editor->BringToTop();
    editor->Show(true);
    editor->SetFocus();
    if (key > 0)
        editor->OnChar(static_cast<unsigned>(key), ui::ModNone);
    return GridOk;
}

void GridControl::EditorLeaving(ui::Window* next) {
    if (!m_editing || m_ending)
        return;
    // Focus that leaves the grid altogether takes the edit with it.
    bool outside = !IsInside(next, this);
    EndEdit(outside || m_ownEditor.Cancelled());
}

bool GridControl::EndEdit(bool cancel) {
    if (!m_editing || m_ending)
        return true;
    ui::Window* editor = m_editor;
    std::string text = editor->Text();
    bool own = editor == &m_ownEditor;
    bool next = own && m_ownEditor.Continuing() && !cancel;
    int nextCol = own ? m_ownEditor.NextColumn() : -1;
    long nextRow = own ? m_ownEditor.NextRow() : -1;
    int col = m_editColumn;
    long row = m_editRow;
    m_ending = true;
    bool accepted = m_sheet->dataSource->OnEditFinish(col, row, text.c_str(), cancel) &&
                    OnEditEnd(col, row, editor, text.c_str(), cancel);
    if (!accepted) {
        if (m_sheet->activeColumn != col || m_sheet->activeRow != row)
            MoveTo(col, row);
        if (own)
            m_ownEditor.Reset();
        m_ending = false;
        editor->SetFocus();
        return false;
    }
    bool hadFocus = editor->HasFocus();
    editor->Show(false);
    m_editing = false;
    if (hadFocus)
        m_cellArea.SetFocus();
    m_ending = false;
    if (!cancel)
        SetCellText(col, row, text);
    RepaintCell(col, row);
    if (next && nextCol >= 0 && nextCol < m_sheet->columnCount && nextRow >= 0 && nextRow < m_sheet->rowCount &&
        OnEditNext(col, row, &nextCol, &nextRow))
        BeginEditAt(nextCol, nextRow, 0);
    return true;
}

} // namespace vantorel
