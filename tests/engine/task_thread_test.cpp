// The generation task on a worker thread with four frame threads, stopped at random moments
// while another thread polls its progress as the user interface does. Built with
// ThreadSanitizer by make test-tsan.
#include "common/message_ids.h"
#include "engine/task.h"
#include "settings/project_file.h"
#include "support/strk_writer.h"
#include "support/temp_folder.h"

#include <algorithm>
#include <boost/make_shared.hpp>
#include <chrono>
#include <gtest/gtest.h>
#include <random>
#include <thread>

namespace {

// The names in the output folder, hidden temporary files included.
std::vector<std::string> FilesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

TEST(TaskThread, StopsAtAnyMomentWithProgressCompleteAndNothingLeftBehind) {
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

    const std::filesystem::path out = dir.Path() / "out";
    // Stops are spread over the length of a whole run, measured first (a sanitizer build runs
    // many times slower), and a little beyond it, so that some runs complete.
    std::chrono::microseconds longest{0};
    for (int format = 0; format < 4; ++format) {
        setting.SetDstFormat(static_cast<mrv::DstFormat>(format));
        auto task = boost::make_shared<mrv::CTask>();
        task->Configure(setting);
        task->SetThreadCount(4);
        const auto start = std::chrono::steady_clock::now();
        task->Run(nullptr);
        ASSERT_FALSE(task->HasErr()) << task->GetErr().m_text;
        longest = std::max(longest, std::chrono::duration_cast<std::chrono::microseconds>(
                                        std::chrono::steady_clock::now() - start));
        std::filesystem::remove_all(out);
        std::filesystem::create_directories(out);
    }

    // The random moments depend on the machine's load, which may change after the measurement,
    // so both ends are also made certain: every tenth run is stopped before it starts and every
    // tenth is never stopped.
    std::mt19937 random(12345);
    for (int run = 0; run < 200; ++run) {
        SCOPED_TRACE(testing::Message() << "run " << run);
        // Each run writes another format: sequences and animations both.
        setting.SetDstFormat(static_cast<mrv::DstFormat>(run % 4));
        auto task = boost::make_shared<mrv::CTask>();
        task->Configure(setting);
        task->SetThreadCount(4);
        CTerminateFlag flag;
        const bool stopFirst = run % 10 == 0;
        const bool neverStop = run % 10 == 9;
        if (stopFirst) {
            flag.Set();
        }
        std::thread worker([task, &flag] { task->Run(&flag); });
        const auto wait = std::chrono::microseconds(random() % (longest.count() * 5 / 4 + 1));
        const auto until = std::chrono::steady_clock::now() + wait;
        while (std::chrono::steady_clock::now() < until) {
            (void)task->GetProgressPos();
            (void)task->GetProgressMax();
        }
        if (!neverStop) {
            flag.Set();
        }
        worker.join();
        EXPECT_FALSE(neverStop && task->HasErr()) << task->GetErr().m_text;
        EXPECT_TRUE(!stopFirst || task->HasErr());
        EXPECT_EQ(task->GetProgressPos(), task->GetProgressMax());
        if (task->HasErr()) {
            EXPECT_EQ(task->GetErr().m_id, IDS_TASK_INTERRUPTED);
            // Neither a file under its own name nor a temporary one.
            EXPECT_EQ(FilesIn(out), std::vector<std::string>{});
        } else {
            // A complete run: every file under its name, no temporary file.
            std::vector<std::string> expected;
            for (const std::string& path : task->ListOutputPaths()) {
                expected.push_back(std::filesystem::path(path).filename().string());
            }
            std::vector<std::string> found = FilesIn(out);
            std::sort(found.begin(), found.end());
            std::sort(expected.begin(), expected.end());
            EXPECT_EQ(found, expected);
        }
        std::filesystem::remove_all(out);
        std::filesystem::create_directories(out);
    }
}

// Every example (gradations, text, variable widths, phases) in every format on four threads,
// with changed regions and a mirrored return trip: what the frame threads share is only read.
TEST(TaskThread, EveryExampleInEveryFormatOnFourThreads) {
    morvane::test::CTempFolder dir;
    for (const char* example : {"morph", "widths", "curved_text", "phased_dots"}) {
        mrv::CTaskSetting setting;
        CSimpleErr err;
        ASSERT_TRUE(LoadProject(std::string(EXAMPLES_DIR) + "/" + example + ".mrva", setting, err))
            << err.m_text;
        setting.SetFlags(setting.GetFlags() | mrv::TaskFlags::Resize | mrv::TaskFlags::AutoTrim);
        setting.SetWidth(64);
        setting.SetHeight(48);
        setting.SetInterFrameCount(3);
        setting.SetRoundFlags(0x1F);
        setting.SetInterpolateType(mrv::InterpolateType::LineLiner);
        setting.SetDstFolder(dir.Path().string());
        for (int format = 0; format < 4; ++format) {
            SCOPED_TRACE(testing::Message() << example << " format " << format);
            setting.SetDstFormat(static_cast<mrv::DstFormat>(format));
            auto task = boost::make_shared<mrv::CTask>();
            task->Configure(setting);
            task->SetThreadCount(4);
            task->Run(nullptr);
            EXPECT_FALSE(task->HasErr()) << task->GetErr().m_text;
        }
    }
}

} // namespace
