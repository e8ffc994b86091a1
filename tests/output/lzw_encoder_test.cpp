#include "gif_reader.h"
#include "output/lzw_encoder.h"
#include "output_test_util.h"

#include <bit>
#include <fstream>
#include <gif_lib.h>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

using codec::CLzwEncoder;
using namespace outtest;

struct CIndices {
    int m_width = 0, m_height = 0;
    int m_entries = 0; // colour table size, a power of two from 2 to 256
    std::vector<std::uint8_t> m_indices;
};

// A GIF of one image holding the LZW data, with a grey table of m_entries colours.
std::vector<std::uint8_t> WrapGif(const CIndices& image, const std::vector<std::uint8_t>& lzw) {
    std::vector<std::uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a'};
    const auto put16 = [&](int v) {
        gif.push_back(std::uint8_t(v & 0xFF));
        gif.push_back(std::uint8_t(v >> 8));
    };
    put16(image.m_width);
    put16(image.m_height);
    gif.insert(gif.end(), {0, 0, 0, 0x2C});
    put16(0);
    put16(0);
    put16(image.m_width);
    put16(image.m_height);
    gif.push_back(std::uint8_t(0x80 | (std::countr_zero(unsigned(image.m_entries)) - 1)));
    for (int c = 0; c < image.m_entries; ++c) {
        gif.insert(gif.end(), 3, std::uint8_t(c));
    }
    gif.insert(gif.end(), lzw.begin(), lzw.end());
    gif.push_back(0x3B);
    return gif;
}

// The indices giflib decodes from the encoder's data, and the data's size.
std::size_t RoundTrip(CLzwEncoder& encoder, const CIndices& image) {
    std::vector<std::uint8_t> lzw;
    encoder.Encode(image.m_indices, CLzwEncoder::MinCodeSize(std::size_t(image.m_entries)), lzw);
    CTempFolder dir;
    const auto path = dir.Path() / "a.gif";
    const auto bytes = WrapGif(image, lzw);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    const outtest::CGif gif = outtest::ReadGif(path);
    EXPECT_EQ(gif.m_error, "");
    EXPECT_EQ(gif.m_frames.size(), 1u);
    if (gif.m_frames.size() == 1) {
        EXPECT_EQ(gif.m_frames[0].m_indices, image.m_indices);
    }
    return lzw.size();
}

// giflib's own (greedy) LZW data of the same indices, for comparison.
std::size_t GiflibSize(const CIndices& image) {
    std::vector<std::uint8_t> out;
    int error = 0;
    GifFileType* gif = EGifOpen(
        &out,
        [](GifFileType* g, const GifByteType* data, int size) {
            auto* v = static_cast<std::vector<std::uint8_t>*>(g->UserData);
            v->insert(v->end(), data, data + size);
            return size;
        },
        &error);
    std::vector<GifColorType> colors(std::size_t(image.m_entries));
    ColorMapObject* map = GifMakeMapObject(image.m_entries, colors.data());
    EGifPutScreenDesc(gif, image.m_width, image.m_height, 8, 0, nullptr);
    const std::size_t start = out.size();
    EGifPutImageDesc(gif, 0, 0, image.m_width, image.m_height, false, map);
    const std::size_t header = out.size() - start;
    for (int y = 0; y < image.m_height; ++y) {
        EGifPutLine(gif,
                    const_cast<GifPixelType*>(&image.m_indices[std::size_t(y) * image.m_width]),
                    image.m_width);
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out.size() - start - header - 1; // without descriptor, table and trailer
}

CIndices Make(int width, int height, int entries, const auto& index) {
    CIndices image{width, height, entries, {}};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.m_indices.push_back(std::uint8_t(index(x, y)));
        }
    }
    return image;
}

// Diagonal bands of a gradation, one index each, a few pixels wide.
CIndices Bands(int width, int height) {
    return Make(width, height, 256, [](int x, int y) { return (x + y) / 5 % 200; });
}

// Discs of a few colours scattered on a plain ground.
CIndices Discs(int width, int height) {
    return Make(width, height, 16, [](int x, int y) {
        const int cx = x % 40 - 20, cy = y % 36 - 18;
        const int r2 = cx * cx + cy * cy;
        return r2 < 100 ? 3 + (x / 40 + y / 36) % 5 : r2 < 121 ? 2 : 1;
    });
}

// Every table size, from 1 pixel to data that fills the table and clears it many times: the
// data decode back with giflib. Random pixels fill the table fastest; one long run makes
// phrases that repeat their own last entry (a code read before its entry is complete).
TEST(LzwEncoder, GiflibDecodesWhatItWrites) {
    CLzwEncoder encoder;
    std::mt19937 random(3);
    for (const int entries : {2, 4, 16, 256}) {
        const auto noise = Make(301, 257, entries, [&](int, int) { return random() % entries; });
        RoundTrip(encoder, noise);
        RoundTrip(encoder, Make(1, 1, entries, [&](int, int) { return entries - 1; }));
        RoundTrip(encoder, Make(2, 1, entries, [&](int x, int) { return x; }));
    }
    RoundTrip(encoder, Make(4000, 30, 2, [](int, int) { return 1; }));
    RoundTrip(encoder, Bands(333, 250));
    RoundTrip(encoder, Discs(333, 250));
}

// The look-ahead pays on both kinds of picture our frames hold: gradations and shapes on a
// plain ground (measured: 25 % and 7 % fewer bytes than giflib); a parse that lost its
// look-ahead or its choice of slack would fall back towards giflib's size.
TEST(LzwEncoder, FewerBytesThanGiflibOnGradationsAndShapes) {
    CLzwEncoder encoder;
    const auto bands = Bands(400, 300);
    EXPECT_LT(double(RoundTrip(encoder, bands)), 0.85 * double(GiflibSize(bands)));
    const auto discs = Discs(400, 300);
    EXPECT_LT(double(RoundTrip(encoder, discs)), 0.96 * double(GiflibSize(discs)));
}

TEST(LzwEncoder, SameBytesForTheSameIndicesWhateverCameBefore) {
    const auto bands = Bands(200, 100);
    CLzwEncoder fresh;
    std::vector<std::uint8_t> first;
    fresh.Encode(bands.m_indices, 8, first);
    CLzwEncoder used;
    std::vector<std::uint8_t> other;
    used.Encode(Discs(300, 200).m_indices, 4, other);
    std::vector<std::uint8_t> again;
    used.Encode(bands.m_indices, 8, again);
    EXPECT_EQ(again, first);
}

TEST(LzwEncoder, IndicesBeyondTheTableAndBadCodeSizesAreRefused) {
    CLzwEncoder encoder;
    std::vector<std::uint8_t> out;
    const std::vector<std::uint8_t> indices = {0, 1, 4};
    EXPECT_THROW(encoder.Encode(indices, 2, out), my::CException);
    EXPECT_THROW(encoder.Encode(indices, 1, out), my::CException);
    EXPECT_THROW(encoder.Encode(indices, 9, out), my::CException);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(CLzwEncoder::MinCodeSize(2), 2);
    EXPECT_EQ(CLzwEncoder::MinCodeSize(5), 3);
    EXPECT_EQ(CLzwEncoder::MinCodeSize(256), 8);
}

} // namespace
