#pragma once

#include "platform/ui/Canvas.h"
#include "platform/ui/Geometry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantorel {

// Which properties a cell carries.
enum CellProperty : std::uint32_t {
    CellText = 0x00000001,
    CellEditMask = 0x00000002,
    CellCaption = 0x00000004,
    CellValueKind = 0x00000008,
    CellUserValue = 0x00000010,
    CellTypeIndex = 0x00000020,
    CellTypeStyle = 0x00000040,
    CellTextColor = 0x00000080,
    CellBackColor = 0x00000100,
    CellSelectedTextColor = 0x00000200,
    CellSelectedBackColor = 0x00000400,
    CellBorderStyle = 0x00000800,
    CellBorderPen = 0x00001000,
    CellFont = 0x00002000,
    CellBitmap = 0x00004000,
    CellAlignment = 0x00008000,
    CellExtraData = 0x00010000,
    CellJoin = 0x00020000,
    CellFormat = 0x00200000,
    CellStyle = 0x00800000,
    CellReadOnly = 0x01000000,
    CellDecimalPlaces = 0x02000000,
};

enum ValueKind : int { ValueText = 1, ValueNumber = 2, ValueBoolean = 3, ValueDateTime = 4 };

class GridCell;

// Reworks a cell before it is shown, as a number format would.
class CellFormatter {
public:
    virtual ~CellFormatter() = default;
    virtual void Apply(GridCell& cell) = 0;
};

// A value carrying any subset of the properties; a getter of one not set gives its default.
class GridCell {
public:
    std::uint32_t Mask() const { return m_mask; }
    bool HasProperty(std::uint32_t mask) const { return (m_mask & mask) != 0; }
    void ClearAll() { *this = GridCell(); }
    // Mask and every set property of `other`.
    void ReplaceWith(const GridCell& other) { *this = other; }
    // The mask OR-ed; only what `other` has set is taken.
    void MergeFrom(const GridCell& other);
    // As the grid makes cells for its defaults: empty texts, the system colours, alignment 0 (mask 0x8787).
    static GridCell Defaults();

    // Null without text.
    const char* GetText() const { return HasProperty(CellText) ? m_text.c_str() : nullptr; }
    void SetText(const std::string& text);
    void ClearText() { m_mask &= ~CellText; m_text.clear(); }
    // strtod of the text; 0.0 without one.
    double GetNumber() const;
    // "%lf", or "%1.Nlf" with N decimal places when they are set; the kind becomes a number.
    void SetNumber(double number);
    void SetBool(bool value);
    int GetValueKind() const { return HasProperty(CellValueKind) ? m_valueKind : ValueText; }
    void SetValueKind(int kind) { m_valueKind = kind; m_mask |= CellValueKind; }

