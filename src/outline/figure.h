// Outline figures (closed chains of points with handles) and the path builder that the
// outline construction draws them with: lines, cubic pieces, arcs and reversed chains.
#pragma once

#include "outline/cubic.h"

#include <cstddef>
#include <vector>

namespace outline {

// A point of an outline figure with its incoming and outgoing handle (absolute positions; a
// straight piece has its handles on its ends).
struct FigurePoint {
    Point pos;
    Point in;
    Point out;
};

// A closed outline figure: pieces run from each point to the next and from the last point
// back to the first. The renderer adds all figures of a line to one path, filled non-zero.
struct Figure {
    std::vector<FigurePoint> points;

    // Number of pieces (the closing piece included).
    std::size_t SegmentCount() const { return points.size(); }
};

// An open chain of cubic pieces from a start point.
class Path {
public:
    Path() = default;
    explicit Path(Point start) : m_start(start), m_current(start) {}

    Point Start() const { return m_start; }
    Point Current() const { return m_current; }
    bool Empty() const { return m_pieces.empty(); }

    // A straight piece; nothing when p is the current point.
    void LineTo(Point p);
    // A cubic piece; nothing when it is a single point.
    void CubicTo(Point c1, Point c2, Point p);
    void CubicTo(const Cubic& c) { CubicTo(c.p1, c.p2, c.p3); }
    // Appends another chain walked backwards, with a straight piece to its end if needed.
    void AppendReversed(const Path& other);
    // The closed figure of this chain (a straight piece closes it when it does not end at its
    // start). Fewer than 2 points give an empty figure.
    Figure ToFigure() const;

private:
    struct Piece {
        Point c1, c2, p;
    };
    Point m_start;
    Point m_current;
    std::vector<Piece> m_pieces;
};

// Adds an arc around centre from `from` to `to` (a straight piece leads to `from` first if the
// path stands elsewhere), turning by sweep radians (positive from +x towards +y) while the
// radius changes linearly between the two distances. Cubic pieces keep within tolerance of the
// true arc (at most 64 pieces); the arc ends exactly on `to`.
void AddArc(Path& path, Point centre, Point from, Point to, double sweep, double tolerance);

// Signed area enclosed by a figure: positive when it turns from +x towards +y. Outline figures
// are positive, except the inner loop of a closed run, which is the hole of its ring.
double SignedArea(const Figure& figure);

} // namespace outline
