#include "render/line_path.h"

#include "stroke/line_part.h"
#include "stroke/line_point.h"

#include <bit>
#include <cmath>

namespace stroke {
namespace {

// The segment from a to b: straight when both facing handles lie on their points (a degenerate
// curve would only cost time), cubic otherwise.
void AddSegment(CVectorRenderer& target, my::pointd a, my::pointd aOut, my::pointd bIn,
                my::pointd b) {
    if (aOut == a && bIn == b) {
        target.LineTo(b.x, b.y);
    } else {
        target.CurveTo(aOut.x, aOut.y, bIn.x, bIn.y, b.x, b.y);
    }
}

void AddPointSegment(CVectorRenderer& target, const CLinePoint& from, const CLinePoint& to) {
    AddSegment(target, from.Position(), from.OutHandle(), to.InHandle(), to.Position());
}

bool HasSegments(const CPartHolder& line) {
    for (const auto& part : line.m_parts) {
        if (part && part->m_points.size() >= 2) {
            return true;
        }
    }
    return false;
}

std::int32_t PenShape(std::uint32_t mask, std::int32_t forBit1, std::int32_t forBit2,
                      std::int32_t forBit4) {
    if (mask == 0) {
        return forBit1;
    }
    if (std::popcount(mask) > 1) {
        return -1;
    }
    switch (mask) {
    case 1:
        return forBit1;
    case 2:
        return forBit2;
    case 4:
        return forBit4;
    default:
        return -1; // a bit without a shape
    }
}

} // namespace

double DrawnWidth(double width) {
    return std::isfinite(width) && width > 0.0 ? width : 0.0;
}

void CStrokeCheck::AddWidth(double width) {
    if (m_widthCount == 0) {
        m_width = width;
        m_widthCount = 1;
    } else if (m_widthCount == 1 && width != m_width) {
        m_widthCount = 2;
    }
}

void CStrokeCheck::Add(const CPartHolder& line) {
    for (const auto& part : line.m_parts) {
        if (!part || part->m_points.size() < 2) {
            continue;
        }
        m_hasSegments = true;
        for (const auto& point : part->m_points) {
            AddWidth(DrawnWidth(point->m_width));
        }
        m_capMask |= line.m_lineCap;
        m_joinMask |= line.m_lineJoin;
        if (part->IsClosed() != ClosesArea(*part)) {
            m_samePath = false;
        }
    }
}

bool CStrokeCheck::Simple() const {
    return m_widthCount < 2 && std::popcount(m_capMask) <= 1 && std::popcount(m_joinMask) <= 1;
}

std::int32_t PenCap(std::uint32_t capMask) {
    return PenShape(capMask, 1, 0, 2);
}

std::int32_t PenJoin(std::uint32_t joinMask) {
    return PenShape(joinMask, 1, 0, 2);
}

bool ClosesArea(const CLinePart& part) {
    if (part.IsClosed()) {
        return true;
    }
    if (part.m_points.empty()) {
        return false;
    }
    const CLinePoint& first = *part.m_points.front();
    const CLinePoint& last = *part.m_points.back();
    return first.InHandle() != first.Position() || last.OutHandle() != last.Position();
}

bool AddLinePath(CVectorRenderer& target, const CPartHolder& line, PathMode mode) {
    if (!HasSegments(line)) {
        return false;
    }
    target.NewPath();
    for (const auto& part : line.m_parts) {
        if (!part || part->m_points.size() < 2) {
            continue;
        }
        const auto& points = part->m_points;
        const CLinePoint& first = *points.front();
        target.MoveTo(first.x, first.y);
        for (std::size_t i = 1; i < points.size(); ++i) {
            AddPointSegment(target, *points[i - 1], *points[i]);
        }
        const bool close = mode == PathMode::Stroke ? part->IsClosed() : ClosesArea(*part);
        if (close) {
            AddPointSegment(target, *points.back(), first);
            target.ClosePath();
        }
    }
    return true;
}

outline::Part ToOutlinePart(const CLinePart& part) {
    outline::Part out;
    out.closed = part.IsClosed();
    out.points.reserve(part.m_points.size());
    for (const auto& point : part.m_points) {
        out.points.push_back(
            {point->Position(), point->InHandle(), point->OutHandle(), DrawnWidth(point->m_width)});
    }
    return out;
}

outline::Style OutlineStyle(const CPartHolder& line, double tolerance) {
    outline::Style style;
    style.cap = line.m_lineCap;
    style.join = line.m_lineJoin;
    if (std::isfinite(tolerance) && tolerance > 0.0) {
        style.tolerance = tolerance;
    }
    return style;
}

bool AddOutlinePath(CVectorRenderer& target, const CPartHolder& line, double tolerance) {
    const outline::Style style = OutlineStyle(line, tolerance);
    bool started = false;
    for (const auto& part : line.m_parts) {
        if (!part || part->m_points.size() < 2) {
            continue;
        }
        for (const outline::Figure& figure : outline::BuildOutlines(ToOutlinePart(*part), style)) {
            const auto& p = figure.points;
            if (p.size() < 2) {
                continue;
            }
            if (!started) {
                target.NewPath();
                started = true;
            }
            target.MoveTo(p[0].pos.x, p[0].pos.y);
            for (std::size_t i = 1; i <= p.size(); ++i) {
                const outline::FigurePoint& a = p[i - 1];
                const outline::FigurePoint& b = p[i % p.size()];
                AddSegment(target, a.pos, a.out, b.in, b.pos);
            }
            target.ClosePath();
        }
    }
    return started;
}

} // namespace stroke
