#include "render/calc_bounds.h"

#include "render/cached_renderer.h"
#include "render/line_path.h"
#include "render/text_layout.h"
#include "stroke/figures.h"

#include <algorithm>
#include <cmath>

namespace stroke {
namespace {

// A derivative coefficient this small next to the curve's scale counts as zero.
constexpr double kTolerance = 1e-7;
// Stroke outlines for bounds follow the true offset curves to this fraction of the width.
constexpr double kOutlineFit = 0.01;

// Adds the extremes of one coordinate of a cubic: the roots in (0, 1) of its derivative,
// (d0 − 2 d1 + d2) t² + 2 (d1 − d0) t + d0 with d_i the differences of the control values.
int DerivativeRoots(double p0, double p1, double p2, double p3, double roots[2]) {
    const double d0 = p1 - p0, d1 = p2 - p1, d2 = p3 - p2;
    const double a = d0 - 2.0 * d1 + d2, b = 2.0 * (d1 - d0), c = d0;
    const double scale = std::abs(d0) + std::abs(d1) + std::abs(d2);
    int count = 0;
    const auto keep = [&](double t) {
        if (t > 0.0 && t < 1.0) {
            roots[count++] = t;
        }
    };
    if (!(scale > 0.0)) {
        return 0;
    }
    if (std::abs(a) <= kTolerance * scale) {
        if (std::abs(b) > kTolerance * scale) {
            keep(-c / b);
        }
        return count;
    }
    const double disc = b * b - 4.0 * a * c;
    if (disc < 0.0) {
        return 0;
    }
    // The stable pair of roots: no cancellation between b and the square root.
    const double q = -0.5 * (b + std::copysign(std::sqrt(disc), b));
    keep(q / a);
    if (q != 0.0) {
        keep(c / q);
    }
    return count;
}

void AddCubic(my::pointd p0, my::pointd p1, my::pointd p2, my::pointd p3, CBoundsRect& out) {
    out.Add(p0);
    out.Add(p3);
    if (p1 == p0 && p2 == p3) {
        return; // straight
    }
    double roots[4];
    int count = DerivativeRoots(p0.x, p1.x, p2.x, p3.x, roots);
    count += DerivativeRoots(p0.y, p1.y, p2.y, p3.y, roots + count);
    for (int i = 0; i < count; ++i) {
        const double t = roots[i], s = 1.0 - t;
        const double w0 = s * s * s, w1 = 3.0 * s * s * t, w2 = 3.0 * s * t * t, w3 = t * t * t;
        out.Add(my::pointd{w0 * p0.x + w1 * p1.x + w2 * p2.x + w3 * p3.x,
                           w0 * p0.y + w1 * p1.y + w2 * p2.y + w3 * p3.y});
    }
}

void AddPointSegment(const CLinePoint& a, const CLinePoint& b, CBoundsRect& out) {
    AddCubic(a.Position(), a.OutHandle(), b.InHandle(), b.Position(), out);
}

} // namespace

void CBoundsRect::Add(my::pointd p) {
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) {
        return;
    }
    if (empty) {
        left = right = p.x;
        top = bottom = p.y;
        empty = false;
        return;
    }
    left = std::min(left, p.x);
    right = std::max(right, p.x);
    top = std::min(top, p.y);
    bottom = std::max(bottom, p.y);
}

void CBoundsRect::Add(const CBoundsRect& other) {
    if (!other.empty) {
        Add(my::pointd{other.left, other.top});
        Add(my::pointd{other.right, other.bottom});
    }
}

CCalcBounds::CCalcBounds(std::uint32_t typeMask, std::uint32_t stateMask, std::uint32_t stateValue,
                         bool areasOnly)
    : CConstEnumerator(FIGURE_LAYER | FIGURE_LINE | FIGURE_TEXT), m_typeMask(typeMask),
      m_stateMask(stateMask), m_stateValue(stateValue), m_areasOnly(areasOnly) {}

const CBoundsRect& CCalcBounds::Calc(const CFigure& root) {
    m_fills = 0; // a walk ended by a failure may have left bits behind
    VisitFigure(root);
    return m_bounds;
}

bool CCalcBounds::Measured(const CFigure& figure) const {
    return (figure.GetType() & m_typeMask) != 0 && (figure.m_state & m_stateMask) == m_stateValue;
}

void CCalcBounds::VisitLayer(const CLayer& layer) {
    if (layer.IsHidden() && (m_stateMask & STATE_HIDDEN) && !(m_stateValue & STATE_HIDDEN)) {
        return;
    }
    const std::uint32_t saved = m_fills;
    if (layer.m_lineFill) {
        m_fills |= LINE_FILL;
    }
    if (layer.m_areaFill) {
        m_fills |= AREA_FILL;
    }
    VisitChildren(layer);
    m_fills = saved;
}

void CCalcBounds::VisitLine(const CLine& line) {
    if (!Measured(line)) {
        return;
    }
    const bool area = (m_fills & AREA_FILL) || line.m_areaFill;
    const bool stroke = !m_areasOnly && ((m_fills & LINE_FILL) || line.m_lineFill);
    if (!area && !stroke) {
        return;
    }
    CStrokeCheck check;
    check.Add(line);
    for (const auto& part : line.m_parts) {
        if (!part || part->m_points.size() < 2) {
            continue;
        }
        if (area) {
            AddAreaBounds(*part, m_bounds);
        }
        if (stroke) {
            AddStrokeBounds(line, *part, check.Simple(), m_bounds);
        }
    }
}

void CCalcBounds::VisitText(const CText& text) {
    if (!Measured(text)) {
        return;
    }
    for (const CCharLayout& layout : LayoutText(text, nullptr)) {
        if (layout.m_valid) {
            for (const my::pointd& corner : CharBox(layout)) {
                m_bounds.Add(corner);
            }
        }
    }
}

void CCalcBounds::AddAreaBounds(const CLinePart& part, CBoundsRect& out) {
    const auto& points = part.m_points;
    for (std::size_t i = 1; i < points.size(); ++i) {
        AddPointSegment(*points[i - 1], *points[i], out);
    }
    if (points.size() >= 2 && ClosesArea(part)) {
        AddPointSegment(*points.back(), *points.front(), out);
    }
}

void CCalcBounds::AddStrokeBounds(const CPartHolder& line, const CLinePart& part, bool penDrawn,
                                  CBoundsRect& out) {
    const outline::Part shape = ToOutlinePart(part);
    double widest = 0.0;
    for (const outline::CtrlPoint& p : shape.points) {
        widest = std::max(widest, p.width);
    }
    // Bounds are independent of any device: the outline is fitted to a hundredth of the width.
    outline::Style style = OutlineStyle(line, widest * kOutlineFit);
    if (penDrawn) {
        // A line of one width is stroked by a pen, whose miters reach much farther.
        style.miterLimit = raster::CCachedRenderer::kMiterLimit;
    }
    for (const outline::Figure& figure : outline::BuildOutlines(shape, style)) {
        const auto& p = figure.points;
        for (std::size_t i = 0; i < p.size(); ++i) {
            const outline::FigurePoint& a = p[i];
            const outline::FigurePoint& b = p[(i + 1) % p.size()];
            AddCubic(a.pos, a.out, b.in, b.pos, out);
        }
    }
}

} // namespace stroke