    const char* GetEditMask() const { return HasProperty(CellEditMask) ? m_editMask.c_str() : nullptr; }
    void SetEditMask(const std::string& mask) { m_editMask = mask; m_mask |= CellEditMask; }
    const char* GetCaption() const { return HasProperty(CellCaption) ? m_caption.c_str() : nullptr; }
    void SetCaption(const std::string& caption) { m_caption = caption; m_mask |= CellCaption; }
    std::int32_t GetUserValue() const { return HasProperty(CellUserValue) ? m_userValue : 0; }
    void SetUserValue(std::int32_t value) { m_userValue = value; m_mask |= CellUserValue; }
    int GetCellType() const { return HasProperty(CellTypeIndex) ? m_typeIndex : 0; }
    void SetCellType(int index) { m_typeIndex = index; m_mask |= CellTypeIndex; }
    std::int32_t GetCellTypeStyle() const { return HasProperty(CellTypeStyle) ? m_typeStyle : 0; }
    void SetCellTypeStyle(std::int32_t style) { m_typeStyle = style; m_mask |= CellTypeStyle; }
    ui::Color GetTextColor() const;
    void SetTextColor(ui::Color color) { m_textColor = color; m_mask |= CellTextColor; }
    ui::Color GetBackColor() const;
    void SetBackColor(ui::Color color) { m_backColor = color; m_mask |= CellBackColor; }
    ui::Color GetSelectedTextColor() const;
    void SetSelectedTextColor(ui::Color color) { m_selectedTextColor = color; m_mask |= CellSelectedTextColor; }
    ui::Color GetSelectedBackColor() const;
    void SetSelectedBackColor(ui::Color color) { m_selectedBackColor = color; m_mask |= CellSelectedBackColor; }
    int GetBorderStyle() const { return HasProperty(CellBorderStyle) ? m_borderStyle : 0; }
    void SetBorderStyle(int style) { m_borderStyle = style; m_mask |= CellBorderStyle; }
    const ui::Pen* GetBorderPen() const { return HasProperty(CellBorderPen) ? &m_borderPen : nullptr; }
    void SetBorderPen(const ui::Pen& pen) { m_borderPen = pen; m_mask |= CellBorderPen; }
    const ui::Font* GetFont() const { return HasProperty(CellFont) ? &m_font : nullptr; }
    void SetFont(const ui::Font& font) { m_font = font; m_mask |= CellFont; }
    // Not owned; null clears the property.
    const void* GetBitmap() const { return HasProperty(CellBitmap) ? m_bitmap : nullptr; }
    void SetBitmap(const void* bitmap);
    int GetAlignment() const { return HasProperty(CellAlignment) ? m_alignment : 0; }
    void SetAlignment(int alignment) { m_alignment = alignment; m_mask |= CellAlignment; }
    const std::vector<unsigned char>* GetExtraData() const { return HasProperty(CellExtraData) ? &m_extra : nullptr; }
    void SetExtraData(std::vector<unsigned char> data) { m_extra = std::move(data); m_mask |= CellExtraData; }
    // The joined block's head, as a column and row offset from this cell.
    bool GetJoin(int* columnOffset, long* rowOffset) const;
    void SetJoin(bool joined, int columnOffset, long rowOffset);
    CellFormatter* GetFormat() const { return HasProperty(CellFormat) ? m_format : nullptr; }
    void SetFormat(CellFormatter* format) { m_format = format; m_mask |= CellFormat; }
    const GridCell* GetStyleCell() const { return HasProperty(CellStyle) ? m_style : nullptr; }
    void SetStyleCell(const GridCell* style) { m_style = style; m_mask |= CellStyle; }
    bool GetReadOnly() const { return HasProperty(CellReadOnly) && m_readOnly; }
    void SetReadOnly(bool readOnly) { m_readOnly = readOnly; m_mask |= CellReadOnly; }
    // -1 when not set.
    int GetDecimalPlaces() const { return HasProperty(CellDecimalPlaces) ? m_decimalPlaces : -1; }
    void SetDecimalPlaces(int places) { m_decimalPlaces = places; m_mask |= CellDecimalPlaces; }

private:
    std::uint32_t m_mask = 0;
    std::string m_text;
    std::string m_editMask;
    std::string m_caption;
    int m_valueKind = ValueText;
    std::int32_t m_userValue = 0;
    int m_typeIndex = 0;
    std::int32_t m_typeStyle = 0;
    ui::Color m_textColor;
    ui::Color m_backColor;
    ui::Color m_selectedTextColor;
    ui::Color m_selectedBackColor;
    int m_borderStyle = 0;
    ui::Pen m_borderPen;
    ui::Font m_font;
    const void* m_bitmap = nullptr;
    int m_alignment = 0;
    std::vector<unsigned char> m_extra;
    bool m_joined = false;
    int m_joinColumn = 0;
    long m_joinRow = 0;
    CellFormatter* m_format = nullptr;      // not owned
    const GridCell* m_style = nullptr;   // not owned
    bool m_readOnly = false;
    int m_decimalPlaces = 0;
};

} // namespace vantorel
