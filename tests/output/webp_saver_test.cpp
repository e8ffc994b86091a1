#include "common/error.h"
#include "common/message_ids.h"
#include "output/webp_encoder.h"
#include "output/webp_saver.h"
#include "output_test_util.h"
#include "platform/color_profile.h"
#include "support/icc_fixture.h"
#include "support/temp_folder.h"
#include "webp_reader.h"

#include <atomic>
#include <boost/make_shared.hpp>
#include <gtest/gtest.h>

namespace {

using namespace outtest;

void Configure(mrv::CWebpSaver& saver, const CTempFolder& dir) {
    saver.m_dstFolder = dir.Str();
    saver.m_dstName = "anim";
    saver.m_regionFrames = true;
}

void ExpectWebpmuxAccepts(const std::filesystem::path& file) {
    if (!HasWebpmux()) {
        GTEST_SKIP() << "webpmux is not installed";
    }
    std::string output;
    EXPECT_EQ(RunWebpmuxInfo(file, output), 0) << output;
    EXPECT_NE(output.find("Number of frames"), std::string::npos) << output;
}

// Stops the run once it has been asked `calls` times.
class CStopAfterCalls : public CTerminable {
public:
    explicit CStopAfterCalls(int calls) : m_left(calls) {}
    bool IsTerminating() const override { return m_left.fetch_sub(1) <= 0; }

private:
    mutable std::atomic<int> m_left;
};

TEST(Webp, LosslessFramesComeBackExactlyWithAlphaDurationsAndLoops) {
    CTempFolder dir;
    mrv::CWebpSaver saver;
    Configure(saver, dir);
    saver.m_mirrorReturn = true;
    saver.m_loopCount = 3;
    saver.m_frameRate = 1250; // 8 hundredths of a second per frame
    auto frames = ArtFrames(4, 96, 64, false);
    // Colour under full transparency is kept too: every byte of a frame comes back.
    SetPixel(*frames[2], 95, 63, Bgra{10, 20, 30, 0});
    ASSERT_TRUE(saver.Save(Frames(frames, true)));
    EXPECT_EQ(dir.Files(), std::vector<std::string>{"anim.webp"});

    const CWebpAnimationRead webp = ReadWebp(dir.Path() / "anim.webp");
    ASSERT_EQ(webp.m_error, "");
    EXPECT_EQ(webp.m_width, 96);
    EXPECT_EQ(webp.m_height, 64);
    EXPECT_EQ(webp.m_loopCount, 3);
    EXPECT_EQ(webp.m_background, 0u) << "transparent, so disposal never paints";
    EXPECT_TRUE(webp.m_icc.empty());
    const std::size_t order[] = {0, 1, 2, 3, 2, 1};
    ASSERT_EQ(webp.m_frames.size(), 6u);
    ASSERT_EQ(webp.m_canvases.size(), 6u);
    for (std::size_t i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        const CWebpFrameInfo& f = webp.m_frames[i];
        EXPECT_EQ(f.m_duration, 80);
        EXPECT_TRUE(f.m_lossless);
        EXPECT_FALSE(f.m_disposeToBackground);
        EXPECT_EQ(f.m_x % 2, 0);
        EXPECT_EQ(f.m_y % 2, 0);
        EXPECT_TRUE(webp.m_canvases[i] == Rgba(*frames[order[i]]));
    }
    // The first frame is whole; the others hold only what moved.
    EXPECT_EQ(webp.m_frames[0].m_width * webp.m_frames[0].m_height, 96 * 64);
    EXPECT_LT(webp.m_frames[1].m_width * webp.m_frames[1].m_height, 96 * 64);
    ExpectWebpmuxAccepts(dir.Path() / "anim.webp");
}

TEST(Webp, OpaqueChangesAreBlendedOverTheFrameBefore) {
    CTempFolder dir;
    mrv::CWebpSaver saver;
    Configure(saver, dir);
    const auto frames = ArtFrames(3, 80, 60, true);
    ASSERT_TRUE(saver.Save(Frames(frames)));
    const CWebpAnimationRead webp = ReadWebp(dir.Path() / "anim.webp");
    ASSERT_EQ(webp.m_error, "");
    ASSERT_EQ(webp.m_frames.size(), 3u);
    EXPECT_FALSE(webp.m_frames[0].m_blend);
    EXPECT_TRUE(webp.m_frames[1].m_blend);
    EXPECT_TRUE(webp.m_frames[2].m_blend);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_TRUE(webp.m_canvases[i] == Rgba(*frames[i])) << i;
    }
}

