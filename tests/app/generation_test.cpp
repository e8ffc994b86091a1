#include "app/generation.h"
#include "app_fixture.h"
#include "common/message_ids.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace {

using morvane::test::CAppFixture;

// A small task with the generation task's interface: a number of steps of a few milliseconds
// each, asking the stop question between steps and leaving position = maximum on every way out.
class CStepTask : public CHasErr<CSimpleErr> {
public:
    static inline int s_steps = 20;
    static inline bool s_fail = false;

    void Configure(const mrv::CTaskSetting& setting) { m_setting = setting; }
    std::vector<std::string> ListOutputPaths() const { return {mrv::FirstOutputPath(m_setting)}; }
    void Run(const CTerminable* terminator) {
        m_max = 1;
        m_pos = 0;
        const int steps = s_steps;
        m_max = steps;
        for (int i = 0; i < steps; ++i) {
            if (terminator != nullptr && terminator->IsTerminating()) {
                SetErr(my::CException(IDS_UNKNOWN_EXCEPTION));
                break;
            }
            if (s_fail && i == 2) {
                m_pos = m_max.load();
                throw std::runtime_error("broken step");
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            ++m_pos;
        }
        m_pos = m_max.load();
    }
    int GetProgressPos() const { return m_pos; }
    int GetProgressMax() const { return m_max; }

private:
    mrv::CTaskSetting m_setting;
    std::atomic<int> m_pos{-1};
    std::atomic<int> m_max{0};
};

// Runs the timer's command until the run was collected or the time is up.
bool PollUntilIdle(mrv::CGeneration& generation, CCommand& timer) {
    QElapsedTimer clock;
    clock.start();
    while (generation.IsActive() && clock.elapsed() < 10000) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        timer.Execute(true, false);
    }
    return !generation.IsActive();
}

struct GenerationTest : ::testing::Test {
    void SetUp() override {
        CStepTask::s_steps = 20;
        CStepTask::s_fail = false;
        f.View().Fill();
        f.m_app.m_doc.GetTask().SetDstFolder(f.m_temp.Str());
    }
    CAppFixture f;
    mrv::CGenerationT<CStepTask> generation{f.m_app};
    mrv::CCommandExec exec{&f.m_msg, generation};
    mrv::CCommandTimer timer{&f.m_msg, generation};
};

TEST_F(GenerationTest, SecondPressCancelsAndThirdDoesNothing) {
    CStepTask::s_steps = 100000;
    ASSERT_TRUE(exec.Execute(true, false));
    EXPECT_TRUE(exec.Execute(true, false)); // cancel
    EXPECT_FALSE(f.View().m_generate->isEnabled());
    EXPECT_TRUE(exec.Execute(true, false)); // already cancelling: nothing
    ASSERT_TRUE(PollUntilIdle(generation, timer));
    ASSERT_EQ(f.m_msg.m_errors.size(), 1u); // the cancellation the task stored
    EXPECT_TRUE(f.View().m_generate->isEnabled());
    EXPECT_EQ(f.View().m_generate->text().toStdString(), "生成");
}

TEST_F(GenerationTest, FailureIsShownOnceTheRunIsOver) {
    CStepTask::s_fail = true;
    ASSERT_TRUE(exec.Execute(true, false));
    ASSERT_TRUE(PollUntilIdle(generation, timer));
    ASSERT_EQ(f.m_msg.m_errors.size(), 1u);
    EXPECT_EQ(f.m_msg.m_errors[0].m_id, IDS_STD_EXCEPTION);
    EXPECT_NE(f.m_msg.m_errors[0].m_text.find("broken step"), std::string::npos);
    timer.Execute(true, false); // idle ticks do nothing
    EXPECT_EQ(f.m_msg.m_errors.size(), 1u);
}

TEST_F(GenerationTest, InvalidRecordOrDeclinedOverwriteStartsNothing) {
    f.m_app.m_doc.GetTask().SetInterFrameCount(-1);
    EXPECT_FALSE(exec.Execute(true, false));
    ASSERT_EQ(f.m_msg.m_errors.size(), 1u);
    EXPECT_EQ(f.m_msg.m_errors[0].m_id, IDS_INTER_FRAME_COUNT_INVALID);
    EXPECT_FALSE(generation.IsActive());

    f.m_app.m_doc.GetTask().SetInterFrameCount(3);
    morvane::test::TouchFile(mrv::FirstOutputPath(f.m_app.m_doc.GetTask()));
    f.m_msg.m_answer = false;
    EXPECT_TRUE(exec.Execute(true, false));
    EXPECT_EQ(f.m_msg.m_questions.size(), 1u);
    EXPECT_FALSE(generation.IsActive());
}

} // namespace

namespace {

TEST(GenerationInFrame, ButtonTimerAndCloseDuringARun) {
    CStepTask::s_steps = 100000;
    CStepTask::s_fail = false;
    CAppFixture f;
    EXPECT_FALSE(f.View().m_generate->isEnabled()); // nothing to run yet
    auto owned = std::make_unique<mrv::CGenerationT<CStepTask>>(f.m_app);
    mrv::CGenerationT<CStepTask>& generation = *owned;
    f.m_frame->SetGeneration(std::move(owned));
    f.m_app.m_doc.GetTask().SetDstFolder(f.m_temp.Str());
    ASSERT_TRUE(f.View().m_generate->isEnabled());
    f.View().m_generate->click();
    ASSERT_TRUE(generation.IsActive());
    EXPECT_TRUE(f.View().GetTimer().isActive());
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    QCoreApplication::processEvents(); // timer ticks move the bar
    EXPECT_GT(f.View().m_progress->maximum(), 1);

    f.m_frame->close();
    const auto& task = generation.GetTask();
    ASSERT_TRUE(task);
    EXPECT_EQ(task->GetProgressPos(), task->GetProgressMax());
    EXPECT_TRUE(f.m_msg.m_errors.empty()); // no question, no message while closing
}

} // namespace
