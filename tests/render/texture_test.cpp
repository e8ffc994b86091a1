#include "common/error.h"
#include "common/message_ids.h"
#include "render/render_test_util.h"
#include "render/texture_painter.h"
#include "stroke/tree_builder.h"
#include "support/failure.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>

namespace {

using morvane::test::FailureId;
using morvane::test::FailureOf;
using raster::CImgRenderer;
using render_test::At;
using render_test::Render;
using render_test::Rgba;
using render_test::Rgba4;

const Rgba4 kRed{255, 0, 0, 255}, kGreen{0, 255, 0, 255}, kBlue{0, 0, 255, 255},
    kWhite{255, 255, 255, 255};

// Two by two texels: red, green on top; blue, white below.
boost::shared_ptr<CImg> Quadrants() {
    auto img = boost::shared_ptr<CImg>(new CImg);
    img->Allocate(CImg::PIXEL_BGRA32, 2, 2);
    const std::uint8_t top[] = {0, 0, 255, 255, 0, 255, 0, 255};
    const std::uint8_t bottom[] = {255, 0, 0, 255, 255, 255, 255, 255};
    std::memcpy(img->Row(0), top, 8);
    std::memcpy(img->Row(1), bottom, 8);
    return img;
}

CTextureParam Texture(boost::shared_ptr<CImg> image, std::int32_t fit = CTextureParam::FIT_NONE,
                      double rate = 10) {
    CTextureParam t;
    t.m_image = std::move(image);
    t.m_alpha = 1.0;
    t.m_fitType = fit;
    t.m_rateX = t.m_rateY = rate;
    // The bounds of a shape reach one pixel beyond it: this puts the image's corner on (0, 0).
    t.m_offsetX = t.m_offsetY = 1;
    return t;
}

boost::shared_ptr<CImg> Paint(const CTextureParam& texture, double w = 20, double h = 20,
                              std::uint32_t pixelType = CImg::PIXEL_BGRA32,
                              std::array<double, 4> background = {1, 1, 1, 1}) {
    return Render(
        pixelType, 40, 40,
        [&](CImgRenderer& t) {
            t.SetFillTexture(texture);
            t.AddRect(0, 0, w, h);
            t.Fill();
        },
        background);
}

// The colours at the inner corners of the four 10 × 10 quadrants.
std::array<Rgba4, 4> Corners(const CImg& img) {
    return {Rgba(img, 2, 2), Rgba(img, 17, 2), Rgba(img, 2, 17), Rgba(img, 17, 17)};
}

TEST(Texture, TexelsLandWhereMirrorRotateAndOffsetPutThem) {
    const auto plain = Paint(Texture(Quadrants()));
    EXPECT_EQ(Corners(*plain), (std::array<Rgba4, 4>{kRed, kGreen, kBlue, kWhite}));
    // Between two texel centres the colours are blended.
    EXPECT_EQ(Rgba(*plain, 7, 2), (Rgba4{191, 64, 0, 255}));

    CTextureParam t = Texture(Quadrants());
    t.m_flip = CTextureParam::FLIP_HORIZONTAL;
    EXPECT_EQ(Corners(*Paint(t)), (std::array<Rgba4, 4>{kGreen, kRed, kWhite, kBlue}));
    t.m_flip = CTextureParam::FLIP_VERTICAL;
    EXPECT_EQ(Corners(*Paint(t)), (std::array<Rgba4, 4>{kBlue, kWhite, kRed, kGreen}));

    // A quarter turn clockwise about the image's centre.
    t.m_flip = 0;
    t.m_angle = 90;
    EXPECT_EQ(Corners(*Paint(t)), (std::array<Rgba4, 4>{kBlue, kRed, kWhite, kGreen}));

    // The offset moves the image; where it does not reach, the shape shows nothing.
    t.m_angle = 0;
    t.m_offsetX = 11;
    const auto moved = Paint(t);
    EXPECT_EQ(Rgba(*moved, 5, 5), kWhite);
    EXPECT_EQ(Rgba(*moved, 12, 2), kRed);
}

TEST(Texture, RatesAtOrBelowZeroRaise58967WithTheValue) {
    CTextureParam t = Texture(Quadrants());
    for (double rate : {0.0, std::numeric_limits<double>::quiet_NaN()}) {
        t.m_rateY = rate;
        EXPECT_EQ(FailureId([&] { Paint(t); }), IDS_IMAGE_RATE_INVALID) << rate;
    }
    t.m_rateY = -2;
    EXPECT_EQ(FailureOf([&] { Paint(t); }).m_text, "Invalid image rate -2");
}

TEST(Texture, EveryPixelTypeIsReadInTheTargetsLayout) {
    auto make = [](std::uint32_t type, std::initializer_list<std::uint8_t> row0,
                   std::initializer_list<std::uint8_t> row1) {
        auto img = boost::shared_ptr<CImg>(new CImg);
        img->Allocate(type, 2, 2);
        std::copy(row0.begin(), row0.end(), img->Row(0));
        std::copy(row1.begin(), row1.end(), img->Row(1));
        return img;
    };
    const Rgba4 kCyan{0, 255, 255, 255}, kBlack{0, 0, 0, 255};
    const auto cmyka =
        Paint(Texture(make(CImg::PIXEL_CMYKA40, {255, 0, 0, 0, 255, 0, 0, 0, 255, 255},
                           {0, 0, 0, 0, 255, 0, 0, 0, 0, 0})));
    EXPECT_EQ(Corners(*cmyka), (std::array<Rgba4, 4>{kCyan, kBlack, kWhite, kWhite}));
    const auto grey = Paint(Texture(make(CImg::PIXEL_GREY8, {0, 85}, {170, 255})));
    EXPECT_EQ(Corners(*grey), (std::array<Rgba4, 4>{kBlack, Rgba4{85, 85, 85, 255},
                                                    Rgba4{170, 170, 170, 255}, kWhite}));
    const auto mono = Paint(Texture(make(CImg::PIXEL_MONO1, {0x80}, {0x40})));
    EXPECT_EQ(Corners(*mono), (std::array<Rgba4, 4>{kWhite, kBlack, kBlack, kWhite}));

    // An RGB texture on a CMYK page.
    CImgRenderer t(CImg::PIXEL_CMYKA40);
    t.SetBackgroundCmyk(0, 0, 0, 0, 0);
    t.BeginPage(40, 40);
    t.SetFillTexture(Texture(Quadrants()));
    t.AddRect(0, 0, 20, 20);
    t.Fill();
    auto page = t.TakeImage();
    EXPECT_EQ(At(*page, 2, 2), (render_test::Pixel{0, 255, 255, 0, 255}));
    EXPECT_EQ(At(*page, 30, 30), (render_test::Pixel{0, 0, 0, 0, 0}));
}

TEST(Texture, BrokenImagesAndWildNumbersAreHandled) {
    auto bad = Quadrants();
    bad->m_pixelType = 9;
    EXPECT_THROW(Paint(Texture(bad)), my::CException);
    auto shortBits = Quadrants();
    shortBits->m_bits.resize(7);
    EXPECT_EQ(FailureId([&] { Paint(Texture(shortBits)); }), IDS_IMAGE_FORMAT_UNSUPPORTED);
    auto empty = boost::shared_ptr<CImg>(new CImg);
    Paint(Texture(empty)); // nothing to lay: the shape stays empty

    // A texel magnified past the page shows one colour; one shrunk to nothing shows none.
    EXPECT_EQ(Rgba(*Paint(Texture(Quadrants(), CTextureParam::FIT_NONE, 1e12)), 10, 10), kRed);
    EXPECT_EQ(Rgba(*Paint(Texture(Quadrants(), CTextureParam::FIT_NONE, 1e-300)), 10, 10), kWhite);
    CTextureParam t = Texture(Quadrants());
    t.m_offsetX = std::numeric_limits<double>::infinity();
    t.m_angle = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(Rgba(*Paint(t), 10, 10), kWhite);
}

} // namespace
