#include "common/error.h"
#include "common/message_ids.h"
#include "render/model_builder.h"
#include "render/text_baseline.h"
#include "render/text_glyph.h"
#include "render/text_layout.h"
#include "stroke/figures.h"
#include "stroke/tree_builder.h"
#include "support/failure.h"

#include <boost/make_shared.hpp>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

using model_test::Part;
using model_test::Pt;
using morvane::test::FailureId;
using my::pointd;
using stroke::CTextBaseline;

void ExpectNear(const pointd& actual, const pointd& expected, double tolerance = 1e-9) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
}

TEST(TextBaseline, LengthsPointsAndStraightContinuation) {
    const auto part = Part({Pt(0, 0), Pt(30, 40), Pt(30, 60)});
    const CTextBaseline baseline(*part, {1, 0});
    EXPECT_NEAR(baseline.Length(), 70.0, 1e-9);

    ExpectNear(baseline.At(25).point, {15, 20});
    ExpectNear(baseline.At(60).point, {30, 50});
    ExpectNear(baseline.At(60).direction, {0, 1});
    // Past either end: straight on along the end's direction.
    ExpectNear(baseline.At(100).point, {30, 90});
    ExpectNear(baseline.At(-10).point, {-6, -8});
    ExpectNear(baseline.At(std::numeric_limits<double>::quiet_NaN()).point, {0, 0});

    // A closed part includes its closing segment.
    const auto square = Part({Pt(0, 0), Pt(10, 0), Pt(10, 10), Pt(0, 10)}, true);
    ExpectNear(CTextBaseline(*square, {1, 0}).At(35).point, {0, 5});
}

TEST(TextBaseline, DegenerateAndBadPartsStillGivePlaces) {
    const auto empty = boost::make_shared<stroke::CLinePart>();
    const CTextBaseline none(*empty, {0, 1});
    EXPECT_EQ(none.Length(), 0.0);
    ExpectNear(none.At(5).point, {0, 5});
    ExpectNear(none.At(5).direction, {0, 1});

    const auto same = Part({Pt(7, 8), Pt(7, 8)});
    ExpectNear(CTextBaseline(*same, {1, 0}).At(2).point, {9, 8});
    EXPECT_EQ(CTextBaseline::ChordDirection(*same), pointd{});

    // A point that is not finite is left out instead of spreading into every position.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const auto bad = Part({Pt(0, 0), Pt(nan, 5), Pt(10, 0)});
    const CTextBaseline skipping(*bad, {1, 0});
    EXPECT_NEAR(skipping.Length(), 10.0, 1e-9);
    ExpectNear(skipping.At(4).point, {4, 0});
    EXPECT_EQ(CTextBaseline::ChordDirection(*bad), (pointd{1, 0}));
}

TEST(GlyphContours, StraightAndCubicRecordsBecomePointsWithHandles) {
    font::CPolygon polygon;
    polygon.start = {0, 0};
    polygon.curves.push_back({font::CurveType::Line, {{10, 0}}});
    polygon.curves.push_back({font::CurveType::Cubic, {{10, 5}, {5, 10}, {0, 10}}});
    // Closes with a curve: the end point repeats the start and is merged into it.
    polygon.curves.push_back({font::CurveType::Cubic, {{-5, 5}, {-5, 1}, {0, 0}}});
    const auto contours = stroke::OutlineContours({polygon});
    ASSERT_EQ(contours.size(), 1u);
    const auto& c = contours[0];
    ASSERT_EQ(c.size(), 3u);
    EXPECT_EQ(c[0].in, (pointd{-5, 1}));
    EXPECT_EQ(c[1].position, (pointd{10, 0}));
    EXPECT_EQ(c[1].in, (pointd{10, 0}));
    EXPECT_EQ(c[1].out, (pointd{10, 5}));
    EXPECT_EQ(c[2].in, (pointd{5, 10}));
    EXPECT_EQ(c[2].out, (pointd{-5, 5}));

    // A contour of one curve from the start back to it stays two points.
    font::CPolygon loop;
    loop.curves.push_back({font::CurveType::Cubic, {{5, 5}, {-5, 5}, {0, 0}}});
    EXPECT_EQ(stroke::OutlineContours({loop})[0].size(), 2u);
}

TEST(GlyphContours, MalformedRecordsFailWithTheirMessages) {
    const auto fails = [](font::CurveType type, std::vector<pointd> points) {
        font::CPolygon polygon;
        polygon.curves.push_back({type, std::move(points)});
        return FailureId([&] { stroke::OutlineContours({polygon}); });
    };
    EXPECT_EQ(fails(font::CurveType::Cubic, {{1, 1}, {2, 2}}), IDS_CUBIC_POINTS_TOO_FEW);
    EXPECT_EQ(fails(static_cast<font::CurveType>(2), {{1, 1}, {2, 2}}),
              IDS_QUADRATIC_SPLINE_UNSUPPORTED);
    EXPECT_EQ(fails(static_cast<font::CurveType>(7), {{1, 1}}), IDS_CURVE_TYPE_UNKNOWN);
}

} // namespace
