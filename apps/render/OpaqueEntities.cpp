#include "render/OpaqueEntities.h"

#include "render/Curves.h"
#include "render/Hatching.h"

#include "platform/cad/Text.h"
#include "platform/cad/dxf/DxfLayout.h"
#include "platform/cad/dxf/FileText.h"
#include "platform/text/CodePage.h"

#include <algorithm>
#include <cmath>

namespace render {

namespace {
constexpr double kPi = 3.14159265358979323846;
// A hatch's pattern lines are cut into at most this many strokes: a pattern so dense shows as a tone.
constexpr std::size_t kMostHatchStrokes = 200000;

// The tags of one entity, in order, as numbers and texts.
struct Tags {
    std::vector<cad::DxfTag> all;
    double Number(int code, double fallback = 0.0) const {
        for (const cad::DxfTag& tag : all)
            if (tag.code == code)
                return tag.number;
        return fallback;
    }
    std::string_view Text(int code) const {
        for (const cad::DxfTag& tag : all)
            if (tag.code == code)
                return tag.value;
        return {};
    }
    // The x of every group `code` with the y of the group 10 after it.
    Points PointsOf(int code) const {
        Points points;
        for (std::size_t i = 0; i < all.size(); ++i) {
            if (all[i].code == code)
                points.emplace_back(all[i].number, i + 1 < all.size() && all[i + 1].code == code + 10 ? all[i + 1].number : 0.0);
        }
        return points;
    }
};

bool ReadTags(std::string_view bytes, cad::DxfFormat format, Tags& tags) {
    cad::DxfTagStream stream(bytes, format);
    cad::DxfTag tag;
    while (stream.Next(tag))
        tags.all.push_back(tag);
    return !stream.Failed() && !tags.all.empty();
}

void AddPath(Scene& scene, Group& group, const Placement& at, const Points& points) {
    for (std::size_t i = 0; i + 1 < points.size(); ++i)
        scene.AddSegment(group, at.X(points[i].first, points[i].second), at.Y(points[i].first, points[i].second),
                         at.X(points[i + 1].first, points[i + 1].second), at.Y(points[i + 1].first, points[i + 1].second));
}

Points Placed(const Placement& at, const Points& points) {
    Points placed;
    placed.reserve(points.size());
    for (const auto& [x, y] : points)
        placed.emplace_back(at.X(x, y), at.Y(x, y));
    return placed;
}

// A hatch's boundary paths: polylines with bulges, or edges (lines, arcs, elliptic arcs, splines). `flags` gets
// each kept path's type (1 external, 16 outermost).
std::vector<Points> HatchBoundaries(const Tags& tags, std::vector<int>& flags) {
    std::vector<Points> rings;
    const auto& t = tags.all;
    std::size_t i = 0;
    while (i < t.size() && t[i].code != 91)
        ++i;
    if (i == t.size())
        return rings;
    int paths = static_cast<int>(t[i].number);
    ++i;
    auto number = [&](int code) {
        while (i < t.size() && t[i].code != code)
            ++i;
        return i < t.size() ? t[i++].number : 0.0;
    };
    for (int p = 0; p < paths && i < t.size(); ++p) {
        int type = static_cast<int>(number(92));
        Points ring;
        if (type & 2) {
            bool bulged = number(72) != 0;
            int count = static_cast<int>(number(93));
            Points vertices;
            std::vector<double> bulges;
            for (int v = 0; v < count && i < t.size(); ++v) {
                double x = number(10);
                double y = number(20);
                vertices.emplace_back(x, y);
                double bulge = 0.0;
                if (bulged && i < t.size() && t[i].code == 42)
                    bulge = t[i++].number;
                bulges.push_back(bulge);
            }
            ring = BulgedPoints(vertices, bulges, true); // a boundary is closed whatever its flag says
        } else {
            int edges = static_cast<int>(number(93));
            for (int e = 0; e < edges && i < t.size(); ++e) {
                int kind = static_cast<int>(number(72));
                if (kind == 1) {
                    double x1 = number(10), y1 = number(20), x2 = number(11), y2 = number(21);
                    if (ring.empty())
                        ring.emplace_back(x1, y1);
                    ring.emplace_back(x2, y2);
                } else if (kind == 2) {
                    double cx = number(10), cy = number(20), r = number(40);
                    double start = number(50) * kPi / 180, end = number(51) * kPi / 180;
                    bool ccw = number(73) != 0;
                    if (!ccw) {
                        start = -start;
                        end = -end;
                    }
                    Points arc = EllipsePoints(cx, cy, r, 0, 1.0, ccw ? start : end, ccw ? end : start);
                    if (!ccw)
                        std::reverse(arc.begin(), arc.end());
                    ring.insert(ring.end(), arc.begin(), arc.end());
                } else if (kind == 3) {
                    double cx = number(10), cy = number(20), mx = number(11), my = number(21), ratio = number(40);
                    double start = number(50) * kPi / 180, end = number(51) * kPi / 180;
                    bool ccw = number(73) != 0;
                    Points arc = EllipsePoints(cx, cy, mx, my, ratio, ccw ? start : 2 * kPi - start,
                                               ccw ? end : 2 * kPi - end);
                    ring.insert(ring.end(), arc.begin(), arc.end());
                } else if (kind == 4) {
                    int degree = static_cast<int>(number(94));
                    int knots = static_cast<int>(number(95));
                    int controls = static_cast<int>(number(96));
                    std::vector<double> knotValues;
                    for (int k = 0; k < knots; ++k)
                        knotValues.push_back(number(40));
                    Points control;
                    std::vector<double> weights;
                    for (int c = 0; c < controls; ++c) {
                        double x = number(10);
                        double y = number(20);
                        control.emplace_back(x, y);
                        if (i < t.size() && t[i].code == 42)
                            weights.push_back(t[i++].number);
                    }
                    Points curve = NurbsPoints(degree, control, knotValues, weights, 8);
                    ring.insert(ring.end(), curve.begin(), curve.end());
                }
            }
        }
        if (ring.size() > 2) {
            rings.push_back(std::move(ring));
            flags.push_back(type);
        }
        // Source boundary objects follow each path; the next path starts at its own 92.
    }
    return rings;
}
// The pattern lines a hatch stores after its boundary paths: 78 lines, each 53 angle, 43/44 base, 45/46 offset and
// 79 dashes of 49.
std::vector<PatternLine> HatchPattern(const Tags& tags) {
    std::vector<PatternLine> pattern;
    const auto& t = tags.all;
    std::size_t i = 0;
    while (i < t.size() && t[i].code != 78)
        ++i;
    if (i == t.size())
        return pattern;
    int lines = static_cast<int>(t[i].number);
    ++i;
    for (int l = 0; l < lines && l < 1000 && i < t.size(); ++l) {
        if (t[i].code != 53)
            break;
        PatternLine line;
        line.angle = t[i++].number * kPi / 180;
        auto next = [&](int code) { return i < t.size() && t[i].code == code ? t[i++].number : 0.0; };
        line.baseX = next(43);
        line.baseY = next(44);
        line.offsetX = next(45);
        line.offsetY = next(46);
        int dashes = static_cast<int>(next(79));
        for (int d = 0; d < dashes && i < t.size() && t[i].code == 49; ++d)
            line.dashes.push_back(t[i++].number);
        pattern.push_back(std::move(line));
    }
    return pattern;
}

// Islands as the hatch's style says: style 1 (outer) fills from the external paths to the outermost islands,
// style 2 (ignore) the external paths alone; style 0 (normal) takes every path, islands in islands hatched again.
std::vector<Points> ByHatchStyle(std::vector<Points> rings, const std::vector<int>& flags, int style) {
    if (style != 1 && style != 2)
        return rings;
    int kept = style == 1 ? (1 | 16) : 1;
    std::vector<Points> chosen;
    for (std::size_t r = 0; r < rings.size(); ++r)
        if (flags[r] & kept)
            chosen.push_back(rings[r]);
    return chosen.empty() ? rings : chosen;
}

bool AddHatch(Scene& scene, const Tags& tags, const Placement& at, Group& group) {
    std::vector<int> flags;
    std::vector<Points> rings = ByHatchStyle(HatchBoundaries(tags, flags), flags, static_cast<int>(tags.Number(75)));
    if (rings.empty())
        return true;
    bool gradient = tags.Number(450) != 0;
    if (gradient) {
        // A gradient shows as a solid of its first colour.
        for (std::size_t i = 0; i < tags.all.size(); ++i)
            if (tags.all[i].code == 421) {
                scene.UseColour(static_cast<std::int32_t>(static_cast<std::int64_t>(tags.all[i].number) & 0xFFFFFF));
                break;
            }
    }
    if (tags.Number(70) != 0 || gradient) {
        std::vector<Points> placed;
        for (const Points& ring : rings)
            placed.push_back(Placed(at, ring));
        scene.AddFill(group, placed);
        return true;
    }
    bool complete = true;
    std::vector<Stroke> strokes = PatternStrokes(HatchPattern(tags), rings, kMostHatchStrokes, complete);
    if (!complete)
        scene.NoteNotDrawn("HATCH pattern (too dense)");
    // The pattern's lines have their own dashes, whatever the hatch's linetype.
    scene.SetDashing(false);
    for (const Stroke& s : strokes)
        scene.AddSegment(group, at.X(s[0], s[1]), at.Y(s[0], s[1]), at.X(s[2], s[3]), at.Y(s[2], s[3]));
    scene.SetDashing(true);
    if (strokes.empty()) {
        // A pattern the hatch does not store: its boundary shows where it is.
        for (const Points& ring : rings) {
            Points closed = ring;
            closed.push_back(ring.front());
            AddPath(scene, group, at, closed);
        }
    }
    return true;
}
} // namespace

std::vector<std::string> MtextLines(std::string_view text) {
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '{' || c == '}')
            continue;
        if (c != '\\' || i + 1 >= text.size()) {
            lines.back() += c;
            continue;
        }
        char code = text[++i];
        switch (code) {
        case 'P':
            lines.emplace_back();
            break;
        case '\\':
        case '{':
        case '}':
            lines.back() += code;
            break;
        case '~':
            lines.back() += ' ';
            break;
        case 'S': {
            // A stack, "\Sa^b;" or "a/b" or "a#b": shown as a fraction on one line.
            std::size_t end = text.find(';', i);
            std::string stacked(text.substr(i + 1, end == std::string_view::npos ? std::string_view::npos : end - i - 1));
            std::replace(stacked.begin(), stacked.end(), '^', '/');
            std::replace(stacked.begin(), stacked.end(), '#', '/');
            lines.back() += stacked;
            i = end == std::string_view::npos ? text.size() : end;
            break;
        }
        case 'L': case 'l': case 'O': case 'o': case 'K': case 'k': case 'N':
            break;
        case 'U':
            // A "\U+XXXX" escape is text, kept for the code page's decoding.
            lines.back() += "\\U";
            break;
        default: {
            // \H, \C, \f, \F, \T, \Q, \W, \A, \p: parameters up to a semicolon.
            std::size_t end = text.find(';', i);
            i = end == std::string_view::npos ? text.size() : end;
            break;
        }
        }
    }
    return lines;
}

