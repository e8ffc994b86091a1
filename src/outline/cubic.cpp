#include "outline/cubic.h"

#include <initializer_list>

namespace outline {

Point Cubic::At(double t) const {
    const double u = 1.0 - t;
    const double b0 = u * u * u, b1 = 3.0 * u * u * t, b2 = 3.0 * u * t * t, b3 = t * t * t;
    return {b0 * p0.x + b1 * p1.x + b2 * p2.x + b3 * p3.x,
            b0 * p0.y + b1 * p1.y + b2 * p2.y + b3 * p3.y};
}

Point Cubic::Derivative(double t) const {
    const double u = 1.0 - t;
    const Point a = p1 - p0, b = p2 - p1, c = p3 - p2;
    return 3.0 * (u * u * a + 2.0 * u * t * b + t * t * c);
}

Point Cubic::SecondDerivative(double t) const {
    const Point a = p2 - 2.0 * p1 + p0, b = p3 - 2.0 * p2 + p1;
    return 6.0 * ((1.0 - t) * a + t * b);
}

Cubic Cubic::Sub(double t0, double t1) const {
    // Blossoming: the control points of the piece are the polar values f(t0,t0,t0),
    // f(t0,t0,t1), f(t0,t1,t1), f(t1,t1,t1).
    auto blossom = [this](double a, double b, double c) {
        auto lerp = [](Point p, Point q, double t) { return p + (q - p) * t; };
        const Point q0 = lerp(p0, p1, a), q1 = lerp(p1, p2, a), q2 = lerp(p2, p3, a);
        const Point r0 = lerp(q0, q1, b), r1 = lerp(q1, q2, b);
        return lerp(r0, r1, c);
    };
    return {At(t0), blossom(t0, t0, t1), blossom(t0, t1, t1), At(t1)};
}

double Cubic::HullLength() const {
    return Distance(p0, p1) + Distance(p1, p2) + Distance(p2, p3);
}

Point Cubic::StartTangent() const {
    for (const Point& q : {p1, p2, p3}) {
        if (q != p0) {
            return Normalized(q - p0);
        }
    }
    return {};
}

Point Cubic::EndTangent() const {
    for (const Point& q : {p2, p1, p0}) {
        if (q != p3) {
            return Normalized(p3 - q);
        }
    }
    return {};
}

Point Cubic::TangentAt(double t, double tiny) const {
    const Point d = Derivative(t);
    const double length = Length(d);
    if (length > tiny) {
        return d / length;
    }
    if (t <= 1e-6) {
        return StartTangent();
    }
    if (t >= 1.0 - 1e-6) {
        return EndTangent();
    }
    // An inner cusp: the curve leaves along the second derivative.
    const Point dd = Normalized(SecondDerivative(t));
    return dd != Point{} ? dd : Normalized(p3 - p0);
}

} // namespace outline
