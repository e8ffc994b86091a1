#include "render/text_glyph.h"

#include "common/error.h"
#include "common/message_ids.h"
#include "stroke/line_part.h"
#include "stroke/line_point.h"
#include "stroke/text.h"

#include <boost/make_shared.hpp>

namespace stroke {

namespace {

constexpr std::int32_t kQuadraticRecord = 2;

void AddTangent(CLinePoint& point, const my::pointd& position) {
    auto tangent = boost::make_shared<CTangentPoint>(position.x, position.y);
    tangent->SetParent(&point);
    point.m_tangents.push_back(std::move(tangent));
}

// A line point with handle 0 (incoming) and handle 1 (outgoing).
LinePointPtr MakePoint(const my::pointd& position, const my::pointd& in, const my::pointd& out,
                       double width) {
    auto point = boost::make_shared<CLinePoint>(position.x, position.y, width);
    AddTangent(*point, in);
    AddTangent(*point, out);
    return point;
}

void AddPoint(CLinePart& part, LinePointPtr point) {
    point->SetParent(&part);
    part.m_points.push_back(std::move(point));
}

std::vector<CContourPoint> Contour(const font::CPolygon& polygon) {
    std::vector<CContourPoint> points{{polygon.start, polygon.start, polygon.start}};
    for (const font::CCurve& curve : polygon.curves) {
        switch (static_cast<std::int32_t>(curve.type)) {
        case static_cast<std::int32_t>(font::CurveType::Line):
            for (const my::pointd& p : curve.points) {
                points.push_back({p, p, p});
            }
            break;
        case static_cast<std::int32_t>(font::CurveType::Cubic):
            if (curve.points.size() % 3 != 0) {
                throw my::CException(IDS_CUBIC_POINTS_TOO_FEW);
            }
            for (std::size_t i = 0; i < curve.points.size(); i += 3) {
                points.back().out = curve.points[i];
                const my::pointd& end = curve.points[i + 2];
                points.push_back({end, curve.points[i + 1], end});
            }
            break;
        case kQuadraticRecord:
            throw my::CException(IDS_QUADRATIC_SPLINE_UNSUPPORTED);
        default:
            throw my::CException(IDS_CURVE_TYPE_UNKNOWN);
        }
    }
    // The closing piece is implied; an end point on the start would add a segment of no length
    // there. Two points are kept at least, so a contour of one closed curve stays two points.
    if (points.size() > 2 && points.back().position == points.front().position) {
        points.front().in = points.back().in;
        points.pop_back();
    }
    return points;
}

} // namespace

CGlyphTransform PlaceGlyph(const my::pointd& p, const my::pointd& t, double a, double b, double m) {
    const my::pointd n{-t.y, t.x};
    const double k = -a - b / 2.0; // moves the black box's middle to x = 0
    CGlyphTransform g;
    g.m11 = n.y / m;
    g.m12 = -n.x / m;
    g.m21 = -n.x / m;
    g.m22 = -n.y / m;
    g.dx = p.x + (n.y / m) * k;
    g.dy = p.y - (n.x / m) * k;
    return g;
}

std::vector<std::vector<CContourPoint>> OutlineContours(const font::CGlyphOutline& outline) {
    std::vector<std::vector<CContourPoint>> contours;
    contours.reserve(outline.size());
    for (const font::CPolygon& polygon : outline) {
        contours.push_back(Contour(polygon));
    }
    return contours;
}

LinePtr MakeGlyphLine(const font::CGlyphOutline& outline, const CGlyphTransform& transform,
                      const CText& text) {
    auto line = boost::make_shared<CLine>();
    for (const auto& contour : OutlineContours(outline)) {
        auto part = boost::make_shared<CLinePart>();
        part->m_partFlags = CLinePart::PART_CLOSED;
        for (const CContourPoint& p : contour) {
            AddPoint(*part, MakePoint(transform.Apply(p.position), transform.Apply(p.in),
                                      transform.Apply(p.out), text.m_width));
        }
        part->SetParent(line.get());
        line->m_parts.push_back(std::move(part));
    }
    TakeTextStyle(*line, text);
    return line;
}

void TakeTextStyle(CLine& line, const CText& text) {
    line.m_lineFill = text.m_lineFill;
    line.m_areaFill = text.m_areaFill;
    line.m_lineCap = text.m_lineCap;
    line.m_lineJoin = text.m_lineJoin;
}

} // namespace stroke
