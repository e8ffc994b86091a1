#include "outline/figure.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace outline {

void Path::LineTo(Point p) {
    if (p == m_current) {
        return;
    }
    m_pieces.push_back({m_current, p, p});
    m_current = p;
}

void Path::CubicTo(Point c1, Point c2, Point p) {
    if (c1 == m_current && c2 == m_current && p == m_current) {
        return;
    }
    m_pieces.push_back({c1, c2, p});
    m_current = p;
}

void Path::AppendReversed(const Path& other) {
    LineTo(other.m_current);
    for (std::size_t i = other.m_pieces.size(); i-- > 0;) {
        const Piece& piece = other.m_pieces[i];
        const Point to = i > 0 ? other.m_pieces[i - 1].p : other.m_start;
        CubicTo(piece.c2, piece.c1, to);
    }
}

Figure Path::ToFigure() const {
    Figure figure;
    if (m_pieces.empty()) {
        return figure;
    }
    auto& points = figure.points;
    points.reserve(m_pieces.size() + 1);
    points.push_back({m_start, m_start, m_start});
    for (const Piece& piece : m_pieces) {
        points.back().out = piece.c1;
        points.push_back({piece.p, piece.c2, piece.p});
    }
    if (points.back().pos == points.front().pos) {
        points.front().in = points.back().in;
        points.pop_back();
    }
    if (points.size() < 2) {
        figure.points.clear();
    }
    return figure;
}

void AddArc(Path& path, Point centre, Point from, Point to, double sweep, double tolerance) {
    path.LineTo(from);
    const double r0 = Distance(centre, from), r1 = Distance(centre, to);
    const double angle = std::abs(sweep);
    const double radius = std::max(r0, r1);
    if (angle == 0.0 || radius == 0.0) {
        path.LineTo(to);
        return;
    }
    // Direction of the start; from the end when the arc starts at zero radius.
    const Point u0 = r0 > 0.0 ? (from - centre) / r0 : Rotated((to - centre) / r1, -sweep);
    // A cubic quarter circle strays by about 2.7e-4 of the radius, and the deviation grows
    // with the sixth power of the angle of a piece.
    const double quarter = std::numbers::pi / 2.0;
    int pieces = std::max(1, static_cast<int>(std::ceil(angle / quarter - 1e-9)));
    while (pieces < 64 && radius * 2.7e-4 * std::pow(angle / pieces / quarter, 6.0) > tolerance) {
        ++pieces;
    }
    const double step = sweep / pieces;
    const double handle = 4.0 / 3.0 * std::tan(step / 4.0);
    const double growth = (r1 - r0) / sweep; // radius change per radian
    auto velocity = [&](int i) {
        const Point u = Rotated(u0, step * i);
        const double r = r0 + (r1 - r0) * i / pieces;
        return u * growth + Perpendicular(u) * r; // derivative by the angle
    };
    Point p0 = from, v0 = velocity(0);
    for (int i = 1; i <= pieces; ++i) {
        const Point p1 =
            i == pieces ? to : centre + Rotated(u0, step * i) * (r0 + (r1 - r0) * i / pieces);
        const Point v1 = velocity(i);
        path.CubicTo(p0 + v0 * handle, p1 - v1 * handle, p1);
        p0 = p1;
        v0 = v1;
    }
}

double SignedArea(const Figure& figure) {
    // x y' - y x' along a cubic is a polynomial of degree 5, which 3-point Gauss-Legendre
    // integrates exactly.
    static constexpr double kNodes[3] = {0.1127016653792583, 0.5, 0.8872983346207417};
    static constexpr double kWeights[3] = {5.0 / 18.0, 8.0 / 18.0, 5.0 / 18.0};
    const auto& points = figure.points;
    double twice = 0.0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const FigurePoint& a = points[i];
        const FigurePoint& b = points[(i + 1) % points.size()];
        const Cubic piece{a.pos, a.out, b.in, b.pos};
        for (int k = 0; k < 3; ++k) {
            twice += kWeights[k] * Cross(piece.At(kNodes[k]), piece.Derivative(kNodes[k]));
        }
    }
    return twice / 2.0;
}

} // namespace outline
