#include "render/Scene.h"
#include "render/Texts.h"

#include "platform/text/CodePage.h"
#include "platform/ui/Canvas.h"

#include <algorithm>
#include <cmath>
#include <pango/pangocairo.h>
#include <cstdint>

namespace render {

namespace {
constexpr double kPi = 3.14159265358979323846;

// Lines one pixel wide straight into an image's pixels: for thousands of short lines a frame, a stroke
// through the general renderer would cost many times more and look the same.
class PixelLines {
public:
    explicit PixelLines(ui::Image& image)
        : m_data(reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(image.Surface()))),
          m_stride(cairo_image_surface_get_stride(image.Surface()) / 4), m_width(image.Width()),
          m_height(image.Height()) {}
    // Lines are kept to this rectangle of the image (a viewport), or to the image when none is set.
    void SetClip(double x0, double y0, double x1, double y1) {
        m_left = std::max(0.0, x0);
        m_top = std::max(0.0, y0);
        m_right = std::min(static_cast<double>(m_width), x1);
        m_bottom = std::min(static_cast<double>(m_height), y1);
    }
    void ClearClip() { SetClip(0, 0, m_width, m_height); }
    void SetColour(std::int32_t rgb, bool dashed) {
        m_colour = 0xFF000000u | static_cast<std::uint32_t>(rgb);
        m_dashed = dashed;
    }
    void Dot(double x, double y) {
        if (x < m_left || y < m_top || x >= m_right || y >= m_bottom)
            return;
        int px = static_cast<int>(std::floor(x));
        int py = static_cast<int>(std::floor(y));
        if (px >= 0 && py >= 0 && px < m_width && py < m_height)
            m_data[static_cast<std::ptrdiff_t>(py) * m_stride + px] = m_colour;
    }
    void Line(double x0, double y0, double x1, double y1) {
        if (!Clip(x0, y0, x1, y1))
            return;
        int ax = static_cast<int>(std::floor(x0));
        int ay = static_cast<int>(std::floor(y0));
        int bx = static_cast<int>(std::floor(x1));
        int by = static_cast<int>(std::floor(y1));
        int dx = std::abs(bx - ax);
        int dy = -std::abs(by - ay);
        int sx = ax < bx ? 1 : -1;
        int sy = ay < by ? 1 : -1;
        int error = dx + dy;
        for (int step = 0;; ++step) {
            if ((!m_dashed || step % 7 < 4) && ax >= 0 && ay >= 0 && ax < m_width && ay < m_height)
                m_data[static_cast<std::ptrdiff_t>(ay) * m_stride + ax] = m_colour;
            if (ax == bx && ay == by)
                break;
            int twice = 2 * error;
            if (twice >= dy) {
                error += dy;
                ax += sx;
            }
            if (twice <= dx) {
                error += dx;
                ay += sy;
            }
        }
    }

private:
    // Liang and Barsky's clipping to the image, so that a line far outside costs nothing.
    bool Clip(double& x0, double& y0, double& x1, double& y1) const {
        double t0 = 0.0;
        double t1 = 1.0;
        double dx = x1 - x0;
        double dy = y1 - y0;
        const double p[4] = {-dx, dx, -dy, dy};
        const double q[4] = {x0 - m_left, m_right - 1e-6 - x0, y0 - m_top, m_bottom - 1e-6 - y0};
        for (int i = 0; i < 4; ++i) {
            if (p[i] == 0.0) {
                if (q[i] < 0.0)
                    return false;
                continue;
            }
            double t = q[i] / p[i];
            if (p[i] < 0.0)
                t0 = std::max(t0, t);
            else
                t1 = std::min(t1, t);
            if (t0 > t1)
                return false;
        }
        double ox = x0;
        double oy = y0;
        x0 = ox + t0 * dx;
        y0 = oy + t0 * dy;
        x1 = ox + t1 * dx;
        y1 = oy + t1 * dy;
        return true;
    }

    std::uint32_t* m_data;
    int m_stride;
    int m_width;
    int m_height;
    std::uint32_t m_colour = 0xFFFFFFFFu;
    bool m_dashed = false;
    double m_left = 0.0;
    double m_top = 0.0;
    double m_right = m_width;
    double m_bottom = m_height;
};
} // namespace

