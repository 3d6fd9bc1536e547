#include "render/Curves.h"

#include <algorithm>
#include <cmath>

namespace render {

namespace {
constexpr double kPi = 3.14159265358979323846;
} // namespace

Points EllipsePoints(double cx, double cy, double mx, double my, double ratio, double start, double end) {
    if (end <= start)
        end += 2 * kPi;
    int steps = std::clamp(static_cast<int>((end - start) / (2 * kPi) * 96), 8, 96);
    double nx = -my * ratio;
    double ny = mx * ratio;
    Points points;
    for (int i = 0; i <= steps; ++i) {
        double t = start + (end - start) * i / steps;
        points.emplace_back(cx + mx * std::cos(t) + nx * std::sin(t), cy + my * std::cos(t) + ny * std::sin(t));
    }
    return points;
}

Points BulgedPoints(const Points& vertices, const std::vector<double>& bulges, bool closed) {
    Points points;
    std::size_t n = vertices.size();
    for (std::size_t i = 0; i < n; ++i) {
        points.push_back(vertices[i]);
        if (i + 1 == n && !closed)
            break;
        const auto& a = vertices[i];
        const auto& b = vertices[(i + 1) % n];
        double bulge = i < bulges.size() ? bulges[i] : 0.0;
        if (std::abs(bulge) < 1e-9)
            continue;
        double angle = 4 * std::atan(bulge);
        double chord = std::hypot(b.first - a.first, b.second - a.second);
        if (chord < 1e-12)
            continue;
        double radius = chord / (2 * std::sin(angle / 2));
        double mx = (a.first + b.first) / 2;
        double my = (a.second + b.second) / 2;
        double sagitta = radius * std::cos(angle / 2);
        double ux = -(b.second - a.second) / chord;
        double uy = (b.first - a.first) / chord;
        double cx = mx + ux * sagitta;
        double cy = my + uy * sagitta;
        double start = std::atan2(a.second - cy, a.first - cx);
        int steps = std::clamp(static_cast<int>(std::abs(angle) / (2 * kPi) * 64), 2, 64);
        double r = std::abs(radius);
        for (int k = 1; k < steps; ++k) {
            double t = start + angle * k / steps;
            points.emplace_back(cx + r * std::cos(t), cy + r * std::sin(t));
        }
    }
    if (closed && !points.empty())
        points.push_back(points.front());
    return points;
}

Points ThroughPoints(const Points& fit, int perSpan) {
    if (fit.size() < 3)
        return fit;
    // A centripetal Catmull-Rom curve: through every point, without the loops a uniform one makes.
    Points points{fit.front()};
    auto at = [&](std::size_t i) {
        if (i == 0)
            return std::make_pair(2 * fit[0].first - fit[1].first, 2 * fit[0].second - fit[1].second);
        if (i > fit.size())
            return std::make_pair(2 * fit.back().first - fit[fit.size() - 2].first,
                                  2 * fit.back().second - fit[fit.size() - 2].second);
        return fit[i - 1];
    };
    for (std::size_t s = 1; s < fit.size(); ++s) {
        auto p0 = at(s - 1), p1 = at(s), p2 = at(s + 1), p3 = at(s + 2);
        auto knot = [](std::pair<double, double> a, std::pair<double, double> b) {
            return std::max(std::sqrt(std::hypot(b.first - a.first, b.second - a.second)), 1e-9);
        };
        double t0 = 0, t1 = t0 + knot(p0, p1), t2 = t1 + knot(p1, p2), t3 = t2 + knot(p2, p3);
        for (int k = 1; k <= perSpan; ++k) {
            double t = t1 + (t2 - t1) * k / perSpan;
            auto lerp = [](std::pair<double, double> a, std::pair<double, double> b, double ta, double tb, double tt) {
                double u = (tt - ta) / (tb - ta);
                return std::make_pair(a.first + (b.first - a.first) * u, a.second + (b.second - a.second) * u);
            };
            auto a1 = lerp(p0, p1, t0, t1, t), a2 = lerp(p1, p2, t1, t2, t), a3 = lerp(p2, p3, t2, t3, t);
            auto b1 = lerp(a1, a2, t0, t2, t), b2 = lerp(a2, a3, t1, t3, t);
            points.push_back(lerp(b1, b2, t1, t2, t));
        }
    }
    return points;
}

Points NurbsPoints(int degree, const Points& control, const std::vector<double>& knots,
                  const std::vector<double>& weights, int perSpan) {
    Points points;
    std::size_t n = control.size();
    if (degree < 1 || n < static_cast<std::size_t>(degree) + 1 || knots.size() != n + static_cast<std::size_t>(degree) + 1)
        return control;
    auto w = [&](std::size_t i) { return weights.size() == n ? weights[i] : 1.0; };
    auto p = static_cast<std::size_t>(degree);
    double first = knots[p];
    double last = knots[n];
    std::size_t spans = n - p;
    int steps = std::max(1, static_cast<int>(spans) * perSpan);
    for (int s = 0; s <= steps; ++s) {
        double u = first + (last - first) * s / steps;
        // The span holding u.
        std::size_t k = p;
        while (k + 1 < n && u >= knots[k + 1])
            ++k;
        // de Boor in homogeneous coordinates.
        std::vector<double> dx(p + 1), dy(p + 1), dw(p + 1);
        for (std::size_t j = 0; j <= p; ++j) {
            std::size_t idx = k - p + j;
            dw[j] = w(idx);
            dx[j] = control[idx].first * dw[j];
            dy[j] = control[idx].second * dw[j];
        }
        for (std::size_t r = 1; r <= p; ++r) {
            for (std::size_t j = p; j >= r; --j) {
                std::size_t idx = k - p + j;
                double denominator = knots[idx + p + 1 - r] - knots[idx];
                double alpha = denominator > 0 ? (u - knots[idx]) / denominator : 0.0;
                dx[j] = (1 - alpha) * dx[j - 1] + alpha * dx[j];
                dy[j] = (1 - alpha) * dy[j - 1] + alpha * dy[j];
                dw[j] = (1 - alpha) * dw[j - 1] + alpha * dw[j];
            }
        }
        double weight = dw[p] != 0 ? dw[p] : 1.0;
        points.emplace_back(dx[p] / weight, dy[p] / weight);
    }
    return points;
}

} // namespace render
