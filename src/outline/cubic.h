// Plane vector helpers and the cubic Bezier segment that every outline computation works on:
// evaluation, derivatives, sub-curves and end tangents that survive retracted handles.
#pragma once

#include "common/point.h"

#include <cmath>

namespace outline {

using Point = my::pointd;

inline double Dot(Point a, Point b) {
    return a.x * b.x + a.y * b.y;
}
inline double Cross(Point a, Point b) {
    return a.x * b.y - a.y * b.x;
}
// Coordinates are bounded well below the square root of the largest double, so the plain
// formula is safe (and far quicker than hypot).
inline double Length(Point a) {
    return std::sqrt(a.x * a.x + a.y * a.y);
}
inline double Distance(Point a, Point b) {
    return Length(b - a);
}
// The unit vector along a, or (0, 0) for a zero vector.
inline Point Normalized(Point a) {
    const double len = Length(a);
    return len > 0.0 ? a / len : Point{};
}
// a turned by a quarter turn from +x towards +y.
inline Point Perpendicular(Point a) {
    return {-a.y, a.x};
}
// a turned by a quarter turn from +y towards +x: for a direction of travel, the normal on
// side A of an outline.
inline Point RightNormal(Point a) {
    return {a.y, -a.x};
}
// a turned by angle (radians, from +x towards +y).
inline Point Rotated(Point a, double angle) {
    const double c = std::cos(angle), s = std::sin(angle);
    return {a.x * c - a.y * s, a.x * s + a.y * c};
}
// Signed angle from direction a to direction b, in (-pi, pi].
inline double TurnAngle(Point a, Point b) {
    return std::atan2(Cross(a, b), Dot(a, b));
}
inline bool IsFinite(Point a) {
    return std::isfinite(a.x) && std::isfinite(a.y);
}

// A cubic Bezier segment; a straight segment has its handles on its ends.
struct Cubic {
    Point p0, p1, p2, p3;

    Point At(double t) const;
    Point Derivative(double t) const;
    Point SecondDerivative(double t) const;
    // The part of the curve between parameters t0 and t1, as a cubic of its own.
    Cubic Sub(double t0, double t1) const;
    // Sum of the control polygon's sides: an upper bound of the length and the curve's scale.
    double HullLength() const;
    bool IsPoint() const { return p0 == p1 && p1 == p2 && p2 == p3; }
    // Unit tangent at the start and at the end. A retracted handle has no derivative there, so
    // the direction towards the next distinct control point is taken; (0, 0) for a point.
    Point StartTangent() const;
    Point EndTangent() const;
    // Unit tangent at t: the derivative's direction, falling back to the end tangents where the
    // derivative vanishes (t = 0, t = 1) and to the second derivative at an inner cusp. A
    // derivative no longer than `tiny` counts as vanished (by default 1e-9 of HullLength).
    Point TangentAt(double t) const { return TangentAt(t, HullLength() * 1e-9); }
    Point TangentAt(double t, double tiny) const;
};

} // namespace outline
