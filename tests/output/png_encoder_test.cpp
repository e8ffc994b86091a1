// The PNG encoder's choice of scanline filters: large frames by a sample of their rows, small
// ones by compressing both ways, and the sample's rows filtered exactly as the whole image's.
#include "output/png_encoder.h"
#include "output/png_saver.h"
#include "output_test_util.h"
#include "png_reader.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <vector>
#include <zlib.h>

namespace {

using namespace outtest;

std::vector<std::uint8_t> Bytes(std::span<const std::uint8_t> s) {
    return {s.begin(), s.end()};
}

// The zlib stream of the image filtered one way, from a compressor of the encoder's level.
std::vector<std::uint8_t> Stream(const CImg& img, codec::PngFilterChoice choice) {
    codec::CDeflater deflater(codec::CPngImageEncoder::kDefaultLevel);
    std::vector<std::uint8_t> rows;
    return Bytes(deflater.Compress(codec::FilterScanlines(img, choice, rows)));
}

// One compressor of each library, used for several inputs in turn (a zlib stream is reset
// between calls, not made anew) with and without a row length for the match search: every
// stream inflates back to its input.
TEST(Deflater, EveryCoderMakesStreamsThatInflateToTheirInput) {
    std::mt19937 random(5);
    std::vector<std::uint8_t> noise(70000);
    for (auto& b : noise) {
        b = std::uint8_t(random() % 7 == 0 ? random() : 42);
    }
    const std::vector<std::uint8_t> runs(300000, 9);
    const std::vector<std::vector<std::uint8_t>> inputs = {noise, {}, runs, {1, 2, 3}, noise};
    for (const auto coder : {codec::DeflateCoder::Libdeflate, codec::DeflateCoder::Zlib}) {
        codec::CDeflater deflater(codec::CPngImageEncoder::kAnimationLevel, coder);
        std::size_t reach = 0;
        for (const auto& input : inputs) {
            const auto stream = Bytes(deflater.Compress(input, reach));
            reach = reach == 0 ? 3001 : 0;
            std::vector<std::uint8_t> back(input.size() + 1);
            uLongf size = back.size();
            ASSERT_EQ(uncompress(back.data(), &size, stream.data(), stream.size()), Z_OK)
                << int(coder) << " " << input.size();
            back.resize(size);
            EXPECT_EQ(back, input) << int(coder);
        }
    }
    EXPECT_THROW(codec::CDeflater(13, codec::DeflateCoder::Zlib), my::CException);
}

TEST(PngEncoder, RowBandsAreFilteredAsInTheWholeImage) {
    const auto img = Gradient(37, 50, 5);
    for (const bool alpha : {true, false}) {
        std::vector<std::uint8_t> whole;
        const auto all =
            codec::FilterScanlines(*img, codec::PngFilterChoice::MinSumAbsDiff, whole, alpha);
        const std::size_t row = codec::FilteredRowBytes(*img, alpha);
        ASSERT_EQ(all.size(), row * 50);
        std::vector<std::uint8_t> band(row * 7, 0xAB);
        codec::FilterRows(*img, codec::PngFilterChoice::MinSumAbsDiff, 20, 27, alpha, band.data());
        EXPECT_TRUE(std::equal(band.begin(), band.end(), all.begin() + 20 * row)) << alpha;
    }
}

// Each pixel one of two colours at random: unfiltered rows hold two byte patterns, filtered
// ones several, so this compresses best unfiltered.
boost::shared_ptr<CImg> TwoColourNoise(int width, int height) {
    std::mt19937 random(11);
    return MakeImage(width, height, [&](int, int) {
        return random() % 2 ? Bgra{30, 60, 90, 255} : Bgra{200, 180, 20, 255};
    });
}

TEST(PngEncoder, LargeFramesAreDeflatedOnceTheWayTheirSampleChooses) {
    codec::CPngImageEncoder encoder;
    const auto noise = TwoColourNoise(320, 240);
    const auto noiseStream = Bytes(encoder.Encode(*noise));
    EXPECT_EQ(encoder.LastChoice(), codec::PngFilterChoice::None);
    EXPECT_EQ(noiseStream, Stream(*noise, codec::PngFilterChoice::None));
    const auto gradient = Gradient(320, 240, 7);
    const auto gradientStream = Bytes(encoder.Encode(*gradient));
    EXPECT_EQ(encoder.LastChoice(), codec::PngFilterChoice::MinSumAbsDiff);
    EXPECT_EQ(gradientStream, Stream(*gradient, codec::PngFilterChoice::MinSumAbsDiff));
    // Art with a gradation band and antialiased shapes: the sample's choice comes within 2 % of
    // the smaller way for the whole frame.
    for (const double phase : {0.1, 0.6}) {
        const auto art = FlatArt(320, 240, phase);
        const auto stream = Bytes(encoder.Encode(*art));
        EXPECT_EQ(stream, Stream(*art, encoder.LastChoice()));
        const std::size_t best =
            std::min(Stream(*art, codec::PngFilterChoice::None).size(),
                     Stream(*art, codec::PngFilterChoice::MinSumAbsDiff).size());
        EXPECT_LE(stream.size(), best + best / 50) << phase;
    }
    // The buffers reused for other images leave no trace in the first one's stream.
    EXPECT_EQ(Bytes(encoder.Encode(*noise)), noiseStream);
}

// A small image is probed whole: its stream is the way the probe chose, and within 2 % of the
// smaller way (the probe's quick level may take the other side of a near tie).
TEST(PngEncoder, SmallImagesAreDeflatedOnceTheWayTheirWholeProbeChooses) {
    codec::CPngImageEncoder encoder;
    for (const auto& img : {FlatArt(90, 60, 0.2), Gradient(90, 60, 2), FlatArt(300, 128, 0.7)}) {
        const auto stream = Bytes(encoder.Encode(*img));
        EXPECT_EQ(stream, Stream(*img, encoder.LastChoice()));
        const std::size_t best =
            std::min(Stream(*img, codec::PngFilterChoice::None).size(),
                     Stream(*img, codec::PngFilterChoice::MinSumAbsDiff).size());
        EXPECT_LE(stream.size(), best + best / 50);
    }
    const auto gradient = Gradient(90, 60, 7);
    encoder.Encode(*gradient);
    EXPECT_EQ(encoder.LastChoice(), codec::PngFilterChoice::MinSumAbsDiff);
    encoder.Encode(*TwoColourNoise(90, 60));
    EXPECT_EQ(encoder.LastChoice(), codec::PngFilterChoice::None);
}

TEST(PngEncoder, LargeFramesDecodeBackToTheirPixels) {
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
