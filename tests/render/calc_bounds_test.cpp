// Bounds of what a model draws: exact Bezier extremes of areas, stroke outlines with caps and
// joins, fills inherited from layers, the areas-only and state filters.
#include "render/calc_bounds.h"
#include "render/model_builder.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

using namespace model_test;
using stroke::CBoundsRect;
using stroke::CCalcBounds;

CBoundsRect Bounds(const stroke::CFigure& root, CCalcBounds calc = CCalcBounds()) {
    return calc.Calc(root);
}

void ExpectRect(const CBoundsRect& r, double left, double top, double right, double bottom,
                double tolerance = 1e-9) {
    ASSERT_FALSE(r.empty);
    EXPECT_NEAR(r.left, left, tolerance);
    EXPECT_NEAR(r.top, top, tolerance);
    EXPECT_NEAR(r.right, right, tolerance);
    EXPECT_NEAR(r.bottom, bottom, tolerance);
}

// A closed egg of two cubic segments whose extremes lie inside the segments, not at points:
// the upper segment from (0, 0) to (10, 0) has handles at y = -8 (top at y = -6, the vertex
// of -24 t (1 - t)), the lower one handles at y = 4 (bottom at 3).
stroke::LinePartPtr Egg(double width = 0.0) {
    return Part({PtH(0, 0, width, {0, 4}, {0, -8}), PtH(10, 0, width, {10, -8}, {10, 4})}, true);
}

TEST(CalcBoundsTest, AreaBoundsTakeTheExactExtremesOfCurves) {
    auto model = Model({Line({Egg()}, {}, Mono(0, 0, 0))});
    ExpectRect(Bounds(*model), 0, -6, 10, 3);

    auto skew =
        Model({Line({Part({PtH(0, 0, 0, {0, 0}, {10, 0}), PtH(0, 10, 0, {0, 10}, {0, 10})}, true)},
                    {}, Mono(0, 0, 0))});
    // x(t) = 30 t (1 - t)^2 peaks at t = 1/3 with 30 · (1/3) · (4/9) = 40/9.
    ExpectRect(Bounds(*skew), 0, 0, 40.0 / 9.0, 10);
}

TEST(CalcBoundsTest, StrokeBoundsFollowTheCapTheJoinAndTheWidths) {
    const auto stroke = [](std::initializer_list<stroke::LinePointPtr> points, std::uint32_t cap,
                           std::uint32_t join = stroke::JOIN_MITER) {
        return Bounds(*Model({Line({Part(points)}, Mono(0, 0, 0), {}, cap, join)}));
    };
    ExpectRect(stroke({Pt(10, 10, 4), Pt(50, 10, 4)}, stroke::CAP_SQUARE), 8, 8, 52, 12, 1e-6);
    ExpectRect(stroke({Pt(10, 10, 4), Pt(50, 10, 4)}, stroke::CAP_ROUND), 8, 8, 52, 12, 0.05);
    ExpectRect(stroke({Pt(10, 10, 4), Pt(50, 10, 4)}, stroke::CAP_BUTT), 10, 8, 50, 12, 1e-6);

    // A right angle at (20, 0), width 2: the miter's corner reaches (21, -1); a bevel stops at
    // the stroke's sides. A sharp turn shows the difference: the miter's tip goes far beyond.
    for (std::uint32_t join : {stroke::JOIN_MITER, stroke::JOIN_BEVEL}) {
        ExpectRect(stroke({Pt(0, 0, 2), Pt(20, 0, 2), Pt(20, 20, 2)}, stroke::CAP_BUTT, join), 0,
                   -1, 21, 20, 1e-6);
    }
    EXPECT_GT(stroke({Pt(0, 0, 2), Pt(20, 0, 2), Pt(0, 4, 2)}, stroke::CAP_BUTT).right, 25.0);
    EXPECT_LT(stroke({Pt(0, 0, 2), Pt(20, 0, 2), Pt(0, 4, 2)}, stroke::CAP_BUTT, stroke::JOIN_BEVEL)
                  .right,
              21.1);

    // Variable widths are measured by their outline.
    ExpectRect(stroke({Pt(0, 0, 0), Pt(10, 0, 6), Pt(20, 0, 0)}, stroke::CAP_ROUND), 0, -3, 20, 3,
               1e-6);
}

TEST(CalcBoundsTest, FillsInEffectComeFromTheLineOrTheLayersAbove) {
    auto noFill = Line({Egg(2)});
    // Without any fill nothing is drawn, so nothing is measured.
    EXPECT_TRUE(Bounds(*Model({noFill})).empty);
    // A layer's area fill counts the area; its line fill, the stroke around it.
    ExpectRect(Bounds(*Model({Layer({Layer({noFill})}, {}, Mono(0, 0, 0))})), 0, -6, 10, 3);
    const CBoundsRect stroked = Bounds(*Model({Layer({noFill}, Mono(0, 0, 0))}));
    EXPECT_NEAR(stroked.left, -1, 1e-3);
    EXPECT_NEAR(stroked.top, -7, 0.05);
    // Only areas: the line fill is left out.
    EXPECT_TRUE(Bounds(*Model({Layer({noFill}, Mono(0, 0, 0))}),
                       CCalcBounds(stroke::FIGURE_LINE, stroke::STATE_HIDDEN, 0, true))
                    .empty);
    // The model's own fills are never drawn.
    auto model = Model({noFill});
    model->m_areaFill = Mono(0, 0, 0);
    EXPECT_TRUE(Bounds(*model).empty);
}

TEST(CalcBoundsTest, BadGeometryLeavesNoTrace) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    auto model = Model({Line({Part({Pt(0, 0, 2), Pt(nan, 5, 2)}), Part({Pt(7, 7, 2)}), Part({})},
                             Mono(0, 0, 0), Mono(0, 0, 0)),
                        Line({Rect(1, 1, 2, 2)}, {}, Mono(0, 0, 0))});
    const CBoundsRect r = Bounds(*model);
    ASSERT_FALSE(r.empty);
    EXPECT_TRUE(std::isfinite(r.left) && std::isfinite(r.right));
    EXPECT_LE(r.left, 0.0);
    EXPECT_GE(r.right, 2.0);
}

} // namespace
