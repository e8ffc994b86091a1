#include "common/error.h"
#include "common/message_ids.h"
#include "platform/font_outline.h"
#include "support/failure.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

using font::CurveType;
using font::PointTag;
using my::pointd;

constexpr PointTag On = PointTag::On;
constexpr PointTag Q = PointTag::Conic;
constexpr PointTag C = PointTag::Cubic;

pointd Quadratic(const pointd& p0, const pointd& q, const pointd& p2, double t) {
    const double u = 1 - t;
    return p0 * (u * u) + q * (2 * u * t) + p2 * (t * t);
}

pointd Cubic(const pointd& p0, const pointd& c1, const pointd& c2, const pointd& p3, double t) {
    const double u = 1 - t;
    return p0 * (u * u * u) + c1 * (3 * u * u * t) + c2 * (3 * u * t * t) + p3 * (t * t * t);
}

font::CGlyphOutline Convert(const std::vector<pointd>& points, const std::vector<PointTag>& tags,
                            const std::vector<std::size_t>& ends) {
    return font::ConvertContours(points, tags, ends);
}

std::uint32_t ConvertFailure(const std::vector<pointd>& points, const std::vector<PointTag>& tags,
                             const std::vector<std::size_t>& ends = {3}) {
    return std::uint32_t(morvane::test::FailureId([&] { Convert(points, tags, ends); }));
}

void ExpectNear(const pointd& a, const pointd& b, double tolerance = 1e-12) {
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
}

TEST(QuadraticToCubic, SameCurveAtEveryParameter) {
    const pointd p0{-3.5, 7.25}, q{120.0, -40.0}, p2{64.0, 1000.5};
    const auto [c1, c2] = font::ElevateQuadratic(p0, q, p2);
    for (const double t : {0.0, 0.1, 0.25, 0.5, 0.7, 0.9, 1.0}) {
        ExpectNear(Cubic(p0, c1, c2, p2, t), Quadratic(p0, q, p2, t), 1e-9);
    }
}

TEST(ContourConversion, ImpliedPointsBetweenQuadraticControls) {
    // on, control, control, on: the implied point lies midway between the controls.
    const std::vector<pointd> points{{0, 0}, {0, 100}, {100, 100}, {100, 0}};
    const auto outline = Convert(points, {On, Q, Q, On}, {3});
    ASSERT_EQ(outline.size(), 1u);
    EXPECT_EQ(outline[0].start, pointd(0, 0));
    ASSERT_EQ(outline[0].curves.size(), 1u);
    const font::CCurve& curve = outline[0].curves[0];
    EXPECT_EQ(curve.type, CurveType::Cubic);
    ASSERT_EQ(curve.points.size(), 6u);
    const pointd middle{50, 100};
    EXPECT_EQ(curve.points[2], middle);
    EXPECT_EQ(curve.points[5], pointd(100, 0));
    for (const double t : {0.2, 0.5, 0.8}) {
        ExpectNear(Cubic({0, 0}, curve.points[0], curve.points[1], middle, t),
                   Quadratic({0, 0}, {0, 100}, middle, t));
        ExpectNear(Cubic(middle, curve.points[3], curve.points[4], {100, 0}, t),
                   Quadratic(middle, {100, 100}, {100, 0}, t));
    }
}

TEST(ContourConversion, CubicsPassThroughAndContoursStaySeparate) {
    const std::vector<pointd> points{{0, 0},  {0, 5},  {5, 10}, {10, 10},
                                     {10, 0}, {20, 0}, {20, 1}, {21, 1}};
    const auto outline = Convert(points, {On, C, C, On, On, On, On, On}, {4, 7});
    ASSERT_EQ(outline.size(), 2u);
    ASSERT_EQ(outline[0].curves.size(), 2u);
    EXPECT_EQ(outline[0].curves[0].type, CurveType::Cubic);
    EXPECT_EQ(outline[0].curves[0].points, (std::vector<pointd>{{0, 5}, {5, 10}, {10, 10}}));
    EXPECT_EQ(outline[0].curves[1].points, std::vector<pointd>{pointd(10, 0)});
    // The closing straight piece is implied.
    EXPECT_EQ(outline[1].start, pointd(20, 0));
    ASSERT_EQ(outline[1].curves.size(), 1u);
    EXPECT_EQ(outline[1].curves[0].type, CurveType::Line);
    EXPECT_EQ(outline[1].curves[0].points, (std::vector<pointd>{{20, 1}, {21, 1}}));
}

TEST(ContourConversion, DegenerateContoursAndPiecesAreDropped) {
    const std::vector<pointd> points{{5, 5}, {1, 1}, {1, 1}, {3, 1}};
    const auto outline = Convert(points, {On, On, On, On}, {0, 3});
    ASSERT_EQ(outline.size(), 1u); // the one-point contour draws nothing
    EXPECT_EQ(outline[0].curves[0].points, std::vector<pointd>{pointd(3, 1)});
}

TEST(ContourConversion, UnconvertibleMixturesFail) {
    const std::vector<pointd> four{{0, 0}, {1, 1}, {2, 1}, {3, 0}};
    EXPECT_EQ(ConvertFailure(four, {On, Q, C, On}), IDS_QUADRATIC_SPLINE_UNSUPPORTED);
    EXPECT_EQ(ConvertFailure(four, {On, C, Q, On}), IDS_CUBIC_POINTS_TOO_FEW);
    EXPECT_EQ(ConvertFailure(four, {On, C, On, On}), IDS_CUBIC_POINTS_TOO_FEW);
    EXPECT_EQ(ConvertFailure(four, {On, C, C, C}), IDS_CUBIC_POINTS_TOO_FEW);
    EXPECT_EQ(ConvertFailure(four, {C, C, C, C}), IDS_CUBIC_POINTS_TOO_FEW);
    // Contour ends out of order or past the points.
    EXPECT_EQ(ConvertFailure(four, {On, On, On, On}, {2, 1}), IDS_INTERNAL_ERROR);
    EXPECT_THROW(Convert(four, {On, On, On, On}, {4}), my::CException);
}

TEST(OutlineBounds, CurveExtremesNotControlPoints) {
    font::CGlyphOutline outline(1);
    outline[0].start = {0, 0};
    outline[0].curves.push_back({CurveType::Cubic, {{0, 10}, {10, 10}, {10, 0}}});
    const auto box = font::OutlineBounds(outline);
    ASSERT_TRUE(box);
    EXPECT_DOUBLE_EQ(box->top, 7.5); // the curve's peak, below its controls at 10
    EXPECT_DOUBLE_EQ(box->bottom, 0);
    EXPECT_DOUBLE_EQ(box->left, 0);
    EXPECT_DOUBLE_EQ(box->right, 10);

    // A horizontal bulge past both end points.
    outline[0].curves[0] = {CurveType::Cubic, {{-4, 1}, {14, 1}, {10, 0}}};
    const auto wide = font::OutlineBounds(outline);
    ASSERT_TRUE(wide);
    EXPECT_LT(wide->left, 0);
    EXPECT_GT(wide->left, -4);
    EXPECT_GT(wide->right, 10);
    EXPECT_LT(wide->right, 14);
    EXPECT_FALSE(font::OutlineBounds({}));
}

} // namespace
