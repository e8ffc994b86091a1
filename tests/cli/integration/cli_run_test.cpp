// Runs the built morvane-cli on the example drawings (made afresh by make_examples into a
// temporary folder) and checks exit statuses, messages and the decoded outputs.
#include "apng_walker.h"
#include "engine/task_setting.h"
#include "examples_fixture.h"
#include "gif_reader.h"
#include "run_program.h"
#include "settings/project_file.h"
#include "stroke/figure_type.h"
#include "support/strk_writer.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iostream>
#include <map>
#include <unistd.h>
#include <utility>

namespace {

namespace fs = std::filesystem;

using clitest::CResult;
using clitest::Execute;
using clitest::ReadAll;

class CliRun : public clitest::CExamplesRun {
protected:
    // morvane-cli with the output redirected into this test's folder.
    CResult Cli(std::vector<std::string> args,
                std::chrono::milliseconds interruptAfter = std::chrono::milliseconds(0)) {
        std::vector<std::string> argv = {MORVANE_CLI, "--set", "DstFolder=" + m_out.string()};
        argv.insert(argv.end(), args.begin(), args.end());
        return Execute(argv, s_root / "scratch", interruptAfter);
    }

    // morvane-cli as above under a file-size limit of `bytes` (rounded down to the shell's
    // 512-byte blocks): a write beyond it fails as on a full disk.
    CResult CliWithFileLimit(std::uintmax_t bytes, std::vector<std::string> args) {
        std::vector<std::string> argv = {
            "/bin/sh",
            "-c",
            "ulimit -f " + std::to_string(bytes / 512) + " && exec \"$0\" \"$@\"",
            MORVANE_CLI,
            "--set",
            "DstFolder=" + m_out.string()};
        argv.insert(argv.end(), args.begin(), args.end());
        return Execute(argv, s_root / "scratch");
    }

    // The files in the output folder (hidden ones too) by name, with their bytes; emptied.
    std::map<std::string, std::string> TakeOutputs() {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::directory_iterator(m_out)) {
            files[entry.path().filename().string()] = ReadAll(entry.path());
        }
        fs::remove_all(m_out);
        fs::create_directories(m_out);
        return files;
    }

    // The names of our temporary files in the output folder.
    std::vector<std::string> TempFiles() const {
        std::vector<std::string> names;
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(m_out, ec)) {
            const std::string name = entry.path().filename().string();
            if (name.starts_with(".morvane-") && name.ends_with(".tmp")) {
                names.push_back(name);
            }
        }
        return names;
    }

    // A run that writes an animated GIF of many small frames, sent `signal` while the frames
    // are being written: once a temporary file is still there a poll later (the check of the
    // folder before rendering makes one that lasts only microseconds).
    CResult SignalWhileSaving(int signal) {
        std::vector<std::string> argv = {MORVANE_CLI,
                                         "--set",
                                         "DstFolder=" + m_out.string(),
                                         "--set",
                                         "InterFrameCount=200",
                                         "--set",
                                         "Flags=Resize|BkColor",
                                         "--set",
                                         "Width=64",
                                         "--set",
                                         "Height=48",
                                         Project("morph")};
        clitest::CSignalPlan plan;
        plan.m_signal = signal;
        plan.m_ready = [this, seen = std::vector<std::string>()]() mutable {
            const std::vector<std::string> now = TempFiles();
            const bool lasting = std::any_of(now.begin(), now.end(), [&](const std::string& name) {
                return std::find(seen.begin(), seen.end(), name) != seen.end();
            });
            seen = now;
            return lasting;
        };
        CResult r = clitest::Execute(argv, s_root / "scratch", plan);
        EXPECT_TRUE(r.m_signalled) << "the run ended before it wrote: " << r.m_err;
        return r;
    }
};

