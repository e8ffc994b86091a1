// Glyph outlines in cubic form (closed contours of straight and cubic Bezier records, font
// units, y up) and their construction from a contour list of on-curve, quadratic and cubic points.
#pragma once

#include "common/point.h"

#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace font {

// Record types keep the numbers of the outline format the text layout reads. Quadratic pieces
// are always converted to cubic ones, so type 2 never appears in an outline of ours.
enum class CurveType : std::int32_t { Line = 1, Cubic = 3 };

// One run of pieces of the same type. Line: every point ends a straight piece. Cubic: points
// come in threes (first control, second control, end point).
struct CCurve {
    CurveType type = CurveType::Line;
    std::vector<my::pointd> points;
};

// A closed contour. The straight piece from the last point back to the start is implied and
// never recorded; a contour that closes with a curve ends on a point equal to its start.
struct CPolygon {
    my::pointd start;
    std::vector<CCurve> curves;
};

using CGlyphOutline = std::vector<CPolygon>;

// Kinds of the points of a TrueType/CFF contour list.
enum class PointTag : std::uint8_t {
    On,    // on the curve
    Conic, // quadratic control; two in a row imply an on-curve point midway
    Cubic, // cubic control; they come in pairs between on-curve points
};

// Converts contours given as points, their tags and the index of each contour's last point.
// Contours may start on a control point (the walk starts at the first on-curve point, or for
// a contour of quadratic controls only at the midpoint of its last and first points).
// Quadratic pieces become cubic ones exactly. Straight pieces of zero length and contours
// without any piece are dropped. A quadratic control followed by a cubic one fails with
// IDS_QUADRATIC_SPLINE_UNSUPPORTED (the quadratic piece has no end point); cubic controls that are
// not a pair before an on-curve point, or a contour of cubic controls only, fail with
// IDS_CUBIC_POINTS_TOO_FEW. Contour ends out of order or out of range are an internal error.
// FreeType's TrueType and CFF loaders never produce the failing mixtures.
CGlyphOutline ConvertContours(std::span<const my::pointd> points, std::span<const PointTag> tags,
                              std::span<const std::size_t> contourEnds);

// The cubic control points of the quadratic Bezier (p0, q, p2): the same curve, exactly.
std::pair<my::pointd, my::pointd> ElevateQuadratic(const my::pointd& p0, const my::pointd& q,
                                                   const my::pointd& p2);

struct CBox {
    double left = 0;
    double bottom = 0;
    double right = 0;
    double top = 0;
};

// The exact bounds of the drawn outline (curve extremes, not control points); nothing for an
// outline without pieces.
std::optional<CBox> OutlineBounds(const CGlyphOutline& outline);

// Maps every point (x, y) to (scale * (x + shear * y), scale * y): the scaling from design
// units to the requested em and the lean of a synthesised oblique.
void TransformOutline(CGlyphOutline& outline, double scale, double shear);

} // namespace font
