#include "grid/MaskedEdit.h"

#include "grid/GridControl.h"

#include <cctype>
#include <cstring>

namespace vantorel {

bool PlaceholderAccepts(char placeholder, unsigned character) {
    int c = static_cast<int>(character & 0xFF);
    bool digit = std::isdigit(c) != 0;
    bool letter = std::isalpha(c) != 0;
    bool space = c == ' ';
    switch (placeholder) {
    case '0': return digit;
    case '9': return digit || space;
    case '#': return digit || space || c == '+' || c == '-';
    case 'L': return letter;
    case '?': return letter || space;
    case 'A': return letter || digit;
    case 'a': return letter || digit || space;
    case '&':
    case 'C': return c >= 32 && c != 127;
    default: return false;
    }
}

void MaskedEdit::Reset() {
    m_cancel = false;
    m_continue = false;
    m_nextColumn = -1;
    m_nextRow = -1;
}

void MaskedEdit::SetMask(const std::string& mask) {
    m_mask = mask;
    m_placeholders.clear();
    m_template.clear();
    m_maskOn = !mask.empty();
    if (!m_maskOn) {
        SetTextLimit(0);
        return;
    }
    for (std::size_t i = 0; i < mask.size(); ++i) {
        char c = mask[i];
        if (c == '\\' && i + 1 < mask.size()) {
            m_placeholders += kLiteralMark;
            m_template += mask[++i];
        } else if (std::strchr(kPlaceholders, c) && c != '\0') {
            m_placeholders += c;
            m_template += kPlaceholderMark;
        } else {
            m_placeholders += kLiteralMark;
            m_template += c;
        }
    }
    SetTextLimit(static_cast<int>(m_placeholders.size()));
}

bool MaskedEdit::MaskAccepts(unsigned character) {
    if (!m_maskOn || character < 32 || character == 127)
        return true;
    if (SelectionStart() != SelectionEnd())
        ReplaceSelection("");
    std::size_t at = static_cast<std::size_t>(Caret());
    // Literals standing at the caret are typed for the user.
    while (at < m_placeholders.size() && m_placeholders[at] == kLiteralMark) {
        if (static_cast<unsigned char>(m_template[at]) == (character & 0xFF))
            return true; // the user typed the literal itself
        ReplaceSelection(std::string(1, m_template[at]));
        ++at;
    }
    if (at >= m_placeholders.size())
        return false;
    return PlaceholderAccepts(m_placeholders[at], character);
}

void MaskedEdit::Leave(int nextColumn, long nextRow) {
    m_nextColumn = nextColumn;
    m_nextRow = nextRow;
    m_continue = true;
    m_grid.CellArea().SetFocus();
}

bool MaskedEdit::OnKeyDown(const ui::KeyEvent& event) {
    int col = m_grid.EditColumn();
    long row = m_grid.EditRow();
    switch (event.key) {
    case ui::KeyTab:
        Leave((event.modifiers & ui::ModShift) ? col - 1 : col + 1, row);
        return true;
    case ui::KeyEnter:
    case ui::KeyDown:
        Leave(col, row + 1);
        return true;
    case ui::KeyUp:
        Leave(col, row - 1);
        return true;
    case ui::KeyEscape:
        m_cancel = true;
        m_continue = false;
        m_grid.CellArea().SetFocus();
        return true;
    default:
        return EditBox::OnKeyDown(event);
    }
}

void MaskedEdit::OnChar(unsigned character, unsigned modifiers) {
    if (character == '\t' || character == '\r' || character == 27)
        return;
    if (!MaskAccepts(character))
        return;
    unsigned key = character;
    // Backspace too: a grid may refuse it like any character.
    if (!m_grid.OnEditKey(m_grid.GetActiveColumn(), m_grid.GetActiveRow(), this, &key) || key == 0)
        return;
    EditBox::OnChar(key, modifiers);
}

unsigned MaskedEdit::WantedKeys(const ui::KeyEvent& event) const {
    if (event.key == ui::KeyTab)
        return ui::WantTab;
    if (event.key == ui::KeyEnter || event.key == ui::KeyEscape)
        return ui::WantAllKeys;
    return ui::WantArrows | ui::WantChars;
}

void MaskedEdit::OnFocusGained(ui::Window* previous) {
    EditBox::OnFocusGained(previous);
    SetSelection(0, static_cast<int>(Text().size()));
}

void MaskedEdit::OnFocusLost(ui::Window* next) {
    EditBox::OnFocusLost(next);
    m_grid.EditorLeaving(next);
}

} // namespace vantorel
