#include "app/generation.h"
#include "app_fixture.h"
#include "common/message_ids.h"
#include "settings/project_file.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>
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
    static inline int s_outputs = 1;

    void Configure(const mrv::CTaskSetting& setting) { m_setting = setting; }
    std::vector<std::string> ListOutputPaths() const {
        std::vector<std::string> paths{mrv::FirstOutputPath(m_setting)};
        for (int i = 1; i < s_outputs; ++i) {
            paths.push_back(paths.front() + "." + std::to_string(i));
        }
        return paths;
    }
    void Run(const CTerminable* terminator) {
        m_max = 1;
        m_pos = 0;
        const int steps = s_steps;
        m_max = steps;
        for (int i = 0; i < steps; ++i) {
            if (terminator != nullptr && terminator->IsTerminating()) {
                SetErr(my::CException(IDS_TASK_INTERRUPTED));
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
        CStepTask::s_outputs = 1;
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
    // The user's own abort is told as information, not as an error, and leaves no full bar.
    EXPECT_TRUE(f.m_msg.m_errors.empty());
    ASSERT_EQ(f.m_msg.m_questions.size(), 1u);
    EXPECT_EQ(f.m_msg.m_styles[0], CMsg::Information);
    EXPECT_EQ(f.m_msg.m_questions[0], my::FormatMessage(IDS_TASK_INTERRUPTED));
    EXPECT_EQ(f.View().m_progress->value(), 0);
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

// A frame with the step task behind its Generate button.
struct GenerationInForm : ::testing::Test {
    void SetUp() override {
        CStepTask::s_steps = 20;
        CStepTask::s_fail = false;
        CStepTask::s_outputs = 1;
        auto owned = std::make_unique<mrv::CGenerationT<CStepTask>>(f.m_app);
        generation = owned.get();
        f.m_frame->SetGeneration(std::move(owned));
        f.m_app.m_doc.GetTask().SetDstFolder(f.m_temp.Str());
        f.View().Fill();
    }
    // Lets the form's own timer poll until the run was collected.
    bool WaitUntilIdle() {
        QElapsedTimer clock;
        clock.start();
        while (generation->IsActive() && clock.elapsed() < 10000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return !generation->IsActive();
    }
    void Type(QComboBox* box, const char* text) {
        box->lineEdit()->selectAll();
        QTest::keyClicks(box->lineEdit(), QString::fromUtf8(text));
    }
    CAppFixture f;
    mrv::CGenerationT<CStepTask>* generation = nullptr;
};

TEST_F(GenerationInForm, EnterStartsGenerateButNeverStopsARun) {
    CStepTask::s_steps = 100000;
    mrv::CMainView& view = f.View();
    Type(view.m_interFrameCount, "5");
    QTest::keyClick(view.m_interFrameCount->lineEdit(), Qt::Key_Return);
    ASSERT_TRUE(generation->IsActive());
    EXPECT_EQ(f.m_app.m_doc.GetTask().GetInterFrameCount(), 5);
    // The button reads "中断" now; a stray Enter must not stop the run.
    QTest::keyClick(view.m_loopCount->lineEdit(), Qt::Key_Return);
    QTest::keyClick(view.m_phase, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_TRUE(generation->IsActive());
    EXPECT_TRUE(view.m_generate->isEnabled());
    view.m_generate->click();
    ASSERT_TRUE(WaitUntilIdle());

    // A text the field refuses: its message, and no run.
    Type(view.m_interFrameCount, "x");
    QTest::keyClick(view.m_interFrameCount->lineEdit(), Qt::Key_Return);
    ASSERT_EQ(f.m_msg.m_errors.size(), 1u);
    EXPECT_EQ(f.m_msg.m_errors[0].m_id, IDS_NUMBER_FORMAT_INVALID);
    EXPECT_FALSE(generation->IsActive());

    // Enter on a list or a check box reaches the form, which presses Generate.
    CStepTask::s_steps = 3;
    QTest::keyClick(view.m_roundType, Qt::Key_Return);
    EXPECT_TRUE(generation->IsActive());
    ASSERT_TRUE(WaitUntilIdle());
    QTest::keyClick(view.m_resize, Qt::Key_Return);
    EXPECT_TRUE(generation->IsActive());
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(f.m_msg.m_errors.size(), 1u);
}

TEST_F(GenerationInForm, FinishedRunIsReportedAndTheBarEmptiesWhenTheFormChanges) {
    CStepTask::s_outputs = 3;
    mrv::CMainView& view = f.View();
    view.m_generate->click();
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_TRUE(f.m_msg.m_errors.empty());
    EXPECT_EQ(view.m_progress->value(), view.m_progress->maximum());
    const std::string report = f.m_frame->GetRunReport()->text().toStdString();
    EXPECT_EQ(report.rfind("3 files written in ", 0), 0u) << report;
    EXPECT_EQ(report.back(), 's');
    QPushButton* openFolder = f.m_frame->GetOpenRunFolderButton();
    ASSERT_TRUE(openFolder->isVisibleTo(f.m_frame.get()));
    openFolder->click();
    EXPECT_EQ(f.m_shell.m_shown, std::vector<std::string>{f.m_temp.Str()});

    // Another project: the bar empties and the report goes.
    const std::string project = f.m_temp / "other.mrva";
    CSimpleErr err;
    ASSERT_TRUE(SaveProject(project, f.m_app.m_doc.GetTask(), err));
    mrv::CCommandOpen open(f.m_app);
    open.SetPath(project);
    f.m_msg.m_saveAnswer = CMsg::SaveAnswer::Discard;
    ASSERT_TRUE(open.Execute(true, false));
    ASSERT_EQ(f.m_app.m_doc.GetPath(), project);
    EXPECT_EQ(view.m_progress->value(), 0);
    EXPECT_TRUE(f.m_frame->GetRunReport()->text().isEmpty());
    EXPECT_FALSE(openFolder->isVisibleTo(f.m_frame.get()));

    // One file; then an edit of a field empties the bar too.
    CStepTask::s_outputs = 1;
    view.m_generate->click();
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(f.m_frame->GetRunReport()->text().toStdString().rfind("1 file written in ", 0), 0u);
    EXPECT_EQ(view.m_progress->value(), view.m_progress->maximum());
    Type(view.m_loopCount, "3");
    EXPECT_EQ(view.m_progress->value(), 0);
    EXPECT_TRUE(f.m_frame->GetRunReport()->text().isEmpty());
}

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