TEST(Webp, EqualFramesKeepTheirPlaceAndWholeFramesWithoutTheRegionOption) {
    CTempFolder dir;
    mrv::CWebpSaver saver;
    Configure(saver, dir);
    const auto art = FlatArt(40, 30, 0.3, false);
    ASSERT_TRUE(saver.Save(Frames({art, Copy(*art), art})));
    CWebpAnimationRead webp = ReadWebp(dir.Path() / "anim.webp");
    ASSERT_EQ(webp.m_error, "");
    ASSERT_EQ(webp.m_frames.size(), 3u) << "every output frame stays a frame of its own";
    for (std::size_t i = 1; i < 3; ++i) {
        EXPECT_EQ(webp.m_frames[i].m_width, 1);
        EXPECT_EQ(webp.m_frames[i].m_height, 1);
        EXPECT_EQ(webp.m_frames[i].m_duration, 100);
        EXPECT_TRUE(webp.m_canvases[i] == Rgba(*art));
    }

    saver.m_regionFrames = false;
    const auto moving = ArtFrames(3, 40, 30, false);
    ASSERT_TRUE(saver.Save(Frames(moving)));
    webp = ReadWebp(dir.Path() / "anim.webp");
    ASSERT_EQ(webp.m_frames.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(webp.m_frames[i].m_width, 40);
        EXPECT_EQ(webp.m_frames[i].m_height, 30);
        EXPECT_FALSE(webp.m_frames[i].m_blend);
        EXPECT_TRUE(webp.m_canvases[i] == Rgba(*moving[i]));
    }
}

TEST(Webp, LossyFramesStayCloseAndKeepTheirAlphaExactly) {
    CTempFolder dir;
    mrv::CWebpSaver saver;
    Configure(saver, dir);
    saver.m_quality = 80;
    const auto opaque = ArtFrames(5, 128, 96, true);
    ASSERT_TRUE(saver.Save(Frames(opaque)));
    CWebpAnimationRead webp = ReadWebp(dir.Path() / "anim.webp");
    ASSERT_EQ(webp.m_error, "");
    ASSERT_EQ(webp.m_canvases.size(), 5u);
    // Small frames of hard edges lose more than the examples do (those are checked against
    // 38 dB by the batch command's tests); what matters here is that a frame drawn over the
    // ones before it is as close as the whole first frame.
    const double first = RgbPsnr(webp.m_canvases[0], Rgba(*opaque[0]));
    EXPECT_GE(first, 32.0);
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_FALSE(webp.m_frames[i].m_lossless);
        EXPECT_GE(RgbPsnr(webp.m_canvases[i], Rgba(*opaque[i])), first - 1.5) << i;
    }

    const auto translucent = ArtFrames(3, 64, 48, false);
    ASSERT_TRUE(saver.Save(Frames(translucent)));
    webp = ReadWebp(dir.Path() / "anim.webp");
    ASSERT_EQ(webp.m_canvases.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        const std::vector<std::uint8_t> source = Rgba(*translucent[i]);
        for (std::size_t p = 3; p < source.size(); p += 4) {
            ASSERT_EQ(webp.m_canvases[i][p], source[p]) << "frame " << i << ", pixel " << p / 4;
        }
    }
}

