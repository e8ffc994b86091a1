// The form driving the real generation task: two small drawings on disk, the Generate button
// and the 100 ms timer's poll, as the user runs them.
#include "app/generation.h"
#include "app/main_frame.h"
#include "app_fixture.h"
#include "common/message_ids.h"
#include "engine/task.h"
#include "support/strk_writer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

namespace {

using morvane::test::CAppFixture;

// Lets the event loop run (the form's timer among others) for about ms milliseconds.
void Wait(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// A page of w x h pixels with one blue stroke from (x, 8) to (x + 16, 24).
std::string WriteDrawing(const CAppFixture& f, const std::string& name, double x, double w,
                         double h) {
    morvane::test::StrkWriter writer;
    writer.Model().unit = 1;
    writer.Model().pageWidth = w;
    writer.Model().pageHeight = h;
    writer.Model()
        .Line(u"stroke")
        .Stroke(morvane::test::Mono(stroke::CColor(0, 0, 65535, 0, 65535)))
        .Part()
        .Point(x, 8, 3)
        .Point(x + 16, 24, 3);
    const std::string path = f.m_temp / name;
    writer.Save(path);
    return path;
}

struct GenerationTaskTest : ::testing::Test {
    void SetUp() override {
        auto owned = std::make_unique<mrv::CGenerationT<mrv::CTask>>(f.m_app);
        generation = owned.get();
        f.m_frame->SetGeneration(std::move(owned));
        mrv::CTaskSetting& task = f.m_app.m_doc.GetTask();
        std::filesystem::create_directories(f.m_temp.Path() / "out");
        task.SetDstFolder((f.m_temp.Path() / "out").string());
        task.SetDstName("walk");
        task.SetDstFormat(mrv::DstFormat::AGIF);
        f.View().Fill();
    }

    // Lets the form's own timer poll until the run is collected.
    bool WaitUntilIdle() {
        QElapsedTimer clock;
        clock.start();
        while (generation->IsActive() && clock.elapsed() < 30000) {
            Wait(20);
        }
        return !generation->IsActive();
    }

    CAppFixture f;
    mrv::CGenerationT<mrv::CTask>* generation = nullptr;
};

TEST_F(GenerationTaskTest, RunsToTheEndAndWritesTheAnimation) {
    mrv::CTaskSetting& task = f.m_app.m_doc.GetTask();
    task.SetSrcPath0(WriteDrawing(f, "a.strk", 4, 48, 32));
    task.SetSrcPath1(WriteDrawing(f, "b.strk", 28, 48, 32));
    task.SetInterFrameCount(5);
    f.View().Fill();

    f.View().m_generate->click();
    ASSERT_TRUE(generation->IsActive());
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_TRUE(f.m_msg.m_errors.empty());
    // (1 pass) x (2n + 2) + 3 steps, all done.
    EXPECT_EQ(f.View().m_progress->maximum(), 2 * 5 + 2 + 3);
    EXPECT_EQ(f.View().m_progress->value(), f.View().m_progress->maximum());
    EXPECT_EQ(f.View().m_generate->text().toStdString(), "生成");
    EXPECT_GT(std::filesystem::file_size(f.m_temp.Path() / "out" / "walk.gif"), 100u);
    const std::string report = f.m_frame->GetRunReport()->text().toStdString();
    EXPECT_EQ(report.rfind("1 file written in ", 0), 0u) << report;
}

TEST_F(GenerationTaskTest, CancelStopsTheRunAndWritesNothing) {
    mrv::CTaskSetting& task = f.m_app.m_doc.GetTask();
    task.SetSrcPath0(WriteDrawing(f, "a.strk", 4, 320, 240));
    task.SetSrcPath1(WriteDrawing(f, "b.strk", 280, 320, 240));
    task.SetInterFrameCount(999);
    f.View().Fill();

    f.View().m_generate->click();
    ASSERT_TRUE(generation->IsActive());
    Wait(150);
    f.View().m_generate->click(); // "中断"
    ASSERT_TRUE(WaitUntilIdle());
    // The abort the user asked for is information, and the bar does not claim a full run.
    EXPECT_TRUE(f.m_msg.m_errors.empty());
    ASSERT_EQ(f.m_msg.m_questions.size(), 1u);
    EXPECT_EQ(f.m_msg.m_styles[0], CMsg::Information);
    EXPECT_EQ(f.m_msg.m_questions[0], my::FormatMessage(IDS_TASK_INTERRUPTED));
    EXPECT_EQ(f.View().m_progress->value(), 0);
    EXPECT_TRUE(f.m_frame->GetRunReport()->text().isEmpty());
    EXPECT_TRUE(std::filesystem::is_empty(f.m_temp.Path() / "out"));

    // A pairing fault reaches the user once, as a message of the run.
    f.m_msg.m_errors.clear();
    task.SetSrcPath1(WriteDrawing(f, "c.strk", 280, 321, 240));
    task.SetInterFrameCount(3);
    f.View().Fill();
    f.View().m_generate->click();
    ASSERT_TRUE(WaitUntilIdle());
    ASSERT_EQ(f.m_msg.m_errors.size(), 1u);
    EXPECT_EQ(f.m_msg.m_errors[0].m_id, IDS_PAIR_WIDTH);
}

// A run on every core leaves the form responsive: its workers run at idle priority and the
// form only polls counters, so the event loop is never held up for long, and Abort ends the
// run after the frames in hand.
TEST_F(GenerationTaskTest, EventLoopStaysResponsiveWhileARunUsesEveryCore) {
    mrv::CTaskSetting& task = f.m_app.m_doc.GetTask();
    // 2000 full-HD frames: far more work than the second measured below, however fast the machine.
    task.SetSrcPath0(WriteDrawing(f, "a.strk", 4, 1920, 1080));
    task.SetSrcPath1(WriteDrawing(f, "b.strk", 600, 1920, 1080));
    task.SetInterFrameCount(999);
    f.View().Fill();

    f.View().m_generate->click();
    ASSERT_TRUE(generation->IsActive());
    // A loop held up by the run would let hardly any of the hundred beats of this second
    // through; no time is asserted, only that the loop keeps turning.
    morvane::test::CStallMeter meter(10, [&] { f.View().m_progress->repaint(); });
    meter.Start();
    QEventLoop loop;
    QTimer::singleShot(1000, &loop, &QEventLoop::quit);
    loop.exec();
    meter.Stop();
    EXPECT_TRUE(generation->IsActive()) << "the run ended before it could be measured";
    EXPECT_GT(f.View().m_progress->value(), 0) << "the bar did not move";
    EXPECT_GE(meter.Beats(), 10) << "the event loop was held up";

    // Abort: the run ends long before its 2000 frames (WaitUntilIdle gives up after 30 s).
    f.View().m_generate->click();
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_TRUE(f.m_msg.m_errors.empty());
    ASSERT_EQ(f.m_msg.m_questions.size(), 1u);
    EXPECT_EQ(f.m_msg.m_questions[0], my::FormatMessage(IDS_TASK_INTERRUPTED));
    EXPECT_TRUE(std::filesystem::is_empty(f.m_temp.Path() / "out"));
}

} // namespace
