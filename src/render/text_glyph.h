// The figures of a laid-out character: its glyph outline (font units, y up) placed on the
// baseline and turned into a stroke::CLine of closed line parts in model units.
#pragma once

#include "common/point.h"
#include "platform/font_outline.h"
#include "stroke/line.h"

#include <vector>

namespace stroke {

class CText;

// The affine map of a glyph into the model: (x, y) -> (m11 x + m21 y + dx, m12 x + m22 y + dy).
struct CGlyphTransform {
    double m11 = 1, m12 = 0, m21 = 0, m22 = 1, dx = 0, dy = 0;

    my::pointd Apply(const my::pointd& p) const {
        return {m11 * p.x + m21 * p.y + dx, m12 * p.x + m22 * p.y + dy};
    }
};

// Scales font units by 1/m, turns the glyph's x axis into the direction t and its up (+y) into
// the left of t as seen on the page (-n with n = (-t.y, t.x): in the model's y-down space, for
// t = (1, 0) that is -y), and shifts it so that the middle of the black box (x = A + B/2) sits
// on p. Widths need no scaling: the points come out in model units.
CGlyphTransform PlaceGlyph(const my::pointd& p, const my::pointd& t, double a, double b, double m);

// One closed point sequence of an outline: positions with their incoming and outgoing handles.
struct CContourPoint {
    my::pointd position;
    my::pointd in;
    my::pointd out;
};

// The contours of an outline as closed point sequences, still in font units. Straight pieces
// give points whose handles lie on them; a cubic piece sets the outgoing handle of the point
// before it and the incoming handle of its end point. A contour that ends on its start point
// (it closes with a curve) has that last point merged into the first. Record types other than
// straight and cubic fail with IDS_QUADRATIC_SPLINE_UNSUPPORTED (quadratic) or
// IDS_CURVE_TYPE_UNKNOWN; cubic records whose point count is not a multiple of three with
// IDS_CUBIC_POINTS_TOO_FEW.
std::vector<std::vector<CContourPoint>> OutlineContours(const font::CGlyphOutline& outline);

// The line of a character: one closed part per contour, points through the transform, with
// the text's width at every point, and the text's fills, cap and join. A glyph without contours
// (a space) gives a line without parts.
LinePtr MakeGlyphLine(const font::CGlyphOutline& outline, const CGlyphTransform& transform,
                      const CText& text);

// Gives a line the text's fills, cap and join.
void TakeTextStyle(CLine& line, const CText& text);

} // namespace stroke
