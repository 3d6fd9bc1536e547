#include "grid/CellType.h"

#include "grid/GridControl.h"
#include "platform/ui/WindowSystem.h"

#include <algorithm>
#include <cstdlib>

namespace vantorel {

namespace {

constexpr ui::Color kBlack{0, 0, 0};
constexpr ui::Color kWhite{255, 255, 255};

// Each type its own identifier; the values only need to differ.
constexpr std::array<unsigned char, 16> kNormalId{0x56, 0x54, 0x47, 0x52, 0x49, 0x44, 0x00, 0x00,
                                                  0x4E, 0x4F, 0x52, 0x4D, 0x41, 0x4C, 0x00, 0x01};
constexpr std::array<unsigned char, 16> kDropListId{0x56, 0x54, 0x47, 0x52, 0x49, 0x44, 0x00, 0x00,
                                                    0x44, 0x52, 0x4F, 0x50, 0x4C, 0x53, 0x00, 0x02};
constexpr std::array<unsigned char, 16> kCheckBoxId{0x56, 0x54, 0x47, 0x52, 0x49, 0x44, 0x00, 0x00,
                                                    0x43, 0x48, 0x45, 0x43, 0x4B, 0x42, 0x00, 0x03};
constexpr std::array<unsigned char, 16> kArrowId{0x56, 0x54, 0x47, 0x52, 0x49, 0x44, 0x00, 0x00,
                                                 0x41, 0x52, 0x52, 0x4F, 0x57, 0x00, 0x00, 0x04};
constexpr std::array<unsigned char, 16> kSortArrowId{0x56, 0x54, 0x47, 0x52, 0x49, 0x44, 0x00, 0x00,
                                                     0x53, 0x4F, 0x52, 0x54, 0x41, 0x52, 0x00, 0x05};

void HorizontalLine(ui::Canvas& canvas, int x1, int x2, int y, ui::Color color) {
    if (x2 > x1)
        canvas.FillRect(ui::Rect{x1, y, x2, y + 1}, color);
}

void VerticalLine(ui::Canvas& canvas, int x, int y1, int y2, ui::Color color) {
    if (y2 > y1)
        canvas.FillRect(ui::Rect{x, y1, x + 1, y2}, color);
}

} // namespace

std::string FitText(ui::Canvas& canvas, const std::string& text, int width) {
    if (canvas.TextExtent(text).width <= width)
        return text;
    const std::string dots = "...";
    // The longest beginning that still fits with the dots after it.
    std::size_t low = 0;
    std::size_t high = text.size();
    while (low < high) {
        std::size_t mid = (low + high + 1) / 2;
        if (canvas.TextExtent(text.substr(0, mid) + dots).width <= width)
            low = mid;
        else
            high = mid - 1;
    }
    return text.substr(0, low) + dots;
}

const std::array<unsigned char, 16>* CellType::GetTypeId() const { return &kNormalId; }
bool CellType::OnLeftClick(int, long, int, ui::Rect*, ui::Point*) { return false; }
bool CellType::OnRightClick(int, long, int, ui::Rect*, ui::Point*) { return false; }
bool CellType::OnDoubleClick(int, long, ui::Rect*, ui::Point*) { return false; }
bool CellType::OnPointerMove(int, long, ui::Point*, unsigned) { return false; }

ui::Font CellType::FontOf(const GridCell& cell) const {
    if (const ui::Font* font = cell.GetFont())
        return *font;
    return m_grid ? m_grid->GetFont() : ui::Font{};
}

ui::Rect CellType::DrawBorder(ui::Canvas& canvas, const ui::Rect& rect, const GridCell& cell) {
    int style = cell.GetBorderStyle();
    const GridSheet* sheet = m_grid ? &m_grid->Sheet() : nullptr;
    ui::Color gridLine = sheet ? sheet->gridLinePen.color : ui::Color{220, 220, 220};
    ui::Color line = cell.GetBorderPen() ? cell.GetBorderPen()->color : gridLine;
    if (style & 0x3000) {
        int edge = sheet ? sheet->edgeWidth3d : 1;
        ui::Color highlight = m_grid ? m_grid->HighlightColor() : kWhite;
        ui::Color shadow = m_grid ? m_grid->ShadowColor() : ui::Color{128, 128, 128};
        bool sunken = (style & 0x1000) != 0;
        for (int i = 0; i < edge; ++i) {
            ui::Rect r = rect.Inflate(-i, -i);
            ui::Color topLeft = sunken ? shadow : highlight;
            ui::Color bottomRight = sunken ? highlight : shadow;
            HorizontalLine(canvas, r.left, r.right, r.top, topLeft);
            VerticalLine(canvas, r.left, r.top, r.bottom, topLeft);
            HorizontalLine(canvas, r.left, r.right, r.bottom - 1, bottomRight);
            VerticalLine(canvas, r.right - 1, r.top, r.bottom, bottomRight);
        }
        return rect.Inflate(-edge, -edge);
    }
    auto width = [style](int one, int two, int three) {
        return (style & three) ? 3 : (style & two) ? 2 : (style & one) ? 1 : 0;
    };
    int left = width(0x0001, 0x0010, 0x0100);
    int top = width(0x0002, 0x0020, 0x0200);
    int right = width(0x0004, 0x0040, 0x0400);
    int bottom = width(0x0008, 0x0080, 0x0800);
    ui::Rect inner = rect;
    if (left)
        canvas.FillRect(ui::Rect{rect.left, rect.top, rect.left + left, rect.bottom}, line);
    if (top)
        canvas.FillRect(ui::Rect{rect.left, rect.top, rect.right, rect.top + top}, line);
    // The grid lines are every cell's right and bottom edge unless the cell draws its own.
    bool gridLines = !sheet || sheet->gridLines;
    if (right)
        canvas.FillRect(ui::Rect{rect.right - right, rect.top, rect.right, rect.bottom}, line);
    else if (gridLines)
        VerticalLine(canvas, rect.right - 1, rect.top, rect.bottom, gridLine);
    if (bottom)
        canvas.FillRect(ui::Rect{rect.left, rect.bottom - bottom, rect.right, rect.bottom}, line);
    else if (gridLines)
        HorizontalLine(canvas, rect.left, rect.right, rect.bottom - 1, gridLine);
    inner.left += left;
    inner.top += top;
    inner.right -= right ? right : (gridLines ? 1 : 0);
    inner.bottom -= bottom ? bottom : (gridLines ? 1 : 0);
    return inner;
}

void CellType::DrawBackgroundAndText(ui::Canvas& canvas, const ui::Rect& rect, const GridCell& cell, bool selected) {
    if (rect.IsEmpty())
        return;
    canvas.FillRect(rect, selected ? cell.GetSelectedBackColor() : cell.GetBackColor());
    const char* text = cell.GetText();
    if (!text || !*text)
        return;
    canvas.Save();
    canvas.SetFont(FontOf(cell));
    canvas.SetTextColor(selected ? cell.GetSelectedTextColor() : cell.GetTextColor());
    canvas.SetTextBackground(ui::Color{}, false);
    int margin = m_grid ? m_grid->Sheet().textMargin : 4;
    int bitmap = 0; // cells carry no bitmaps this grid can draw
    int alignment = cell.GetAlignment();
    std::string shown = FitText(canvas, text, rect.Width() - 2 * margin - bitmap);
    ui::Size size = canvas.TextExtent(shown);
    int x = (alignment & 0x04)   ? rect.left + (rect.Width() - size.width) / 2
            : (alignment & 0x02) ? rect.right - margin - size.width
                                 : rect.left + margin + bitmap;
    int y = (alignment & 0x20)   ? rect.top + (rect.Height() - size.height) / 2
            : (alignment & 0x10) ? rect.bottom - size.height - 1
                                 : rect.top + 1;
    canvas.Clip(rect);
    canvas.TextOut(x, y, shown);
    canvas.Restore();
}

void CellType::DrawCell(ui::Canvas& canvas, ui::Rect* rect, int, long, GridCell* cell, bool selected, bool) {
    ui::Rect inner = DrawBorder(canvas, *rect, *cell);
    DrawBackgroundAndText(canvas, inner, *cell, selected);
}

ui::Size CellType::MeasureCell(ui::Canvas& canvas, GridCell* cell) {
    canvas.SetFont(FontOf(*cell));
    const char* text = cell->GetText();
    ui::Size size = canvas.TextExtent(text ? text : "");
    int margin = m_grid ? m_grid->Sheet().textMargin : 4;
    return ui::Size{size.width + 2 * margin, size.height + 2};
}

// ---- Drop list ----------------------------------------------------------------------------------------

DropListCellType::DropListCellType()
    : m_buttonWidth(ui::SystemMetricOf(ui::SystemMetric::ScrollBarWidth)), m_list(*this) {}

const std::array<unsigned char, 16>* DropListCellType::GetTypeId() const { return &kDropListId; }

std::vector<std::string> DropListCellType::SplitChoices(const std::string& caption) {
    std::vector<std::string> choices;
    std::size_t start = 0;
    for (std::size_t end = caption.find('\n'); end != std::string::npos; end = caption.find('\n', start)) {
        choices.push_back(caption.substr(start, end - start));
        start = end + 1;
    }
    return choices;
}

void DropListCellType::DrawCell(ui::Canvas& canvas, ui::Rect* rect, int col, long row, GridCell* cell, bool selected,
                                bool current) {
    bool button = !(cell->GetCellTypeStyle() & DropListButtonOnCurrentOnly) || current;
    if (!button) {
        CellType::DrawCell(canvas, rect, col, row, cell, selected, current);
        return;
    }
    ui::Rect inner = DrawBorder(canvas, *rect, *cell);
    ui::Rect face{std::max(inner.right - m_buttonWidth, inner.left), inner.top, inner.right, inner.bottom};
    DrawBackgroundAndText(canvas, ui::Rect{inner.left, inner.top, face.left, inner.bottom}, *cell, selected);
    canvas.FillRect(face, ui::SystemColorOf(ui::SystemColor::ButtonFace));
    GridCell frame;
    bool pressed = m_pressed && current;
    frame.SetBorderStyle(pressed ? 0x1000 : 0x2000);
    DrawBorder(canvas, face, frame);
    VerticalLine(canvas, face.left, face.top, face.bottom, ui::SystemColorOf(ui::SystemColor::ButtonShadow));
    int cx = face.left + face.Width() / 2 + (pressed ? 1 : 0);
    int cy = face.top + face.Height() / 2 + (pressed ? 1 : 0);
    HorizontalLine(canvas, cx - 2, cx + 3, cy - 1, kBlack);
    HorizontalLine(canvas, cx - 1, cx + 2, cy, kBlack);
    HorizontalLine(canvas, cx, cx + 1, cy + 1, kBlack);
}

bool DropListCellType::OnLeftClick(int col, long row, int down, ui::Rect* cellRect, ui::Point* point) {
    if (!down) {
        if (!m_pressed)
            return false;
        m_pressed = false;
        m_grid->RepaintCell(col, row);
        return true;
    }
    bool onButton = point->x > cellRect->right - m_buttonWidth;
    if (!onButton) {
        if (m_openColumn == -2) {
            m_openColumn = -1;
            m_openRow = -1;
        }
        return false;
    }
    if (!(m_openColumn == col && m_openRow == row) && m_openColumn != -2) {
        m_buttonRect = ui::Rect{cellRect->right - m_buttonWidth, cellRect->top, cellRect->right, cellRect->bottom};
        m_pressed = true;
        m_grid->RepaintCell(col, row);
        m_openColumn = col;
        m_openRow = row;
        OpenList();
        return true;
    }
    m_openColumn = -1;
    m_openRow = -1;
    if (m_list.IsCreated() && m_list.IsVisible())
        m_grid->CellArea().SetFocus();
    return true;
}

bool DropListCellType::OnDoubleClick(int col, long row, ui::Rect* cellRect, ui::Point* point) {
    if (point->x > cellRect->right - m_buttonWidth)
        return OnLeftClick(col, row, 1, cellRect, point);
    return false;
}

bool DropListCellType::OnPointerMove(int col, long row, ui::Point* point, unsigned keyFlags) {
    (void)keyFlags;
    if (m_buttonRect.IsEmpty() || !(m_openColumn == col && m_openRow == row))
        return false;
    bool inside = m_buttonRect.Contains(*point);
    if (inside != m_pressed) {
        m_pressed = inside;
        m_grid->RepaintCell(col, row);
    }
    return true;
}

bool DropListCellType::OnKeyPress(int col, long row, unsigned* key) {
    bool control = (m_grid->Sheet().moveKeyFlags & ui::ModControl) != 0;
    if (*key == ui::KeyEnter || (*key == ui::KeyDown && control)) {
        *key = 0;
        m_openColumn = col;
        m_openRow = row;
        OpenList();
        return true;
    }
    return false;
}

bool DropListCellType::OnCharacter(int, long, unsigned* key) {
    // The keys that open the list type characters too; they must not start an edit.
    return *key == '\r' || *key == static_cast<unsigned>(ui::KeyDown);
}

void DropListCellType::OnFocusOut(int, long, GridCell*) {
    m_openColumn = -1;
    m_openRow = -1;
}

void DropListCellType::OpenList() {
    if (m_list.IsCreated() && m_list.IsVisible())
        return;
    int col = m_openColumn;
    long row = m_openRow;
    if (m_grid->GetActiveColumn() != col || m_grid->GetActiveRow() != row) {
        if (m_grid->GotoCell(col, row) != GridOk)
            return;
        m_openColumn = col;
        m_openRow = row;
    }
    GridCell cell;
    m_grid->ResolveCell(col, row, &cell);
    const char* caption = cell.GetCaption();
    std::vector<std::string> choices = SplitChoices(caption ? caption : "");
    m_grid->OnCellTypeEvent(m_index, col, row, EventDropListOpening, reinterpret_cast<long>(&choices));
    ui::Font font = FontOf(cell);
    int itemHeight = std::abs(ui::FontHeightOf(font));
    if (itemHeight <= 0)
        itemHeight = 12;
    ui::Rect cellRect;
    if (!m_grid->CellRect(col, row, &cellRect))
        return;
    int shown = std::min(static_cast<int>(choices.size()), kMaxShownChoices);
    ui::Rect rect{cellRect.left + 10, cellRect.bottom, cellRect.right + 10,
                  cellRect.bottom + itemHeight * shown + 2 + itemHeight};
    ui::Rect area = m_grid->CellArea().ClientRect();
    if (rect.bottom > area.bottom) {
        int up = std::min(rect.bottom - area.bottom, rect.top);
        rect = rect.Offset(0, -up);
    }
    if (rect.right > area.right) {
        int left = std::min(rect.right - area.right, rect.left);
        rect = rect.Offset(-left, 0);
    }
    m_listRect = rect;
    if (!m_list.IsCreated())
        m_list.Create(&m_grid->CellArea(), rect, kListId, "", ui::StyleChild | ui::StyleBorder | ui::StyleVScroll);
    else
        m_list.Move(rect);
    m_list.SetFont(font);
    // Rows as high as the list was made for, whatever the font's line would be, and as many as it was made for:
    // the row's height more is room below them.
    m_list.SetItemHeight(itemHeight);
    m_list.SetRowsShown(shown);
    m_list.ClearItems();
    for (const std::string& choice : choices)
        m_list.AddItem(choice);
    m_list.BringToTop();
    m_list.Show(true);
    m_list.SetFocus();
    m_grid->RepaintCell(col, row);
}

void DropListCellType::ChoiceMade(const std::string& text) {
    int col = m_openColumn;
    long row = m_openRow;
    std::string chosen = text;
    if (m_grid->OnCellTypeEvent(m_index, col, row, EventDropListChosen, reinterpret_cast<long>(&chosen))) {
        GridCell cell;
        m_grid->ReadCell(col, row, &cell);
        cell.SetText(chosen);
        m_grid->WriteCell(col, row, &cell);
        m_grid->RepaintCell(col, row);
    }
    m_openColumn = -1;
    m_openRow = -1;
}

void DropListCellType::ListClosed(bool chosen) {
    m_pressed = false;
    if (!chosen) {
        // The press that closed it must not open it again at once.
        m_openColumn = -2;
        m_openRow = -2;
    }
    m_grid->RepaintAll();
}

void ChoiceListWindow::OnFocusGained(ui::Window* previous) {
    ListBox::OnFocusGained(previous);
    SetCapture();
    m_chosen = false;
    m_nonClientPress = false;
}

void ChoiceListWindow::OnFocusLost(ui::Window* next) {
    ListBox::OnFocusLost(next);
    if (HasCapture())
        ReleaseCapture();
    if (!IsVisible())
        return;
    Show(false);
    m_owner.ListClosed(m_chosen);
}

void ChoiceListWindow::Close() {
    if (HasFocus()) {
        m_owner.Grid()->CellArea().SetFocus();
        return;
    }
    if (HasCapture())
        ReleaseCapture();
    if (IsVisible()) {
        Show(false);
        m_owner.ListClosed(m_chosen);
    }
}

void ChoiceListWindow::Choose() {
    if (Selection() < 0)
        return;
    m_chosen = true;
    m_owner.ChoiceMade(Item(Selection()));
    Close();
}

void ChoiceListWindow::OnMouseDown(const ui::MouseEvent& event) {
    ui::Point client{event.x, event.y};
    if (ClientRect().Contains(client)) {
        m_nonClientPress = false;
        ListBox::OnMouseDown(event);
        return;
    }
    ui::Point origin = ClientOrigin();
    ui::Point windowPoint{client.x + origin.x, client.y + origin.y};
    ui::Rect whole{0, 0, WindowRect().Width(), WindowRect().Height()};
    if (whole.Contains(windowPoint)) {
        // Its own scroll bar, while it holds the mouse.
        m_nonClientPress = true;
        NonClientMouseDown(windowPoint, event);
        return;
    }
    // A press elsewhere closes the list and then goes where it was aimed.
    ui::Point screen = ClientToScreen(client);
    Close();
    ui::WindowSystem::Instance().MouseDown(screen, event.button, event.modifiers);
}

void ChoiceListWindow::OnMouseUp(const ui::MouseEvent& event) {
    (void)event;
    if (m_nonClientPress) {
        m_nonClientPress = false;
        return;
    }
    if (Selection() >= 0 && ClientRect().Contains(ui::Point{event.x, event.y}))
        Choose();
}

void ChoiceListWindow::OnMouseMove(const ui::MouseEvent& event) {
    (void)event;
}

bool ChoiceListWindow::OnKeyDown(const ui::KeyEvent& event) {
    if (event.key == ui::KeyEscape) {
        Close();
        return true;
    }
    if (event.key == ui::KeyEnter) {
        if (Selection() < 0)
            Close();
        else
            Choose();
        return true;
    }
    return ListBox::OnKeyDown(event);
}

// ---- Check box ----------------------------------------------------------------------------------------

const std::array<unsigned char, 16>* CheckBoxCellType::GetTypeId() const { return &kCheckBoxId; }

ui::Rect CheckBoxCellType::BoxRect(const ui::Rect& cell) {
    int side = std::max(std::min(cell.Height() - 6, 12), 0);
    int left = cell.left + 3;
    int top = cell.top + (cell.Height() - side) / 2;
    return ui::Rect{left, top, left + side, top + side};
}

bool CheckBoxCellType::OnLeftClick(int col, long row, int down, ui::Rect* cellRect, ui::Point* point) {
    if (down)
        return false;
    ui::Rect box = BoxRect(*cellRect);
    // The edges count as inside.
    if (point->x < box.left || point->x > box.right || point->y < box.top || point->y > box.bottom)
        return false;
    Toggle(col, row, false);
    return true;
}

bool CheckBoxCellType::OnDoubleClick(int, long, ui::Rect*, ui::Point*) {
    return false; // a press, and presses do nothing
}

bool CheckBoxCellType::OnCharacter(int col, long row, unsigned* key) {
    if (*key != ' ')
        return false;
    Toggle(col, row, true);
    *key = 0;
    return true;
}

void CheckBoxCellType::Toggle(int col, long row, bool fromText) {
    GridCell resolved;
    m_grid->ResolveCell(col, row, &resolved);
    if (resolved.GetReadOnly())
        return;
    bool state;
    if (fromText) {
        const char* text = resolved.GetText();
        std::string value = text ? text : "";
        char* end = nullptr;
        long number = std::strtol(value.c_str(), &end, 10);
        state = (end != value.c_str() && number != 0) || (!value.empty() && (value[0] == 'T' || value[0] == 't'));
    } else {
        state = resolved.GetNumber() != 0.0;
    }
    int newState = state ? 0 : 1;
    m_grid->ReadCell(col, row, &m_scratch);
    if (!m_scratch.HasProperty(CellDecimalPlaces) && resolved.HasProperty(CellDecimalPlaces))
        m_scratch.SetDecimalPlaces(resolved.GetDecimalPlaces());
    m_scratch.SetNumber(newState ? 1.0 : 0.0);
    m_grid->WriteCell(col, row, &m_scratch);
    m_grid->RepaintCell(col, row);
    m_grid->OnCellTypeEvent(m_index, col, row, EventCheckToggled, newState);
}

void CheckBoxCellType::DrawCell(ui::Canvas& canvas, ui::Rect* rect, int, long, GridCell* cell, bool selected, bool) {
    ui::Rect inner = DrawBorder(canvas, *rect, *cell);
    ui::Rect box = BoxRect(*rect);
    // Beside the box the cell is a normal one: its own text.
    DrawBackgroundAndText(canvas, ui::Rect{std::min(box.right + 2, inner.right), inner.top, inner.right, inner.bottom},
                          *cell, selected);
    if (inner.left < box.right + 2)
        canvas.FillRect(ui::Rect{inner.left, inner.top, std::min(box.right + 2, inner.right), inner.bottom},
                        selected ? cell->GetSelectedBackColor() : cell->GetBackColor());
    if (box.IsEmpty())
        return;
    canvas.FillRect(box, kWhite);
    ui::Color light{225, 225, 225};
    ui::Color shadow = ui::SystemColorOf(ui::SystemColor::ButtonShadow);
    HorizontalLine(canvas, box.left, box.right, box.top, shadow);
    VerticalLine(canvas, box.left, box.top, box.bottom, shadow);
    HorizontalLine(canvas, box.left, box.right, box.bottom - 1, light);
    VerticalLine(canvas, box.right - 1, box.top, box.bottom, light);
    HorizontalLine(canvas, box.left + 1, box.right - 1, box.top + 1, ui::SystemColorOf(ui::SystemColor::ButtonFace));
    if (cell->GetNumber() == 0.0)
        return;
    // A tick: down to the lower third, then up to the far corner, two pixels thick.
    int side = box.Width();
    int x = box.left + 2;
    int y = box.top + side / 2 - 1;
    int down = std::max(side / 3, 1);
    for (int i = 0; i < down; ++i)
        canvas.FillRect(ui::Rect{x + i, y + i, x + i + 1, y + i + 2}, kBlack);
    int x2 = x + down;
    int y2 = y + down - 1;
    for (int i = 0; x2 + i < box.right - 2 && y2 - i > box.top + 1; ++i)
        canvas.FillRect(ui::Rect{x2 + i, y2 - i, x2 + i + 1, y2 - i + 2}, kBlack);
}

// ---- Arrows -------------------------------------------------------------------------------------------

const std::array<unsigned char, 16>* ArrowCellType::GetTypeId() const { return &kArrowId; }

void ArrowCellType::DrawCell(ui::Canvas& canvas, ui::Rect* rect, int, long, GridCell* cell, bool selected, bool) {
    ui::Rect inner = DrawBorder(canvas, *rect, *cell);
    canvas.FillRect(inner, selected ? cell->GetSelectedBackColor() : cell->GetBackColor());
    int style = cell->GetCellTypeStyle();
    int cx = inner.left + inner.Width() / 2;
    int cy = inner.top + inner.Height() / 2;
    ui::Color color = selected ? cell->GetSelectedTextColor() : cell->GetTextColor();
    // 0x10 left, 0x20 right, 0x40 up, 0x80 down: a solid triangle of four lines.
    for (int i = 0; i < 4; ++i) {
        if (style & 0x10)
            VerticalLine(canvas, cx - 2 + i, cy - i, cy + i + 1, color);
        else if (style & 0x20)
            VerticalLine(canvas, cx + 1 - i, cy - i, cy + i + 1, color);
        else if (style & 0x40)
            HorizontalLine(canvas, cx - i, cx + i + 1, cy - 2 + i, color);
        else if (style & 0x80)
            HorizontalLine(canvas, cx - i, cx + i + 1, cy + 1 - i, color);
    }
}

const std::array<unsigned char, 16>* SortArrowCellType::GetTypeId() const { return &kSortArrowId; }

void SortArrowCellType::DrawCell(ui::Canvas& canvas, ui::Rect* rect, int, long, GridCell* cell, bool selected, bool) {
    ui::Rect inner = DrawBorder(canvas, *rect, *cell);
    int bar = ui::SystemMetricOf(ui::SystemMetric::ScrollBarWidth);
    ui::Rect box{std::max(inner.right - bar, inner.left), inner.top, inner.right, inner.bottom};
    DrawBackgroundAndText(canvas, ui::Rect{inner.left, inner.top, box.left, inner.bottom}, *cell, selected);
    canvas.FillRect(box, cell->GetBackColor());
    int height = rect->Height();
    int s = std::min(bar / 4, height - 1);
    if (s <= 0)
        return;
    int y0 = rect->top + height / 2 - s;
    canvas.SetPen(ui::Pen{kBlack, 1, ui::PenStyle::Solid});
    if (!(cell->GetCellTypeStyle() & SortArrowUp)) {
        canvas.MoveTo(box.right - s, y0);
        canvas.LineTo(box.left + s, y0);
        canvas.LineTo(box.left + 2 * s, y0 + 2 * s);
        canvas.SetPen(ui::Pen{kWhite, 1, ui::PenStyle::Solid});
        canvas.LineTo(box.right - s, y0);
    } else {
        canvas.SetPen(ui::Pen{kWhite, 1, ui::PenStyle::Solid});
        canvas.MoveTo(box.left + s, y0 + 2 * s);
        canvas.LineTo(box.right - s, y0 + 2 * s);
        canvas.LineTo(box.left + 2 * s, y0);
        canvas.SetPen(ui::Pen{kBlack, 1, ui::PenStyle::Solid});
        canvas.LineTo(box.left + s, y0 + 2 * s);
    }
}

} // namespace vantorel
