#include "platform/ui/Canvas.h"

#include "platform/text/CodePage.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <cmath>
#include <cstdint>
#include <map>

namespace ui {

Color SystemColorOf(SystemColor which) {
    switch (which) {
    case SystemColor::ButtonFace: return Color{212, 208, 200};
    case SystemColor::ButtonText: return Color{0, 0, 0};
    case SystemColor::ButtonShadow: return Color{128, 128, 128};
    case SystemColor::ButtonHighlight: return Color{255, 255, 255};
    case SystemColor::ButtonDarkShadow: return Color{64, 64, 64};
    case SystemColor::Window: return Color{255, 255, 255};
    case SystemColor::WindowText: return Color{0, 0, 0};
    case SystemColor::WindowFrame: return Color{0, 0, 0};
    case SystemColor::Highlight: return Color{10, 36, 106};
    case SystemColor::HighlightText: return Color{255, 255, 255};
    case SystemColor::GrayText: return Color{128, 128, 128};
    case SystemColor::InfoBackground: return Color{255, 255, 225};
    case SystemColor::InfoText: return Color{0, 0, 0};
    }
    return Color{};
}

int SystemMetricOf(SystemMetric which) {
    switch (which) {
    case SystemMetric::ScrollBarWidth: return 16;
    case SystemMetric::ScrollBarHeight: return 16;
    case SystemMetric::BorderWidth: return 1;
    case SystemMetric::DoubleClickTime: return 500;
    case SystemMetric::DoubleClickDistance: return 4;
    }
    return 0;
}

std::string InstalledFaceFor(const std::string& face) {
    static const std::map<std::string, std::string> s_faces = {
        {"MS Sans Serif", "Liberation Sans"}, {"MS Shell Dlg", "Liberation Sans"}, {"Arial", "Liberation Sans"},
        {"Helvetica", "Liberation Sans"},     {"Courier", "Liberation Mono"},      {"Courier New", "Liberation Mono"},
        {"Times New Roman", "Liberation Serif"}};
    auto found = s_faces.find(face);
    return found == s_faces.end() ? face : found->second;
}

int FontHeightOf(const Font& font) {
    return -((font.pointSize * 96 + 36) / 72);
}

namespace {

// Points at the 96 pixels an inch that dialog layouts were made for.
double PixelSize(int pointSize) {
    return pointSize * 96.0 / 72.0;
}

PangoFontDescription* Describe(const Font& font) {
    PangoFontDescription* description = pango_font_description_new();
    pango_font_description_set_family(description, InstalledFaceFor(font.face).c_str());
    pango_font_description_set_absolute_size(description, PixelSize(font.pointSize) * PANGO_SCALE);
    pango_font_description_set_weight(description, font.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    return description;
}

// One small surface for measuring text outside any painting.
struct Measurer {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    cairo_t* cairo = cairo_create(surface);
    PangoLayout* layout = pango_cairo_create_layout(cairo);
    Font font;
    bool hasFont = false;
    PangoLayout* For(const Font& wanted, const std::string& text) {
        if (!hasFont || !(wanted == font)) {
            PangoFontDescription* description = Describe(wanted);
            pango_layout_set_font_description(layout, description);
            pango_font_description_free(description);
            font = wanted;
            hasFont = true;
        }
        std::string utf8 = textkit::Active().ToUtf8(text);
        pango_layout_set_text(layout, utf8.data(), static_cast<int>(utf8.size()));
        return layout;
    }
};

Measurer& TheMeasurer() {
    static auto* s_measurer = new Measurer();
    return *s_measurer;
}

Size PixelSizeOf(PangoLayout* layout) {
    int width = 0;
    int height = 0;
    pango_layout_get_pixel_size(layout, &width, &height);
    return Size{width, height};
}

const char* kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

Size AverageOf(PangoLayout* layout) {
    Size all = PixelSizeOf(layout);
    // As dialog units have always been worked out: the alphabet's width over 26, rounded, halved.
    return Size{(all.width / 26 + 1) / 2, all.height};
}

} // namespace

Size MeasureText(const Font& font, const std::string& text) {
    return PixelSizeOf(TheMeasurer().For(font, text));
}

Size AverageCharSizeOf(const Font& font) {
    return AverageOf(TheMeasurer().For(font, kAlphabet));
}

Image::Image(int width, int height)
    : m_width(width > 0 ? width : 1), m_height(height > 0 ? height : 1),
      m_surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, m_width, m_height)) {}

Image::~Image() {
    cairo_surface_destroy(m_surface);
}

Color Image::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return Color{};
    cairo_surface_flush(m_surface);
    const unsigned char* data = cairo_image_surface_get_data(m_surface);
    int stride = cairo_image_surface_get_stride(m_surface);
    std::uint32_t pixel = *reinterpret_cast<const std::uint32_t*>(data + y * stride + x * 4);
    return Color{static_cast<unsigned char>(pixel >> 16), static_cast<unsigned char>(pixel >> 8),
                 static_cast<unsigned char>(pixel)};
}

