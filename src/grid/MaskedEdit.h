#pragma once

#include "platform/ui/Controls.h"

#include <string>

namespace vantorel {

class GridControl;

// The one editor a grid lays over the cell being edited. Tab, Enter and the vertical arrows end the edit and
// name the next cell; Esc cancels; every typed character passes the edit mask and the grid's OnEditKey.
class MaskedEdit : public ui::EditBox {
public:
    static constexpr char kPrompt = '_';
    static constexpr const char* kPlaceholders = "09#L?Aa&C";
    // Marks a literal position in the placeholder string, and a placeholder position in the template.
    static constexpr char kLiteralMark = '\x01';
    static constexpr char kPlaceholderMark = '\x02';

    explicit MaskedEdit(GridControl& grid) : m_grid(grid) {}

    // Starts an edit: no next cell, neither cancelled nor continuing.
    void Reset();
    // An empty mask switches masking off.
    void SetMask(const std::string& mask);
    const std::string& Placeholders() const { return m_placeholders; }
    const std::string& LiteralTemplate() const { return m_template; }
    bool MaskOn() const { return m_maskOn; }
    // Whether the mask lets `character` in at the caret; inserts a literal that stands there first.
    bool MaskAccepts(unsigned character);

    bool OnKeyDown(const ui::KeyEvent& event) override;
    void OnChar(unsigned character, unsigned modifiers) override;
    unsigned WantedKeys(const ui::KeyEvent& event) const override;
    void OnFocusGained(ui::Window* previous) override;
    void OnFocusLost(ui::Window* next) override;

    bool Cancelled() const { return m_cancel; }
    bool Continuing() const { return m_continue; }
    int NextColumn() const { return m_nextColumn; }
    long NextRow() const { return m_nextRow; }

private:
    void Leave(int nextColumn, long nextRow);

    GridControl& m_grid;
    bool m_cancel = false;
    bool m_continue = false;
    int m_nextColumn = -1;
    long m_nextRow = -1;
    std::string m_mask;
    std::string m_placeholders;
    std::string m_template;
    bool m_maskOn = false;
};

[[nodiscard]] bool PlaceholderAccepts(char placeholder, unsigned character);

} // namespace vantorel
