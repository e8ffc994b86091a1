#include "platform/font_outline.h"

#include "common/error.h"
#include "common/message_ids.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace font {

namespace {

my::pointd Midpoint(const my::pointd& a, const my::pointd& b) {
    return {(a.x + b.x) / 2.0, (a.y + b.y) / 2.0};
}

// Collects the pieces of one contour, merging runs of the same type into one record.
class CContourWriter {
public:
    explicit CContourWriter(const my::pointd& start) : m_current(start) { m_polygon.start = start; }

    void LineTo(const my::pointd& p) {
        if (p == m_current) {
            return;
        }
        Append(CurveType::Line, {p});
    }
    void QuadTo(const my::pointd& q, const my::pointd& p) {
        const auto [c1, c2] = ElevateQuadratic(m_current, q, p);
        CubicTo(c1, c2, p);
    }
    void CubicTo(const my::pointd& c1, const my::pointd& c2, const my::pointd& p) {
        if (c1 == m_current && c2 == m_current && p == m_current) {
            return;
        }
        Append(CurveType::Cubic, {c1, c2, p});
    }

    // The contour with its closing straight piece left implied.
    CPolygon Finish() {
        auto& curves = m_polygon.curves;
        if (!curves.empty() && curves.back().type == CurveType::Line &&
            curves.back().points.back() == m_polygon.start) {
            curves.back().points.pop_back();
            if (curves.back().points.empty()) {
                curves.pop_back();
            }
        }
        return std::move(m_polygon);
    }

private:
    void Append(CurveType type, std::initializer_list<my::pointd> points) {
        auto& curves = m_polygon.curves;
        if (curves.empty() || curves.back().type != type) {
            curves.push_back(CCurve{type, {}});
        }
        curves.back().points.insert(curves.back().points.end(), points);
        m_current = *(points.end() - 1);
    }

    CPolygon m_polygon;
    my::pointd m_current;
};

// Walks the points of one contour and resolves control points into pieces as their end
// points arrive.
class CContourWalker {
public:
    explicit CContourWalker(const my::pointd& start) : m_writer(start), m_start(start) {}

    void Visit(const my::pointd& p, PointTag tag) {
        switch (tag) {
        case PointTag::On:
            if (m_count == 0) {
                m_writer.LineTo(p);
            } else if (m_kind == PointTag::Conic) {
                m_writer.QuadTo(m_pending[0], p);
            } else if (m_count == 2) {
                m_writer.CubicTo(m_pending[0], m_pending[1], p);
            } else {
                throw my::CException(IDS_CUBIC_POINTS_TOO_FEW);
            }
            m_count = 0;
            break;
        case PointTag::Conic:
            if (m_count != 0 && m_kind == PointTag::Cubic) {
                throw my::CException(IDS_CUBIC_POINTS_TOO_FEW);
            }
            if (m_count == 1) {
                // Two quadratic controls in a row imply the on-curve point between them.
                const my::pointd middle = Midpoint(m_pending[0], p);
                m_writer.QuadTo(m_pending[0], middle);
            }
            m_pending[0] = p;
            m_kind = PointTag::Conic;
            m_count = 1;
            break;
        case PointTag::Cubic:
            if (m_count != 0 && m_kind == PointTag::Conic) {
                throw my::CException(IDS_QUADRATIC_SPLINE_UNSUPPORTED);
            }
            if (m_count == 2) {
                throw my::CException(IDS_CUBIC_POINTS_TOO_FEW);
            }
            m_pending[m_count++] = p;
            m_kind = PointTag::Cubic;
            break;
        }
    }

    CPolygon Close() {
        Visit(m_start, PointTag::On);
        return m_writer.Finish();
    }

private:
    CContourWriter m_writer;
    my::pointd m_start;
    my::pointd m_pending[2];
    PointTag m_kind = PointTag::On;
    int m_count = 0;
};

void ConvertContour(std::span<const my::pointd> points, std::span<const PointTag> tags,
                    CGlyphOutline& out) {
    const std::size_t n = points.size();
    const auto on = std::find(tags.begin(), tags.end(), PointTag::On);
    std::size_t first = 0;
    std::size_t count = n;
    my::pointd start;
    if (on != tags.end()) {
        // Start at the first on-curve point and come back to it.
        const auto s = static_cast<std::size_t>(on - tags.begin());
        start = points[s];
        first = s + 1;
        count = n - 1;
    } else {
        if (std::find(tags.begin(), tags.end(), PointTag::Cubic) != tags.end()) {
            throw my::CException(IDS_CUBIC_POINTS_TOO_FEW);
        }
        // Quadratic controls only: the implied point between the last and the first.
        start = Midpoint(points[n - 1], points[0]);
    }
    CContourWalker walker(start);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t k = (first + i) % n;
        walker.Visit(points[k], tags[k]);
    }
    CPolygon polygon = walker.Close();
    if (!polygon.curves.empty()) {
        out.push_back(std::move(polygon));
    }
}

