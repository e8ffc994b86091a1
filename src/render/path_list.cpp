#include "render/path_list.h"

#include "common/error.h"
#include "common/message_ids.h"

#include <algorithm>
#include <cmath>

// Far-away geometry is brought into the safe box by clamping every point of the path onto it
// (the nearest point of the box). Clamping moves no point of the box's inside, and a point
// outside moves along a segment that never enters the inside, so the winding number of every
// pixel inside the box, and with it every fill and every stroke on the page, stays the same.
// Straight segments are cut where they cross the lines of the box so that each piece lies in one
// region where clamping is affine; curves are split until their pieces are inside the box, or
// beyond one of its sides, or small, and the outside pieces are replaced by their chords.

namespace raster {
namespace {

// Coordinates beyond this are pulled in (a straight line to such a point may change its slope);
// below it, splitting a curve down to chords near the box edge stays within kMaxDepth and the
// rounding of the reals stays far below a pixel on the page.
constexpr double kHuge = 1e15;
// Curve pieces straddling the box edge are replaced by chords once they are this small; the
// difference then lies within this distance of the box edge, farther from the page than the
// widest pen reaches.
constexpr double kStraddleSize = 4096.0;
constexpr int kMaxDepth = 64;

bool Finite(my::pointd p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

my::pointd Tame(my::pointd p) {
    return {std::clamp(p.x, -kHuge, kHuge), std::clamp(p.y, -kHuge, kHuge)};
}

my::pointd Mid(my::pointd a, my::pointd b) {
    return {(a.x + b.x) * 0.5, (a.y + b.y) * 0.5};
}

} // namespace

void CPathList::SetPageSize(double width, double height) {
    const double w = std::isfinite(width) ? std::clamp(width, 0.0, kHuge) : 0.0;
    const double h = std::isfinite(height) ? std::clamp(height, 0.0, kHuge) : 0.0;
    m_box[0] = -kMargin;
    m_box[1] = -kMargin;
    m_box[2] = w + kMargin;
    m_box[3] = h + kMargin;
}

my::pointd CPathList::Clamp(my::pointd p) const {
    return {std::clamp(p.x, m_box[0], m_box[2]), std::clamp(p.y, m_box[1], m_box[3])};
}

void CPathList::NewPath() {
    if (m_count == m_paths.size()) {
        m_paths.emplace_back();
    }
    m_paths[m_count++].Clear();
    m_figureOpen = false;
    m_hasLast = false;
}

void CPathList::Clear() {
    m_count = 0;
    m_figureOpen = false;
    m_hasLast = false;
}

void CPathList::RequirePath() const {
    if (m_count == 0) {
        throw my::CException(IDS_PATH_NOT_BEGUN);
    }
}

void CPathList::MoveTo(my::pointd p) {
    if (m_count == 0) {
        NewPath();
    }
    if (!Finite(p)) {
        // The figure starts at the next usable point instead.
        m_figureOpen = false;
        m_hasLast = false;
        return;
    }
    p = Tame(p);
    m_start = m_last = p;
    m_hasLast = true;
    m_figureOpen = true;
    EmitMove(p);
}

void CPathList::EnsureFigure(my::pointd next) {
    if (m_figureOpen) {
        return;
    }
    m_start = m_hasLast ? m_last : next;
    m_last = m_start;
    m_hasLast = true;
    m_figureOpen = true;
    EmitMove(m_start);
}

void CPathList::LineTo(my::pointd p) {
    RequirePath();
    if (!Finite(p)) {
        return;
    }
    p = Tame(p);
    if (!m_figureOpen && !m_hasLast) {
        // Nothing to draw from: the point only starts the figure.
        EnsureFigure(p);
        return;
    }
    EnsureFigure(p);
    EmitLine(m_last, p);
    m_last = p;
}

void CPathList::CurveTo(my::pointd p1, my::pointd p2, my::pointd p3) {
    RequirePath();
    if (!Finite(p1) || !Finite(p2) || !Finite(p3)) {
        return;
    }
    p1 = Tame(p1);
    p2 = Tame(p2);
    p3 = Tame(p3);
    EnsureFigure(p1);
    EmitCurve(m_last, p1, p2, p3, 0);
    m_last = p3;
}

void CPathList::ClosePath() {
    RequirePath();
    if (!m_figureOpen) {
        return;
    }
    // The rasteriser closes with a straight edge between the clamped ends, which is the clamped
    // closing edge only when both ends are inside the box.
    if (!Inside(m_last) || !Inside(m_start)) {
        EmitLine(m_last, m_start);
    }
    Current().m_ops.push_back(CPath::CLOSE);
    m_figureOpen = false;
}

void CPathList::EmitMove(my::pointd p) {
    CPath& path = Current();
    path.m_ops.push_back(CPath::MOVE);
    path.m_points.push_back(Clamp(p));
}

void CPathList::EmitPoint(CPath::Op op, my::pointd p) {
    CPath& path = Current();
    path.m_ops.push_back(op);
    path.m_points.push_back(p);
    ++path.m_segments;
}

void CPathList::EmitLine(my::pointd from, my::pointd to) {
    if (Inside(from) && Inside(to)) {
        EmitPoint(CPath::LINE, to);
        return;
    }
    // Cut at every crossing of the four box lines, then clamp the ends of the pieces.
    double cuts[4];
    int n = 0;
    const double dx = to.x - from.x;
    const double dy = to.y - from.y;
    for (double edge : {m_box[0], m_box[2]}) {
        if ((from.x - edge) * (to.x - edge) < 0) {
            cuts[n++] = (edge - from.x) / dx;
        }
    }
    for (double edge : {m_box[1], m_box[3]}) {
        if ((from.y - edge) * (to.y - edge) < 0) {
            cuts[n++] = (edge - from.y) / dy;
        }
    }
    // At most four cuts: a plain insertion sort.
    for (int i = 1; i < n; ++i) {
        for (int j = i; j > 0 && cuts[j] < cuts[j - 1]; --j) {
            std::swap(cuts[j], cuts[j - 1]);
        }
    }
    my::pointd previous = Clamp(from);
    auto emit = [&](my::pointd p) {
        const my::pointd c = Clamp(p);
        if (!(c == previous)) {
            EmitPoint(CPath::LINE, c);
            previous = c;
        }
    };
    for (int i = 0; i < n; ++i) {
        emit({from.x + dx * cuts[i], from.y + dy * cuts[i]});
    }
    emit(to);
}

void CPathList::EmitCurve(my::pointd p0, my::pointd p1, my::pointd p2, my::pointd p3, int depth) {
    if (Inside(p0) && Inside(p1) && Inside(p2) && Inside(p3)) {
        CPath& path = Current();
        path.m_ops.push_back(CPath::CURVE);
        path.m_points.insert(path.m_points.end(), {p1, p2, p3});
        ++path.m_segments;
        return;
    }
    const double minX = std::min({p0.x, p1.x, p2.x, p3.x});
    const double maxX = std::max({p0.x, p1.x, p2.x, p3.x});
    const double minY = std::min({p0.y, p1.y, p2.y, p3.y});
    const double maxY = std::max({p0.y, p1.y, p2.y, p3.y});
    const bool beyondOneSide =
        maxX < m_box[0] || minX > m_box[2] || maxY < m_box[1] || minY > m_box[3];
    const bool small = maxX - minX < kStraddleSize && maxY - minY < kStraddleSize;
    if (beyondOneSide || small || depth >= kMaxDepth) {
        // The region between the piece and its chord lies beyond the box edge (or hugs it).
        EmitLine(p0, p3);
        return;
    }
    // de Casteljau at t = 1/2.
    const my::pointd a = Mid(p0, p1), b = Mid(p1, p2), c = Mid(p2, p3);
    const my::pointd d = Mid(a, b), e = Mid(b, c);
    const my::pointd m = Mid(d, e);
    EmitCurve(p0, a, d, m, depth + 1);
    EmitCurve(m, e, c, p3, depth + 1);
}

} // namespace raster