double FirstNumber(std::string_view bytes, cad::DxfFormat format, int code, double fallback) {
    cad::DxfTagStream stream(bytes, format);
    cad::DxfTag tag;
    while (stream.Next(tag)) {
        if (tag.code == code)
            return tag.number;
    }
    return fallback;
}

bool AddPolylineFromTags(Scene& scene, std::string_view bytes, cad::DxfFormat format, bool heavy, const Placement& at,
                         Group& group) {
    Tags tags;
    if (!ReadTags(bytes, format, tags))
        return false;
    Points vertices;
    std::vector<double> bulges;
    std::vector<std::pair<double, double>> widths; // start and end width of the segment from each vertex
    bool closed = false;
    double constantWidth = 0.0;
    bool inVertex = !heavy;
    bool headDone = false;
    for (const cad::DxfTag& tag : tags.all) {
        if (tag.code == 0) {
            if (headDone && heavy) {
                inVertex = cad::NamesEqual(tag.value, "VERTEX");
                if (!inVertex && cad::NamesEqual(tag.value, "SEQEND"))
                    break;
            }
            headDone = true;
            continue;
        }
        if (!inVertex) {
            if (tag.code == 70)
                closed = (static_cast<int>(tag.number) & 1) != 0;
            else if (tag.code == 40)
                constantWidth = tag.number; // the default width of the vertices that give none
            continue;
        }
        switch (tag.code) {
        case 10:
            vertices.emplace_back(tag.number, 0.0);
            bulges.push_back(0.0);
            widths.resize(vertices.size(), {constantWidth, constantWidth});
            break;
        case 20:
            if (!vertices.empty())
                vertices.back().second = tag.number;
            break;
        case 42:
            if (!vertices.empty())
                bulges.back() = tag.number;
            break;
        case 40:
            if (!vertices.empty())
                widths[vertices.size() - 1].first = tag.number;
            break;
        case 41:
            if (!vertices.empty())
                widths[vertices.size() - 1].second = tag.number;
            break;
        case 43:
            constantWidth = tag.number;
            break;
        case 70:
            if (!heavy)
                closed = (static_cast<int>(tag.number) & 1) != 0;
            break;
        default: break;
        }
    }
    if (vertices.empty())
        return false;
    if (!heavy && constantWidth > 0)
        widths.assign(vertices.size(), {constantWidth, constantWidth});
    bool wide = std::any_of(widths.begin(), widths.end(), [](const auto& w) { return w.first > 0 || w.second > 0; });
    std::size_t n = vertices.size();
    std::size_t segments = closed ? n : n - 1;
    for (std::size_t i = 0; i < segments; ++i) {
        Points piece = BulgedPoints({vertices[i], vertices[(i + 1) % n]}, {bulges[i]}, false);
        if (!wide || i >= widths.size()) {
            AddPath(scene, group, at, piece);
            continue;
        }
        // A wide segment is a band: the piece's points offset to both sides, the width going from start to end.
        Points left;
        Points right;
        for (std::size_t k = 0; k < piece.size(); ++k) {
            const auto& a = piece[k == 0 ? 0 : k - 1];
            const auto& b = piece[k == 0 ? 1 : k];
            double dx = b.first - a.first, dy = b.second - a.second;
            double length = std::hypot(dx, dy);
            double half = (widths[i].first + (widths[i].second - widths[i].first) * k / std::max<std::size_t>(1, piece.size() - 1)) / 2;
            double nx = length > 0 ? -dy / length * half : 0.0, ny = length > 0 ? dx / length * half : 0.0;
            left.emplace_back(piece[k].first + nx, piece[k].second + ny);
            right.emplace_back(piece[k].first - nx, piece[k].second - ny);
        }
        left.insert(left.end(), right.rbegin(), right.rend());
        scene.AddFill(group, {Placed(at, left)});
    }
    return true;
}

