#include "common/color.h"
#include "common/error.h"
#include "common/message_ids.h"
#include "platform/image_transform.h"
#include "platform/test_helpers.h"
#include "support/failure.h"
#include "support/icc_fixture.h"

#include <gtest/gtest.h>

namespace {

using morvane::test::FailureId;
using morvane::test::OpenProfile;

// An image of one colour; all zero when no pixel is given.
CImg Make(std::uint32_t type, std::int32_t width, std::int32_t height,
          std::vector<std::uint8_t> pixel = {}) {
    CImg img;
    img.Allocate(type, width, height);
    for (std::int32_t y = 0; y < height && !pixel.empty(); ++y) {
        for (std::int32_t x = 0; x < width; ++x) {
            std::copy(pixel.begin(), pixel.end(), img.Row(y) + x * pixel.size());
        }
    }
    return img;
}

std::vector<std::uint8_t> Bytes(const CImg& img, std::int32_t y, std::size_t n) {
    return {img.Row(y), img.Row(y) + n};
}

TEST(ImageTransform, CmykWithAlphaToBgraKeepsEachAlpha) {
    const CColorProfile cmyk = OpenProfile(morvane::test::MakeCmykProfile("Press"));
    CImg src = Make(CImg::PIXEL_CMYKA40, 3, 2, {0, 0, 0, 0, 0});
    src.Row(0)[4] = 17;          // paper, nearly transparent
    src.Row(1)[5 * 2 + 3] = 255; // full black
    src.Row(1)[5 * 2 + 4] = 200;
    CImg dst = Make(CImg::PIXEL_BGRA32, 3, 2);
    icm::TransformImage(src, cmyk, dst, CColorProfile());

    EXPECT_EQ(dst.Row(0)[3], 17);
    EXPECT_EQ(dst.Row(0)[4 + 3], 0);
    EXPECT_EQ(dst.Row(1)[8 + 3], 200);
    EXPECT_GT(dst.Row(0)[2], 245); // paper is white
    EXPECT_LT(dst.Row(1)[8 + 2], 40);
}

TEST(ImageTransform, SameProfileCopiesColoursAndSetsMissingAlphaOpaque) {
    const CColorProfile rgb;
    CImg bgra = Make(CImg::PIXEL_BGRA32, 3, 1, {1, 2, 3, 4});
    CImg bgr = Make(CImg::PIXEL_BGR24, 3, 1);
    icm::TransformImage(bgra, rgb, bgr, rgb);
    EXPECT_EQ(Bytes(bgr, 0, 12), (std::vector<std::uint8_t>{1, 2, 3, 1, 2, 3, 1, 2, 3, 0, 0, 0}));

    CImg back = Make(CImg::PIXEL_BGRA32, 3, 1);
    icm::TransformImage(bgr, rgb, back, rgb);
    EXPECT_EQ(Bytes(back, 0, 4), (std::vector<std::uint8_t>{1, 2, 3, 255}));
}

TEST(ImageTransform, GreyIsWidenedToTheSourceSpaceFirst) {
    CImg grey = Make(CImg::PIXEL_GREY8, 2, 1, {90});
    const CImg rgb = icm::WidenGrey(grey, stroke::COLOR_RGB);
    EXPECT_EQ(rgb.m_pixelType, CImg::PIXEL_BGR24);
    EXPECT_EQ(Bytes(rgb, 0, 6), (std::vector<std::uint8_t>{90, 90, 90, 90, 90, 90}));

    CImg mono = Make(CImg::PIXEL_MONO1, 3, 1);
    mono.Row(0)[0] = 0b10100000;
    const CImg cmyk = icm::WidenGrey(mono, stroke::COLOR_CMYK);
    EXPECT_EQ(cmyk.m_pixelType, CImg::PIXEL_CMYK32);
    EXPECT_EQ(Bytes(cmyk, 0, 12),
              (std::vector<std::uint8_t>{0, 0, 0, 0, 0, 0, 0, 255, 0, 0, 0, 0}));

    const CColorProfile working;
    CImg dst = Make(CImg::PIXEL_BGRA32, 2, 1);
    icm::TransformImage(grey, working, dst, working);
    EXPECT_EQ(Bytes(dst, 0, 4), (std::vector<std::uint8_t>{90, 90, 90, 255}));

    EXPECT_EQ(FailureId([&] { icm::WidenGrey(rgb, stroke::COLOR_RGB); }),
              IDS_IMAGE_FORMAT_UNSUPPORTED);
}

TEST(ImageTransform, RefusesTargetsWithoutColourAndProfilesOfTheWrongSpace) {
    const CColorProfile rgb;
    const CImg src = Make(CImg::PIXEL_BGR24, 2, 2, {1, 2, 3});
    CImg grey = Make(CImg::PIXEL_GREY8, 2, 2);
    EXPECT_EQ(FailureId([&] { icm::TransformImage(src, rgb, grey, rgb); }),
              IDS_IMAGE_FORMAT_UNSUPPORTED);
    CImg cmyk = Make(CImg::PIXEL_CMYK32, 2, 2);
    EXPECT_EQ(FailureId([&] { icm::TransformImage(src, rgb, cmyk, rgb); }),
              IDS_WIC_TRANSFORM_CREATE_FAILED);
    CImg small = Make(CImg::PIXEL_BGR24, 1, 2);
    EXPECT_EQ(FailureId([&] { icm::TransformImage(src, rgb, small, rgb); }), IDS_INTERNAL_ERROR);
}

} // namespace