namespace {
// Whether the text has letters of a script written right to left (Hebrew, Arabic, Syriac, Thaana, N'Ko...).
bool HasRightToLeft(const std::string& utf8) {
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0xD6 || lead > 0xEF)
            continue;
        unsigned code = 0;
        if (lead < 0xE0 && i + 1 < utf8.size())
            code = (lead & 0x1Fu) << 6 | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu);
        else if (lead >= 0xE0 && i + 2 < utf8.size())
            code = (lead & 0x0Fu) << 12 | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu) << 6 |
                   (static_cast<unsigned char>(utf8[i + 2]) & 0x3Fu);
        if ((code >= 0x0590 && code <= 0x08FF) || (code >= 0xFB1D && code <= 0xFDFF) || (code >= 0xFE70 && code <= 0xFEFF))
            return true;
    }
    return false;
}

// A screen's pixels to a millimetre (96 to the inch): lineweights in the view and in raster plots.
constexpr double kScreenPixelsPerMm = 96.0 / 25.4;

// Colour 7 and the background: white on a dark one, black on a light one.
std::int32_t Resolved(std::int32_t colour, const PaintStyle& style) {
    auto byte = [](double v) { return static_cast<std::int32_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
    if (colour == kBackground)
        return byte(style.background[0]) << 16 | byte(style.background[1]) << 8 | byte(style.background[2]);
    if (colour != kForeground)
        return colour;
    double light = 0.3 * style.background[0] + 0.59 * style.background[1] + 0.11 * style.background[2];
    return light > 0.5 ? 0x000000 : 0xFFFFFF;
}

void SetSource(cairo_t* cr, std::int32_t rgb) {
    cairo_set_source_rgb(cr, ((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0);
}
} // namespace

std::int32_t IndexColour(int index) {
    // The CAD program's palette: 1-9 named, 10-249 24 hues in 5 shades each at full and at half saturation,
    // 250-255 greys.
    static const std::int32_t kNamed[10] = {0x000000, 0xFF0000, 0xFFFF00, 0x00FF00, 0x00FFFF,
                                            0x0000FF, 0xFF00FF, kForeground, 0x414141, 0x808080};
    if (index <= 0 || index > 255)
        return kForeground;
    if (index < 10)
        return kNamed[index];
    if (index >= 250) {
        static const int kGreys[6] = {0x33, 0x5B, 0x84, 0xAD, 0xD6, 0xFF};
        int g = kGreys[index - 250];
        return g << 16 | g << 8 | g;
    }
    static const double kShades[5] = {1.0, 0.65, 0.5, 0.3, 0.15};
    double hue = (index / 10 - 1) * 15.0;
    int variant = index % 10;
    double value = kShades[variant / 2];
    double saturation = variant % 2 ? 0.5 : 1.0;
    double c = value * saturation;
    double h = hue / 60.0;
    double x = c * (1 - std::abs(std::fmod(h, 2.0) - 1));
    double r = 0, g = 0, b = 0;
    if (h < 1) { r = c; g = x; }
    else if (h < 2) { r = x; g = c; }
    else if (h < 3) { g = c; b = x; }
    else if (h < 4) { g = x; b = c; }
    else if (h < 5) { r = x; b = c; }
    else { r = c; b = x; }
    double m = value - c;
    auto byte = [](double v) { return static_cast<int>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
    return byte(r + m) << 16 | byte(g + m) << 8 | byte(b + m);
}

void Scene::Render(ui::Image& image, const ViewTransform& view, const std::vector<cad::ObjectId>& highlighted,
                   bool lineweights) const {
    cairo_t* cr = cairo_create(image.Surface());
    PaintStyle style;
    if (lineweights)
        style.pixelsPerMm = kScreenPixelsPerMm;
    if (!PaintFromOverview(cr, image, view, style, highlighted))
        Paint(cr, &image, view, style, highlighted);
    cairo_destroy(cr);
}

void Scene::Paint(cairo_t* cr, ui::Image* image, const ViewTransform& view, const PaintStyle& style,
                  const std::vector<cad::ObjectId>& highlighted) const {
    cairo_set_source_rgb(cr, style.background[0], style.background[1], style.background[2]);
    cairo_paint(cr);
    PaintGroups(cr, image, view, style, GroupsMeeting(view.Visible()), highlighted);
}

void Scene::PaintGroups(cairo_t* cr, ui::Image* image, const ViewTransform& view, const PaintStyle& style,
                        const std::vector<std::uint32_t>& groups, const std::vector<cad::ObjectId>& highlighted) const {
    auto isHighlighted = [&](cad::ObjectId id) { return std::binary_search(highlighted.begin(), highlighted.end(), id); };
    constexpr std::int32_t kHighlight = 0xFFD933;
    auto colourOf = [&](std::uint16_t index, bool lit) {
        return lit ? kHighlight : Resolved(m_styles[index].colour, style);
    };
    auto widthOf = [&](std::uint16_t index) {
        if (!(style.pixelsPerMm > 0.0))
            return style.lineWidth;
        int hundredths = m_styles[index].lineweight >= 0 ? m_styles[index].lineweight : m_look.defaultLineweight;
        return std::max(style.lineWidth, hundredths / 100.0 * style.pixelsPerMm);
    };
    auto fillPath = [&](const Fill& fill) {
        for (std::uint32_t r = fill.firstRing; r < fill.firstRing + fill.rings; ++r) {
            const Ring& ring = m_rings[r];
            for (std::uint32_t p = ring.firstPoint; p < ring.firstPoint + ring.points; ++p) {
                double x = view.ScreenX(m_fillPoints[p].first);
                double y = view.ScreenY(m_fillPoints[p].second);
                if (p == ring.firstPoint)
                    cairo_move_to(cr, x, y);
                else
                    cairo_line_to(cr, x, y);
            }
            cairo_close_path(cr);
        }
    };
    auto masks = [&](const Fill& fill) { return m_styles[fill.style].colour == kBackground; };
    // A viewport's content is cut to its frame.
    auto clipTo = [&](std::uint32_t clip) {
        cairo_reset_clip(cr);
        if (clip == 0)
            return;
        const Box& box = m_clips[clip - 1];
        double x0 = view.ScreenX(box.minX), y0 = view.ScreenY(box.maxY);
        cairo_rectangle(cr, x0, y0, view.ScreenX(box.maxX) - x0, view.ScreenY(box.minY) - y0);
        cairo_clip(cr);
    };
    // Filled areas first, under every line; wipeouts in their turn among the lines, which they hide.
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    for (std::uint32_t i : groups) {
        const Group& g = m_groups[i];
        bool lit = isHighlighted(g.id);
        if (g.fills > 0 && g.clip != 0)
            clipTo(g.clip);
        for (std::uint32_t f = g.firstFill; f < g.firstFill + g.fills; ++f) {
            if (masks(m_fills[f]))
                continue;
            fillPath(m_fills[f]);
            SetSource(cr, colourOf(m_fills[f].style, lit));
            cairo_fill(cr);
        }
        if (g.fills > 0 && g.clip != 0)
            clipTo(0);
    }
    std::vector<const Label*> labels;
    std::vector<std::int32_t> labelColours;
    std::vector<std::uint32_t> labelClips;
    std::unique_ptr<PixelLines> pixels;
    bool pixelPass = style.pixelLines && image;
    if (pixelPass) {
        cairo_surface_flush(image->Surface());
        pixels = std::make_unique<PixelLines>(*image);
    }
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    // Strokes of one colour and width go to the surface together: a path a group would cost a drawing of a
    // million entities seconds.
    std::int32_t pathColour = 0;
    double pathWidth = 0.0;
    bool pathOpen = false;
    std::size_t pathGroups = 0;
    std::size_t pathPieces = 0;
    auto flush = [&] {
        if (pathOpen)
            cairo_stroke(cr);
        pathOpen = false;
        pathGroups = 0;
    };
    auto usePath = [&](std::int32_t rgb, double width, bool lit) {
        if (pathOpen && rgb == pathColour && width == pathWidth)
            return;
        flush();
        SetSource(cr, rgb);
        cairo_set_line_width(cr, width);
        if (lit) {
            const double dashes[2] = {4.0, 3.0};
            cairo_set_dash(cr, dashes, 2, 0.0);
        } else {
            cairo_set_dash(cr, nullptr, 0, 0.0);
        }
        pathColour = rgb;
        pathWidth = width;
        pathOpen = true;
    };
    // Thin lines go straight into the image's pixels when it is one; wide ones (and every line of a plot) are
    // stroked. The second stroke pass draws over the pixels, so it comes after them.
    enum class Lines { Thin, Wide, All };
    auto strokeGroups = [&](Lines which, bool stroke) {
        std::int32_t pixelColour = -2;
        bool pixelDashed = false;
        std::uint32_t activeClip = 0;
        auto useClip = [&](std::uint32_t clip) {
            if (clip == activeClip)
                return;
            activeClip = clip;
            if (stroke) {
                flush();
                clipTo(clip);
            } else if (clip == 0) {
                pixels->ClearClip();
            } else {
                const Box& box = m_clips[clip - 1];
                pixels->SetClip(view.ScreenX(box.minX), view.ScreenY(box.maxY), view.ScreenX(box.maxX),
                                view.ScreenY(box.minY));
            }
        };
        for (int pass = 0; pass < 2; ++pass) {
            // The plain groups first, the highlighted ones over them.
            for (std::uint32_t i : groups) {
                const Group& g = m_groups[i];
                bool lit = isHighlighted(g.id);
                if (lit != (pass == 1))
                    continue;
                useClip(g.clip);
                double size = std::max(g.box.maxX - g.box.minX, g.box.maxY - g.box.minY) * view.scale;
                auto wanted = [&](std::uint16_t index) {
                    if (which == Lines::All)
                        return true;
                    return (widthOf(index) > 1.5) == (which == Lines::Wide);
                };
                if (size < (stroke ? 1.0 : 2.0)) {
                    // Smaller than a pixel or two: a dot shows as much. A reference that draws nothing (its block
                    // empty or all of it invisible) has a box only to be picked by: nothing shows.
                    if (!wanted(g.style) || g.segments + g.curves + g.labels + g.fills == 0)
                        continue;
                    double cx = view.ScreenX((g.box.minX + g.box.maxX) / 2);
                    double cy = view.ScreenY((g.box.minY + g.box.maxY) / 2);
                    if (stroke) {
                        usePath(colourOf(g.style, lit), widthOf(g.style), lit);
                        cairo_move_to(cr, cx, cy);
                        cairo_line_to(cr, cx, cy);
                    } else {
                        pixels->SetColour(colourOf(g.style, lit), lit);
                        pixelColour = -2;
                        pixels->Dot(cx, cy);
                    }
                    continue;
                }
                for (std::uint32_t f = g.firstFill; f < g.firstFill + g.fills; ++f) {
                    if (!masks(m_fills[f]) || which == Lines::Wide)
                        continue;
                    // What is drawn so far goes first, then the mask over it.
                    flush();
                    if (!stroke)
                        cairo_surface_mark_dirty(image->Surface());
                    fillPath(m_fills[f]);
                    SetSource(cr, Resolved(kBackground, style));
                    cairo_fill(cr);
                    if (!stroke)
                        cairo_surface_flush(image->Surface());
                }
                // A path of a few hundred groups at most: a longer one costs more to stroke than it saves.
                if (stroke && ++pathGroups > 256)
                    flush();
                auto pen = [&](std::uint16_t index) {
                    std::int32_t rgb = colourOf(index, lit);
                    // Nor more than a few thousand pieces: one entity may draw millions.
                    if (stroke && ++pathPieces > 4096) {
                        flush();
                        pathPieces = 0;
                    }
                    if (stroke) {
                        usePath(rgb, widthOf(index), lit);
                    } else if (rgb != pixelColour || lit != pixelDashed) {
                        pixels->SetColour(rgb, lit);
                        pixelColour = rgb;
                        pixelDashed = lit;
                    }
                };
                for (std::uint32_t k = g.firstSegment; k < g.firstSegment + g.segments; ++k) {
                    const Segment& seg = m_segments[k];
                    if (!wanted(seg.style))
                        continue;
                    pen(seg.style);
                    double x1 = view.ScreenX(seg.x1), y1 = view.ScreenY(seg.y1);
                    double x2 = view.ScreenX(seg.x2), y2 = view.ScreenY(seg.y2);
                    if (stroke) {
                        cairo_move_to(cr, x1, y1);
                        cairo_line_to(cr, x2, y2);
                    } else {
                        pixels->Line(x1, y1, x2, y2);
                    }
                }
                for (std::uint32_t k = g.firstCurve; k < g.firstCurve + g.curves; ++k) {
                    const Curve& c = m_curves[k];
                    if (!wanted(c.style))
                        continue;
                    pen(c.style);
                    double r = c.r * view.scale;
                    double sx = view.ScreenX(c.cx);
                    double sy = view.ScreenY(c.cy);
                    double sweep = c.end - c.start;
                    if (sweep <= 0)
                        sweep += 2 * kPi;
                    if (stroke) {
                        // y grows downwards on the surface: the arc turns the other way.
                        cairo_new_sub_path(cr);
                        cairo_arc_negative(cr, sx, sy, r, -c.start, -(c.start + sweep));
                        continue;
                    }
                    if (r < 0.75) {
                        pixels->Dot(sx, sy);
                        continue;
                    }
                    // Chords short enough that no pixel of the curve is missed or doubled.
                    int steps = std::clamp(static_cast<int>(std::ceil(sweep * std::sqrt(r) * 1.5)), 4, 720);
                    // Each chord's end the last one's turned by a step: one sine and cosine a curve, not a chord.
                    double turnCos = std::cos(sweep / steps), turnSin = std::sin(sweep / steps);
                    double ux = r * std::cos(c.start), uy = r * std::sin(c.start);
                    double px = sx + ux;
                    double py = sy - uy;
                    for (int step = 1; step <= steps; ++step) {
                        double vx = ux * turnCos - uy * turnSin;
                        uy = ux * turnSin + uy * turnCos;
                        ux = vx;
                        double nx = sx + ux;
                        double ny = sy - uy;
                        pixels->Line(px, py, nx, ny);
                        px = nx;
                        py = ny;
                    }
                }
                if (which != Lines::Wide) {
                    for (std::uint32_t k = g.firstLabel; k < g.firstLabel + g.labels; ++k) {
                        labels.push_back(&m_labels[k]);
                        labelColours.push_back(colourOf(m_labels[k].style, lit));
                        labelClips.push_back(g.clip);
                    }
                }
            }
        }
        flush();
        useClip(0);
    };
    if (pixelPass) {
        strokeGroups(Lines::Thin, false);
        cairo_surface_mark_dirty(image->Surface());
        if (style.pixelsPerMm > 0.0)
            strokeGroups(Lines::Wide, true);
    } else {
        strokeGroups(Lines::All, true);
    }
    cairo_set_dash(cr, nullptr, 0, 0.0);
    std::uint16_t face = 0xFFFF;
    for (std::size_t k = 0; k < labels.size(); ++k) {
        const Label* label = labels[k];
        double px = label->height * view.scale;
        if (px < 3.0 || px > 2000.0)
            continue;
        if (label->face != face && label->face < m_faces.size()) {
            face = label->face;
            cairo_select_font_face(cr, m_faces[face].c_str(), CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
        }
        std::string utf8 = textkit::Active().ToUtf8(TextOf(*label));
        cairo_save(cr);
        if (labelClips[k] != 0)
            clipTo(labelClips[k]);
        SetSource(cr, labelColours[k]);
        cairo_translate(cr, view.ScreenX(label->x), view.ScreenY(label->y));
        cairo_rotate(cr, -label->angle);
        // Mirrored about the point it is set at: backward runs the other way, upside down hangs below.
        cairo_scale(cr, label->backward ? -1.0 : 1.0, label->upsideDown ? -1.0 : 1.0);
        cairo_set_font_size(cr, px * kFontSizePerHeight);
        // Right-to-left letters are set by Pango, which orders them as they are read and joins Arabic's; the
        // rest by Cairo's own text, which costs far less.
        PangoLayout* layout = nullptr;
        cairo_text_extents_t extents{};
        double baseline = 0.0;
        if (HasRightToLeft(utf8)) {
            layout = pango_cairo_create_layout(cr);
            PangoFontDescription* description = pango_font_description_from_string(m_faces[label->face].c_str());
            pango_font_description_set_absolute_size(description, px * kFontSizePerHeight * PANGO_SCALE);
            pango_layout_set_font_description(layout, description);
            pango_font_description_free(description);
            pango_layout_set_text(layout, utf8.c_str(), -1);
            PangoRectangle logical;
            pango_layout_get_extents(layout, nullptr, &logical);
            extents.x_advance = static_cast<double>(logical.width) / PANGO_SCALE;
            baseline = static_cast<double>(pango_layout_get_baseline(layout)) / PANGO_SCALE;
        } else {
            cairo_text_extents(cr, utf8.c_str(), &extents);
        }
        double stretch = label->widthFactor;
        double grow = 1.0;
        if (label->fit > 0.0f && extents.x_advance > 0.0) {
            // Between the text's two points: a fitted text stretches, an aligned one grows both ways.
            double wanted = label->fit * view.scale / extents.x_advance;
            if (label->fitUniform) {
                grow = wanted;
                stretch = 1.0;
            } else {
                stretch = wanted;
            }
        }
        cairo_scale(cr, stretch * grow, grow);
        if (label->oblique != 0.0f) {
            // Slanted to the right: x moves with the height above the baseline, which is up, so -y here.
            cairo_matrix_t shear;
            cairo_matrix_init(&shear, 1.0, 0.0, -std::tan(label->oblique), 1.0, 0.0, 0.0);
            cairo_transform(cr, &shear);
        }
        double dx = label->horizontal == 2 ? -extents.x_advance : label->horizontal == 1 ? -extents.x_advance / 2 : 0.0;
        // Below the baseline by the letters' descent for Bottom: about a third of their height.
        double dy = label->vertical == 3 ? px : label->vertical == 2 ? px / 2 : label->vertical == 1 ? -px * 0.3 : 0.0;
        if (layout) {
            cairo_move_to(cr, dx, dy - baseline);
            pango_cairo_show_layout(cr, layout);
            g_object_unref(layout);
        } else {
            cairo_move_to(cr, dx, dy);
            cairo_show_text(cr, utf8.c_str());
        }
        cairo_restore(cr);
    }
}

} // namespace render