bool Image::SavePng(const std::string& path) const {
    return cairo_surface_write_to_png(m_surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

Canvas::Canvas(Image& image) : m_cairo(cairo_create(image.Surface())) {
    cairo_set_antialias(m_cairo, CAIRO_ANTIALIAS_NONE);
    cairo_set_line_width(m_cairo, 1.0);
}

Canvas::~Canvas() {
    if (m_layout)
        g_object_unref(m_layout);
    cairo_destroy(m_cairo);
}

void Canvas::Save() {
    cairo_save(m_cairo);
    m_saved.push_back(State{m_pen, m_brush, m_hollowBrush, m_font, m_textColor, m_textBackground, m_opaqueText});
}

void Canvas::Restore() {
    if (m_saved.empty())
        return;
    cairo_restore(m_cairo);
    const State& state = m_saved.back();
    m_pen = state.pen;
    m_brush = state.brush;
    m_hollowBrush = state.hollow;
    SetFont(state.font);
    m_textColor = state.textColor;
    m_textBackground = state.textBackground;
    m_opaqueText = state.opaqueText;
    m_saved.pop_back();
}

void Canvas::Translate(int dx, int dy) {
    cairo_translate(m_cairo, dx, dy);
}

void Canvas::Clip(const Rect& clip) {
    cairo_rectangle(m_cairo, clip.left, clip.top, clip.Width() > 0 ? clip.Width() : 0,
                    clip.Height() > 0 ? clip.Height() : 0);
    cairo_clip(m_cairo);
}

Rect Canvas::ClipBox() const {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    cairo_clip_extents(m_cairo, &x1, &y1, &x2, &y2);
    return Rect{static_cast<int>(std::floor(x1)), static_cast<int>(std::floor(y1)), static_cast<int>(std::ceil(x2)),
                static_cast<int>(std::ceil(y2))};
}

void Canvas::SetFont(const Font& font) {
    if (m_layout && font == m_font)
        return;
    m_font = font;
    if (!m_layout)
        m_layout = pango_cairo_create_layout(m_cairo);
    PangoFontDescription* description = Describe(font);
    pango_layout_set_font_description(m_layout, description);
    pango_font_description_free(description);
}

void Canvas::SetColor(Color color) {
    cairo_set_source_rgb(m_cairo, color.r / 255.0, color.g / 255.0, color.b / 255.0);
}

void Canvas::LineTo(int x, int y) {
    if (m_pen.style != PenStyle::None) {
        int w = m_pen.width > 0 ? m_pen.width : 1;
        if (x == m_at.x || y == m_at.y) {
            // Whole pixels from the start up to, not including, the end, as a device context draws them.
            bool horizontal = y == m_at.y;
            int from = horizontal ? m_at.x : m_at.y;
            int to = horizontal ? x : y;
            int low = to >= from ? from : to + 1;
            int high = to >= from ? to : from + 1;
            int step = m_pen.style == PenStyle::Dot ? 2 : high - low;
            for (int at = low; at < high; at += step > 0 ? step : 1) {
                int end = m_pen.style == PenStyle::Dot ? at + 1 : high;
                FillRect(horizontal ? Rect{at, y, end, y + w} : Rect{x, at, x + w, end}, m_pen.color);
            }
        } else {
            SetColor(m_pen.color);
            cairo_set_line_width(m_cairo, w);
            cairo_move_to(m_cairo, m_at.x + 0.5, m_at.y + 0.5);
            cairo_line_to(m_cairo, x + 0.5, y + 0.5);
            cairo_stroke(m_cairo);
        }
    }
    m_at = Point{x, y};
}

void Canvas::Rectangle(const Rect& rect) {
    if (rect.IsEmpty())
        return;
    if (!m_hollowBrush)
        FillRect(rect, m_brush);
    if (m_pen.style != PenStyle::None)
        FrameRect(rect, m_pen.color);
}

void Canvas::FillRect(const Rect& rect, Color color) {
    if (rect.IsEmpty())
        return;
    SetColor(color);
    cairo_rectangle(m_cairo, rect.left, rect.top, rect.Width(), rect.Height());
    cairo_fill(m_cairo);
}

void Canvas::FrameRect(const Rect& rect, Color color) {
    if (rect.IsEmpty())
        return;
    FillRect(Rect{rect.left, rect.top, rect.right, rect.top + 1}, color);
    FillRect(Rect{rect.left, rect.bottom - 1, rect.right, rect.bottom}, color);
    FillRect(Rect{rect.left, rect.top, rect.left + 1, rect.bottom}, color);
    FillRect(Rect{rect.right - 1, rect.top, rect.right, rect.bottom}, color);
}

void Canvas::Draw3dRect(const Rect& rect, Color topLeft, Color bottomRight) {
    if (rect.IsEmpty())
        return;
    FillRect(Rect{rect.left, rect.top, rect.right - 1, rect.top + 1}, topLeft);
    FillRect(Rect{rect.left, rect.top, rect.left + 1, rect.bottom - 1}, topLeft);
    FillRect(Rect{rect.left, rect.bottom - 1, rect.right, rect.bottom}, bottomRight);
    FillRect(Rect{rect.right - 1, rect.top, rect.right, rect.bottom}, bottomRight);
}

void Canvas::DrawFocusRect(const Rect& rect) {
    // Every other pixel, as a focus rectangle is drawn.
    Color color{0, 0, 0};
    for (int x = rect.left; x < rect.right; x += 2) {
        FillRect(Rect{x, rect.top, x + 1, rect.top + 1}, color);
        FillRect(Rect{x, rect.bottom - 1, x + 1, rect.bottom}, color);
    }
    for (int y = rect.top; y < rect.bottom; y += 2) {
        FillRect(Rect{rect.left, y, rect.left + 1, y + 1}, color);
        FillRect(Rect{rect.right - 1, y, rect.right, y + 1}, color);
    }
}

PangoLayout* Canvas::Layout(const std::string& text) {
    if (!m_layout)
        SetFont(m_font);
    std::string utf8 = textkit::Active().ToUtf8(text);
    pango_layout_set_text(m_layout, utf8.data(), static_cast<int>(utf8.size()));
    return m_layout;
}

std::string WithoutMnemonic(const std::string& text, std::size_t* marked) {
    std::string shown;
    if (marked)
        *marked = std::string::npos;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size()) {
            ++i;
            if (text[i] != '&' && marked && *marked == std::string::npos)
                *marked = shown.size();
        }
        shown += text[i];
    }
    return shown;
}