bool AddOpaqueEntity(Scene& scene, const cad::Database& db, std::string_view type, std::string_view bytes,
                     cad::DxfFormat format, const Placement& at, Group& group, int depth) {
    Tags tags;
    if (!ReadTags(bytes, format, tags))
        return false;
    const cad::CodePage* fileCodePage = nullptr;
    if (const cad::DxfLayout* layout = db.Layout(); layout && !layout->utf8)
        fileCodePage = cad::CodePage::Find(layout->codePage);
    auto decoded = [&](std::string_view raw) {
        bool lost = false;
        return cad::DecodeFileText(raw, fileCodePage, textkit::Active(), lost);
    };
    if (cad::NamesEqual(type, "ELLIPSE")) {
        AddPath(scene, group, at, EllipsePoints(tags.Number(10), tags.Number(20), tags.Number(11), tags.Number(21),
                                                tags.Number(40, 1.0), tags.Number(41, 0.0), tags.Number(42, 2 * kPi)));
        return true;
    }
    if (cad::NamesEqual(type, "SPLINE")) {
        int degree = static_cast<int>(tags.Number(71, 3));
        std::vector<double> knots;
        std::vector<double> weights;
        for (const cad::DxfTag& tag : tags.all) {
            if (tag.code == 40)
                knots.push_back(tag.number);
            else if (tag.code == 41)
                weights.push_back(tag.number);
        }
        Points control = tags.PointsOf(10);
        AddPath(scene, group, at, control.empty() ? ThroughPoints(tags.PointsOf(11), 16)
                                                  : NurbsPoints(degree, control, knots, weights, 32));
        return true;
    }
    if (cad::NamesEqual(type, "SOLID") || cad::NamesEqual(type, "TRACE")) {
        // Corners in the order 1, 2, 4, 3: the third and fourth swap places.
        Points c{{tags.Number(10), tags.Number(20)}, {tags.Number(11), tags.Number(21)},
                 {tags.Number(13, tags.Number(12)), tags.Number(23, tags.Number(22))}, {tags.Number(12), tags.Number(22)}};
        scene.AddFill(group, {Placed(at, c)});
        return true;
    }
    if (cad::NamesEqual(type, "3DFACE")) {
        Points c{{tags.Number(10), tags.Number(20)}, {tags.Number(11), tags.Number(21)},
                 {tags.Number(12), tags.Number(22)}, {tags.Number(13, tags.Number(12)), tags.Number(23, tags.Number(22))}};
        int hidden = static_cast<int>(tags.Number(70));
        for (int e = 0; e < 4; ++e) {
            if (!(hidden & (1 << e)))
                AddPath(scene, group, at, {c[static_cast<std::size_t>(e)], c[static_cast<std::size_t>((e + 1) % 4)]});
        }
        return true;
    }
    if (cad::NamesEqual(type, "POINT")) {
        double x = tags.Number(10), y = tags.Number(20);
        scene.AddSegment(group, at.X(x, y), at.Y(x, y), at.X(x, y), at.Y(x, y));
        return true;
    }
    if (cad::NamesEqual(type, "XLINE") || cad::NamesEqual(type, "RAY")) {
        // Long enough to cross any view of the drawing; the view clips it.
        double x = tags.Number(10), y = tags.Number(20), dx = tags.Number(11), dy = tags.Number(21);
        double reach = 1e7;
        double from = cad::NamesEqual(type, "RAY") ? 0.0 : -reach;
        AddPath(scene, group, at, {{x + dx * from, y + dy * from}, {x + dx * reach, y + dy * reach}});
        return true;
    }
    if (cad::NamesEqual(type, "HATCH"))
        return AddHatch(scene, tags, at, group);
    if (cad::NamesEqual(type, "MTEXT")) {
        std::string raw;
        for (const cad::DxfTag& tag : tags.all)
            if (tag.code == 3)
                raw += tag.value;
        raw += tags.Text(1);
        double height = tags.Number(40, 1.0);
        double x = tags.Number(10), y = tags.Number(20);
        double angle = tags.Number(50) * kPi / 180;
        if (tags.Number(11) != 0 || tags.Number(21) != 0)
            angle = std::atan2(tags.Number(21), tags.Number(11));
        int attachment = static_cast<int>(tags.Number(71, 1));
        std::vector<std::string> lines = MtextLines(decoded(raw));
        double spacing = height * 5.0 / 3.0 * tags.Number(44, 1.0);
        double total = spacing * static_cast<double>(lines.size() - 1) + height;
        // The attachment's row: the top, middle or bottom of the block of lines at the point.
        double top = attachment <= 3 ? 0.0 : attachment <= 6 ? total / 2 : total;
        for (std::size_t k = 0; k < lines.size(); ++k) {
            if (lines[k].empty())
                continue;
            double down = top - height - spacing * static_cast<double>(k);
            double lx = x - std::sin(angle) * down;
            double ly = y + std::cos(angle) * down;
            Label label{at.X(lx, ly), at.Y(lx, ly), height * at.Scale(), angle + at.Angle(), lines[k]};
            label.horizontal = static_cast<std::uint8_t>((attachment - 1) % 3);
            scene.AddLabel(group, std::move(label), 0.6 * height * at.Scale() * static_cast<double>(lines[k].size()));
        }
        return true;
    }
    if (cad::NamesEqual(type, "DIMENSION") || cad::NamesEqual(type, "ACAD_TABLE")) {
        // Drawn by the block the CAD program made for it: a dimension's at the origin, a table's at its corner.
        std::string name = decoded(tags.Text(2));
        const auto* table = db.PeekAs<cad::SymbolTable>(db.BlockTableId());
        for (cad::ObjectId id : table ? table->records : std::vector<cad::ObjectId>{}) {
            const auto* block = db.PeekAs<cad::BlockTableRecord>(id);
            if (block && block->name == name) {
                Placement inner;
                if (cad::NamesEqual(type, "ACAD_TABLE")) {
                    inner.e = tags.Number(10) - block->origin.x;
                    inner.f = tags.Number(20) - block->origin.y;
                }
                scene.AddBlock(db, id, at.Then(inner), group, depth + 1);
                return true;
            }
        }
        return true;
    }
    if (cad::NamesEqual(type, "LEADER")) {
        Points vertices = tags.PointsOf(10);
        AddPath(scene, group, at, vertices);
        if (vertices.size() >= 2 && tags.Number(71, 1) != 0) {
            // The arrowhead: a filled triangle at the first vertex, pointing along the first segment.
            double dx = vertices[1].first - vertices[0].first;
            double dy = vertices[1].second - vertices[0].second;
            double length = std::hypot(dx, dy);
            if (length > 0) {
                double size = std::min(length / 3, 0.18 * tags.Number(40, 1.0) * 10);
                double ux = dx / length * size, uy = dy / length * size;
                Points arrow{vertices[0], {vertices[0].first + ux - uy / 3, vertices[0].second + uy + ux / 3},
                             {vertices[0].first + ux + uy / 3, vertices[0].second + uy - ux / 3}};
                scene.AddFill(group, {Placed(at, arrow)});
            }
        }
        return true;
    }
    if (cad::NamesEqual(type, "IMAGE") || cad::NamesEqual(type, "WIPEOUT")) {
        double x = tags.Number(10), y = tags.Number(20);
        double ux = tags.Number(11), uy = tags.Number(21), vx = tags.Number(12), vy = tags.Number(22);
        double w = tags.Number(13, 1), h = tags.Number(23, 1);
        Points frame{{x, y}, {x + ux * w, y + uy * w}, {x + ux * w + vx * h, y + uy * w + vy * h}, {x + vx * h, y + vy * h}, {x, y}};
        AddPath(scene, group, at, frame);
        return true;
    }
    return false;
}

} // namespace render
