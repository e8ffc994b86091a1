// Frames of 256 x 256 pixels and more compress their two filter candidates at once, one on a
// thread of its own. These cases carry the label "thread", so the ThreadSanitizer build runs
// them.
#include "output/png_encoder.h"
#include "output/png_saver.h"
#include "output_test_util.h"
#include "png_reader.h"
#include "support/temp_folder.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

namespace {

using namespace outtest;

TEST(ParallelEncode, LargeFramesKeepTheSmallerStreamOnEveryRun) {
    codec::CPngImageEncoder encoder;
    for (const unsigned seed : {1u, 2u}) {
        const auto frame = Gradient(320, 240, seed);
        const auto stream = encoder.Encode(*frame);
        const std::vector<std::uint8_t> first(stream.begin(), stream.end());
        EXPECT_EQ(first.size(), std::min(encoder.LastNoneSize(), encoder.LastMinSadSize()));
        const auto again = encoder.Encode(*frame);
        EXPECT_TRUE(std::equal(first.begin(), first.end(), again.begin(), again.end())) << seed;
    }
}

TEST(ParallelEncode, LargeFramesDecodeBackToTheirPixels) {
    CTempFolder dir;
    mrv::CPngSaver saver;
    saver.m_dstFolder = dir.Str();
    saver.m_dstName = "big";
    const std::vector<boost::shared_ptr<CImg>> frames = {Gradient(320, 240, 3),
                                                         FlatArt(320, 240, 0.5, false)};
    ASSERT_TRUE(saver.Save(Frames(frames)));
    ASSERT_EQ(dir.Files().size(), 2u);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const CDecodedPng png = ReadPng(dir.Path() / dir.Files()[i]);
        ASSERT_EQ(png.m_error, "");
        ASSERT_EQ(png.m_rgba.size(), std::size_t{320} * 240 * 4);
        for (int y = 0; y < 240; ++y) {
            for (int x = 0; x < 320; ++x) {
                const std::uint8_t* p = &png.m_rgba[(std::size_t(y) * 320 + std::size_t(x)) * 4];
                ASSERT_EQ((Bgra{p[2], p[1], p[0], p[3]}), PixelAt(*frames[i], x, y))
                    << i << ": " << x << "," << y;
            }
        }
    }
}

} // namespace
