#include "engine/frame_schedule.h"
#include "stroke/tree_builder.h"

#include <gtest/gtest.h>

namespace {

using mrv::FrameSource;

TEST(FrameSchedule, PassUsesLoadedEndsAndInterpolatesTheRest) {
    auto start = stroke_test::SampleModel();
    auto end = stroke_test::SampleModel();
    mrv::CInterpolator ip;
    std::vector<const stroke::CModel*> seen;
    int steps = 0;
    mrv::RunPass(
        mrv::PlanPass({1, false, true}), 1, start, end, {}, ip,
        [&](const stroke::ModelPtr& m, int) { seen.push_back(m.get()); },
        [&](int s) { steps += s; });
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0], start.get());
    EXPECT_EQ(seen[2], end.get());
    EXPECT_EQ(steps, 4);
}

} // namespace
