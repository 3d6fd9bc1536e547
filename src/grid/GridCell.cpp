#include "grid/GridCell.h"

#include <cstdio>
#include <cstdlib>

namespace vantorel {

void GridCell::MergeFrom(const GridCell& other) {
    std::uint32_t mask = other.m_mask;
    if (mask & CellText) m_text = other.m_text;
    if (mask & CellEditMask) m_editMask = other.m_editMask;
    if (mask & CellCaption) m_caption = other.m_caption;
    if (mask & CellValueKind) m_valueKind = other.m_valueKind;
    if (mask & CellUserValue) m_userValue = other.m_userValue;
    if (mask & CellTypeIndex) m_typeIndex = other.m_typeIndex;
    if (mask & CellTypeStyle) m_typeStyle = other.m_typeStyle;
    if (mask & CellTextColor) m_textColor = other.m_textColor;
    if (mask & CellBackColor) m_backColor = other.m_backColor;
    if (mask & CellSelectedTextColor) m_selectedTextColor = other.m_selectedTextColor;
    if (mask & CellSelectedBackColor) m_selectedBackColor = other.m_selectedBackColor;
    if (mask & CellBorderStyle) m_borderStyle = other.m_borderStyle;
    if (mask & CellBorderPen) m_borderPen = other.m_borderPen;
    if (mask & CellFont) m_font = other.m_font;
    if (mask & CellBitmap) m_bitmap = other.m_bitmap;
    if (mask & CellAlignment) m_alignment = other.m_alignment;
    if (mask & CellExtraData) m_extra = other.m_extra;
    if (mask & CellJoin) {
        m_joined = other.m_joined;
        m_joinColumn = other.m_joinColumn;
        m_joinRow = other.m_joinRow;
    }
    if (mask & CellFormat) m_format = other.m_format;
    if (mask & CellStyle) m_style = other.m_style;
    if (mask & CellReadOnly) m_readOnly = other.m_readOnly;
    if (mask & CellDecimalPlaces) m_decimalPlaces = other.m_decimalPlaces;
    m_mask |= mask;
}

GridCell GridCell::Defaults() {
    GridCell cell;
    cell.SetText("");
    cell.SetEditMask("");
    cell.SetCaption("");
    cell.SetTextColor(ui::SystemColorOf(ui::SystemColor::WindowText));
    cell.SetBackColor(ui::SystemColorOf(ui::SystemColor::Window));
    cell.SetSelectedTextColor(ui::SystemColorOf(ui::SystemColor::HighlightText));
    cell.SetSelectedBackColor(ui::SystemColorOf(ui::SystemColor::Highlight));
    cell.SetAlignment(0);
    cell.m_mask = 0x8787; // exactly these, whatever the setters above also marked
    return cell;
}

void GridCell::SetText(const std::string& text) {
    m_text = text;
    m_mask |= CellText;
    SetValueKind(ValueText);
}

double GridCell::GetNumber() const {
    return HasProperty(CellText) ? std::strtod(m_text.c_str(), nullptr) : 0.0;
}

void GridCell::SetNumber(double number) {
    // "%lf", or "%1.Nlf" for N decimal places: written with the precision as an argument, which formats
    // the same.
    int places = HasProperty(CellDecimalPlaces) ? m_decimalPlaces : 6;
    int width = HasProperty(CellDecimalPlaces) ? 1 : 0;
    int length = std::snprintf(nullptr, 0, "%*.*lf", width, places, number);
    std::string text(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    std::snprintf(text.data(), text.size() + 1, "%*.*lf", width, places, number);
    SetText(text);
    SetValueKind(ValueNumber);
}

void GridCell::SetBool(bool value) {
    SetText(value ? "1" : "0");
    SetValueKind(ValueBoolean);
}

ui::Color GridCell::GetTextColor() const {
    return HasProperty(CellTextColor) ? m_textColor : ui::SystemColorOf(ui::SystemColor::WindowText);
}

ui::Color GridCell::GetBackColor() const {
    return HasProperty(CellBackColor) ? m_backColor : ui::SystemColorOf(ui::SystemColor::Window);
}

ui::Color GridCell::GetSelectedTextColor() const {
    return HasProperty(CellSelectedTextColor) ? m_selectedTextColor : ui::SystemColorOf(ui::SystemColor::HighlightText);
}

ui::Color GridCell::GetSelectedBackColor() const {
    return HasProperty(CellSelectedBackColor) ? m_selectedBackColor : ui::SystemColorOf(ui::SystemColor::Highlight);
}

void GridCell::SetBitmap(const void* bitmap) {
    m_bitmap = bitmap;
    if (bitmap)
        m_mask |= CellBitmap;
    else
        m_mask &= ~CellBitmap;
}

bool GridCell::GetJoin(int* columnOffset, long* rowOffset) const {
    if (!HasProperty(CellJoin))
        return false;
    if (columnOffset)
        *columnOffset = m_joinColumn;
    if (rowOffset)
        *rowOffset = m_joinRow;
    return m_joined;
}

void GridCell::SetJoin(bool joined, int columnOffset, long rowOffset) {
    m_joined = joined;
    m_joinColumn = columnOffset;
    m_joinRow = rowOffset;
    m_mask |= CellJoin;
}

} // namespace vantorel
