#include "engine/frame_schedule.h"
#include "engine/saver_factory.h"
#include "stroke/tree_builder.h"

#include <gtest/gtest.h>

namespace {

using mrv::FrameSource;

TEST(FrameSchedule, ProgressTotals) {
    EXPECT_EQ(mrv::ProgressTotal(7, false), 19);
    EXPECT_EQ(mrv::ProgressTotal(7, true), 35);
    EXPECT_EQ(mrv::ProgressTotal(0, false), 5);
}

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

TEST(SaverFactory, FormatsAndCopiedSettings) {
    mrv::CTaskSetting s;
    s.SetDstFolder("out");
    s.SetDstName("anim");
    s.SetStartNo(5);
    s.SetDigits(3);
    s.SetFrameRate(2500);
    s.SetLoopCount(4);
    s.SetRoundType(mrv::RoundType::None);
    s.SetFlags(0);
    for (auto [format, number] : {std::pair{mrv::DstFormat::PNG, 0},
                                  {mrv::DstFormat::APNG, 1},
                                  {mrv::DstFormat::GIF, 2},
                                  {mrv::DstFormat::AGIF, 3},
                                  {static_cast<mrv::DstFormat>(9), 0}}) {
        s.SetDstFormat(format);
        EXPECT_EQ(mrv::CreateSaver(s)->GetFormat(), number);
    }
    const auto saver = mrv::CreateSaver(s);
    EXPECT_EQ(saver->m_dstFolder, "out");
    EXPECT_EQ(saver->m_dstName, "anim");
    EXPECT_EQ(saver->m_startNo, 5);
    EXPECT_EQ(saver->m_digits, 3);
    EXPECT_EQ(saver->m_frameRate, 2500);
    EXPECT_EQ(saver->m_loopCount, 4);
    EXPECT_FALSE(saver->m_mirrorReturn);
    EXPECT_FALSE(saver->m_regionFrames);
    s.SetRoundType(mrv::RoundType::Reverse);
    s.SetFlags(mrv::TaskFlags::AutoTrimFrames);
    EXPECT_TRUE(mrv::CreateSaver(s)->m_mirrorReturn);
    EXPECT_TRUE(mrv::CreateSaver(s)->m_regionFrames);
    std::vector<std::string> paths;
    mrv::CreateSaver(s)->ListFilePaths(paths, 2);
    EXPECT_EQ(paths.size(), 6u); // 2 x 2 + 2 numbered files
}

} // namespace
