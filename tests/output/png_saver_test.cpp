#include "common/error.h"
#include "common/message_ids.h"
#include "output/output_file.h"
#include "output/png_saver.h"
#include "output_test_util.h"
#include "png_reader.h"
#include "support/failure.h"
#include "support/temp_folder.h"

#include <algorithm>
#include <boost/make_shared.hpp>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

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

TEST(OutputFile, TargetChangesOnlyOnCommit) {
    CTempFolder dir;
    const auto target = dir.Path() / "t.bin";
    std::ofstream(target) << "old";
    {
        codec::COutputFile file(target.string());
        ASSERT_TRUE(file.Write("new", 3));
        EXPECT_EQ(dir.Files().size(), 2u); // the target and the hidden temporary file
    }
    EXPECT_EQ(ReadFile(target), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(dir.Files(), std::vector<std::string>{"t.bin"});
    {
        codec::COutputFile file(target.string());
        std::vector<std::uint8_t> big(200000, 7);
        ASSERT_TRUE(file.Write("ab", 2));
        ASSERT_TRUE(file.Write(big));
        ASSERT_TRUE(file.Commit());
    }
    const auto bytes = ReadFile(target);
    ASSERT_EQ(bytes.size(), 200002u);
    EXPECT_EQ(bytes[0], 'a');
    EXPECT_EQ(bytes[200001], 7);
    EXPECT_EQ(dir.Files(), std::vector<std::string>{"t.bin"});
}

TEST(OutputFile, FailedReplaceIsReported) {
    CTempFolder dir;
    std::filesystem::create_directory(dir.Path() / "taken");
    std::ofstream(dir.Path() / "taken" / "inside") << "x"; // a non-empty folder cannot be replaced
    codec::COutputFile file((dir.Path() / "taken").string());
    ASSERT_TRUE(file.Write("x", 1));
    EXPECT_FALSE(file.Commit());
    const my::CException e = file.Failure();
    EXPECT_EQ(e.m_id, IDS_FILE_SAVE_FAILED);
    EXPECT_EQ(e.m_text, "Failed to save file - " + (dir.Path() / "taken").string() + "\n\n" +
                            my::SystemErrorText(int(e.m_code)));
}

TEST(OutputFile, ANameTooLongForTheFolderIsRefusedBeforeAnythingIsWritten) {
    CTempFolder dir;
    const std::string path = (dir.Path() / (std::string(252, 'x') + ".png")).string();
    const CSimpleErr e = FailureOf([&] { codec::COutputFile file(path); });
    EXPECT_EQ(e.m_id, IDS_FILE_CREATE_FAILED);
    EXPECT_EQ(e.m_text, "Failed to create file - " + path + "\n\nFile name too long");
    EXPECT_TRUE(dir.Files().empty());
    // 255 bytes fit.
    codec::COutputFile fits((dir.Path() / (std::string(251, 'x') + ".png")).string());
    EXPECT_TRUE(fits.Commit());
}

TEST(OutputFile, OnlyTemporaryFilesOfEndedProcessesAreRemoved) {
    const pid_t child = fork();
    if (child == 0) {
        _exit(0);
    }
    ASSERT_GT(child, 0);
    waitpid(child, nullptr, 0); // its pid now names no process
    const std::string dead = std::to_string(child);
    const std::string self = std::to_string(getpid());
    CTempFolder dir;
    const std::vector<std::string> kept = {
        ".morvane-" + self + "-0.tmp",  // this process: a file being written
        ".morvane-1-0.tmp",             // init never ends
        ".morvane-0-0.tmp",             // not a process id (kill would signal the group)
        ".morvane--" + dead + "-0.tmp", // nor is a negative one
        // Names of another pattern.
        ".morvane-" + dead + "-x.tmp",
        ".morvane-" + dead + "-0.tmp~",
        "morvane-" + dead + "-0.tmp",
        ".morvane-" + dead + ".tmp",
        "photo.png",
    };
    for (const std::string& name : kept) {
        std::ofstream(dir.Path() / name) << "x";
    }
    std::filesystem::create_directory(dir.Path() / (".morvane-" + dead + "-7.tmp"));
    std::ofstream(dir.Path() / (".morvane-" + dead + "-0.tmp")) << "left by a killed run";
    std::ofstream(dir.Path() / (".morvane-" + dead + "-12.tmp")) << "left by a killed run";

    EXPECT_EQ(codec::RemoveStaleTempFiles(dir.Str()), 2u);
    std::vector<std::string> expected = kept;
    expected.push_back(".morvane-" + dead + "-7.tmp"); // a folder is not one of our files
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(dir.Files(), expected);
    EXPECT_EQ(codec::RemoveStaleTempFiles((dir.Path() / "missing").string()), 0u);
}

} // namespace
