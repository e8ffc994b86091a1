#include "outline/sample_table.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

namespace {

using outline::Point;

outline::CtrlPoint At(double x, double y, double width = 2.0) {
    return {{x, y}, {x, y}, {x, y}, width};
}

outline::Run RunOf(std::vector<outline::CtrlPoint> points, bool closed = false) {
    outline::Run run;
    run.points = std::move(points);
    run.source.resize(run.points.size());
    run.closed = closed;
    return run;
}

TEST(SampleRun, TwentySamplesPerSegmentWithLastSampleMarked) {
    const auto table = outline::SampleRun(RunOf({At(0, 0), At(30, 40), At(30, 0)}, true));
    ASSERT_EQ(table.points.size(), 3u);
    ASSERT_EQ(table.samples.size(), 3u * outline::kSamplesPerSegment);
    for (std::size_t i = 0; i < table.samples.size(); ++i) {
        const auto& s = table.samples[i];
        const int step = static_cast<int>(i % outline::kSamplesPerSegment) + 1;
        EXPECT_EQ(s.segment, i / outline::kSamplesPerSegment);
        EXPECT_DOUBLE_EQ(s.t, step / 20.0);
        EXPECT_EQ((s.kind & outline::SAMPLE_SEGMENT_END) != 0, step == 20) << i;
    }
    // The closing segment ends on the first point.
    EXPECT_EQ(table.samples.back().pos, (Point{0, 0}));
    for (const auto& p : table.points) {
        EXPECT_EQ(p.kind, outline::SAMPLE_RUN_POINT);
    }
}

TEST(SampleRun, StraightSegmentLengthsAreExact) {
    const auto table = outline::SampleRun(RunOf({At(0, 0), At(30, 40), At(30, 0)}));
    EXPECT_EQ(table.points[0].length, 0.0);
    EXPECT_DOUBLE_EQ(table.points[1].length, 50.0);
    EXPECT_DOUBLE_EQ(table.points[2].length, 90.0);
    EXPECT_DOUBLE_EQ(table.total, 90.0);
    // Handles on the points: the samples crowd towards the ends (3t^2 - 2t^3 of the way), and
    // each cumulative length is exactly the distance covered.
    for (int s = 0; s < 20; ++s) {
        const double t = (s + 1) / 20.0, along = 3 * t * t - 2 * t * t * t;
        EXPECT_NEAR(table.samples[s].pos.x, 30.0 * along, 1e-12);
        EXPECT_NEAR(table.samples[s].length, 50.0 * along, 1e-12);
    }
    EXPECT_NEAR(table.LengthAt(1, 0.5), 70.0, 1e-12);
    // Between samples the length is interpolated: halfway from 0 to the first sample.
    EXPECT_NEAR(table.LengthAt(0, 0.025), table.samples[0].length / 2.0, 1e-12);
    EXPECT_DOUBLE_EQ(table.StartLength(1), 50.0);
    EXPECT_DOUBLE_EQ(table.EndLength(1), 90.0);
}

TEST(SampleRun, CurvedLengthSumsChordsOfTheSamples) {
    // A quarter circle of radius 100 as one cubic: the chords fall just short of the arc.
    const double k = 100.0 * 4.0 / 3.0 * (std::sqrt(2.0) - 1.0);
    const auto table = outline::SampleRun(
        RunOf({{{100, 0}, {100, 0}, {100, k}, 2}, {{0, 100}, {k, 100}, {0, 100}, 2}}));
    EXPECT_NEAR(table.total, 50.0 * std::numbers::pi, 0.05);
    EXPECT_LT(table.total, 50.0 * std::numbers::pi);
}

TEST(SampleRun, CoincidentPointsAddNoLength) {
    auto b = At(10, 0);
    auto c = At(10, 0);
    c.out = {10, 5}; // the handle would make a loop, but the points share a position
    const auto table = outline::SampleRun(RunOf({At(0, 0), b, c, At(10, 10)}));
    EXPECT_DOUBLE_EQ(table.points[2].length, 10.0);
    EXPECT_EQ(table.points[2].kind, outline::SAMPLE_RUN_POINT | outline::SAMPLE_COINCIDENT);
    for (int s = 0; s < 20; ++s) {
        const auto& sample = table.samples[20 + s];
        EXPECT_EQ(sample.pos, (Point{10, 0}));
        EXPECT_DOUBLE_EQ(sample.length, 10.0);
        EXPECT_TRUE(sample.kind & outline::SAMPLE_COINCIDENT);
    }
    EXPECT_TRUE(table.samples[39].kind & outline::SAMPLE_SEGMENT_END);
    EXPECT_DOUBLE_EQ(table.total, 20.0);
    EXPECT_TRUE(outline::IsCoincidentSegment(RunOf({At(0, 0), b, c, At(10, 10)}), 1));
}

} // namespace