// Parameters in (0, 1) where one coordinate of a cubic has a local extreme.
int CubicExtremes(double p0, double c1, double c2, double p3, double t[2]) {
    // Derivative / 3 = a t^2 + b t + c.
    const double a = -p0 + 3.0 * c1 - 3.0 * c2 + p3;
    const double b = 2.0 * (p0 - 2.0 * c1 + c2);
    const double c = c1 - p0;
    double roots[2];
    int found = 0;
    const double scale = std::max({std::fabs(a), std::fabs(b), std::fabs(c)});
    if (scale == 0.0) {
        return 0;
    }
    if (std::fabs(a) <= 1e-12 * scale) {
        if (b != 0.0) {
            roots[found++] = -c / b;
        }
    } else {
        const double disc = b * b - 4.0 * a * c;
        if (disc >= 0.0) {
            // The stable form avoids cancellation when b^2 dominates.
            const double q = -0.5 * (b + std::copysign(std::sqrt(disc), b));
            roots[found++] = q / a;
            if (q != 0.0) {
                roots[found++] = c / q;
            }
        }
    }
    int inside = 0;
    for (int i = 0; i < found; ++i) {
        if (roots[i] > 0.0 && roots[i] < 1.0) {
            t[inside++] = roots[i];
        }
    }
    return inside;
}

double CubicAt(double p0, double c1, double c2, double p3, double t) {
    const double u = 1.0 - t;
    return u * u * u * p0 + 3.0 * u * u * t * c1 + 3.0 * u * t * t * c2 + t * t * t * p3;
}

void Include(CBox& box, const my::pointd& p) {
    box.left = std::min(box.left, p.x);
    box.right = std::max(box.right, p.x);
    box.bottom = std::min(box.bottom, p.y);
    box.top = std::max(box.top, p.y);
}

} // namespace

CGlyphOutline ConvertContours(std::span<const my::pointd> points, std::span<const PointTag> tags,
                              std::span<const std::size_t> contourEnds) {
    if (tags.size() != points.size()) {
        throw my::InternalError("ConvertContours() point and tag counts differ");
    }
    CGlyphOutline outline;
    std::size_t first = 0;
    for (const std::size_t last : contourEnds) {
        if (last < first || last >= points.size()) {
            throw my::InternalError("ConvertContours() contour end " + std::to_string(last) +
                                    " out of order or range");
        }
        const std::size_t n = last - first + 1;
        ConvertContour(points.subspan(first, n), tags.subspan(first, n), outline);
        first = last + 1;
    }
    return outline;
}

std::pair<my::pointd, my::pointd> ElevateQuadratic(const my::pointd& p0, const my::pointd& q,
                                                   const my::pointd& p2) {
    return {p0 + (q - p0) * (2.0 / 3.0), p2 + (q - p2) * (2.0 / 3.0)};
}

std::optional<CBox> OutlineBounds(const CGlyphOutline& outline) {
    std::optional<CBox> bounds;
    for (const CPolygon& polygon : outline) {
        if (polygon.curves.empty()) {
            continue;
        }
        if (!bounds) {
            bounds = CBox{polygon.start.x, polygon.start.y, polygon.start.x, polygon.start.y};
        }
        CBox& box = *bounds;
        Include(box, polygon.start);
        my::pointd current = polygon.start;
        for (const CCurve& curve : polygon.curves) {
            if (curve.type == CurveType::Line) {
                for (const my::pointd& p : curve.points) {
                    Include(box, p);
                }
                if (!curve.points.empty()) {
                    current = curve.points.back();
                }
                continue;
            }
            for (std::size_t i = 0; i + 2 < curve.points.size(); i += 3) {
                const my::pointd& c1 = curve.points[i];
                const my::pointd& c2 = curve.points[i + 1];
                const my::pointd& p3 = curve.points[i + 2];
                Include(box, p3);
                double t[2];
                const int nx = CubicExtremes(current.x, c1.x, c2.x, p3.x, t);
                for (int k = 0; k < nx; ++k) {
                    Include(box, {CubicAt(current.x, c1.x, c2.x, p3.x, t[k]), current.y});
                }
                const int ny = CubicExtremes(current.y, c1.y, c2.y, p3.y, t);
                for (int k = 0; k < ny; ++k) {
                    Include(box, {current.x, CubicAt(current.y, c1.y, c2.y, p3.y, t[k])});
                }
                current = p3;
            }
        }
    }
    return bounds;
}

void TransformOutline(CGlyphOutline& outline, double scale, double shear) {
    const auto map = [scale, shear](my::pointd& p) {
        p = {scale * (p.x + shear * p.y), scale * p.y};
    };
    for (CPolygon& polygon : outline) {
        map(polygon.start);
        for (CCurve& curve : polygon.curves) {
            std::for_each(curve.points.begin(), curve.points.end(), map);
        }
    }
}

} // namespace font
