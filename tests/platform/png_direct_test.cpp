#include "common/message_ids.h"
#include "platform/png_decoder.h"
#include "platform/png_direct.h"
#include "support/failure.h"
#include "support/png_fixture.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <png.h>
#include <string>
#include <zlib.h>

namespace {

using morvane::test::EncodePng;
using morvane::test::FailureId;
using morvane::test::PngImage;

// Pixels that every filter predicts differently: gradients, noise and repeats.
PngImage Sample(std::uint32_t width, std::uint32_t height, int colorType) {
    PngImage image;
    image.width = width;
    image.height = height;
    image.colorType = colorType;
    std::uint32_t noise = 12345;
    for (std::size_t i = 0; i < image.RowBytes() * height; ++i) {
        noise = noise * 1103515245u + 12345u;
        const std::size_t y = i / image.RowBytes();
        image.pixels.push_back(y % 3 == 0   ? std::uint8_t(noise >> 24)
                               : y % 3 == 1 ? std::uint8_t(i * 7)
                                            : std::uint8_t(i / 5));
    }
    return image;
}

CImg Bitmap(const PngImage& image) {
    CImg img;
    img.m_pixelType = CImg::PIXEL_BGRA32;
    img.m_width = std::int32_t(image.width);
    img.m_height = std::int32_t(image.height);
    return img;
}

// The BGRA rows the image's samples stand for.
std::vector<std::uint8_t> Expected(const PngImage& image) {
    const std::size_t channels = image.colorType == PNG_COLOR_TYPE_RGB_ALPHA ? 4 : 3;
    std::vector<std::uint8_t> out;
    for (std::size_t p = 0; p < std::size_t(image.width) * image.height; ++p) {
        const std::uint8_t* s = &image.pixels[p * channels];
        out.insert(out.end(), {s[2], s[1], s[0], channels == 4 ? s[3] : std::uint8_t(0xFF)});
    }
    return out;
}

bool DecodeDirect(const std::vector<std::uint8_t>& png, CImg& img,
                  const codec::CPngLimits& limits = {}) {
    io::CMemoryInputStream stream = io::CMemoryInputStream::Over(png);
    const bool decoded = codec::DecodePlainPng(stream, img, limits);
    if (!decoded) {
        // Left where it was for libpng.
        EXPECT_EQ(stream.Position(), 0u);
    }
    return decoded;
}

// The length field of the chunk at `at`.
std::uint32_t ChunkLength(const std::vector<std::uint8_t>& png, std::size_t at) {
    return std::uint32_t(png[at]) << 24 | std::uint32_t(png[at + 1]) << 16 |
           std::uint32_t(png[at + 2]) << 8 | png[at + 3];
}

void AppendU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.insert(out.end(), {std::uint8_t(v >> 24), std::uint8_t(v >> 16), std::uint8_t(v >> 8),
                           std::uint8_t(v)});
}

// Replaces the first chunk of the type with new data and a correct checksum.
void ReplaceChunk(std::vector<std::uint8_t>& png, const std::string& type,
                  const std::vector<std::uint8_t>& data) {
    std::size_t at = 8;
    for (;;) {
        ASSERT_LE(at + 12, png.size()) << type << " not found";
        const std::uint32_t length = ChunkLength(png, at);
        if (std::string(png.begin() + std::ptrdiff_t(at + 4),
                        png.begin() + std::ptrdiff_t(at + 8)) == type) {
            std::vector<std::uint8_t> chunk;
            AppendU32(chunk, std::uint32_t(data.size()));
            chunk.insert(chunk.end(), type.begin(), type.end());
            chunk.insert(chunk.end(), data.begin(), data.end());
            AppendU32(chunk, std::uint32_t(crc32(crc32(0, nullptr, 0), chunk.data() + 4,
                                                 uInt(chunk.size() - 4))));
            png.erase(png.begin() + std::ptrdiff_t(at),
                      png.begin() + std::ptrdiff_t(at + 12 + length));
            png.insert(png.begin() + std::ptrdiff_t(at), chunk.begin(), chunk.end());
            return;
        }
        at += 12 + length;
    }
}

