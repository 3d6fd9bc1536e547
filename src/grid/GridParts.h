#pragma once

#include "grid/GridSheet.h"
#include "platform/ui/Window.h"

#include <string>

namespace vantorel {

class GridControl;

// The cursor a part window shows.
enum class GridCursor { Arrow, SizeWestEast, SizeNorthSouth };

// Sections, as callbacks name them.
enum GridSection : int { SectionCells = 1, SectionColumnHeader = 2, SectionRowHeader = 3 };

// What every part window has: the way back to its grid and to the sheet it shows.
class GridPart : public ui::Window {
public:
    explicit GridPart(GridControl& grid) : m_grid(grid) {}
    void SetSheet(GridSheet* sheet) { m_sheet = sheet; }
    GridCursor Cursor() const { return m_cursor; }

protected:
    GridControl& m_grid;
    GridSheet* m_sheet = nullptr;
    GridCursor m_cursor = GridCursor::Arrow;
};

class CellAreaWindow : public GridPart {
public:
    static constexpr int kTipTimer = 2;
    static constexpr int kTipDelayMs = 500;

    using GridPart::GridPart;
    void OnPaint(ui::Canvas& canvas) override;
    void OnMouseDown(const ui::MouseEvent& event) override;
    void OnMouseUp(const ui::MouseEvent& event) override;
    void OnDoubleClick(const ui::MouseEvent& event) override;
    void OnMouseMove(const ui::MouseEvent& event) override;
    void OnMouseWheel(const ui::MouseEvent& event) override;
    bool OnKeyDown(const ui::KeyEvent& event) override;
    void OnKeyUp(const ui::KeyEvent& event) override;
    void OnChar(unsigned character, unsigned modifiers) override;
    void OnTimer(int id) override;
    void OnFocusGained(ui::Window* previous) override;
    void OnFocusLost(ui::Window* next) override;
    void OnCaptureLost() override;
    // Enter, Esc and the arrows belong to the grid; Tab still leaves it for the next control, so that a keyboard
    // user is never trapped in the grid.
    unsigned WantedKeys(const ui::KeyEvent&) const override { return ui::WantAllKeys & ~static_cast<unsigned>(ui::WantTab); }
    bool TakesFocus() const override { return true; }
    // "cell:COLUMN:ROW", the column by its number or its heading, while the cell is in view.
    bool FindItem(const std::string& name, ui::Rect& rect) const override;

    int KeyPressCount() const { return m_keyPresses; }
    bool TypeHoldsMouse() const { return m_typeHoldsMouse; }
    const std::string& TipText() const { return m_tipText; }

private:
    struct DragStepResult {
        bool outside = false; // the pointer is beyond the cells, so the loop goes on
        bool moved = false;   // the active cell moved
        bool single = false;  // by one row or column
    };
    void DragLoop();
    DragStepResult DragStep();
    // The press (down 1) or release (down 0) of a button given to the type of a cell; true when it took it.
    bool TypeClick(int col, long row, bool right, int down, ui::Rect* rect, ui::Point* point);
    ui::Point m_lastMouse;
    unsigned m_lastFlags = 0;
    bool m_leftDown = false;  // a press taken here waits for its release
    bool m_rightDown = false;
    bool m_typeHoldsMouse = false;
    int m_keyPresses = 0;
    std::string m_tipText;
};

class ColumnHeaderWindow : public GridPart {
public:
    using GridPart::GridPart;
    void OnPaint(ui::Canvas& canvas) override;
    void OnMouseDown(const ui::MouseEvent& event) override;
    void OnMouseUp(const ui::MouseEvent& event) override;
    void OnDoubleClick(const ui::MouseEvent& event) override;
    void OnMouseMove(const ui::MouseEvent& event) override;
    void OnCaptureLost() override { m_sizing = Sizing::None; }
    bool TakesFocus() const override { return false; }
    // A heading by its text in the header row next to the cells, or "#N" for column N, while it is in view.
    bool FindItem(const std::string& name, ui::Rect& rect) const override;

    // The column armed or being sized; -1 when none.
    int SizingColumn() const { return m_sizing == Sizing::None ? -1 : m_column; }
    bool IsSizing() const { return m_capturing; }

private:
    enum class Sizing { None, Column, Height };
    // The header cell under a point: column and (negative) row; false when on none.
    bool HitTest(ui::Point point, int* col, long* row, ui::Rect* rect) const;
    Sizing m_sizing = Sizing::None;
    bool m_capturing = false;
    int m_column = -1;
    int m_startSize = 0;
    int m_startX = 0;
    int m_startY = 0;
    int m_dragSource = -1;
};

class RowHeaderWindow : public GridPart {
public:
    using GridPart::GridPart;
    void OnPaint(ui::Canvas& canvas) override;
    void OnMouseDown(const ui::MouseEvent& event) override;
    void OnMouseUp(const ui::MouseEvent& event) override;
    void OnDoubleClick(const ui::MouseEvent& event) override;
    void OnMouseMove(const ui::MouseEvent& event) override;
    void OnCaptureLost() override { m_sizing = Sizing::None; }
    bool TakesFocus() const override { return false; }

private:
    enum class Sizing { None, Row, Width };
    bool HitTest(ui::Point point, int* col, long* row, ui::Rect* rect) const;
    Sizing m_sizing = Sizing::None;
    bool m_capturing = false;
    long m_row = -1;
    int m_startSize = 0;
    int m_startX = 0;
    int m_startY = 0;
};

class CornerWindow : public GridPart {
public:
    using GridPart::GridPart;
    void OnPaint(ui::Canvas& canvas) override;
    void OnMouseDown(const ui::MouseEvent& event) override;
    void OnMouseUp(const ui::MouseEvent& event) override;
    void OnDoubleClick(const ui::MouseEvent& event) override;
    bool TakesFocus() const override { return false; }
};

// The tabs of the sheets; with one sheet it takes no room.
class SheetTabWindow : public GridPart {
public:
    using GridPart::GridPart;
    void OnPaint(ui::Canvas& canvas) override;
    void OnMouseDown(const ui::MouseEvent& event) override;
    bool TakesFocus() const override { return false; }
};

// A scroll bar control: a window that is all bar.
class GridScrollBar : public GridPart {
public:
    GridScrollBar(GridControl& grid, ui::ScrollBar bar) : GridPart(grid), m_bar(bar) {}
    void OnScroll(ui::ScrollBar bar, ui::ScrollCode code, int position) override;
    void OnMouseDown(const ui::MouseEvent& event) override;
    bool TakesFocus() const override { return false; }
    ui::ScrollBar Bar() const { return m_bar; }

private:
    ui::ScrollBar m_bar;
};

// One line of text in a small popup of its own size.
class TipWindow : public ui::Window {
public:
    static constexpr const char* kClassName = "HintWnd";
    const char* ClassName() const { return kClassName; }
    GridCursor Cursor() const { return GridCursor::Arrow; }
    // Shows `text` with its top left corner at a screen point.
    void ShowAt(ui::Point screen, const std::string& text);
    void Hide();
    void OnPaint(ui::Canvas& canvas) override;
    bool TakesFocus() const override { return false; }
};

} // namespace vantorel
