// Animated WebP from the built morvane-cli on every example, decoded by libwebp's demuxer and
// animation decoder and compared with the PNG sequence of the same run.
#include "engine/task_setting.h"
#include "engine/task_setting_names.h"
#include "examples_fixture.h"
#include "png_reader.h"
#include "run_program.h"
#include "settings/project_file.h"
#include "webp_reader.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

using clitest::CResult;
using clitest::Execute;

// Few in-between frames keep the runs quick; the return trip doubles them.
constexpr int kInterFrames = 3;

class WebpRun : public clitest::CExamplesRun {
protected:
    // One run of an example into this test's folder with the settings given.
    CResult Run(const std::string& name, std::vector<std::string> sets) {
        std::vector<std::string> argv = {MORVANE_CLI,
                                         "--quiet",
                                         "--overwrite",
                                         "--set",
                                         "DstFolder=" + m_out.string(),
                                         "--set",
                                         "InterFrameCount=" + std::to_string(kInterFrames)};
        for (std::string& set : sets) {
            argv.push_back("--set");
            argv.push_back(std::move(set));
        }
        argv.push_back(Project(name));
        return Execute(argv, s_root / "scratch");
    }

    // The PNG sequence of the same settings, as RGBA canvases.
    std::vector<std::vector<std::uint8_t>> PngSequence(const std::string& name,
                                                       const std::vector<std::string>& sets) {
        std::vector<std::string> png = sets;
        png.insert(png.end(), {"DstFormat=PNG", "DstName=seq", "Digits=4", "StartNo=0"});
        const CResult r = Run(name, png);
        EXPECT_EQ(r.m_status, 0) << r.m_err;
        std::vector<std::vector<std::uint8_t>> frames;
        for (int i = 0;; ++i) {
            char file[32];
            std::snprintf(file, sizeof file, "seq%04d.png", i);
            if (!fs::exists(m_out / file)) {
                return frames;
            }
            const outtest::CDecodedPng decoded = outtest::ReadPng(m_out / file);
            EXPECT_EQ(decoded.m_error, "") << file;
            frames.push_back(decoded.m_rgba);
        }
    }
};

const char* const kExamples[] = {"morph", "widths", "curved_text", "phased_dots"};

TEST_F(WebpRun, LosslessFramesEqualThePngSequenceWithAlpha) {
    for (const std::string name : kExamples) {
        SCOPED_TRACE(name);
        const mrv::CTaskSetting task = Task(name);
        // The background off: the frames' alpha goes into the file as it is.
        const std::string flags =
            "Flags=" + mrv::kTaskFlagNames.FlagsToText(task.GetFlags() & ~mrv::TaskFlags::BkColor);
        const std::vector<std::string> sets = {flags, "LoopCount=2"};
        const auto png = PngSequence(name, sets);

        std::vector<std::string> webpSets = sets;
        webpSets.push_back("DstFormat=WEBP");
        const CResult r = Run(name, webpSets);
        ASSERT_EQ(r.m_status, 0) << r.m_err;
        const fs::path path = m_out / (name + ".webp");
        const outtest::CWebpAnimationRead webp = outtest::ReadWebp(path);
        ASSERT_EQ(webp.m_error, "");

        mrv::CTaskSetting run = task;
        run.SetInterFrameCount(kInterFrames);
        EXPECT_EQ(webp.m_frames.size(), std::size_t(run.ComputeOutputSummary().m_frames));
        ASSERT_EQ(webp.m_canvases.size(), png.size());
        EXPECT_EQ(webp.m_loopCount, 2);
        const int duration = 10 * (10000 / task.GetFrameRate());
        bool translucent = false;
        for (std::size_t i = 0; i < png.size(); ++i) {
            EXPECT_EQ(webp.m_frames[i].m_duration, duration) << i;
            EXPECT_TRUE(webp.m_frames[i].m_lossless) << i;
            EXPECT_TRUE(webp.m_canvases[i] == png[i]) << "frame " << i;
            for (std::size_t a = 3; a < png[i].size(); a += 4) {
                translucent = translucent || png[i][a] != 0xFF;
            }
        }
        EXPECT_TRUE(translucent) << "the comparison covers alpha";

        if (outtest::HasWebpmux()) {
            std::string info;
            EXPECT_EQ(outtest::RunWebpmuxInfo(path, info), 0) << info;
            EXPECT_NE(info.find("Number of frames: " + std::to_string(png.size())),
                      std::string::npos)
                << info;
        }
    }
    if (!outtest::HasWebpmux()) {
        GTEST_SKIP() << "webpmux is not installed; its check was left out";
    }
}

TEST_F(WebpRun, LossyFramesAtQuality80StayAbove38Decibels) {
    for (const std::string name : kExamples) {
        SCOPED_TRACE(name);
        const auto png = PngSequence(name, {});
        const CResult r = Run(name, {"DstFormat=WEBP", "WebpQuality=80"});
        ASSERT_EQ(r.m_status, 0) << r.m_err;
        const outtest::CWebpAnimationRead webp = outtest::ReadWebp(m_out / (name + ".webp"));
        ASSERT_EQ(webp.m_error, "");
        ASSERT_EQ(webp.m_canvases.size(), png.size());
        for (std::size_t i = 0; i < png.size(); ++i) {
            EXPECT_FALSE(webp.m_frames[i].m_lossless) << i;
            EXPECT_GE(outtest::RgbPsnr(webp.m_canvases[i], png[i]), 38.0) << "frame " << i;
        }
    }
}

TEST_F(WebpRun, AQualityOutOfRangeIsRefusedBeforeAnythingIsWritten) {
    const CResult r = Run("morph", {"DstFormat=WEBP", "WebpQuality=101"});
    EXPECT_EQ(r.m_status, 1);
    EXPECT_EQ(r.m_err, "An invalid WebP quality (WebpQuality) was specified: 101\nGive 100 for "
                       "lossless frames, or 0 to 99 for lossy frames of that quality\n");
    EXPECT_TRUE(fs::is_empty(m_out));
}

} // namespace