TEST(Webp, DurationsMatchTheGifPlayTimeAndLoopsAreHeldTo16Bits) {
    EXPECT_EQ(mrv::WebpFrameDuration(1000), 100u);
    EXPECT_EQ(mrv::WebpFrameDuration(3000), 30u); // 3 hundredths, as our GIF delay
    EXPECT_EQ(mrv::WebpFrameDuration(1), 100000u);

    CTempFolder dir;
    mrv::CWebpSaver saver;
    Configure(saver, dir);
    saver.m_loopCount = 70000;
    ASSERT_TRUE(saver.Save(Frames(ArtFrames(2, 16, 16, true))));
    EXPECT_EQ(ReadWebp(dir.Path() / "anim.webp").m_loopCount, 65535);
}

TEST(Webp, AnRgbProfileOfTheFramesIsEmbedded) {
    CTempFolder dir;
    mrv::CWebpSaver saver;
    Configure(saver, dir);
    const std::vector<std::uint8_t> icc = morvane::test::MakeSrgbProfile("Test RGB");
    auto profile = boost::make_shared<CColorProfile>();
    profile->LoadFromMemory(icc);
    auto frames = ArtFrames(2, 24, 16, true);
    for (auto& frame : frames) {
        frame->m_profile = profile;
    }
    ASSERT_TRUE(saver.Save(Frames(frames)));
    const CWebpAnimationRead webp = ReadWebp(dir.Path() / "anim.webp");
    ASSERT_EQ(webp.m_error, "");
    EXPECT_EQ(webp.m_icc, icc);
    ExpectWebpmuxAccepts(dir.Path() / "anim.webp");
}

TEST(Webp, TheFileIsTheSameForEveryThreadCount) {
    CTempFolder dir;
    mrv::CWebpSaver saver;
    Configure(saver, dir);
    const auto frames = ArtFrames(7, 64, 48, false);
    std::vector<std::vector<std::uint8_t>> files;
    for (const int threads : {1, 2, 5}) {
        saver.m_threads = threads;
        ASSERT_TRUE(saver.Save(Frames(frames)));
        files.push_back(ReadFile(dir.Path() / "anim.webp"));
    }
    EXPECT_TRUE(files[0] == files[1]);
    EXPECT_TRUE(files[0] == files[2]);
}

TEST(Webp, AStopLeavesNothingBehind) {
    for (const int calls : {0, 3}) {
        SCOPED_TRACE(calls);
        CTempFolder dir;
        mrv::CWebpSaver saver;
        Configure(saver, dir);
        saver.m_threads = 1;
        const CStopAfterCalls stop(calls);
        saver.SetTerminator(&stop);
        EXPECT_FALSE(saver.Save(Frames(ArtFrames(6, 32, 24, true))));
        EXPECT_TRUE(dir.Files().empty());
    }
}

TEST(Webp, FailuresNameTheFrameAndWriteNothing) {
    CTempFolder dir;
    mrv::CWebpSaver saver;
    Configure(saver, dir);
    const auto frames = ArtFrames(3, 16, 16, true);

    saver.m_quality = -5;
    CSimpleErr e = FailureOf([&] { (void)saver.Save(Frames(frames)); });
    EXPECT_EQ(e.m_id, IDS_WEBP_ENCODE_FAILED);
    EXPECT_EQ(e.m_text, "The WebP encoder failed on frame 1 of 3: invalid encoder configuration");
    EXPECT_TRUE(dir.Files().empty());

    saver.m_quality = 100;
    const auto wide = Solid(codec::kWebpMaxDimension + 1, 1, Bgra{1, 2, 3, 255});
    e = FailureOf([&] { (void)saver.Save(Frames({wide})); });
    EXPECT_EQ(e.m_id, IDS_WEBP_TOO_LARGE);
    EXPECT_EQ(e.m_text, "Animated WebP frames can be at most 16383 x 16383 pixels; these frames "
                        "are 16384 x 1 pixels");

    e = FailureOf([&] { (void)saver.Save(Frames({frames[0], Solid(8, 8, Bgra{})})); });
    EXPECT_EQ(e.m_id, IDS_IMAGE_FORMAT_UNSUPPORTED);
    EXPECT_TRUE(dir.Files().empty());
}

} // namespace