TEST_F(CliRun, EveryExampleBecomesAnAnimatedGifAndAnApng) {
    for (const std::string name : {"morph", "widths", "curved_text", "phased_dots"}) {
        SCOPED_TRACE(name);
        const int frames = static_cast<int>(Task(name).ComputeOutputSummary().m_frames);

        const CResult gif = Cli({Project(name)});
        ASSERT_EQ(gif.m_status, 0) << gif.m_err;
        const fs::path gifPath = m_out / (name + ".gif");
        EXPECT_EQ(gif.m_out, gifPath.string() + "\n");
        const outtest::CGif decoded = outtest::ReadGif(gifPath);
        EXPECT_EQ(decoded.m_error, "");
        EXPECT_EQ(static_cast<int>(decoded.m_frames.size()), frames);
        EXPECT_EQ(decoded.m_width, 320);
        EXPECT_EQ(decoded.m_height, 240);

        const CResult apng = Cli({"--set", "DstFormat=APNG", Project(name)});
        ASSERT_EQ(apng.m_status, 0) << apng.m_err;
        ASSERT_EQ(apng.m_out.empty(), false);
        const fs::path apngPath = apng.m_out.substr(0, apng.m_out.size() - 1);
        const outtest::CApng walked = outtest::ReadApng(apngPath);
        EXPECT_EQ(walked.m_error, "");
        EXPECT_EQ(static_cast<int>(walked.m_numFrames), frames);
    }
}

TEST_F(CliRun, FrameIsTheFileTheSequenceWritesForThatFrame) {
    // A return trip replayed where the example allows it, and a trimmed, resized page: every
    // step of the run's frame making.
    const std::vector<std::string> variant = {
        "--set", "DstFormat=PNG",
        "--set", "Flags=AutoTrim|Resize|KeepProportion|BkColor",
        "--set", "RoundFlags=ReverseColor|ReverseAlpha|ReverseAngle|ReverseRate|ReverseOffset"};
    for (const std::string name : {"morph", "widths", "curved_text", "phased_dots"}) {
        SCOPED_TRACE(name);
        std::vector<std::string> args = variant;
        args.insert(args.end(), {"--set", "DstName=s", "--set", "Digits=3", Project(name)});
        const CResult run = Cli(args);
        ASSERT_EQ(run.m_status, 0) << run.m_err;
        std::vector<std::string> files;
        for (const auto& entry : fs::directory_iterator(m_out)) {
            files.push_back(entry.path().filename().string());
        }
        std::sort(files.begin(), files.end());
        ASSERT_GE(files.size(), 3u);
        for (const std::size_t k : {std::size_t(1), files.size() / 2 + 1, files.size()}) {
            const fs::path single = m_out.parent_path() / (name + "-frame.png");
            args = variant;
            args.insert(args.end(), {"--frame", std::to_string(k), "--output", single.string(),
                                     "--overwrite", Project(name)});
            const CResult frame = Cli(args);
            ASSERT_EQ(frame.m_status, 0) << frame.m_err;
            EXPECT_EQ(frame.m_out, single.string() + "\n");
            EXPECT_TRUE(ReadAll(single) == ReadAll(m_out / files[k - 1])) << "frame " << k;
        }
        fs::remove_all(m_out);
        fs::create_directories(m_out);
    }
}

TEST_F(CliRun, FrameRefusesAMissingFrameAndAnExistingFile) {
    const fs::path single = m_out / "one.png";
    const CResult beyond = Cli({"--set", "RoundType=None", "--set", "InterFrameCount=2", "--frame",
                                "5", "--output", single.string(), Project("morph")});
    EXPECT_EQ(beyond.m_status, 2);
    EXPECT_NE(beyond.m_err.find("Frame 5 does not exist: these settings make 4 frames"),
              std::string::npos)
        << beyond.m_err;
    EXPECT_FALSE(fs::exists(single));

    std::ofstream(single) << "mine";
    const CResult refused = Cli({"--frame", "1", "--output", single.string(), Project("morph")});
    EXPECT_EQ(refused.m_status, 4);
    EXPECT_EQ(ReadAll(single), "mine");

    const std::string otherEnd = (s_root / "examples" / "phased_dots_end.strk").string();
    const CResult mismatch = Cli({"--set", "SrcPath1=" + otherEnd, "--frame", "1", "--output",
                                  single.string(), "--overwrite", Project("morph")});
    EXPECT_EQ(mismatch.m_status, 1);
    EXPECT_NE(mismatch.m_err.find("一致しません"), std::string::npos) << mismatch.m_err;
    EXPECT_EQ(ReadAll(single), "mine");
}

