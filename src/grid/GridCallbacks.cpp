#include "grid/GridControl.h"

#include "platform/ui/WindowSystem.h"

#include <cstdio>

namespace vantorel {

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
