#include "outline/run.h"

#include <cmath>
#include <gtest/gtest.h>
#include <initializer_list>
#include <vector>

namespace {

outline::CtrlPoint Corner(double x, double y, double width) {
    return {{x, y}, {x, y}, {x, y}, width};
}

using Indices = std::vector<std::size_t>;

// A part of points along x (one apart) with the given widths.
outline::Part Widths(std::initializer_list<double> widths, bool closed = false) {
    outline::Part part;
    part.closed = closed;
    double x = 0.0;
    for (double w : widths) {
        part.points.push_back(Corner(x, x * x / 10.0, w));
        x += 1.0;
    }
    return part;
}

TEST(CutRuns, ZeroWidthPointEndsOneRunAndBeginsTheNext) {
    const auto runs = outline::CutRuns(Widths({0, 2, 2, 0, 2, 2}));
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].source, (Indices{0, 1, 2, 3}));
    EXPECT_EQ(runs[1].source, (Indices{3, 4, 5}));
    EXPECT_FALSE(runs[0].closed);
    EXPECT_FALSE(runs[1].closed);
    EXPECT_EQ(runs[1].points[0].pos, (my::pointd{3, 0.9}));
}

TEST(CutRuns, OpenPartWithoutZeroIsOneOpenRun) {
    const auto runs = outline::CutRuns(Widths({1, 2, 3, 4}));
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].source, (Indices{0, 1, 2, 3}));
    EXPECT_FALSE(runs[0].closed);
    EXPECT_EQ(runs[0].SegmentCount(), 3u);
}

TEST(CutRuns, ClosedPartWrapsFromItsFirstZeroPoint) {
    auto runs = outline::CutRuns(Widths({2, 0, 2, 2}, true));
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].source, (Indices{1, 2, 3, 0, 1}));
    EXPECT_FALSE(runs[0].closed);

    runs = outline::CutRuns(Widths({2, 0, 2, 0, 2}, true));
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].source, (Indices{1, 2, 3}));
    EXPECT_EQ(runs[1].source, (Indices{3, 4, 0, 1}));

    // Without a zero-width point the whole part is one closed run.
    runs = outline::CutRuns(Widths({2, 3, 2}, true));
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].source, (Indices{0, 1, 2}));
    EXPECT_TRUE(runs[0].closed);
    EXPECT_EQ(runs[0].SegmentCount(), 3u);
}

TEST(CutRuns, NothingToDraw) {
    EXPECT_TRUE(outline::CutRuns(Widths({0, 0, 0})).empty());
    EXPECT_TRUE(outline::CutRuns(Widths({0, 0, 0}, true)).empty());
    EXPECT_TRUE(outline::CutRuns(Widths({5})).empty());
    EXPECT_TRUE(outline::CutRuns(Widths({})).empty());
    // Two zero-width points around nothing: the stretch between them is empty.
    EXPECT_EQ(outline::CutRuns(Widths({0, 0, 3, 0, 0})).size(), 1u);
}

TEST(CutRuns, RunOfThreeCoincidentPointsIsDropped) {
    outline::Part part;
    part.points = {Corner(5, 5, 2), Corner(5, 5, 2), Corner(5, 5, 2)};
    EXPECT_TRUE(outline::CutRuns(part).empty());
    part.closed = true;
    EXPECT_TRUE(outline::CutRuns(part).empty());
    // Two points at one position are dropped, two apart are kept.
    part.points.resize(2);
    part.closed = false;
    EXPECT_TRUE(outline::CutRuns(part).empty());
    part.points[1].pos.x = 6;
    EXPECT_EQ(outline::CutRuns(part).size(), 1u);
}

TEST(CutRuns, CoincidentGroupKeepsTheHandlesLeadingInAndOut) {
    outline::Part part;
    part.points = {Corner(0, 0, 2), Corner(10, 0, 2), Corner(10, 0, 3), Corner(10, 0, 4),
                   Corner(10, 10, 2)};
    part.points[1].in = {8, 1};
    part.points[3].out = {11, 4};
    const auto runs = outline::CutRuns(part);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].source, (Indices{0, 1, 3, 4}));
    EXPECT_EQ(runs[0].points[1].in, (my::pointd{8, 1}));
    EXPECT_EQ(runs[0].points[2].out, (my::pointd{11, 4}));
}

TEST(CutRuns, ClosedRunCleansAcrossTheWrap) {
    outline::Part part;
    part.closed = true;
    part.points = {Corner(0, 0, 2), Corner(10, 0, 2), Corner(10, 10, 2), Corner(0, 0, 2),
                   Corner(0, 0, 2)};
    const auto runs = outline::CutRuns(part);
    ASSERT_EQ(runs.size(), 1u);
    // Points 3, 4, 0 share a position: 3 and 0 stay, 4 goes.
    EXPECT_EQ(runs[0].source, (Indices{0, 1, 2, 3}));
    EXPECT_TRUE(runs[0].closed);
}

TEST(CutRuns, OnlyExactZeroCuts) {
    const auto runs = outline::CutRuns(Widths({2, -1, 1e-300, NAN, 2}));
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].points.size(), 5u);
}

} // namespace
