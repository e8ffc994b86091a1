#include "common/error.h"
#include "common/message_ids.h"
#include "output/png_saver.h"
#include "output_test_util.h"
#include "png_reader.h"
#include "support/failure.h"
#include "support/temp_folder.h"

#include <algorithm>
#include <boost/make_shared.hpp>
#include <fstream>
#include <gtest/gtest.h>

namespace {

using namespace outtest;

// The decoded RGBA bytes equal the frame's straight BGRA pixels.
void ExpectSamePixels(const CDecodedPng& png, const CImg& img) {
    ASSERT_EQ(png.m_error, "");
    ASSERT_EQ(png.m_width, std::uint32_t(img.m_width));
    ASSERT_EQ(png.m_height, std::uint32_t(img.m_height));
    for (int y = 0; y < img.m_height; ++y) {
        for (int x = 0; x < img.m_width; ++x) {
            const std::uint8_t* p = &png.m_rgba[(std::size_t(y) * img.m_width + x) * 4];
            ASSERT_EQ((Bgra{p[2], p[1], p[0], p[3]}), PixelAt(img, x, y)) << x << "," << y;
        }
    }
}

void Configure(mrv::CImgSaver& saver, const CTempFolder& dir) {
    saver.m_dstFolder = dir.Str();
    saver.m_dstName = "frame";
    saver.m_digits = 2;
    saver.m_startNo = 98;
}

TEST(PngSequence, EveryFrameIsAWholeNumberedPngThatLibpngReadsBack) {
    CTempFolder dir;
    mrv::CPngSaver saver;
    Configure(saver, dir);
    saver.m_regionFrames = true; // ignored by a sequence
    std::ofstream(dir.Path() / "frame98.png") << "an old file that is replaced";
    const auto a = FlatArt(64, 48, 0.0, false);
    const auto b = Gradient(64, 48, 7);
    const auto c = FlatArt(64, 48, 1.0);
    ASSERT_TRUE(saver.Save(Frames({a, b, c})));

    EXPECT_EQ(dir.Files(),
              (std::vector<std::string>{"frame100.png", "frame98.png", "frame99.png"}));
    const CDecodedPng first = ReadPng(dir.Path() / "frame98.png");
    EXPECT_EQ(first.m_colorType, 6);
    EXPECT_EQ(first.m_bitDepth, 8);
    ExpectSamePixels(first, *a);
    ExpectSamePixels(ReadPng(dir.Path() / "frame99.png"), *b);
    const CDecodedPng third = ReadPng(dir.Path() / "frame100.png");
    EXPECT_EQ(third.m_colorType, 2); // opaque: stored without alpha
    ExpectSamePixels(third, *c);
    EXPECT_TRUE(first.m_hasPhys);
    EXPECT_EQ(first.m_ppmX, 3779u); // 96 dpi, truncated
    EXPECT_EQ(first.m_physUnit, 1);
    EXPECT_FALSE(first.m_hasIccp);
}

TEST(PngSequence, MissingOrBlockedFolderFailsWithThePathAndTheSystemReason) {
    CTempFolder dir;
    mrv::CPngSaver saver;
    Configure(saver, dir);
    saver.m_dstFolder = (dir.Path() / "missing").string();
    const CSimpleErr e = FailureOf([&] { (void)saver.Save(Frames({Solid(2, 2, {})})); });
    EXPECT_EQ(e.m_id, IDS_FILE_CREATE_FAILED);
    EXPECT_NE(e.m_text.find(saver.GetFilePath(0)), std::string::npos);
    EXPECT_NE(e.m_text.find("No such file or directory"), std::string::npos);
    // A file where the folder should be: not a directory.
    std::ofstream(dir.Path() / "plain") << "x";
    saver.m_dstFolder = (dir.Path() / "plain").string();
    EXPECT_THROW((void)saver.Save(Frames({Solid(2, 2, {})})), my::CException);
    EXPECT_EQ(dir.Files(), std::vector<std::string>{"plain"});
}

TEST(PngSequence, StopLeavesNoFileOfTheRunAndKeepsOlderOnes) {
    for (std::size_t k : {0u, 1u, 3u}) {
        CTempFolder dir;
        std::ofstream(dir.Path() / "frame98.png") << "older";
        mrv::CPngSaver saver;
        Configure(saver, dir);
        CStopAtQuestion stop(k);
        saver.SetTerminator(&stop);
        std::vector<boost::shared_ptr<CImg>> frames;
        for (int i = 0; i < 5; ++i) {
            frames.push_back(FlatArt(32, 24, i / 4.0));
        }
        EXPECT_FALSE(saver.Save(Frames(frames)));
        EXPECT_EQ(dir.Files(), std::vector<std::string>{"frame98.png"}) << "stop before " << k;
        EXPECT_EQ(ReadFile(dir.Path() / "frame98.png").size(), 5u);
    }
}

TEST(PngSequence, FramesThatPngCannotHoldAreRefused) {
    CTempFolder dir;
    mrv::CPngSaver saver;
    Configure(saver, dir);
    auto cmyk = boost::make_shared<CImg>();
    cmyk->Allocate(CImg::PIXEL_CMYKA40, 2, 2);
    EXPECT_EQ(FailureOf([&] { (void)saver.Save(Frames({cmyk})); }).m_id,
              IDS_IMAGE_FORMAT_UNSUPPORTED);
    auto empty = boost::make_shared<CImg>();
    empty->Allocate(CImg::PIXEL_BGRA32, 0, 3);
    const CSimpleErr e = FailureOf([&] { (void)saver.Save(Frames({empty})); });
    EXPECT_EQ(e.m_id, IDS_LIBPNG_ERROR);
    EXPECT_EQ(e.m_text, "Failed to encode the PNG image\nInvalid image size: 0 x 3");
    EXPECT_TRUE(dir.Files().empty());
}

} // namespace
