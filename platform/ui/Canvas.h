#pragma once

#include "platform/ui/Geometry.h"

#include <memory>
#include <string>
#include <vector>

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;
typedef struct _PangoLayout PangoLayout;

namespace ui {

enum class SystemColor {
    ButtonFace,
    ButtonText,
    ButtonShadow,
    ButtonHighlight,
    ButtonDarkShadow,
    Window,
    WindowText,
    WindowFrame,
    Highlight,
    HighlightText,
    GrayText,
    InfoBackground,
    InfoText,
};
[[nodiscard]] Color SystemColorOf(SystemColor which);

enum class SystemMetric { ScrollBarWidth, ScrollBarHeight, BorderWidth, DoubleClickTime, DoubleClickDistance };
[[nodiscard]] int SystemMetricOf(SystemMetric which);

// A face by the name a resource or a program asks for; faces that are not installed here are drawn with
// metric-compatible ones ("MS Sans Serif" with Liberation Sans, "Courier" with Liberation Mono).
struct Font {
    std::string face = "MS Sans Serif";
    int pointSize = 8;
    bool bold = false;
    friend bool operator==(const Font&, const Font&) = default;
};
[[nodiscard]] std::string InstalledFaceFor(const std::string& face);
// The height a font is made with, as the system's font records hold it: negative, the character height in
// pixels of its points at 96 pixels an inch, rounded.
[[nodiscard]] int FontHeightOf(const Font& font);

enum class PenStyle { Solid, Dot, None };
struct Pen {
    Color color;
    int width = 1;
    PenStyle style = PenStyle::Solid;
};

enum TextFlags : unsigned {
    TextLeft = 0,
    TextCenter = 1,
    TextRight = 2,
    TextVCenter = 4,
    TextSingleLine = 8,
    TextNoClip = 16,
    TextMnemonic = 32, // "&" marks the next character, drawn underlined; "&&" draws one "&"
};

// The text of a control as shown, without its mnemonic marks, and the place of the marked character in it
// (std::string::npos when there is none).
[[nodiscard]] std::string WithoutMnemonic(const std::string& text, std::size_t* marked = nullptr);
// The character a control's text marks as its mnemonic, in upper case; 0 when there is none.
[[nodiscard]] char MnemonicOf(const std::string& text);

// An image of a window, 32 bits a pixel.
class Image {
public:
    Image(int width, int height);
    ~Image();
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    Color Pixel(int x, int y) const;
    // False when the file cannot be written.
    [[nodiscard]] bool SavePng(const std::string& path) const;
    cairo_surface_t* Surface() const { return m_surface; }

private:
    int m_width;
    int m_height;
    cairo_surface_t* m_surface;
};

// Where a window paints: pens, brushes, fonts and text colour as a device context has them, over Cairo and
// Pango. Coordinates are pixels of the window's client area; Save and Restore bracket clipping and origin.
class Canvas {
public:
    explicit Canvas(Image& image);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    void Save();
    void Restore();
    // Moves the origin by (dx, dy) and clips to `clip` given in the new coordinates.
    void Translate(int dx, int dy);
    void Clip(const Rect& clip);
    Rect ClipBox() const;

    void SetPen(const Pen& pen) { m_pen = pen; }
    void SetBrush(Color color) { m_brush = color; m_hollowBrush = false; }
    void SetHollowBrush() { m_hollowBrush = true; }
    void SetFont(const Font& font);
    const Font& GetFont() const { return m_font; }
    void SetTextColor(Color color) { m_textColor = color; }
    // The ground behind text: drawn when opaque, left when transparent.
    void SetTextBackground(Color color, bool opaque) { m_textBackground = color; m_opaqueText = opaque; }

    void MoveTo(int x, int y) { m_at = Point{x, y}; }
    void LineTo(int x, int y);
    void Line(int x1, int y1, int x2, int y2) { MoveTo(x1, y1); LineTo(x2, y2); }
    // Outline with the pen, inside with the brush.
    void Rectangle(const Rect& rect);
    void FillRect(const Rect& rect, Color color);
    void FrameRect(const Rect& rect, Color color);
    // Raised (a button) or sunken (an edit box) edges of two shades.
    void Draw3dRect(const Rect& rect, Color topLeft, Color bottomRight);
    void DrawFocusRect(const Rect& rect);
    void DrawText(const Rect& rect, const std::string& text, unsigned flags);
    // Another image with its top left corner at (x, y).
    void DrawImage(const Image& image, int x, int y);
    void TextOut(int x, int y, const std::string& text);
    [[nodiscard]] Size TextExtent(const std::string& text);
    // The font's average character width and height, as dialog units are measured.
    [[nodiscard]] Size AverageCharSize();

private:
    PangoLayout* Layout(const std::string& text);
    void SetColor(Color color);

    cairo_t* m_cairo;
    PangoLayout* m_layout = nullptr;
    Pen m_pen;
    Color m_brush{255, 255, 255};
    bool m_hollowBrush = false;
    Font m_font;
    Color m_textColor;
    Color m_textBackground{255, 255, 255};
    bool m_opaqueText = false;
    Point m_at;
    struct State {
        Pen pen;
        Color brush;
        bool hollow;
        Font font;
        Color textColor;
        Color textBackground;
        bool opaqueText;
    };
    std::vector<State> m_saved;
};

// Text measured without a window: the dialog layout needs it before anything is painted.
[[nodiscard]] Size MeasureText(const Font& font, const std::string& text);
[[nodiscard]] Size AverageCharSizeOf(const Font& font);

} // namespace ui
