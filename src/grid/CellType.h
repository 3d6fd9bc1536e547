#pragma once

#include "grid/GridCell.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Geometry.h"

#include <array>
#include <string>
#include <vector>

namespace vantorel {

class GridControl;

// Events a cell type reports to its grid through OnCellTypeEvent.
enum CellTypeEvent : long { EventCheckToggled = 53, EventDropListOpening = 100, EventDropListChosen = 101 };

// Type style bits the built-in types read.
enum CellTypeStyleBits : int {
    DropListButtonOnCurrentOnly = 0x200,
    SortArrowUp = 0x10,
    SortArrowDown = 0x20,
};

// How a cell looks and reacts, chosen per cell by its type index.
class CellType {
public:
    virtual ~CellType() = default;
    virtual const char* GetTypeName() const { return "Normal Cell Type (default)"; }
    virtual const std::array<unsigned char, 16>* GetTypeId() const;
    // False: the editor covers the whole cell.
    virtual bool GetEditorRect(ui::Rect* rect) { (void)rect; return false; }
    virtual bool OnLeftClick(int col, long row, int down, ui::Rect* cellRect, ui::Point* point);
    virtual bool OnRightClick(int col, long row, int down, ui::Rect* cellRect, ui::Point* point);
    virtual bool OnDoubleClick(int col, long row, ui::Rect* cellRect, ui::Point* point);
    virtual bool OnKeyPress(int col, long row, unsigned* key) { (void)col; (void)row; (void)key; return false; }
    virtual bool OnCharacter(int col, long row, unsigned* key) { (void)col; (void)row; (void)key; return false; }
    virtual bool OnPointerMove(int col, long row, ui::Point* point, unsigned keyFlags);
    virtual void DrawCell(ui::Canvas& canvas, ui::Rect* rect, int col, long row, GridCell* cell, bool selected, bool current);
    virtual void OnFocusIn(int col, long row, GridCell* cell) { (void)col; (void)row; (void)cell; }
    virtual void OnFocusOut(int col, long row, GridCell* cell) { (void)col; (void)row; (void)cell; }
    virtual ui::Size MeasureCell(ui::Canvas& canvas, GridCell* cell);

    // Called once by the registry, with the grid and the index.
    virtual void OnRegistered() {}

    bool IsEditable() const { return m_editable; }
    GridControl* Grid() const { return m_grid; }
    int Index() const { return m_index; }
    void Attach(GridControl* grid, int index) { m_grid = grid; m_index = index; }

protected:
    // The frame of `cell` as its border style asks; returns what is left inside for ground and text.
    ui::Rect DrawBorder(ui::Canvas& canvas, const ui::Rect& rect, const GridCell& cell);
    // Ground and text as a plain cell has them, inside `rect`.
    void DrawBackgroundAndText(ui::Canvas& canvas, const ui::Rect& rect, const GridCell& cell, bool selected);
    // The font a cell is drawn in: its own, or the grid's.
    ui::Font FontOf(const GridCell& cell) const;

    bool m_editable = true;
    GridControl* m_grid = nullptr;
    int m_index = 0;
};

// Shortens `text` with a trailing "..." until it fits `width`; the whole text when it fits.
[[nodiscard]] std::string FitText(ui::Canvas& canvas, const std::string& text, int width);

class DropListCellType;

// The list a drop-list cell opens below itself.
class ChoiceListWindow : public ui::ListBox {
public:
    explicit ChoiceListWindow(DropListCellType& owner) : m_owner(owner) {}
    void OnFocusGained(ui::Window* previous) override;
    void OnFocusLost(ui::Window* next) override;
    void OnMouseDown(const ui::MouseEvent& event) override;
    void OnMouseUp(const ui::MouseEvent& event) override;
    void OnMouseMove(const ui::MouseEvent& event) override;
    void OnDoubleClick(const ui::MouseEvent& event) override { OnMouseDown(event); }
    bool OnKeyDown(const ui::KeyEvent& event) override;
    unsigned WantedKeys(const ui::KeyEvent&) const override { return ui::WantAllKeys; }
    bool Chosen() const { return m_chosen; }
    // Closes it as a choice would, or as Esc does without one.
    void Choose();
    void Close();

private:
    DropListCellType& m_owner;
    bool m_chosen = false;
    bool m_nonClientPress = false;
};

class DropListCellType : public CellType {
public:
    static constexpr int kListId = 123;
    static constexpr int kMaxShownChoices = 15;

