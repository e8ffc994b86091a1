#include "coverage.h"
#include "outline/outline.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <numbers>
#include <string>

namespace {

using namespace outline_test;

outline::Style StyleOf(std::uint32_t cap, std::uint32_t join, double miterLimit = 10.0) {
    outline::Style style;
    style.cap = cap;
    style.join = join;
    style.miterLimit = miterLimit;
    return style;
}

constexpr std::uint32_t kRound = 1, kButt = 2, kSquare = 4; // cap flags
constexpr std::uint32_t kMiter = 2, kBevel = 4;             // join flags

Part Open(std::vector<CtrlPoint> points) {
    return {std::move(points), false};
}

// A smooth closed ring of n points around (cx, cy).
Part Ring(int n, double cx, double cy, double r, double width) {
    Part part;
    part.closed = true;
    for (int i = 0; i < n; ++i) {
        const double a = 2.0 * std::numbers::pi * i / n;
        part.points.push_back(Corner(cx + r * std::cos(a), cy + r * std::sin(a), width));
    }
    return Smoothed(part);
}

struct Shape {
    std::string name;
    Part part;
    double step; // grid spacing of the check
};

// Lines of constant width 10 that a round stroke must cover exactly.
std::vector<Shape> ConstantWidthShapes() {
    const double w = 10.0;
    std::vector<Shape> shapes;
    Part wave;
    for (int i = 0; i < 7; ++i) {
        wave.points.push_back(Corner(i * 12.0, 15.0 * std::sin(i * 1.1), w));
    }
    shapes.push_back({"S-shaped", Smoothed(wave), 0.6});
    shapes.push_back(
        {"reversal", Open({Corner(0, 0, w), Corner(50, 0, w), Corner(20, 0, w)}), 0.5});
    // Handles between two points at one position draw a loop.
    shapes.push_back({"coincident loop",
                      Open({Corner(0, 0, w), Handles(30, 0, w, {30, 0}, {60, -30}),
                            Handles(30, 0, w, {60, 30}, {30, 0}), Corner(20, 30, w)}),
                      0.6});
    // Turns tighter than the half width inside one segment: the inner side folds.
    shapes.push_back(
        {"tight arc",
         Open({Handles(0, 0, w, {0, 0}, {0, -12}), Handles(12, 0, w, {12, -12}, {12, 0})}), 0.4});
    shapes.push_back(
        {"cusp", Open({Handles(0, 0, w, {0, 0}, {60, 30}), Handles(60, 0, w, {0, 30}, {60, 0})}),
         0.6});
    shapes.push_back({"ring", Ring(8, 0, 0, 30, w), 0.6});
    shapes.push_back({"small ring", Ring(5, 0, 0, 4, w), 0.3});
    return shapes;
}

TEST(BuildOutline, RoundStrokeCoversExactlyTheLineGrownByHalfItsWidth) {
    for (const Shape& shape : ConstantWidthShapes()) {
        const auto figures = outline::BuildOutlines(shape.part, StyleOf(kRound, kRound));
        ASSERT_FALSE(figures.empty()) << shape.name;
        const StrokeCheck check = CheckRoundStroke(figures, shape.part, 5.0, 0.25, shape.step);
        EXPECT_GT(check.checked, 1000) << shape.name;
        EXPECT_EQ(check.holes, 0) << shape.name;
        EXPECT_EQ(check.spill, 0) << shape.name;
        EXPECT_EQ(check.negative, 0) << shape.name;
        if (shape.name == "ring") {
            // An outer loop and a hole turning the other way; no seam at the first point.
            ASSERT_EQ(figures.size(), 2u);
            EXPECT_GT(outline::SignedArea(figures[0]), 0.0);
            EXPECT_LT(outline::SignedArea(figures[1]), 0.0);
        }
    }
}

TEST(BuildOutline, HugeWidthOnASmallCurveStaysCovered) {
    const Part part =
        Open({Handles(0, 0, 400, {0, 0}, {30, -30}), Handles(20, 10, 400, {10, 50}, {20, 10})});
    const auto figures = outline::BuildOutlines(part, StyleOf(kRound, kRound));
    const StrokeCheck check = CheckRoundStroke(figures, part, 200.0, 1.0, 6.0);
    EXPECT_EQ(check.holes, 0);
    EXPECT_EQ(check.spill, 0);
    EXPECT_EQ(check.negative, 0);
}

TEST(BuildOutline, CapsShapeTheOpenEnds) {
    // A horizontal line of width 10 from (0, 0) to (60, 0); the start cap lies at x < 0.
    const Part line = Open({Corner(0, 0, 10), Corner(60, 0, 10)});
    const Coverage butt(outline::BuildOutlines(line, StyleOf(kButt, kRound)));
    EXPECT_TRUE(butt.Inside({0.3, 4.7}));
    EXPECT_FALSE(butt.Inside({-0.3, 0}));
    EXPECT_FALSE(butt.Inside({0.3, 5.3}));

    const Coverage square(outline::BuildOutlines(line, StyleOf(kSquare, kRound)));
    EXPECT_TRUE(square.Inside({64.7, -4.7}));
    EXPECT_FALSE(square.Inside({-5.3, 0}));

    const Coverage round(outline::BuildOutlines(line, StyleOf(kRound, kRound)));
    EXPECT_TRUE(round.Inside({-4.7, 0}));
    EXPECT_FALSE(round.Inside({-3.7, -3.7}));
}

TEST(BuildOutline, JoinsShapeTheOuterCorner) {
    // From (0, 0) right to (50, 0), then back up-left to (0, 30): the outer side of the
    // corner points along +x, away from the 31 degree angle between the segments.
    const Part vee = Open({Corner(0, 0, 10), Corner(50, 0, 10), Corner(0, 30, 10)});
    const outline::Point corner{50, 0};
    const outline::Point inward =
        outline::Normalized(outline::Point{-1, 0} + outline::Normalized({-50, 30}));
    const double tip = 5.0 / std::sin(std::atan2(30.0, 50.0) / 2.0); // miter length over 2
    auto along = [&](double distance) { return corner - inward * distance; };

    const Coverage miter(outline::BuildOutlines(vee, StyleOf(kButt, kMiter)));
    EXPECT_TRUE(miter.Inside(along(tip - 0.3)));
    EXPECT_FALSE(miter.Inside(along(tip + 0.3)));

    // A limit below the miter's 3.7 widths bevels the corner like a bevel join: the chord
    // between the outer edges passes 5 cos(74.5 degrees) = 1.34 beyond the corner point.
    const Coverage beveled(outline::BuildOutlines(vee, StyleOf(kButt, kMiter, 3.0)));
    EXPECT_TRUE(beveled.Inside(along(1.1)));
    EXPECT_FALSE(beveled.Inside(along(1.6)));

    const Coverage round(outline::BuildOutlines(vee, StyleOf(kButt, kRound)));
    EXPECT_FALSE(round.Inside(along(5.3)));
}

TEST(BuildOutline, WidthGrowsAlongTheLengthAndComesToAPointAtZero) {
    const Part line = Open({Corner(0, 0, 0), Corner(50, 0, 20), Corner(100, 0, 0)});
    const Coverage c(outline::BuildOutlines(line, StyleOf(kRound, kRound)));
    for (double x : {10.0, 50.0, 75.0}) {
        const double half = x <= 50.0 ? x / 5.0 : (100.0 - x) / 5.0;
        EXPECT_TRUE(c.Inside({x, half - 0.2})) << x;
        EXPECT_TRUE(c.Inside({x, -(half - 0.2)})) << x;
        EXPECT_FALSE(c.Inside({x, half + 0.2})) << x;
        EXPECT_FALSE(c.Inside({x, -(half + 0.2)})) << x;
    }
    // Pointed ends: no cap beyond a point of width 0.
    EXPECT_FALSE(c.Inside({-0.3, 0.0}));
    EXPECT_FALSE(c.Inside({100.3, 0.0}));

    // Linear in the arc length between two points, also along a curve: a half circle of
    // radius 50 whose width grows from 4 to 24.
    const double k = 50.0 * 4.0 / 3.0 * (std::sqrt(2.0) - 1.0);
    const Part bow =
        Open({Handles(-50, 0, 4, {-50, 0}, {-50, -k}), Handles(0, -50, 14, {-k, -50}, {k, -50}),
              Handles(50, 0, 24, {50, -k}, {50, 0})});
    const Coverage b(outline::BuildOutlines(bow, StyleOf(kButt, kRound)));
    for (double quarter : {0.25, 0.75}) {
        const double a = std::numbers::pi * (1.0 + quarter);
        const double half = (4.0 + 20.0 * quarter) / 2.0;
        const outline::Point u{std::cos(a), std::sin(a)};
        EXPECT_TRUE(b.Inside(u * (50.0 + half - 0.3))) << quarter;
        EXPECT_TRUE(b.Inside(u * (50.0 - half + 0.3))) << quarter;
        EXPECT_FALSE(b.Inside(u * (50.0 + half + 0.3))) << quarter;
        EXPECT_FALSE(b.Inside(u * (50.0 - half - 0.3))) << quarter;
    }
}

TEST(BuildOutline, CoincidentPointsWithTwoWidthsJoinWithoutGap) {
    // Width 10 into the corner at (50, 0), width 30 out of it, downwards.
    const Part step =
        Open({Corner(0, 0, 10), Corner(50, 0, 10), Corner(50, 0, 30), Corner(50, 50, 30)});
    for (std::uint32_t join : {kRound, kMiter, kBevel}) {
        const Coverage c(outline::BuildOutlines(step, StyleOf(kButt, join)));
        EXPECT_TRUE(c.Inside({64.7, 0.5})) << join;
        EXPECT_TRUE(c.Inside({52, -3})) << join;
        EXPECT_FALSE(c.Inside({40, -5.3})) << join;
    }
}

TEST(BuildOutline, ZeroWidthPointSplitsAClosedRing) {
    Part ring = Ring(6, 0, 0, 40, 10);
    ring.points[2].width = 0.0;
    const auto figures = outline::BuildOutlines(ring, StyleOf(kRound, kRound));
    ASSERT_EQ(figures.size(), 1u);
    const Coverage c(figures);
    EXPECT_FALSE(c.Inside(ring.points[2].pos + outline::Point{0.5, 0.5}));
    EXPECT_TRUE(c.Inside(ring.points[5].pos + outline::Point{0, 4.5}));
    EXPECT_TRUE(c.Inside(ring.points[5].pos - outline::Point{0, 4.5}));
}

TEST(BuildOutline, BadInputGivesNoFigureAndNeverHangs) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const auto style = StyleOf(kRound, kRound);
    EXPECT_TRUE(outline::BuildOutlines(Open({Corner(0, 0, 5), Corner(nan, 3, 5)}), style).empty());
    EXPECT_TRUE(
        outline::BuildOutlines(Open({Corner(0, 0, 5), Corner(1e300, 3, 5)}), style).empty());
    Part handle = Open({Corner(0, 0, 5), Corner(10, 3, 5)});
    handle.points[0].out.x = -inf;
    EXPECT_TRUE(outline::BuildOutlines(handle, style).empty());

