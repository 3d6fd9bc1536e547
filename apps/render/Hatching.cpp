#include "render/Hatching.h"

#include "render/Look.h"

#include <algorithm>
#include <cmath>

namespace render {

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