    DropListCellType();
    const char* GetTypeName() const override { return "Standard DropList"; }
    const std::array<unsigned char, 16>* GetTypeId() const override;
    bool OnLeftClick(int col, long row, int down, ui::Rect* cellRect, ui::Point* point) override;
    bool OnDoubleClick(int col, long row, ui::Rect* cellRect, ui::Point* point) override;
    bool OnKeyPress(int col, long row, unsigned* key) override;
    bool OnCharacter(int col, long row, unsigned* key) override;
    bool OnPointerMove(int col, long row, ui::Point* point, unsigned keyFlags) override;
    void DrawCell(ui::Canvas& canvas, ui::Rect* rect, int col, long row, GridCell* cell, bool selected, bool current) override;
    void OnFocusOut(int col, long row, GridCell* cell) override;

    // The choices a caption offers: each text up to a "\n"; what follows the last one is no choice.
    static std::vector<std::string> SplitChoices(const std::string& caption);

    int OpenColumn() const { return m_openColumn; }
    long OpenRow() const { return m_openRow; }
    bool IsButtonPressed() const { return m_pressed; }
    ChoiceListWindow& List() { return m_list; }
    // Where the list opened, in the cell area.
    ui::Rect ListRect() const { return m_listRect; }

private:
    friend class ChoiceListWindow;
    void OpenList();
    void ChoiceMade(const std::string& text);
    void ListClosed(bool chosen);

    int m_buttonWidth;
    bool m_pressed = false;
    ui::Rect m_buttonRect;
    int m_openColumn = -1;
    long m_openRow = -1;
    ui::Rect m_listRect;
    ChoiceListWindow m_list;
};

class CheckBoxCellType : public CellType {
public:
    CheckBoxCellType() { m_editable = false; }
    const char* GetTypeName() const override { return "Standard CheckBox Type"; }
    const std::array<unsigned char, 16>* GetTypeId() const override;
    bool OnLeftClick(int col, long row, int down, ui::Rect* cellRect, ui::Point* point) override;
    bool OnDoubleClick(int col, long row, ui::Rect* cellRect, ui::Point* point) override;
    bool OnCharacter(int col, long row, unsigned* key) override;
    void DrawCell(ui::Canvas& canvas, ui::Rect* rect, int col, long row, GridCell* cell, bool selected, bool current) override;
    // The box inside a cell's rectangle.
    static ui::Rect BoxRect(const ui::Rect& cell);

private:
    void Toggle(int col, long row, bool fromText);
    GridCell m_scratch;
};

class ArrowCellType : public CellType {
public:
    ArrowCellType() { m_editable = false; }
    const char* GetTypeName() const override { return "Standard Arrow Type"; }
    const std::array<unsigned char, 16>* GetTypeId() const override;
    void DrawCell(ui::Canvas& canvas, ui::Rect* rect, int col, long row, GridCell* cell, bool selected, bool current) override;
};

// A header cell that shows which way its column is sorted.
class SortArrowCellType : public CellType {
public:
    SortArrowCellType() { m_editable = false; }
    const char* GetTypeName() const override { return "Sort Arrow"; }
    const std::array<unsigned char, 16>* GetTypeId() const override;
    void DrawCell(ui::Canvas& canvas, ui::Rect* rect, int col, long row, GridCell* cell, bool selected, bool current) override;
};

} // namespace vantorel
