// Geometry checks of outlines without a renderer: the non-zero winding number of the figures
// at any point (their cubic pieces flattened finely), the distance of a point from a part's
// centre line, and small builders of parts.
#pragma once

#include "outline/outline.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace outline_test {

using outline::CtrlPoint;
using outline::Figure;
using outline::Part;
using outline::Point;

// A point without handles.
inline CtrlPoint Corner(double x, double y, double width) {
    return {{x, y}, {x, y}, {x, y}, width};
}

// A point with handles: `in` and `out` are absolute positions.
inline CtrlPoint Handles(double x, double y, double width, Point in, Point out) {
    return {{x, y}, in, out, width};
}

// Gives every point smooth handles along the line through its neighbours.
inline Part Smoothed(Part part) {
    auto& p = part.points;
    const std::size_t n = p.size();
    for (std::size_t i = 0; i < n; ++i) {
        const Point prev = i > 0 ? p[i - 1].pos : (part.closed ? p[n - 1].pos : p[i].pos);
        const Point next = i + 1 < n ? p[i + 1].pos : (part.closed ? p[0].pos : p[i].pos);
        const Point d = (next - prev) / 6.0;
        p[i].in = p[i].pos - d;
        p[i].out = p[i].pos + d;
    }
    return part;
}

// Non-zero winding of a set of figures, each cubic piece flattened into short chords.
class Coverage {
public:
    explicit Coverage(const std::vector<Figure>& figures, int steps = 48) {
        for (const Figure& figure : figures) {
            const std::size_t start = m_points.size();
            const auto& p = figure.points;
            for (std::size_t i = 0; i < p.size(); ++i) {
                const outline::Cubic c{p[i].pos, p[i].out, p[(i + 1) % p.size()].in,
                                       p[(i + 1) % p.size()].pos};
                for (int k = 0; k < steps; ++k) {
                    m_points.push_back(c.At(static_cast<double>(k) / steps));
                }
            }
            m_loops.push_back({start, m_points.size()});
        }
    }

    int Winding(Point q) const {
        int winding = 0;
        for (const auto& [start, end] : m_loops) {
            for (std::size_t i = start; i < end; ++i) {
                const Point a = m_points[i], b = m_points[i + 1 < end ? i + 1 : start];
                const double side = outline::Cross(b - a, q - a);
                if (a.y <= q.y) {
                    winding += (b.y > q.y && side > 0.0) ? 1 : 0;
                } else {
                    winding -= (b.y <= q.y && side < 0.0) ? 1 : 0;
                }
            }
        }
        return winding;
    }
    bool Inside(Point q) const { return Winding(q) != 0; }

private:
    std::vector<Point> m_points;
    std::vector<std::pair<std::size_t, std::size_t>> m_loops;
};

// A part's centre line flattened finely, for distances.
class CentreLine {
public:
    explicit CentreLine(const Part& part, int steps = 600) {
        const auto& p = part.points;
        const std::size_t segments = part.closed ? p.size() : p.size() - 1;
        for (std::size_t i = 0; i < segments; ++i) {
            const outline::Cubic c{p[i].pos, p[i].out, p[(i + 1) % p.size()].in,
                                   p[(i + 1) % p.size()].pos};
            for (int k = 0; k <= steps; ++k) {
                m_points.push_back(c.At(static_cast<double>(k) / steps));
            }
        }
    }

    double Distance(Point q) const {
        double best = std::numeric_limits<double>::infinity();
        for (std::size_t i = 0; i + 1 < m_points.size(); ++i) {
            const Point a = m_points[i], ab = m_points[i + 1] - a;
            const double len2 = outline::Dot(ab, ab);
            const double u =
                len2 > 0.0 ? std::clamp(outline::Dot(q - a, ab) / len2, 0.0, 1.0) : 0.0;
            best = std::min(best, outline::Distance(q, a + ab * u));
        }
        return best;
    }

    // Bounding box of the line grown by margin.
    void Bounds(double margin, Point& low, Point& high) const {
        low = high = m_points.front();
        for (const Point& q : m_points) {
            low = {std::min(low.x, q.x), std::min(low.y, q.y)};
            high = {std::max(high.x, q.x), std::max(high.y, q.y)};
        }
        low -= Point{margin, margin};
        high += Point{margin, margin};
    }

private:
    std::vector<Point> m_points;
};

// Result of comparing an outline with the round stroke of half width `half` on a grid.
struct StrokeCheck {
    int holes = 0;    // points nearer than half - band to the line but not covered
    int spill = 0;    // points farther than half + band but covered
    int negative = 0; // points where the winding is negative
    int checked = 0;
};

// Compares the figures with the round-capped, round-joined stroke of a constant width.
inline StrokeCheck CheckRoundStroke(const std::vector<Figure>& figures, const Part& part,
                                    double half, double band, double step) {
    const Coverage coverage(figures);
    const CentreLine centre(part);
    Point low, high;
    centre.Bounds(half + 3.0 * band, low, high);
    StrokeCheck check;
    for (double y = low.y; y <= high.y; y += step) {
        for (double x = low.x; x <= high.x; x += step) {
            const Point q{x, y};
            const double distance = centre.Distance(q);
            const int winding = coverage.Winding(q);
            check.negative += winding < 0 ? 1 : 0;
            if (distance < half - band) {
                check.holes += winding == 0 ? 1 : 0;
                ++check.checked;
            } else if (distance > half + band) {
                check.spill += winding != 0 ? 1 : 0;
                ++check.checked;
            }
        }
    }
    return check;
}

} // namespace outline_test
