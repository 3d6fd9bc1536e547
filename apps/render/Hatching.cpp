#include "render/Hatching.h"

#include "render/EntityTags.h"
#include "render/Look.h"

#include <algorithm>
#include <cmath>

namespace render {

namespace {
constexpr double kPi = 3.14159265358979323846;
// A hatch's pattern lines are cut into at most this many strokes: a pattern so dense shows as a tone.
constexpr std::size_t kMostHatchStrokes = 200000;

// A hatch's boundary paths: polylines with bulges, or edges (lines, arcs, elliptic arcs, splines). `flags` gets
// each kept path's type (1 external, 16 outermost).
std::vector<Points> HatchBoundaries(const Tags& tags, std::vector<int>& flags) {
    std::vector<Points> rings;
    const auto& t = tags.all;
    std::size_t i = tags.Find(91);
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
    std::size_t i = tags.Find(78);
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

} // namespace

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


std::vector<Stroke> PatternStrokes(const std::vector<PatternLine>& pattern, const std::vector<Points>& rings,
                                   std::size_t most, bool& complete) {
    std::vector<Stroke> strokes;
    complete = true;
    std::vector<double> crossings;
    for (const PatternLine& family : pattern) {
        double ux = std::cos(family.angle);
        double uy = std::sin(family.angle);
        // The lines' normal, and how far apart the lines are along it.
        double nx = -uy;
        double ny = ux;
        double spacing = family.offsetX * nx + family.offsetY * ny;
        if (!(std::abs(spacing) > 1e-12) || !std::isfinite(spacing))
            continue;
        double base = family.baseX * nx + family.baseY * ny;
        double low = 1e300;
        double high = -1e300;
        for (const Points& ring : rings)
            for (const auto& [x, y] : ring) {
                low = std::min(low, x * nx + y * ny);
                high = std::max(high, x * nx + y * ny);
            }
        if (low > high)
            continue;
        double first = std::ceil(std::min((low - base) / spacing, (high - base) / spacing));
        double last = std::floor(std::max((low - base) / spacing, (high - base) / spacing));
        if (!std::isfinite(first) || !std::isfinite(last) || last - first + 1.0 > static_cast<double>(most)) {
            complete = false;
            continue;
        }
        double length = 0.0;
        for (double dash : family.dashes)
            length += std::abs(dash);
        for (double k = first; k <= last; k += 1.0) {
            // The line through the base moved k offsets: its dashes start at that point.
            double px = family.baseX + k * family.offsetX;
            double py = family.baseY + k * family.offsetY;
            crossings.clear();
            for (const Points& ring : rings) {
                for (std::size_t i = 0; i < ring.size(); ++i) {
                    const auto& a = ring[i];
                    const auto& b = ring[(i + 1) % ring.size()];
                    double da = (a.first - px) * nx + (a.second - py) * ny;
                    double db = (b.first - px) * nx + (b.second - py) * ny;
                    // Half-open at each end, so a line through a vertex crosses once, or not at all at a tip.
                    if ((da > 0.0) == (db > 0.0))
                        continue;
                    double t = da / (da - db);
                    double cx = a.first + (b.first - a.first) * t;
                    double cy = a.second + (b.second - a.second) * t;
                    crossings.push_back((cx - px) * ux + (cy - py) * uy);
                }
            }
            std::sort(crossings.begin(), crossings.end());
            for (std::size_t c = 0; c + 1 < crossings.size(); c += 2) {
                double from = crossings[c];
                double to = crossings[c + 1];
                if (!(to > from))
                    continue;
                // One more than wanted tells that there were more.
                auto emit = [&](double x1, double y1, double x2, double y2) {
                    if (strokes.size() <= most)
                        strokes.push_back(Stroke{x1, y1, x2, y2});
                };
                double ax = px + ux * from, ay = py + uy * from;
                double bx = px + ux * to, by = py + uy * to;
                if (family.dashes.empty() || !(length > 0.0)) {
                    emit(ax, ay, bx, by);
                    continue;
                }
                double phase = std::fmod(from, length);
                if (phase < 0.0)
                    phase += length;
                DashLine(family.dashes, length, phase, ax, ay, bx, by, emit);
            }
            if (strokes.size() > most) {
                strokes.resize(most);
                complete = false;
                return strokes;
            }
        }
    }
    return strokes;
}

} // namespace render