TEST_F(CliRun, ExistingOutputsNeedOverwrite) {
    ASSERT_EQ(Cli({"--quiet", Project("morph")}).m_status, 0);
    const fs::path gif = m_out / "morph.gif";
    std::ofstream(gif, std::ios::trunc) << "mine";

    const CResult refused = Cli({Project("morph")});
    EXPECT_EQ(refused.m_status, 4);
    EXPECT_NE(refused.m_err.find(gif.string()), std::string::npos) << refused.m_err;
    EXPECT_EQ(ReadAll(gif), "mine");

    const CResult forced = Cli({"--overwrite", "--quiet", Project("morph")});
    EXPECT_EQ(forced.m_status, 0) << forced.m_err;
    EXPECT_EQ(forced.m_out, "");
    EXPECT_NE(ReadAll(gif), "mine");
}

TEST_F(CliRun, APairingErrorIsReportedWithItsMessage) {
    // The START of one example against the END of another: different structures.
    const std::string otherEnd = (s_root / "examples" / "phased_dots_end.strk").string();
    const CResult r = Cli({"--set", "SrcPath1=" + otherEnd, Project("morph")});
    EXPECT_EQ(r.m_status, 1);
    EXPECT_NE(r.m_err.find("一致しません"), std::string::npos) << r.m_err;
    EXPECT_TRUE(fs::is_empty(m_out));
}

TEST_F(CliRun, CheckListsWhatARunStopsAtFirst) {
    const CResult same = Cli({"--check", Project("morph")});
    EXPECT_EQ(same.m_status, 0) << same.m_err;
    EXPECT_EQ(same.m_out, "No differences: START and END can be animated.\n");

    const std::string otherEnd = (s_root / "examples" / "phased_dots_end.strk").string();
    const CResult run = Cli({"--set", "SrcPath1=" + otherEnd, Project("morph")});
    ASSERT_EQ(run.m_status, 1);
    const CResult check = Cli({"--set", "SrcPath1=" + otherEnd, "--check", Project("morph")});
    EXPECT_EQ(check.m_status, 1);
    EXPECT_EQ(check.m_out.rfind(run.m_err, 0), 0u) << check.m_out;
    EXPECT_NE(check.m_out.find("START: position "), std::string::npos);
    EXPECT_TRUE(fs::is_empty(m_out));
}

TEST_F(CliRun, CheckOfTenThousandFigures) {
    // 100 layers of 100 lines, each line three points with handles; END moves every point
    // and changes the cap of the last line. The time is printed, not judged: it depends on
    // the machine.
    const auto drawing = [](bool end) {
        morvane::test::StrkWriter writer;
        for (int l = 0; l < 100; ++l) {
            auto& layer = writer.Model().Layer(u"layer");
            for (int i = 0; i < 100; ++i) {
                auto& line = layer.Line(u"line");
                const double shift = end ? 3.0 : 0.0;
                line.Part().Point(i + shift, l).Point(i + 1, l + shift).Point(i, l + 2);
                if (end && l == 99 && i == 99) {
                    line.lineCap = stroke::CAP_BUTT;
                }
            }
        }
        return writer;
    };
    const fs::path start = s_root / "scratch" / "big_start.strk";
    const fs::path end = s_root / "scratch" / "big_end.strk";
    drawing(false).Save(start.string());
    drawing(true).Save(end.string());
    const auto began = std::chrono::steady_clock::now();
    const CResult check = Cli({"--set", "SrcPath0=" + start.string(), "--set",
                               "SrcPath1=" + end.string(), "--check", "--json", Project("morph")});
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - began);
    EXPECT_EQ(check.m_status, 1) << check.m_err;
    EXPECT_NE(check.m_out.find("\"startPosition\": \"100-100\""), std::string::npos) << check.m_out;
    std::cout << "--check of 10000 figures: " << took.count() << " ms\n";
    RecordProperty("check_ms", static_cast<int>(took.count()));
}