    // A NaN run is skipped, the run beside it is still drawn.
    const Part mixed = Open(
        {Corner(0, 0, 5), Corner(nan, 0, 5), Corner(20, 0, 0), Corner(30, 0, 5), Corner(40, 0, 5)});
    const auto figures = outline::BuildOutlines(mixed, style);
    ASSERT_EQ(figures.size(), 1u);
    EXPECT_TRUE(Coverage(figures).Inside({35, 0}));

    // Negative widths are drawn as 0; a useless tolerance falls back to the default.
    const Part negative = Open({Corner(0, 0, 10), Corner(30, 0, -4), Corner(60, 0, 10)});
    const Coverage pinched(outline::BuildOutlines(negative, style));
    EXPECT_TRUE(pinched.Inside({3, 4}));
    EXPECT_FALSE(pinched.Inside({30, 1}));
    for (double tolerance : {0.0, -1.0, nan}) {
        auto odd = style;
        odd.tolerance = tolerance;
        EXPECT_FALSE(outline::BuildOutlines(ConstantWidthShapes()[0].part, odd).empty());
    }
}

TEST(BuildOutline, CapAndJoinFlags) {
    // Of mixed flags the lowest known bit wins; without one the shape is round.
    const std::pair<std::uint32_t, outline::Cap> caps[] = {
        {4, outline::Cap::Square}, {0, outline::Cap::Round}, {6, outline::Cap::Butt}};
    for (const auto& [flags, cap] : caps) {
        EXPECT_EQ(outline::CapFromFlags(flags), cap) << flags;
    }
    const std::pair<std::uint32_t, outline::Join> joins[] = {
        {4, outline::Join::Bevel}, {8, outline::Join::Round}, {6, outline::Join::Miter}};
    for (const auto& [flags, join] : joins) {
        EXPECT_EQ(outline::JoinFromFlags(flags), join) << flags;
    }
}

} // namespace
