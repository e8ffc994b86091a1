#include "common/error.h"
#include "common/message_ids.h"
#include "platform/png_decoder.h"
#include "support/failure.h"
#include "support/png_fixture.h"

#include <gtest/gtest.h>
#include <png.h>

namespace {

using morvane::test::EncodePng;
using morvane::test::FailureId;
using morvane::test::FailureOf;
using morvane::test::PngImage;
using morvane::test::SolidPng;

CImg Target(std::uint32_t type, std::int32_t width, std::int32_t height) {
    CImg img;
    img.m_pixelType = type;
    img.m_width = width;
    img.m_height = height;
    return img;
}

CImg Decode(const std::vector<std::uint8_t>& png, std::uint32_t type, std::int32_t width,
            std::int32_t height, const codec::CPngLimits& limits = {}) {
    CImg img = Target(type, width, height);
    io::CMemoryInputStream stream = io::CMemoryInputStream::Over(png);
    codec::DecodePng(stream, img, limits);
    return img;
}

CImg DecodeCmykAlpha(const std::vector<std::uint8_t>& inks, const std::vector<std::uint8_t>& alpha,
                     std::int32_t width, std::int32_t height) {
    CImg img = Target(CImg::PIXEL_CMYKA40, width, height);
    io::CMemoryInputStream first = io::CMemoryInputStream::Over(inks);
    io::CMemoryInputStream second = io::CMemoryInputStream::Over(alpha);
    codec::DecodePngCmykAlpha(first, second, img);
    return img;
}

std::vector<std::uint8_t> Bytes(const CImg& img, std::int32_t y, std::size_t from, std::size_t n) {
    return {img.Row(y) + from, img.Row(y) + from + n};
}

TEST(PngDecoder, BgraKeepsStraightAlphaAndFillsOpaqueWhenTheStreamHasNone) {
    const CImg rgba =
        Decode(EncodePng(SolidPng(2, 2, PNG_COLOR_TYPE_RGB_ALPHA, {200, 100, 50, 128})),
               CImg::PIXEL_BGRA32, 2, 2);
    EXPECT_EQ(rgba.m_stride, 8u);
    EXPECT_EQ(Bytes(rgba, 1, 4, 4), (std::vector<std::uint8_t>{50, 100, 200, 128}));

    PngImage palette;
    palette.width = 2;
    palette.colorType = PNG_COLOR_TYPE_PALETTE;
    palette.bitDepth = 4;
    palette.palette = {10, 20, 30, 40, 50, 60};
    palette.trns = {0};
    palette.pixels = {0x01};
    const CImg indexed = Decode(EncodePng(palette), CImg::PIXEL_BGRA32, 2, 1);
    EXPECT_EQ(Bytes(indexed, 0, 0, 8), (std::vector<std::uint8_t>{30, 20, 10, 0, 60, 50, 40, 255}));
}

TEST(PngDecoder, CmykComesFromThirtyTwoBitStreamsInBgraOrder) {
    // Stream samples R, G, B, A carry Y, M, C, K.
    const CImg img = Decode(EncodePng(SolidPng(2, 1, PNG_COLOR_TYPE_RGB_ALPHA, {30, 20, 10, 40})),
                            CImg::PIXEL_CMYK32, 2, 1);
    EXPECT_EQ(Bytes(img, 0, 4, 4), (std::vector<std::uint8_t>{10, 20, 30, 40}));

    EXPECT_EQ(FailureId([] {
                  Decode(EncodePng(SolidPng(2, 1, PNG_COLOR_TYPE_RGB, {1, 2, 3})),
                         CImg::PIXEL_CMYK32, 2, 1);
              }),
              IDS_WIC_FORMAT_UNKNOWN);
}

TEST(PngDecoder, CmykWithAlphaTakesAlphaFromChannelZeroOfTheSecondStream) {
    const auto inks = EncodePng(SolidPng(3, 2, PNG_COLOR_TYPE_RGB_ALPHA, {30, 20, 10, 40}));
    const CImg fromGrey =
        DecodeCmykAlpha(inks, EncodePng(SolidPng(3, 2, PNG_COLOR_TYPE_GRAY, {99})), 3, 2);
    EXPECT_EQ(fromGrey.m_stride, 16u);
    EXPECT_EQ(
        Bytes(fromGrey, 1, 0, 16),
        (std::vector<std::uint8_t>{10, 20, 30, 40, 99, 10, 20, 30, 40, 99, 10, 20, 30, 40, 99, 0}));

    // A colour alpha stream gives its first byte in B, G, R order: blue.
    const CImg fromColour =
        DecodeCmykAlpha(inks, EncodePng(SolidPng(3, 2, PNG_COLOR_TYPE_RGB, {7, 8, 9})), 3, 2);
    EXPECT_EQ(fromColour.Row(0)[4], 9);
}

TEST(PngDecoder, CmykWithAlphaRefusesAnInkStreamOtherThanThirtyTwoBits) {
    const auto alpha = EncodePng(SolidPng(2, 2, PNG_COLOR_TYPE_GRAY, {255}));
    PngImage deep;
    deep.width = 2;
    deep.height = 2;
    deep.colorType = PNG_COLOR_TYPE_GRAY_ALPHA;
    deep.bitDepth = 16; // also 32 bits per pixel, but not four 8-bit inks
    deep.pixels.assign(deep.RowBytes() * 2, 0);
    EXPECT_EQ(FailureId([&] { DecodeCmykAlpha(EncodePng(deep), alpha, 2, 2); }),
              IDS_WIC_FORMAT_UNKNOWN);
    // Both streams must have the bitmap's size.
    EXPECT_EQ(FailureId([&] {
                  DecodeCmykAlpha(EncodePng(SolidPng(2, 2, PNG_COLOR_TYPE_RGB_ALPHA, {1, 2, 3, 4})),
                                  EncodePng(SolidPng(2, 1, PNG_COLOR_TYPE_GRAY, {1})), 2, 2);
              }),
              IDS_WIC_FORMAT_UNKNOWN);
    // Pixel format 2 cannot come from one stream.
    EXPECT_EQ(FailureId([&] { Decode(alpha, CImg::PIXEL_CMYKA40, 2, 2); }), IDS_WIC_FORMAT_UNKNOWN);
}

TEST(PngDecoder, InterlacedStreamsDecodeLikePlainOnes) {
    // Every pixel different, so that a pixel of the wrong pass or place shows.
    PngImage colour;
    colour.width = 13;
    colour.height = 11;
    colour.colorType = PNG_COLOR_TYPE_RGB_ALPHA;
    for (std::size_t i = 0; i < 13 * 11 * 4; ++i) {
        colour.pixels.push_back(std::uint8_t(i * 31));
    }
    for (const bool interlaced : {false, true}) {
        SCOPED_TRACE(interlaced ? "interlaced" : "plain");
        colour.interlaced = interlaced;
        const CImg img = Decode(EncodePng(colour), CImg::PIXEL_BGRA32, 13, 11);
        for (std::int32_t y = 0; y < 11; ++y) {
            std::vector<std::uint8_t> bgra;
            for (std::size_t x = 0; x < 13; ++x) {
                const std::uint8_t* rgba = &colour.pixels[(std::size_t(y) * 13 + x) * 4];
                bgra.insert(bgra.end(), {rgba[2], rgba[1], rgba[0], rgba[3]});
            }
            EXPECT_EQ(Bytes(img, y, 0, 13 * 4), bgra) << "row " << y;
        }
    }

    // One-bit rows keep their packed bits: 13 pixels are one byte and the top five bits of the
    // next.
    PngImage bits;
    bits.width = 13;
    bits.height = 9;
    bits.colorType = PNG_COLOR_TYPE_GRAY;
    bits.bitDepth = 1;
    for (std::size_t i = 0; i < bits.RowBytes() * bits.height; ++i) {
        bits.pixels.push_back(std::uint8_t(i % 2 ? 0xA7 : 0x38 + i));
    }
    for (const bool interlaced : {false, true}) {
        SCOPED_TRACE(interlaced ? "interlaced" : "plain");
        bits.interlaced = interlaced;
        const CImg img = Decode(EncodePng(bits), CImg::PIXEL_MONO1, 13, 9);
        for (std::int32_t y = 0; y < 9; ++y) {
            const std::uint8_t* row = &bits.pixels[std::size_t(y) * 2];
            EXPECT_EQ(img.Row(y)[0], row[0]) << "row " << y;
            EXPECT_EQ(img.Row(y)[1] & 0xF8, row[1] & 0xF8) << "row " << y;
        }
    }
}

TEST(PngDecoder, SizeDifferentFromTheBitmapIsRefused) {
    const auto png = EncodePng(SolidPng(4, 3, PNG_COLOR_TYPE_GRAY, {1}));
    const CSimpleErr err = FailureOf([&] { Decode(png, CImg::PIXEL_GREY8, 3, 4); });
    EXPECT_EQ(err.m_id, IDS_WIC_FORMAT_UNKNOWN);
    EXPECT_EQ(
        err.m_text,
        "The image is in a form that cannot be read\n\nthe PNG stream holds 4 x 3 pixels, the bitmap 3 x 4");
}

TEST(PngDecoder, DamagedStreamsRaiseTheDecoderMessage) {
    const auto good = EncodePng(SolidPng(8, 8, PNG_COLOR_TYPE_RGB, {1, 2, 3}));
    auto badSignature = good;
    badSignature[1] = 'Q';
    const CSimpleErr err = FailureOf([&] { Decode(badSignature, CImg::PIXEL_BGR24, 8, 8); });
    EXPECT_EQ(err.m_id, IDS_WIC_PIXEL_FORMAT_FAILED);
    EXPECT_EQ(err.m_text.rfind("Failed to read the pixels of the image\n\nPNG: ", 0), 0u) << err.m_text;

    for (const std::size_t length : {std::size_t{0}, std::size_t{20}, good.size() - 16}) {
        const std::vector<std::uint8_t> truncated(good.begin(), good.begin() + length);
        EXPECT_EQ(FailureId([&] { Decode(truncated, CImg::PIXEL_BGR24, 8, 8); }),
                  IDS_WIC_PIXEL_FORMAT_FAILED)
            << length << " bytes";
    }
}

TEST(PngDecoder, LimitsAreCheckedBeforeTheRowsAreAllocated) {
    // A header that claims far more pixels than its few bytes can inflate to.
    PngImage tall;
    tall.width = 1000;
    tall.height = 1000;
    tall.colorType = PNG_COLOR_TYPE_RGB_ALPHA;
    tall.pixels.assign(tall.RowBytes() * tall.height, 0);
    const auto full = EncodePng(tall);
    const std::vector<std::uint8_t> head(full.begin(), full.begin() + 200);
    CImg img = Target(CImg::PIXEL_BGRA32, 1000, 1000);
    io::CMemoryInputStream stream = io::CMemoryInputStream::Over(head);
    EXPECT_EQ(FailureId([&] { codec::DecodePng(stream, img); }), IDS_WIC_PIXEL_FORMAT_FAILED);
    EXPECT_TRUE(img.m_bits.empty());

    codec::CPngLimits small;
    small.m_maxPixelBytes = 1000 * 1000 * 4 - 1;
    EXPECT_EQ(FailureId([&] { Decode(full, CImg::PIXEL_BGRA32, 1000, 1000, small); }),
              IDS_IMAGE_TOO_LARGE);
    EXPECT_EQ(Decode(full, CImg::PIXEL_BGRA32, 1000, 1000).ByteSize(), 1000u * 1000u * 4u);
}

// An image over the limits is sound but too large: the message says so with both sizes,
// instead of libpng's "Invalid IHDR data", which reads like a damaged file.
TEST(PngDecoder, AnImageOverTheLimitsIsReportedAsTooLargeWithItsSize) {
    PngImage wide;
    wide.width = 20000;
    wide.colorType = PNG_COLOR_TYPE_GRAY;
    wide.pixels.assign(wide.RowBytes(), 7);
    const auto png = EncodePng(wide);
    const CSimpleErr err = FailureOf([&] { Decode(png, CImg::PIXEL_GREY8, 20000, 1); });
    EXPECT_EQ(err.m_id, IDS_IMAGE_TOO_LARGE);
    EXPECT_EQ(err.m_text,
              "The image is too large: 20000 x 1 pixels\n\nThe limit is 16384 x 16384 pixels.");

    codec::CPngLimits limits;
    limits.m_maxHeight = 100;
    const auto tall = EncodePng(SolidPng(2, 101, PNG_COLOR_TYPE_RGB, {1, 2, 3}));
    EXPECT_EQ(FailureOf([&] { Decode(tall, CImg::PIXEL_BGR24, 2, 101, limits); }).m_text,
              "The image is too large: 2 x 101 pixels\n\nThe limit is 16384 x 100 pixels.");

    limits = {};
    limits.m_maxPixelBytes = 2u << 20;
    const auto square = EncodePng(SolidPng(1000, 1000, PNG_COLOR_TYPE_GRAY, {9}));
    EXPECT_EQ(FailureOf([&] { Decode(square, CImg::PIXEL_BGRA32, 1000, 1000, limits); }).m_text,
              "The image is too large: 1000 x 1000 pixels (3.8 MiB)\n\nThe limit is 2 MiB of "
              "pixels.");
}

} // namespace