char MnemonicOf(const std::string& text) {
    std::size_t marked = std::string::npos;
    std::string shown = WithoutMnemonic(text, &marked);
    if (marked == std::string::npos)
        return 0;
    char c = shown[marked];
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

void Canvas::DrawText(const Rect& rect, const std::string& given, unsigned flags) {
    std::size_t marked = std::string::npos;
    std::string text = (flags & TextMnemonic) ? WithoutMnemonic(given, &marked) : given;
    PangoLayout* layout = Layout(text);
    if (marked != std::string::npos) {
        // Pango counts in bytes of UTF-8: where the marked character begins and ends there.
        const textkit::CodePage& codec = textkit::Active();
        std::size_t begin = codec.ToUtf8(std::string_view(text).substr(0, marked)).size();
        std::size_t end = begin + codec.ToUtf8(std::string_view(text).substr(marked, 1)).size();
        PangoAttrList* attributes = pango_attr_list_new();
        PangoAttribute* underline = pango_attr_underline_new(PANGO_UNDERLINE_SINGLE);
        underline->start_index = static_cast<guint>(begin);
        underline->end_index = static_cast<guint>(end);
        pango_attr_list_insert(attributes, underline);
        pango_layout_set_attributes(layout, attributes);
        pango_attr_list_unref(attributes);
    }
    Size extent = PixelSizeOf(layout);
    int x = rect.left;
    if (flags & TextCenter)
        x = rect.left + (rect.Width() - extent.width) / 2;
    else if (flags & TextRight)
        x = rect.right - extent.width;
    int y = (flags & TextVCenter) ? rect.top + (rect.Height() - extent.height) / 2 : rect.top;
    cairo_save(m_cairo);
    if (!(flags & TextNoClip)) {
        cairo_rectangle(m_cairo, rect.left, rect.top, rect.Width() > 0 ? rect.Width() : 0,
                        rect.Height() > 0 ? rect.Height() : 0);
        cairo_clip(m_cairo);
    }
    if (m_opaqueText)
        FillRect(Rect{x, y, x + extent.width, y + extent.height}, m_textBackground);
    SetColor(m_textColor);
    cairo_move_to(m_cairo, x, y);
    pango_cairo_show_layout(m_cairo, layout);
    cairo_restore(m_cairo);
    if (marked != std::string::npos)
        pango_layout_set_attributes(layout, nullptr);
}

void Canvas::DrawImage(const Image& image, int x, int y) {
    cairo_save(m_cairo);
    cairo_set_source_surface(m_cairo, image.Surface(), x, y);
    cairo_paint(m_cairo);
    cairo_restore(m_cairo);
}

void Canvas::TextOut(int x, int y, const std::string& text) {
    Size extent = TextExtent(text);
    DrawText(Rect{x, y, x + extent.width, y + extent.height}, text, TextLeft | TextNoClip);
}

Size Canvas::TextExtent(const std::string& text) {
    return PixelSizeOf(Layout(text));
}

Size Canvas::AverageCharSize() {
    return AverageOf(Layout(kAlphabet));
}

} // namespace ui