std::vector<std::uint8_t> ChunkData(const std::vector<std::uint8_t>& png, std::size_t at) {
    return {png.begin() + std::ptrdiff_t(at + 8),
            png.begin() + std::ptrdiff_t(at + 8 + ChunkLength(png, at))};
}

TEST(PngDirect, EveryFilterAndChunkSplitDecodesToTheSamples) {
    for (const int colorType : {PNG_COLOR_TYPE_RGB, PNG_COLOR_TYPE_RGB_ALPHA}) {
        for (const int filters : {PNG_FILTER_NONE, PNG_FILTER_SUB, PNG_FILTER_UP, PNG_FILTER_AVG,
                                  PNG_FILTER_PAETH, PNG_ALL_FILTERS}) {
            for (const auto& [width, height] : {std::pair{1u, 1u}, {2u, 5u}, {37u, 23u}}) {
                PngImage image = Sample(width, height, colorType);
                image.filters = filters;
                image.idatBytes = 64; // several IDAT chunks, joined before decompression
                SCOPED_TRACE("colour type " + std::to_string(colorType) + ", filters " +
                             std::to_string(filters) + ", " + std::to_string(width) + " x " +
                             std::to_string(height));
                CImg img = Bitmap(image);
                ASSERT_TRUE(DecodeDirect(EncodePng(image), img));
                EXPECT_EQ(std::vector<std::uint8_t>(img.m_bits.begin(), img.m_bits.end()),
                          Expected(image));
            }
        }
    }
}

TEST(PngDirect, OtherStreamsAreLeftToLibpngWhichDecodesThemAsBefore) {
    const PngImage plain = Sample(9, 7, PNG_COLOR_TYPE_RGB);
    const auto good = EncodePng(plain);

    PngImage interlaced = plain;
    interlaced.interlaced = true;
    PngImage keyed = plain;
    keyed.trnsColor = {plain.pixels[0], plain.pixels[1], plain.pixels[2]};
    PngImage grey = Sample(9, 7, PNG_COLOR_TYPE_GRAY);
    PngImage wide = Sample(9, 7, PNG_COLOR_TYPE_RGB);
    wide.bitDepth = 16;
    wide.pixels.resize(wide.RowBytes() * wide.height, 0x5A);
    for (const auto& [name, other] : {std::pair{"interlaced", interlaced},
                                      {"colour key", keyed},
                                      {"grey", grey},
                                      {"16 bits", wide}}) {
        SCOPED_TRACE(name);
        const auto png = EncodePng(other);
        CImg direct = Bitmap(other);
        EXPECT_FALSE(DecodeDirect(png, direct));
        // The whole decoder still reads them, through libpng.
        CImg img = Bitmap(other);
        io::CMemoryInputStream stream = io::CMemoryInputStream::Over(png);
        EXPECT_NO_THROW(codec::DecodePng(stream, img));
    }
    // The colour key still becomes transparency.
    CImg img = Bitmap(keyed);
    const auto keyedPng = EncodePng(keyed);
    io::CMemoryInputStream stream = io::CMemoryInputStream::Over(keyedPng);
    codec::DecodePng(stream, img);
    EXPECT_EQ(img.m_bits[3], 0);

    // A size other than the bitmap's, and a stream over the limits.
    CImg smaller = Bitmap(plain);
    smaller.m_width = 8;
    EXPECT_FALSE(DecodeDirect(good, smaller));
    codec::CPngLimits limits;
    limits.m_maxPixelBytes = 9 * 7 * 4 - 1;
    CImg limited = Bitmap(plain);
    EXPECT_FALSE(DecodeDirect(good, limited, limits));
    limits = {};
    limits.m_maxWidth = 8;
    EXPECT_FALSE(DecodeDirect(good, limited, limits));
}