TEST_F(CliRun, UsageAndCheckFailures) {
    EXPECT_EQ(Cli({}).m_status, 2);
    EXPECT_EQ(Cli({"--bogus", Project("morph")}).m_status, 2);
    EXPECT_EQ(Cli({"--set", "InterFrameCount=many", Project("morph")}).m_status, 2);
    const CResult check = Cli({"--set", "FrameRate=0", Project("morph")});
    EXPECT_EQ(check.m_status, 1);
    EXPECT_EQ(check.m_err, "不正なフレームレートが指定されました: 0\n");
    const CResult missing = Cli({(s_root / "nowhere.mrva").string()});
    EXPECT_EQ(missing.m_status, 1);
    EXPECT_NE(missing.m_err.find("nowhere.mrva"), std::string::npos);
    const CResult version = Cli({"--version"});
    EXPECT_EQ(version.m_status, 0);
    EXPECT_EQ(version.m_out.rfind("morvane-cli ", 0), 0u);
    EXPECT_TRUE(fs::is_empty(m_out));
}

TEST_F(CliRun, OneThreadAndEightWriteTheSameBytes) {
    for (const std::string format : {"PNG", "APNG", "GIF", "AGIF"}) {
        SCOPED_TRACE(format);
        std::map<std::string, std::string> written[2];
        int run = 0;
        for (const std::string jobs : {"--jobs=1", "-j8"}) {
            const CResult r = Cli({jobs, "--quiet", "--set", "DstFormat=" + format, "--set",
                                   "Flags=AutoTrim|AutoTrimFrames", Project("curved_text")});
            ASSERT_EQ(r.m_status, 0) << r.m_err;
            written[run++] = TakeOutputs();
        }
        EXPECT_FALSE(written[0].empty());
        EXPECT_TRUE(written[0] == written[1]);
    }
}

TEST_F(CliRun, AFullDiskInTheMiddleGivesItsMessageAndLeavesNothing) {
    for (const std::string format : {"AGIF", "APNG", "PNG", "GIF"}) {
        SCOPED_TRACE(format);
        const std::vector<std::string> args = {"--quiet", "--set", "DstFormat=" + format,
                                               Project("morph")};
        ASSERT_EQ(Cli(args).m_status, 0);
        const std::map<std::string, std::string> complete = TakeOutputs();
        ASSERT_FALSE(complete.empty());
        // An animation stops halfway through its file; a sequence at the first file larger
        // than the first (its frames grow as the shapes spread).
        std::uintmax_t limit = complete.begin()->second.size() / 2;
        if (complete.size() > 1) {
            limit = (complete.begin()->second.size() + 511) / 512 * 512;
            std::size_t larger = 0;
            for (const auto& [name, bytes] : complete) {
                larger += bytes.size() > limit ? 1 : 0;
            }
            ASSERT_GT(larger, 0u) << "no frame file beyond the first one's size";
        }
        const CResult r = CliWithFileLimit(limit, args);
        EXPECT_EQ(r.m_status, 1) << r.m_err;
        EXPECT_NE(r.m_err.find("File too large"), std::string::npos) << r.m_err;
        EXPECT_NE(r.m_err.find(m_out.string()), std::string::npos) << r.m_err;
        EXPECT_TRUE(fs::is_empty(m_out));
    }
}

// Frames are held a few per thread, never all at once, so 999 in-between frames of any size
// that fits are made; a single frame larger than the memory the program may use is refused
// with its size before any frame is rendered.
TEST_F(CliRun, AFrameLargerThanMemoryIsRefused) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit allows";
#else
    // 1.5 GiB of address space against 30000 x 30000 pixels (3.4 GiB a frame).
    const CResult r =
        Execute({"/bin/sh", "-c", "ulimit -v 1572864 && exec \"$0\" \"$@\"", MORVANE_CLI, "--set",
                 "DstFolder=" + m_out.string(), "--set", "Flags=Resize", "--set", "Width=30000",
                 "--set", "Height=30000", "--set", "InterFrameCount=999", Project("morph")},
                s_root / "scratch");
    EXPECT_EQ(r.m_status, 1) << r.m_err;
    EXPECT_NE(r.m_err.find("アニメーションのフレームがメモリーに収まりません"), std::string::npos)
        << r.m_err;
    EXPECT_NE(r.m_err.find(": 1\n"), std::string::npos) << r.m_err;
    EXPECT_NE(r.m_err.find("30000 x 30000"), std::string::npos) << r.m_err;
    EXPECT_TRUE(fs::is_empty(m_out));
