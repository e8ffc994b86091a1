// The generation task on a worker thread, stopped at random moments while another thread polls
// its progress as the user interface does. Built with ThreadSanitizer by make test-tsan.
#include "common/message_ids.h"
#include "engine/task.h"
#include "support/strk_writer.h"
#include "support/temp_folder.h"

#include <boost/make_shared.hpp>
#include <chrono>
#include <gtest/gtest.h>
#include <random>
#include <thread>

namespace {

TEST(TaskThread, StopsAtAnyMomentWithProgressComplete) {
    morvane::test::CTempFolder dir;
    std::filesystem::create_directories(dir.Path() / "out");
    for (const auto& [name, x] : {std::pair{"a.strk", 4.0}, {"b.strk", 20.0}}) {
        morvane::test::StrkWriter writer;
        writer.Model().unit = 1;
        writer.Model().pageWidth = 32;
        writer.Model().pageHeight = 16;
        writer.Model()
            .Line(u"l")
            .Stroke(morvane::test::Mono(stroke::CColor(0, 0, 65535, 0, 65535)))
            .Part()
            .Point(x, 4, 2)
            .Point(x + 4, 12, 2);
        writer.Save((dir.Path() / name).string());
    }
    mrv::CTaskSetting setting;
    setting.SetSrcPath0((dir.Path() / "a.strk").string());
    setting.SetSrcPath1((dir.Path() / "b.strk").string());
    setting.SetDstFolder((dir.Path() / "out").string());
    setting.SetDstFormat(mrv::DstFormat::AGIF);
    setting.SetFlags(mrv::TaskFlags::AutoTrim | mrv::TaskFlags::BkColor);
    setting.SetInterFrameCount(3);

    std::mt19937 random(12345);
    int stopped = 0;
    for (int run = 0; run < 200; ++run) {
        auto task = boost::make_shared<mrv::CTask>();
        task->Configure(setting);
        CTerminateFlag flag;
        std::thread worker([task, &flag] { task->Run(&flag); });
        const auto wait = std::chrono::microseconds(random() % 3000);
        const auto until = std::chrono::steady_clock::now() + wait;
        while (std::chrono::steady_clock::now() < until) {
            (void)task->GetProgressPos();
            (void)task->GetProgressMax();
        }
        flag.Set();
        worker.join();
        EXPECT_EQ(task->GetProgressPos(), task->GetProgressMax());
        if (task->HasErr()) {
            EXPECT_EQ(task->GetErr().m_id, IDS_TASK_INTERRUPTED);
            ++stopped;
        }
    }
    EXPECT_GT(stopped, 0);
}

} // namespace