TEST(PngDirect, DamageIsLeftToLibpngAndGetsItsMessage) {
    const PngImage image = Sample(16, 16, PNG_COLOR_TYPE_RGB_ALPHA);
    const auto good = EncodePng(image);
    const std::size_t idat = 8 + 25; // signature, then IHDR
    ASSERT_EQ(std::string(good.begin() + idat + 4, good.begin() + idat + 8), "IDAT");
    const std::vector<std::uint8_t> data = ChunkData(good, idat);

    std::vector<std::vector<std::uint8_t>> damaged;
    // A wrong checksum, cut streams, a bad filter type, too little image data.
    damaged.push_back(good);
    damaged.back()[idat + 8 + data.size() / 2] ^= 0x40;
    damaged.emplace_back(good.begin(), good.begin() + std::ptrdiff_t(idat + 8 + data.size() / 2));
    damaged.emplace_back(good.begin(), good.begin() + 20);
    std::vector<std::uint8_t> tooLong;
    for (const std::size_t rows : {std::size_t{15}, std::size_t{17}}) {
        PngImage other = image;
        other.height = std::uint32_t(rows);
        other.pixels.resize(other.RowBytes() * rows, 0x11);
        auto png = good;
        ReplaceChunk(png, "IDAT", ChunkData(EncodePng(other), idat));
        (rows < 16 ? damaged.emplace_back() : tooLong) = png;
    }
    PngImage unfiltered = image;
    unfiltered.filters = PNG_FILTER_NONE;
    auto badFilter = EncodePng(unfiltered);
    {
        // The first row's filter byte, inside a stored (uncompressed) copy of the rows.
        std::vector<std::uint8_t> rows;
        for (std::uint32_t y = 0; y < 16; ++y) {
            rows.push_back(y == 0 ? 9 : 0);
            rows.insert(rows.end(), image.pixels.begin() + y * 64,
                        image.pixels.begin() + (y + 1) * 64);
        }
        uLongf size = compressBound(uLong(rows.size()));
        std::vector<std::uint8_t> zlib(size);
        ASSERT_EQ(compress(zlib.data(), &size, rows.data(), uLong(rows.size())), Z_OK);
        zlib.resize(size);
        ReplaceChunk(badFilter, "IDAT", zlib);
    }
    damaged.push_back(badFilter);

    for (std::size_t i = 0; i < damaged.size(); ++i) {
        SCOPED_TRACE("damage " + std::to_string(i));
        CImg img = Bitmap(image);
        EXPECT_FALSE(DecodeDirect(damaged[i], img));
        img = Bitmap(image);
        EXPECT_EQ(FailureId([&] {
                      io::CMemoryInputStream stream = io::CMemoryInputStream::Over(damaged[i]);
                      codec::DecodePng(stream, img);
                  }),
                  IDS_WIC_PIXEL_FORMAT_FAILED);
    }
    // Image data beyond the last row is only warned about by libpng, and decodes there.
    CImg img = Bitmap(image);
    EXPECT_FALSE(DecodeDirect(tooLong, img));
    io::CMemoryInputStream stream = io::CMemoryInputStream::Over(tooLong);
    EXPECT_NO_THROW(codec::DecodePng(stream, img));
}

// The direct decoder takes rows without clearing them; an image allocated the usual way after
// that (as libpng's path does when the direct one gives up) has cleared rows again.
TEST(PngDirect, RowsLeftUnclearedAreClearedByTheNextAllocation) {
    CImg img;
    img.AllocateUncleared(CImg::PIXEL_BGRA32, 3, 2);
    ASSERT_EQ(img.ByteSize(), 24u);
    std::fill(img.m_bits.begin(), img.m_bits.end(), std::uint8_t{0xAB});
    img.Allocate(CImg::PIXEL_BGRA32, 5, 4);
    ASSERT_EQ(img.ByteSize(), 80u);
    EXPECT_TRUE(std::all_of(img.m_bits.begin(), img.m_bits.end(), [](auto b) { return b == 0; }));
}

} // namespace
