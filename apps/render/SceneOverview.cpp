// The view of a big drawing seen whole: a million groups, each a dot or a few pixels, cost a frame too many to pan
// and zoom smoothly. Painted once into an image bigger than the view and halved from there into smaller ones, the
// drawing is then scaled from the nearest of them for every view that shows it no bigger than they do.
#include "render/Scene.h"

#include "platform/ui/Canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace render {

namespace {
// Below this many groups every frame is painted group by group: it is fast enough, and exact.
constexpr std::size_t kOverviewFrom = 200000;
// The painted image's longer side, pixels: it serves views up to its own scale, which covers the drawing seen whole
// and zoomed in twice on a view of 1600 by 1000; below 256 pixels no view needs another.
constexpr double kOverviewSide = 2048.0;
constexpr int kSmallestSide = 256;

// Half the size, each pixel the one of its four furthest from the background: a line a pixel wide stays as
// strong as it was, where averaging would fade it to a quarter.
std::shared_ptr<ui::Image> Halved(const ui::Image& from, const double background[3]) {
    int width = std::max(1, from.Width() / 2), height = std::max(1, from.Height() / 2);
    auto half = std::make_shared<ui::Image>(width, height);
    cairo_surface_t* source = from.Surface();
    cairo_surface_t* target = half->Surface();
    cairo_surface_flush(source);
    cairo_surface_flush(target);
    const unsigned char* in = cairo_image_surface_get_data(source);
    unsigned char* out = cairo_image_surface_get_data(target);
    int inStride = cairo_image_surface_get_stride(source), outStride = cairo_image_surface_get_stride(target);
    const int br = static_cast<int>(std::lround(background[0] * 255)), bg = static_cast<int>(std::lround(background[1] * 255)),
              bb = static_cast<int>(std::lround(background[2] * 255));
    auto ink = [&](std::uint32_t pixel) {
        return std::abs(static_cast<int>(pixel >> 16 & 0xFF) - br) + std::abs(static_cast<int>(pixel >> 8 & 0xFF) - bg) +
               std::abs(static_cast<int>(pixel & 0xFF) - bb);
    };
    for (int y = 0; y < height; ++y) {
        const auto* row0 = reinterpret_cast<const std::uint32_t*>(in + static_cast<std::ptrdiff_t>(2 * y) * inStride);
        const auto* row1 = reinterpret_cast<const std::uint32_t*>(in + static_cast<std::ptrdiff_t>(std::min(2 * y + 1, from.Height() - 1)) * inStride);
        auto* row = reinterpret_cast<std::uint32_t*>(out + static_cast<std::ptrdiff_t>(y) * outStride);
        for (int x = 0; x < width; ++x) {
            int x1 = std::min(2 * x + 1, from.Width() - 1);
            std::uint32_t best = row0[2 * x];
            int strongest = ink(best);
            for (std::uint32_t pixel : {row0[x1], row1[2 * x], row1[x1]}) {
                if (int strength = ink(pixel); strength > strongest) {
                    strongest = strength;
                    best = pixel;
                }
            }
            row[x] = best;
        }
    }
    cairo_surface_mark_dirty(target);
    return half;
}
} // namespace

bool Scene::PaintFromOverview(cairo_t* cr, ui::Image& image, const ViewTransform& view, const PaintStyle& style,
                              const std::vector<cad::ObjectId>& highlighted) const {
    if (m_groups.size() < kOverviewFrom || m_extents.Empty())
        return false;
    double width = std::max(m_extents.maxX - m_extents.minX, 1e-9);
    double height = std::max(m_extents.maxY - m_extents.minY, 1e-9);
    double scale = kOverviewSide / std::max(width, height);
    // Only views the picture can show without enlarging it.
    if (!(view.scale <= scale) || !std::isfinite(scale))
        return false;
    if (m_overview.levels.empty() || m_overview.lineweightsPerMm != style.pixelsPerMm) {
        ViewTransform whole;
        whole.scale = scale;
        whole.width = std::max(1, static_cast<int>(std::ceil(width * scale)) + 4);
        whole.height = std::max(1, static_cast<int>(std::ceil(height * scale)) + 4);
        whole.centreX = (m_extents.minX + m_extents.maxX) / 2;
        whole.centreY = (m_extents.minY + m_extents.maxY) / 2;
        auto painted = std::make_shared<ui::Image>(whole.width, whole.height);
        cairo_t* drawing = cairo_create(painted->Surface());
        Paint(drawing, painted.get(), whole, style, {});
        cairo_destroy(drawing);
        Overview made{{}, scale, whole.WorldX(0), whole.WorldY(0), style.pixelsPerMm};
        made.levels.push_back(std::move(painted));
        while (std::max(made.levels.back()->Width(), made.levels.back()->Height()) > kSmallestSide)
            made.levels.push_back(Halved(*made.levels.back(), style.background));
        m_overview = std::move(made);
    }
    // The smallest level still at least as big as the view shows it: scaled down by at most half.
    std::size_t level = 0;
    double levelScale = m_overview.scale;
    while (level + 1 < m_overview.levels.size() && view.scale <= levelScale / 2) {
        ++level;
        levelScale /= 2;
    }
    cairo_set_source_rgb(cr, style.background[0], style.background[1], style.background[2]);
    cairo_paint(cr);
    cairo_save(cr);
    // The level's pixel (u, v) is the drawing's (left + u / levelScale, top - v / levelScale).
    cairo_translate(cr, view.ScreenX(m_overview.left), view.ScreenY(m_overview.top));
    cairo_scale(cr, view.scale / levelScale, view.scale / levelScale);
    cairo_set_source_surface(cr, m_overview.levels[level]->Surface(), 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_BILINEAR);
    cairo_paint(cr);
    cairo_restore(cr);
    if (highlighted.empty())
        return true;
    // The highlighted groups over the picture, as a frame painted group by group draws them.
    Box visible = view.Visible();
    std::vector<std::uint32_t> lit;
    for (std::uint32_t i = 0; i < m_groups.size(); ++i)
        if (std::binary_search(highlighted.begin(), highlighted.end(), m_groups[i].id) && m_groups[i].box.Intersects(visible))
            lit.push_back(i);
    PaintGroups(cr, &image, view, style, lit, highlighted);
    return true;
}

} // namespace render
