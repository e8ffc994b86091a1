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

// A part of points along x (one apart, on a parabola) with the given widths.
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

TEST(CutRuns, ZeroWidthPointsEndOneRunAndBeginTheNext) {
    struct Case {
        outline::Part part;
        std::vector<Indices> sources;
        bool closed; // of every run
    };
    const Case cases[] = {
        {Widths({0, 2, 2, 0, 2, 2}), {{0, 1, 2, 3}, {3, 4, 5}}, false},
        {Widths({1, 2, 3, 4}), {{0, 1, 2, 3}}, false},
        // A closed part wraps from its first zero-width point.
        {Widths({2, 0, 2, 2}, true), {{1, 2, 3, 0, 1}}, false},
        {Widths({2, 0, 2, 0, 2}, true), {{1, 2, 3}, {3, 4, 0, 1}}, false},
        {Widths({2, 3, 2}, true), {{0, 1, 2}}, true},
        // Nothing to draw; two zero-width points around nothing leave an empty stretch.
        {Widths({0, 0, 0}), {}, false},
        {Widths({0, 0, 0}, true), {}, false},
        {Widths({5}), {}, false},
        {Widths({}), {}, false},
        {Widths({0, 0, 3, 0, 0}), {{1, 2, 3}}, false},
        // Only an exact zero cuts.
        {Widths({2, -1, 1e-300, NAN, 2}), {{0, 1, 2, 3, 4}}, false},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        const auto runs = outline::CutRuns(cases[i].part);
        ASSERT_EQ(runs.size(), cases[i].sources.size());
        for (std::size_t r = 0; r < runs.size(); ++r) {
            EXPECT_EQ(runs[r].source, cases[i].sources[r]);
            EXPECT_EQ(runs[r].points.size(), runs[r].source.size());
            EXPECT_EQ(runs[r].closed, cases[i].closed);
        }
    }
    const auto runs = outline::CutRuns(Widths({0, 2, 2, 0, 2, 2}));
    EXPECT_EQ(runs[1].points[0].pos, (my::pointd{3, 0.9}));
    EXPECT_EQ(runs[1].SegmentCount(), 2u);
    EXPECT_EQ(outline::CutRuns(Widths({2, 3, 2}, true))[0].SegmentCount(), 3u);
}

TEST(CutRuns, CoincidentPointsAreThinnedToTheHandlesLeadingInAndOut) {
    // Three or two points at one position are no run, open or closed; two apart are.
    outline::Part part;
    part.points = {Corner(5, 5, 2), Corner(5, 5, 2), Corner(5, 5, 2)};
    EXPECT_TRUE(outline::CutRuns(part).empty());
    part.closed = true;
    EXPECT_TRUE(outline::CutRuns(part).empty());
    part.points.resize(2);
    part.closed = false;
    EXPECT_TRUE(outline::CutRuns(part).empty());
    part.points[1].pos.x = 6;
    EXPECT_EQ(outline::CutRuns(part).size(), 1u);

    part.points = {Corner(0, 0, 2), Corner(10, 0, 2), Corner(10, 0, 3), Corner(10, 0, 4),
                   Corner(10, 10, 2)};
    part.points[1].in = {8, 1};
    part.points[3].out = {11, 4};
    auto runs = outline::CutRuns(part);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].source, (Indices{0, 1, 3, 4}));
    EXPECT_EQ(runs[0].points[1].in, (my::pointd{8, 1}));
    EXPECT_EQ(runs[0].points[2].out, (my::pointd{11, 4}));

    // Across the wrap of a closed run: points 3, 4, 0 share a position, 3 and 0 stay.
    part.closed = true;
    part.points = {Corner(0, 0, 2), Corner(10, 0, 2), Corner(10, 10, 2), Corner(0, 0, 2),
                   Corner(0, 0, 2)};
    runs = outline::CutRuns(part);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].source, (Indices{0, 1, 2, 3}));
    EXPECT_TRUE(runs[0].closed);
}

} // namespace
