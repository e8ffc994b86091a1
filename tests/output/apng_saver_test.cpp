#include "apng_walker.h"
#include "common/error.h"
#include "common/message_ids.h"
#include "output/apng_saver.h"
#include "output/frame_region.h"
#include "output/png_encoder.h"
#include "output_test_util.h"
#include "png_reader.h"
#include "support/failure.h"
#include "support/temp_folder.h"

#include <boost/make_shared.hpp>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <set>

namespace {

using namespace outtest;

void Configure(mrv::CApngSaver& saver, const CTempFolder& dir) {
    saver.m_dstFolder = dir.Str();
    saver.m_dstName = "anim";
}

void ExpectPngcheckAccepts(const std::filesystem::path& file) {
    if (!HasPngcheck()) {
        GTEST_SKIP() << "pngcheck is not installed";
    }
    std::string output;
    EXPECT_EQ(RunPngcheck(file, output), 0) << output;
    EXPECT_NE(output.find("No errors detected"), std::string::npos) << output;
}

TEST(Apng, ChunksFieldsAndEveryFrameDecodeBackToTheOutputFrames) {
    CTempFolder dir;
    mrv::CApngSaver saver;
    Configure(saver, dir);
    saver.m_mirrorReturn = true;
    saver.m_regionFrames = true;
    saver.m_loopCount = 3;
    saver.m_frameRate = 1250;
    const auto frames = ArtFrames(4, 96, 64, false);
    ASSERT_TRUE(saver.Save(Frames(frames, true)));
    EXPECT_EQ(dir.Files(), std::vector<std::string>{"anim.png"});

    const CApng apng = ReadApng(dir.Path() / "anim.png");
    ASSERT_EQ(apng.m_error, "");
    EXPECT_EQ(ChunkOutline(apng), "IHDR pHYs acTL fcTL IDAT fcTL fdAT fcTL fdAT fcTL fdAT fcTL "
                                  "fdAT fcTL fdAT IEND");
    EXPECT_EQ(apng.m_width, 96u);
    EXPECT_EQ(apng.m_height, 64u);
    EXPECT_EQ(apng.m_bitDepth, 8);
    EXPECT_EQ(apng.m_colorType, 6);
    EXPECT_EQ(apng.m_interlace, 0);
    EXPECT_EQ(apng.m_ppmX, 3779u);
    EXPECT_EQ(apng.m_ppmY, 3779u);
    EXPECT_EQ(apng.m_physUnit, 1);
    EXPECT_EQ(apng.m_numFrames, 6u);
    EXPECT_EQ(apng.m_numPlays, 3u);

    const std::size_t order[] = {0, 1, 2, 3, 2, 1};
    ASSERT_EQ(apng.m_canvases.size(), 6u);
    for (std::size_t i = 0; i < 6; ++i) {
        const CApngFrame& f = apng.m_frames[i];
        EXPECT_EQ(f.m_delayNum, 8);
        EXPECT_EQ(f.m_delayDen, 100);
        EXPECT_EQ(f.m_dispose, 0);
        EXPECT_EQ(f.m_blend, 0);
        if (i > 0) {
            const auto rect = mrv::ChangedRegion(*frames[order[i - 1]], *frames[order[i]]);
            EXPECT_EQ(f.m_x, std::uint32_t(rect.m_left));
            EXPECT_EQ(f.m_y, std::uint32_t(rect.m_top));
            EXPECT_EQ(f.m_width, std::uint32_t(rect.Width()));
            EXPECT_EQ(f.m_height, std::uint32_t(rect.Height()));
            EXPECT_LT(f.m_width * f.m_height, 96u * 64u);
        }
        EXPECT_TRUE(apng.m_canvases[i] == Rgba(*frames[order[i]])) << "frame " << i;
    }
    // Viewers without animation see the first frame.
    const CDecodedPng png = ReadPng(dir.Path() / "anim.png");
    ASSERT_EQ(png.m_error, "");
    EXPECT_TRUE(png.m_rgba == Rgba(*frames[0]));
    ExpectPngcheckAccepts(dir.Path() / "anim.png");
}

TEST(Apng, SingleFrameEndlessLoop) {
    CTempFolder dir;
    mrv::CApngSaver saver;
    Configure(saver, dir);
    ASSERT_TRUE(saver.Save(Frames({FlatArt(20, 10, 0.5)})));
    const CApng apng = ReadApng(dir.Path() / "anim.png");
    ASSERT_EQ(apng.m_error, "");
    EXPECT_EQ(ChunkOutline(apng), "IHDR pHYs acTL fcTL IDAT IEND");
    EXPECT_EQ(apng.m_colorType, 2); // every frame opaque: no alpha channel
    EXPECT_TRUE(apng.m_canvases[0] == Rgba(*FlatArt(20, 10, 0.5)));
    EXPECT_EQ(apng.m_numFrames, 1u);
    EXPECT_EQ(apng.m_numPlays, 0u);
    EXPECT_EQ(apng.m_frames[0].m_width, 20u);
    EXPECT_EQ(apng.m_frames[0].m_delayNum, 10);
    EXPECT_EQ(apng.m_frames[0].m_delayDen, 100);
    ExpectPngcheckAccepts(dir.Path() / "anim.png");
}

TEST(Apng, DelayFractionFollowsTheFrameRate) {
    const std::pair<std::int32_t, std::pair<int, int>> cases[] = {
        {1000, {10, 100}},   {3000, {3, 100}},     {1250, {8, 100}},
        {20000, {5, 1000}},  {1, {10000, 100}},    {10000, {1, 100}},
        {100000, {1, 1000}}, {100001, {9, 10000}}, {2147483647, {0, 10000}},
    };
    for (const auto& [rate, fraction] : cases) {
        const mrv::CApngDelay d = mrv::ApngDelay(rate);
        EXPECT_EQ(d.m_num, fraction.first) << rate;
        EXPECT_EQ(d.m_den, fraction.second) << rate;
    }
    EXPECT_THROW(mrv::ApngDelay(0), my::CException);
}

TEST(Apng, EveryFilterTypeDecodesBack) {
    // Gradients are filtered with every filter type; an independent unfilter reads them back.
    const auto gradient = Gradient(200, 120, 3);
    CTempFolder dir;
    mrv::CApngSaver saver;
    Configure(saver, dir);
    const auto frames = std::vector<boost::shared_ptr<CImg>>{gradient, Gradient(200, 120, 4)};
    ASSERT_TRUE(saver.Save(Frames(frames)));
    const CApng apng = ReadApng(dir.Path() / "anim.png");
    ASSERT_EQ(apng.m_error, "");
    std::set<int> used;
    for (const CApngFrame& f : apng.m_frames) {
        used.insert(f.m_filters.begin(), f.m_filters.end());
    }
    EXPECT_GE(used.size(), 3u);
    // Without regions every frame is whole.
    EXPECT_EQ(apng.m_frames[1].m_width, 200u);
    EXPECT_EQ(apng.m_frames[1].m_height, 120u);
    EXPECT_TRUE(apng.m_canvases[0] == Rgba(*frames[0]));
    EXPECT_TRUE(apng.m_canvases[1] == Rgba(*frames[1]));
}

TEST(Apng, StopLeavesNoPartialAnimationAndKeepsTheOldFile) {
    for (std::size_t k : {0u, 2u}) {
        CTempFolder dir;
        std::ofstream(dir.Path() / "anim.png") << "previous animation";
        mrv::CApngSaver saver;
        Configure(saver, dir);
        CStopAtQuestion stop(k);
        saver.SetTerminator(&stop);
        EXPECT_FALSE(saver.Save(Frames(ArtFrames(4, 16, 16, true))));
        EXPECT_EQ(dir.Files(), std::vector<std::string>{"anim.png"});
        EXPECT_EQ(ReadFile(dir.Path() / "anim.png").size(), 18u);
    }
}

TEST(Apng, FailuresNameTheirCause) {
    CTempFolder dir;
    mrv::CApngSaver saver;
    Configure(saver, dir);
    saver.m_loopCount = -1;
    const CSimpleErr e = FailureOf([&] { (void)saver.Save(Frames({Solid(2, 2, {})})); });
    EXPECT_EQ(e.m_id, IDS_NUMBER_TOO_SMALL);
    EXPECT_NE(e.m_text.find("-1 (unsigned 32-bit integer)"), std::string::npos);
    saver.m_loopCount = 0;
    auto grey = boost::make_shared<CImg>();
    grey->Allocate(CImg::PIXEL_GREY8, 2, 2);
    EXPECT_THROW((void)saver.Save(Frames({grey})), my::CException);
    EXPECT_TRUE(dir.Files().empty());
}

} // namespace
