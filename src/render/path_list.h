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
    // Geometry farther than this beyond the page (pixels) is clipped onto a box of the page grown
    // by this margin. cairo's rasteriser misplaces edges that reach a hundred thousand pixels or
    // more across (and its fixed-point numbers end at 2^23), so nothing it receives may; inside
    // the box nothing changes.
    static constexpr double kMargin = 32768.0;
    // The largest pen width (pixels) that is handed to the rasteriser: its half stays inside the
    // margin, so the clipped parts of a path never paint onto the page.
    static constexpr double kMaxPenWidth = kMargin;

    // The page the paths are drawn on; sets the safe box for the paths that follow.
    void SetPageSize(double width, double height);

    // Starts a new, empty path that receives the following figures.
    void NewPath();
    // Starts a figure; with no path yet it starts the first path.
    void MoveTo(my::pointd p);
    // Segments from the last point given; raise IDS_PATH_NOT_BEGUN when there is no path.
    void LineTo(my::pointd p);
    void CurveTo(my::pointd p1, my::pointd p2, my::pointd p3);
    // Closes the current figure with a straight edge; raises IDS_PATH_NOT_BEGUN when there is no
    // path.
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
    bool Inside(my::pointd p) const {
        return p.x >= m_box[0] && p.x <= m_box[2] && p.y >= m_box[1] && p.y <= m_box[3];
    }
    my::pointd Clamp(my::pointd p) const;

    std::vector<CPath> m_paths; // the first m_count are in use
    std::size_t m_count = 0;
    bool m_figureOpen = false;
    bool m_hasLast = false;
    my::pointd m_start; // first point of the open figure, as given
    my::pointd m_last;  // last point given
    double m_box[4] = {-kMargin, -kMargin, kMargin, kMargin}; // left, top, right, bottom
};

} // namespace raster
