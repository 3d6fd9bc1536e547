#include "Scene.h"

#include "platform/ui/Canvas.h"
#include "platform/text/CodePage.h"

#include <cairo.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>

namespace gui {

namespace {
constexpr double kPi = 3.14159265358979323846;
// Deeper nesting than this is a drawing that refers to itself.
constexpr int kDeepest = 16;
// The grid aims at about this many groups to a cell.
constexpr double kGroupsPerCell = 4.0;
constexpr int kMostCellsPerGroup = 64;


struct Rgb {
    double r, g, b;
};
// The first colours of the editor's palette; the rest show as white.
Rgb ColourOf(int index) {
    switch (index) {
    case 1: return {1.0, 0.0, 0.0};
    case 2: return {1.0, 1.0, 0.0};
    case 3: return {0.0, 1.0, 0.0};
    case 4: return {0.0, 1.0, 1.0};
    case 5: return {0.3, 0.45, 1.0};
    case 6: return {1.0, 0.0, 1.0};
    case 8: return {0.5, 0.5, 0.5};
    case 9: return {0.75, 0.75, 0.75};
    default: return {0.92, 0.92, 0.92};
    }
}

std::string Upper(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}
} // namespace

// An affine map from a block's coordinates to the world's: x' = a x + c y + e, y' = b x + d y + f.
struct Placement {
    double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;
    double X(double x, double y) const { return a * x + c * y + e; }
    double Y(double x, double y) const { return b * x + d * y + f; }
    Placement Then(const Placement& inner) const {
        return Placement{a * inner.a + c * inner.b, b * inner.a + d * inner.b, a * inner.c + c * inner.d,
                         b * inner.c + d * inner.d, a * inner.e + c * inner.f + e, b * inner.e + d * inner.f + f};
    }
    // Circles stay circles only under a map that scales alike both ways and does not mirror.
    bool KeepsCircles() const {
        return std::abs(a - d) < 1e-9 * (std::abs(a) + 1) && std::abs(b + c) < 1e-9 * (std::abs(b) + 1) &&
               a * d - b * c > 0;
    }
    double Scale() const { return std::sqrt(std::abs(a * d - b * c)); }
    double Angle() const { return std::atan2(b, a); }
};

void Box::Add(double x, double y) {
    minX = std::min(minX, x);
    minY = std::min(minY, y);
    maxX = std::max(maxX, x);
    maxY = std::max(maxY, y);
}

void Box::Add(const Box& other) {
    if (other.Empty())
        return;
    Add(other.minX, other.minY);
    Add(other.maxX, other.maxY);
}

bool Box::Intersects(const Box& o) const {
    return !Empty() && !o.Empty() && minX <= o.maxX && o.minX <= maxX && minY <= o.maxY && o.minY <= maxY;
}

bool Box::Contains(const Box& o) const {
    return !o.Empty() && o.minX >= minX && o.maxX <= maxX && o.minY >= minY && o.maxY <= maxY;
}

Box ViewTransform::Visible() const {
    Box box;
    box.Add(WorldX(0), WorldY(height));
    box.Add(WorldX(width), WorldY(0));
    return box;
}

void ViewTransform::Fit(const Box& box) {
    if (box.Empty()) {
        centreX = centreY = 0.0;
        scale = 10.0;
        return;
    }
    centreX = (box.minX + box.maxX) / 2.0;
    centreY = (box.minY + box.maxY) / 2.0;
    double w = std::max(box.maxX - box.minX, 1e-9);
    double h = std::max(box.maxY - box.minY, 1e-9);
    scale = 0.9 * std::min(width / w, height / h);
    if (!(scale > 0.0) || !std::isfinite(scale))
        scale = 1.0;
}

void Scene::AddEntity(const cad::Database& db, cad::ObjectId id, const Placement& at, Group& group, int depth) {
    const cad::Object* object = db.Peek(id);
    if (!object || object->IsErased() || depth > kDeepest)
        return;
    auto segment = [&](double x1, double y1, double x2, double y2) {
        Segment s{at.X(x1, y1), at.Y(x1, y1), at.X(x2, y2), at.Y(x2, y2)};
        group.box.Add(s.x1, s.y1);
        group.box.Add(s.x2, s.y2);
        m_segments.push_back(s);
        ++group.segments;
    };
    auto curve = [&](const cad::Point3d& centre, double r, double start, double end) {
        if (at.KeepsCircles()) {
            Curve c{at.X(centre.x, centre.y), at.Y(centre.x, centre.y), r * at.Scale(), start + at.Angle(),
                    end + at.Angle()};
            group.box.Add(c.cx - c.r, c.cy - c.r);
            group.box.Add(c.cx + c.r, c.cy + c.r);
            m_curves.push_back(c);
            ++group.curves;
            return;
        }
        // Stretched or mirrored: as short lines.
        if (end < start)
            end += 2 * kPi;
        int steps = std::max(8, static_cast<int>((end - start) / (2 * kPi) * 48));
        for (int i = 0; i < steps; ++i) {
            double t0 = start + (end - start) * i / steps;
            double t1 = start + (end - start) * (i + 1) / steps;
            segment(centre.x + r * std::cos(t0), centre.y + r * std::sin(t0), centre.x + r * std::cos(t1),
                    centre.y + r * std::sin(t1));
        }
    };
    switch (object->Kind()) {
    case cad::ObjectKind::Line: {
        const auto* line = static_cast<const cad::Line*>(object);
        segment(line->start.x, line->start.y, line->end.x, line->end.y);
        break;
    }
    case cad::ObjectKind::Circle: {
        const auto* circle = static_cast<const cad::Circle*>(object);
        curve(circle->center, circle->radius, 0.0, 2 * kPi);
        break;
    }
    case cad::ObjectKind::Arc: {
        const auto* arc = static_cast<const cad::Arc*>(object);
        curve(arc->center, arc->radius, arc->startAngle, arc->endAngle);
        break;
    }
    case cad::ObjectKind::Polyline: {
        const auto* polyline = static_cast<const cad::Polyline*>(object);
        const auto& v = polyline->vertices;
        for (std::size_t i = 0; i + 1 < v.size(); ++i)
            segment(v[i].x, v[i].y, v[i + 1].x, v[i + 1].y);
        if (polyline->closed && v.size() > 2)
            segment(v.back().x, v.back().y, v.front().x, v.front().y);
        break;
    }
    case cad::ObjectKind::Text:
    case cad::ObjectKind::AttributeDefinition:
    case cad::ObjectKind::Attribute: {
        const auto* text = static_cast<const cad::TextEntity*>(object);
        std::string shown = text->text;
        if (object->Kind() == cad::ObjectKind::AttributeDefinition) {
            // Inside a block a definition shows as the attribute of the reference; alone, by its tag.
            if (depth > 0)
                break;
            shown = static_cast<const cad::AttributeDefinition*>(object)->tag;
        }
        if (object->Kind() == cad::ObjectKind::Attribute &&
            (static_cast<const cad::Attribute*>(object)->flags & cad::kAttInvisible))
            break;
        if (shown.empty())
            break;
        bool aligned = text->horizontalMode != cad::HorizontalMode::Left || text->verticalMode != cad::VerticalMode::Base;
        const cad::Point3d& p = aligned ? text->alignmentPoint : text->position;
        double height = text->height * at.Scale();
        // Right and centred texts start left of their point by about their width.
        double width = 0.6 * text->height * text->widthFactor * static_cast<double>(shown.size());
        double shift = text->horizontalMode == cad::HorizontalMode::Right ? width
                     : text->horizontalMode == cad::HorizontalMode::Center ||
                               text->horizontalMode == cad::HorizontalMode::Middle ? width / 2.0 : 0.0;
        double x0 = p.x - shift * std::cos(text->rotation);
        double y0 = p.y - shift * std::sin(text->rotation);
        Label label{at.X(x0, y0), at.Y(x0, y0), height, text->rotation + at.Angle(), shown};
        group.box.Add(label.x, label.y);
        group.box.Add(at.X(x0 + width * std::cos(text->rotation), y0 + width * std::sin(text->rotation)),
                      at.Y(x0 + width * std::cos(text->rotation), y0 + width * std::sin(text->rotation)) + height);
        m_labels.push_back(std::move(label));
        ++group.labels;
        break;
    }
    case cad::ObjectKind::BlockReference: {
        const auto* reference = static_cast<const cad::BlockReference*>(object);
        const auto* block = db.PeekAs<cad::BlockTableRecord>(reference->blockId);
        if (block && !(block->flags & cad::kBlockExternal)) {
            double cs = std::cos(reference->rotation);
            double sn = std::sin(reference->rotation);
            for (int row = 0; row < std::max(reference->rowCount, 1); ++row) {
                for (int col = 0; col < std::max(reference->columnCount, 1); ++col) {
                    double ox = col * reference->columnSpacing;
                    double oy = row * reference->rowSpacing;
                    Placement inner{cs * reference->scale.x, sn * reference->scale.x, -sn * reference->scale.y,
                                    cs * reference->scale.y, 0, 0};
                    inner.e = reference->position.x + cs * ox - sn * oy - inner.a * block->origin.x - inner.c * block->origin.y;
                    inner.f = reference->position.y + sn * ox + cs * oy - inner.b * block->origin.x - inner.d * block->origin.y;
                    Placement placed = at.Then(inner);
                    for (cad::ObjectId inside : block->entities)
                        AddEntity(db, inside, placed, group, depth + 1);
                }
            }
        }
        for (cad::ObjectId attribute : reference->attributes)
            AddEntity(db, attribute, at, group, depth + 1);
        if (group.box.Empty())
            group.box.Add(at.X(reference->position.x, reference->position.y), at.Y(reference->position.x, reference->position.y));
        break;
    }
    default: break;
    }
}

void Scene::Build(const cad::Database& db) {
    m_groups.clear();
    m_segments.clear();
    m_curves.clear();
    m_labels.clear();
    m_extents = Box{};
    std::map<std::string, int> layerColours;
    if (const auto* layers = db.PeekAs<cad::SymbolTable>(db.LayerTableId())) {
        for (cad::ObjectId id : layers->records)
            if (const auto* layer = db.PeekAs<cad::LayerTableRecord>(id))
                layerColours[Upper(layer->name)] = std::abs(layer->color);
    }
    const auto* model = db.PeekAs<cad::BlockTableRecord>(db.ModelSpaceId());
    for (cad::ObjectId id : model ? model->entities : std::vector<cad::ObjectId>{}) {
        const auto* entity = db.PeekAs<cad::Entity>(id);
        if (!entity || entity->IsErased())
            continue;
        Group group;
        group.id = id;
        group.firstSegment = static_cast<std::uint32_t>(m_segments.size());
        group.firstCurve = static_cast<std::uint32_t>(m_curves.size());
        group.firstLabel = static_cast<std::uint32_t>(m_labels.size());
        int colour = entity->color;
        if (colour == 256 || colour == 0) {
            auto found = layerColours.find(Upper(entity->layer));
            colour = found == layerColours.end() ? 7 : found->second;
        }
        group.colour = static_cast<std::uint8_t>(std::clamp(colour, 0, 255));
        AddEntity(db, id, Placement{}, group, 0);
        if (group.box.Empty())
            continue;
        m_extents.Add(group.box);
        m_groups.push_back(group);
    }
    Index();
}

void Scene::Index() {
    m_cells.clear();
    m_large.clear();
    m_seen.assign(m_groups.size(), 0);
    m_stamp = 0;
    if (m_groups.empty()) {
        m_columns = m_rows = 0;
        return;
    }
    double w = std::max(m_extents.maxX - m_extents.minX, 1e-9);
    double h = std::max(m_extents.maxY - m_extents.minY, 1e-9);
    double cells = std::max(1.0, static_cast<double>(m_groups.size()) / kGroupsPerCell);
    m_cell = std::max(std::sqrt(w * h / cells), std::max(w, h) / 4096.0);
    m_columns = std::max(1, static_cast<int>(std::ceil(w / m_cell)));
    m_rows = std::max(1, static_cast<int>(std::ceil(h / m_cell)));
    m_cells.assign(static_cast<std::size_t>(m_columns) * static_cast<std::size_t>(m_rows), {});
    for (std::uint32_t i = 0; i < m_groups.size(); ++i) {
        const Box& b = m_groups[i].box;
        int c0 = std::clamp(static_cast<int>((b.minX - m_extents.minX) / m_cell), 0, m_columns - 1);
        int c1 = std::clamp(static_cast<int>((b.maxX - m_extents.minX) / m_cell), 0, m_columns - 1);
        int r0 = std::clamp(static_cast<int>((b.minY - m_extents.minY) / m_cell), 0, m_rows - 1);
        int r1 = std::clamp(static_cast<int>((b.maxY - m_extents.minY) / m_cell), 0, m_rows - 1);
        if ((c1 - c0 + 1) * (r1 - r0 + 1) > kMostCellsPerGroup) {
            m_large.push_back(i);
            continue;
        }
        for (int r = r0; r <= r1; ++r)
            for (int c = c0; c <= c1; ++c)
                m_cells[static_cast<std::size_t>(r) * static_cast<std::size_t>(m_columns) + static_cast<std::size_t>(c)].push_back(i);
    }
}

std::vector<std::uint32_t> Scene::GroupsMeeting(const Box& box) const {
    std::vector<std::uint32_t> found;
    if (m_groups.empty() || !box.Intersects(m_extents))
        return found;
    if (++m_stamp == 0) {
        std::fill(m_seen.begin(), m_seen.end(), 0);
        m_stamp = 1;
    }
    int c0 = std::clamp(static_cast<int>((box.minX - m_extents.minX) / m_cell), 0, m_columns - 1);
    int c1 = std::clamp(static_cast<int>((box.maxX - m_extents.minX) / m_cell), 0, m_columns - 1);
    int r0 = std::clamp(static_cast<int>((box.minY - m_extents.minY) / m_cell), 0, m_rows - 1);
    int r1 = std::clamp(static_cast<int>((box.maxY - m_extents.minY) / m_cell), 0, m_rows - 1);
    auto consider = [&](std::uint32_t i) {
        if (m_seen[i] == m_stamp)
            return;
        m_seen[i] = m_stamp;
        if (m_groups[i].box.Intersects(box))
            found.push_back(i);
    };
    for (int r = r0; r <= r1; ++r)
        for (int c = c0; c <= c1; ++c)
            for (std::uint32_t i : m_cells[static_cast<std::size_t>(r) * static_cast<std::size_t>(m_columns) + static_cast<std::size_t>(c)])
                consider(i);
    for (std::uint32_t i : m_large)
        consider(i);
    std::sort(found.begin(), found.end());
    return found;
}

namespace {
// Lines one pixel wide straight into an image's pixels: for thousands of short lines a frame, a stroke
// through the general renderer would cost many times more and look the same.
class PixelLines {
public:
    explicit PixelLines(ui::Image& image)
        : m_data(reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(image.Surface()))),
          m_stride(cairo_image_surface_get_stride(image.Surface()) / 4), m_width(image.Width()),
          m_height(image.Height()) {}
    void SetColour(const Rgb& rgb, bool dashed) {
        m_colour = 0xFF000000u | static_cast<std::uint32_t>(rgb.r * 255) << 16 |
                   static_cast<std::uint32_t>(rgb.g * 255) << 8 | static_cast<std::uint32_t>(rgb.b * 255);
        m_dashed = dashed;
    }
    void Dot(double x, double y) {
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
        const double q[4] = {x0, m_width - 1e-6 - x0, y0, m_height - 1e-6 - y0};
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
};
} // namespace

void Scene::Render(ui::Image& image, const ViewTransform& view, const std::vector<cad::ObjectId>& highlighted) const {
    cairo_surface_t* surface = image.Surface();
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 0.13, 0.16, 0.19);
    cairo_paint(cr);
    cairo_surface_flush(surface);
    PixelLines pixels(image);
    std::vector<std::uint32_t> groups = GroupsMeeting(view.Visible());
    std::vector<const Label*> labels;
    std::vector<Rgb> labelColours;
    auto isHighlighted = [&](cad::ObjectId id) { return std::binary_search(highlighted.begin(), highlighted.end(), id); };
    // The plain groups first, the highlighted ones dashed over them.
    for (int pass = 0; pass < 2; ++pass) {
        for (std::uint32_t i : groups) {
            const Group& g = m_groups[i];
            bool lit = isHighlighted(g.id);
            if (lit != (pass == 1))
                continue;
            Rgb rgb = lit ? Rgb{1.0, 0.85, 0.2} : ColourOf(g.colour);
            pixels.SetColour(rgb, lit);
            double size = std::max(g.box.maxX - g.box.minX, g.box.maxY - g.box.minY) * view.scale;
            if (size < 2.0) {
                // Smaller than a pixel or two: a dot shows as much.
                pixels.Dot(view.ScreenX((g.box.minX + g.box.maxX) / 2), view.ScreenY((g.box.minY + g.box.maxY) / 2));
                continue;
            }
            for (std::uint32_t k = g.firstSegment; k < g.firstSegment + g.segments; ++k) {
                const Segment& seg = m_segments[k];
                pixels.Line(view.ScreenX(seg.x1), view.ScreenY(seg.y1), view.ScreenX(seg.x2), view.ScreenY(seg.y2));
            }
            for (std::uint32_t k = g.firstCurve; k < g.firstCurve + g.curves; ++k) {
                const Curve& c = m_curves[k];
                double r = c.r * view.scale;
                double sx = view.ScreenX(c.cx);
                double sy = view.ScreenY(c.cy);
                if (r < 0.75) {
                    pixels.Dot(sx, sy);
                    continue;
                }
                double sweep = c.end - c.start;
                if (sweep <= 0)
                    sweep += 2 * kPi;
                // Chords short enough that no pixel of the curve is missed or doubled.
                int steps = std::clamp(static_cast<int>(std::ceil(sweep * std::sqrt(r) * 1.5)), 4, 720);
                double px = sx + r * std::cos(c.start);
                double py = sy - r * std::sin(c.start);
                for (int step = 1; step <= steps; ++step) {
                    double t = c.start + sweep * step / steps;
                    double nx = sx + r * std::cos(t);
                    double ny = sy - r * std::sin(t);
                    pixels.Line(px, py, nx, ny);
                    px = nx;
                    py = ny;
                }
            }
            for (std::uint32_t k = g.firstLabel; k < g.firstLabel + g.labels; ++k) {
                labels.push_back(&m_labels[k]);
                labelColours.push_back(rgb);
            }
        }
    }
    cairo_surface_mark_dirty(surface);
    if (!labels.empty()) {
        cairo_select_font_face(cr, "Liberation Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
        for (std::size_t k = 0; k < labels.size(); ++k) {
            const Label* label = labels[k];
            double px = label->height * view.scale;
            if (px < 3.0 || px > 2000.0)
                continue;
            cairo_save(cr);
            cairo_set_source_rgb(cr, labelColours[k].r, labelColours[k].g, labelColours[k].b);
            cairo_move_to(cr, view.ScreenX(label->x), view.ScreenY(label->y));
            cairo_rotate(cr, -label->angle);
            cairo_set_font_size(cr, px * 1.3);
            cairo_show_text(cr, textkit::Active().ToUtf8(label->text).c_str());
            cairo_restore(cr);
        }
    }
    cairo_destroy(cr);
}

double Scene::Distance(const Group& g, double x, double y) const {
    double best = 1e300;
    for (std::uint32_t s = g.firstSegment; s < g.firstSegment + g.segments; ++s) {
        const Segment& seg = m_segments[s];
        double dx = seg.x2 - seg.x1;
        double dy = seg.y2 - seg.y1;
        double length = dx * dx + dy * dy;
        double t = length > 0 ? std::clamp(((x - seg.x1) * dx + (y - seg.y1) * dy) / length, 0.0, 1.0) : 0.0;
        best = std::min(best, std::hypot(x - (seg.x1 + t * dx), y - (seg.y1 + t * dy)));
    }
    for (std::uint32_t k = g.firstCurve; k < g.firstCurve + g.curves; ++k) {
        const Curve& c = m_curves[k];
        best = std::min(best, std::abs(std::hypot(x - c.cx, y - c.cy) - c.r));
    }
    for (std::uint32_t l = g.firstLabel; l < g.firstLabel + g.labels; ++l) {
        const Label& label = m_labels[l];
        double width = 0.6 * label.height * static_cast<double>(label.text.size());
        if (x >= label.x && x <= label.x + width && y >= label.y && y <= label.y + label.height)
            best = 0.0;
    }
    return best;
}

cad::ObjectId Scene::Pick(double x, double y, double tolerance) const {
    Box around;
    around.Add(x - tolerance, y - tolerance);
    around.Add(x + tolerance, y + tolerance);
    cad::ObjectId best = cad::kNullId;
    double nearest = tolerance;
    for (std::uint32_t i : GroupsMeeting(around)) {
        double d = Distance(m_groups[i], x, y);
        if (d <= nearest) {
            nearest = d;
            best = m_groups[i].id;
        }
    }
    return best;
}

bool Scene::Crosses(const Group& g, const Box& box) const {
    if (box.Contains(g.box))
        return true;
    // A line crosses the box when its part inside the box's slab in x also lies within it in y.
    for (std::uint32_t s = g.firstSegment; s < g.firstSegment + g.segments; ++s) {
        const Segment& seg = m_segments[s];
        double t0 = 0.0;
        double t1 = 1.0;
        double dx = seg.x2 - seg.x1;
        double dy = seg.y2 - seg.y1;
        auto clip = [&](double p, double q) {
            if (p == 0.0)
                return q >= 0.0;
            double t = q / p;
            if (p < 0.0) {
                if (t > t1)
                    return false;
                t0 = std::max(t0, t);
            } else {
                if (t < t0)
                    return false;
                t1 = std::min(t1, t);
            }
            return true;
        };
        if (clip(-dx, seg.x1 - box.minX) && clip(dx, box.maxX - seg.x1) && clip(-dy, seg.y1 - box.minY) &&
            clip(dy, box.maxY - seg.y1) && t0 <= t1)
            return true;
    }
    for (std::uint32_t k = g.firstCurve; k < g.firstCurve + g.curves; ++k) {
        const Curve& c = m_curves[k];
        Box circle;
        circle.Add(c.cx - c.r, c.cy - c.r);
        circle.Add(c.cx + c.r, c.cy + c.r);
        if (circle.Intersects(box))
            return true;
    }
    for (std::uint32_t l = g.firstLabel; l < g.firstLabel + g.labels; ++l) {
        Box text;
        text.Add(m_labels[l].x, m_labels[l].y);
        if (text.Intersects(box))
            return true;
    }
    return false;
}

std::vector<cad::ObjectId> Scene::InBox(const Box& box, bool crossing) const {
    std::vector<cad::ObjectId> ids;
    for (std::uint32_t i : GroupsMeeting(box)) {
        const Group& g = m_groups[i];
        if (crossing ? Crosses(g, box) : box.Contains(g.box))
            ids.push_back(g.id);
    }
    return ids;
}

} // namespace gui
