#pragma once

// The curves of a drawing as points: NURBS by their knots and weights, curves through fit points, elliptical arcs
// and polyline segments with bulges.
#include <utility>
#include <vector>

namespace render {

using Points = std::vector<std::pair<double, double>>;

// Points along a NURBS curve of `degree` with its knots and weights (none: all 1), `perSpan` to a knot span; the
// control points as they are when the numbers make no curve.
Points NurbsPoints(int degree, const Points& control, const std::vector<double>& knots,
                   const std::vector<double>& weights, int perSpan);
// A smooth curve through `fit` (a spline given only by its fit points), `perSpan` points between two of them.
Points ThroughPoints(const Points& fit, int perSpan);
// An elliptical arc by its centre, the major axis's end relative to it, the minor-to-major ratio and parameters.
Points EllipsePoints(double cx, double cy, double mx, double my, double ratio, double start, double end);
// A polyline's points with an arc wherever a vertex has a bulge (the tangent of a quarter of the arc's angle).
Points BulgedPoints(const Points& vertices, const std::vector<double>& bulges, bool closed);

} // namespace render
