// raster::CPathList: the paths collected between NewPath and Paint, in page pixels, made safe for
// a fixed-point rasteriser: non-finite points are skipped and far-away geometry is clipped.
#pragma once

#include "common/point.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace raster {

// One path: figures of straight and cubic segments. MOVE and LINE carry one point, CURVE three
// (two controls and the end), CLOSE none.
class CPath {
public:
    enum Op : std::uint8_t { MOVE, LINE, CURVE, CLOSE };

    const std::vector<Op>& Ops() const { return m_ops; }
    const std::vector<my::pointd>& Points() const { return m_points; }
    // True when the path has at least one segment (a lone MoveTo draws nothing).
    bool HasSegments() const { return m_segments != 0; }

    // Calls move(p), line(p), curve(p1, p2, p3) and close() in path order.
    template <class Sink> void Replay(Sink&& sink) const {
        std::size_t i = 0;
        for (Op op : m_ops) {
            switch (op) {
            case MOVE:
                sink.Move(m_points[i++]);
                break;
            case LINE:
                sink.Line(m_points[i++]);
                break;
            case CURVE:
                sink.Curve(m_points[i], m_points[i + 1], m_points[i + 2]);
                i += 3;
                break;
            case CLOSE:
                sink.Close();
                break;
            }
        }
    }

private:
    friend class CPathList;
    void Clear() {
        m_ops.clear();
        m_points.clear();
        m_segments = 0;
    }

    std::vector<Op> m_ops;
    std::vector<my::pointd> m_points;
    std::size_t m_segments = 0;
};

class CPathList {
public:
    // Geometry beyond this distance from the page origin (pixels) is clipped onto a box of this
    // half size, which keeps every coordinate, widened by the largest pen, inside the 24.8
    // fixed-point range of the rasteriser. Inside the box nothing changes.
    static constexpr double kSafeExtent = 2097152.0; // 2^21
    // The largest pen width (pixels) that is handed to the rasteriser.
    static constexpr double kMaxPenWidth = 1048576.0; // 2^20

    // Starts a new, empty path that receives the following figures.
    void NewPath();
    // Starts a figure; with no path yet it starts the first path.
    void MoveTo(my::pointd p);
    // Segments from the last point given; raise 59082 when there is no path.
    void LineTo(my::pointd p);
    void CurveTo(my::pointd p1, my::pointd p2, my::pointd p3);
    // Closes the current figure with a straight edge; raises 59082 when there is no path.
    void ClosePath();
    // Empties the list (capacity is kept for the next paths).
    void Clear();

    std::size_t Count() const { return m_count; }
    const CPath& operator[](std::size_t i) const { return m_paths[i]; }
    const CPath* begin() const { return m_paths.data(); }
    const CPath* end() const { return m_paths.data() + m_count; }

private:
    CPath& Current() { return m_paths[m_count - 1]; }
    void RequirePath() const;
    // Opens a figure at the last point given when the previous one was closed or never begun.
    void EnsureFigure(my::pointd next);
    void EmitMove(my::pointd p);
    void EmitLine(my::pointd from, my::pointd to);
    void EmitCurve(my::pointd p0, my::pointd p1, my::pointd p2, my::pointd p3, int depth);
    void EmitPoint(CPath::Op op, my::pointd p);

    std::vector<CPath> m_paths; // the first m_count are in use
    std::size_t m_count = 0;
    bool m_figureOpen = false;
    bool m_hasLast = false;
    my::pointd m_start; // first point of the open figure, as given
    my::pointd m_last;  // last point given
};

} // namespace raster
