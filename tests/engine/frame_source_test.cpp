// The frame source on its own: the frames it hands out in the order a run writes them, scaling
// into a box, a stop between frames and the message of a pair that does not animate. That its
// frames are the run's own is checked byte for byte by the batch command's --frame tests.
#include "common/message_ids.h"
#include "engine/frame_source.h"
#include "engine/task.h"
#include "platform/img.h"
#include "support/failure.h"
#include "support/strk_writer.h"
#include "support/temp_folder.h"

#include <boost/make_shared.hpp>
#include <gtest/gtest.h>

namespace {

using morvane::test::StrkWriter;

constexpr stroke::CColor kBlue(0, 0, 65535, 0, 65535);

class FrameSource : public ::testing::Test {
protected:
    FrameSource() {
        setting.SetSrcPath0(Write("a.strk", {{4, 4}}));
        setting.SetSrcPath1(Write("b.strk", {{44, 28}}));
        setting.SetFlags(0);
        setting.SetInterpolateType(mrv::InterpolateType::LineLiner);
        setting.SetInterFrameCount(2);
    }

    // Squares of side 16 at the given corners on a page of 64 x 48 pixels.
    std::string Write(const std::string& name, const std::vector<std::pair<double, double>>& at) {
        StrkWriter writer;
        auto& model = writer.Model();
        model.unit = 1;
        model.resolution = 72;
        model.pageWidth = 64;
        model.pageHeight = 48;
        for (const auto& [x, y] : at) {
            model.Line(u"sq")
                .Fill(morvane::test::Mono(kBlue))
                .Part(true)
                .Point(x, y, 0)
                .Point(x + 16, y, 0)
                .Point(x + 16, y + 16, 0)
                .Point(x, y + 16, 0);
        }
        const std::string path = (temp.Path() / name).string();
        writer.Save(path);
        return path;
    }

    morvane::test::CTempFolder temp;
    mrv::CTaskSetting setting;
};

// The opaque area of a frame as left, top, right, bottom.
std::array<int, 4> OpaqueBox(const CImg& img) {
    std::array<int, 4> box{img.m_width, img.m_height, 0, 0};
    for (int y = 0; y < img.m_height; ++y) {
        for (int x = 0; x < img.m_width; ++x) {
            if (img.Row(y)[x * 4 + 3] > 128) {
                box = {std::min(box[0], x), std::min(box[1], y), std::max(box[2], x + 1),
                       std::max(box[3], y + 1)};
            }
        }
    }
    return box;
}

TEST_F(FrameSource, OutputFramesComeInTheOrderARunWritesThem) {
    struct Case {
        mrv::RoundType round;
        std::uint32_t flags;
        std::vector<std::size_t> planIndices;
    };
    const std::vector<Case> cases = {
        {mrv::RoundType::None, 0x03, {0, 1, 2, 3}},
        // The return trip rendered: six planned frames written in order.
        {mrv::RoundType::Reverse, 0x03, {0, 1, 2, 3, 4, 5}},
        // Every property comes back: the outward trip played forward, then back.
        {mrv::RoundType::Reverse, 0x1F, {0, 1, 2, 3, 2, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.planIndices.size());
        setting.SetRoundType(c.round);
        setting.SetRoundFlags(c.flags);
        const mrv::CFrameSource source(setting);
        ASSERT_EQ(source.OutputFrameCount(), c.planIndices.size());
        for (std::size_t j = 0; j < c.planIndices.size(); ++j) {
            EXPECT_EQ(source.PlanIndexOf(j), c.planIndices[j]) << "frame " << j;
        }
    }
}

TEST_F(FrameSource, ScaledIntoABoxTheFramesKeepTheirProportion) {
    mrv::CFrameSource full(setting);
    full.Prepare(nullptr);
    mrv::CFrameSource half(setting);
    half.Prepare(nullptr);
    half.ScaleInto(32, 100); // the width decides: 64 -> 32
    const stroke::CPageRect page = half.Page();
    EXPECT_EQ(page.right, 32);
    EXPECT_EQ(page.bottom, 24);
    const mrv::InterpolatorPtr interpolator = half.NewInterpolator();
    const std::array<int, 4> big = OpaqueBox(*full.RenderOutput(3, *interpolator));
    const std::array<int, 4> small = OpaqueBox(*half.RenderOutput(3, *interpolator));
    EXPECT_EQ(big, (std::array<int, 4>{44, 28, 60, 44}));
    EXPECT_EQ(small, (std::array<int, 4>{22, 14, 30, 22}));
    // Up as well as down.
    mrv::CFrameSource twice(setting);
    twice.Prepare(nullptr);
    twice.ScaleInto(1000, 96);
    EXPECT_EQ(twice.Page().right, 128);
}

TEST_F(FrameSource, AStopBetweenFramesEndsThePreparation) {
    setting.SetFlags(mrv::TaskFlags::AutoTrim);
    setting.SetInterFrameCount(50);
    CTerminateFlag stop;
    stop.Set();
    mrv::CFrameSource source(setting);
    EXPECT_EQ(morvane::test::FailureOf([&] { source.Prepare(&stop); }).m_id, IDS_TASK_INTERRUPTED);
    // A stop asked while a drawing is read ends the reading.
    const auto afterRead = [&stop] {
        if (stop.IsTerminating()) {
            throw my::CException(IDS_TASK_INTERRUPTED);
        }
    };
    EXPECT_EQ(morvane::test::FailureOf([&] { mrv::CFrameSource(setting, afterRead); }).m_id,
              IDS_TASK_INTERRUPTED);
}

TEST_F(FrameSource, APairThatDoesNotAnimateRaisesTheRunsMessage) {
    setting.SetSrcPath1(Write("c.strk", {{4, 4}, {30, 20}}));
    setting.SetDstFolder(temp.Str());
    const CSimpleErr made = morvane::test::FailureOf([&] { mrv::CFrameSource source(setting); });
    auto task = boost::make_shared<mrv::CTask>();
    task->Configure(setting);
    task->Run(nullptr);
    ASSERT_TRUE(task->HasErr());
    EXPECT_EQ(made, task->GetErr());
    EXPECT_NE(made.m_id, 0u);
}

} // namespace