#endif
}

TEST_F(CliRun, CtrlCStopsTheRunAndWritesNothing) {
    // Many large frames with a measuring pass: long enough to be interrupted while it works,
    // however many threads share the frames.
    const CResult r = Cli({"--set", "InterFrameCount=999", "--set", "Flags=AutoTrim|BkColor|Resize",
                           "--set", "Width=1280", "--set", "Height=960", Project("curved_text")},
                          std::chrono::milliseconds(1500));
    EXPECT_EQ(r.m_status, 130) << r.m_err;
    EXPECT_EQ(r.m_err, "処理が中断されました\n");
    EXPECT_TRUE(fs::is_empty(m_out));
}

TEST_F(CliRun, TermAndHangUpStopTheRunLikeCtrlCAndLeaveNothing) {
    for (const auto& [signal, status] : {std::pair{SIGTERM, 143}, std::pair{SIGHUP, 129}}) {
        SCOPED_TRACE(signal);
        const CResult r = SignalWhileSaving(signal);
        EXPECT_EQ(r.m_status, status) << r.m_err;
        EXPECT_EQ(r.m_err, "処理が中断されました\n");
        EXPECT_TRUE(fs::is_empty(m_out)) << TempFiles().size() << " temporary files were left";
    }
}

TEST_F(CliRun, TheNextRunRemovesWhatAKilledRunLeft) {
    const CResult killed = SignalWhileSaving(SIGKILL);
    EXPECT_EQ(killed.m_status, 128 + SIGKILL);
    const std::vector<std::string> left = TempFiles();
    ASSERT_EQ(left.size(), 1u) << "kill -9 leaves the file being written";
    // A temporary file of a process that still runs (this test) is another run's work.
    const std::string live = ".morvane-" + std::to_string(getpid()) + "-0.tmp";
    std::ofstream(m_out / live) << "in use";

    const CResult next = Cli({"--quiet", "--set", "InterFrameCount=1", Project("morph")});
    EXPECT_EQ(next.m_status, 0) << next.m_err;
    EXPECT_FALSE(fs::exists(m_out / left.front()));
    EXPECT_EQ(TempFiles(), std::vector<std::string>{live});
    EXPECT_TRUE(fs::exists(m_out / "morph.gif"));
}

TEST_F(CliRun, BadValuesAreRefusedBeforeAnythingIsRendered) {
    const CResult rate = Cli({"--set", "FrameRate=29.97", Project("morph")});
    EXPECT_EQ(rate.m_status, 2);
    EXPECT_NE(rate.m_err.find("FrameRate"), std::string::npos) << rate.m_err;

    const CResult loops = Cli({"--set", "LoopCount=-1", Project("morph")});
    EXPECT_EQ(loops.m_status, 1);
    EXPECT_NE(loops.m_err.find("LoopCount"), std::string::npos) << loops.m_err;

    const CResult name = Cli({"--set", "DstName=../escape", Project("morph")});
    EXPECT_EQ(name.m_status, 1);
    EXPECT_NE(name.m_err.find("DstName"), std::string::npos) << name.m_err;
    EXPECT_FALSE(fs::exists(m_out.parent_path() / "escape.gif"));

    const fs::path missing = m_out / "missing";
    const CResult folder = Cli({"--set", "DstFolder=" + missing.string(), Project("morph")});
    EXPECT_EQ(folder.m_status, 1);
    EXPECT_EQ(folder.m_err, "Failed to create file - " + (missing / "morph.gif").string() +
                                "\n\nNo such file or directory\n");
    EXPECT_TRUE(fs::is_empty(m_out));
}

} // namespace
