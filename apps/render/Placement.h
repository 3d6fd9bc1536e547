#pragma once

#include <cmath>

namespace render {

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

} // namespace render
