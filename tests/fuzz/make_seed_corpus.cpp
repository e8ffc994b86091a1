// Writes the seed corpora of the fuzz targets: small PNG blobs of every pixel type and small
// ICC profiles and small stroke files, all made with the test fixtures. Usage:
// fuzz_seed_corpus <corpus folder>; the files go to <folder>/png_blob, <folder>/icc_open and
// <folder>/strk_reader.
#include "support/icc_fixture.h"
#include "support/png_fixture.h"
#include "support/strk_writer.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <png.h>

namespace {

namespace fs = std::filesystem;
using morvane::test::EncodePng;
using morvane::test::PngImage;
using morvane::test::SolidPng;

void Save(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// A png_blob input: pixel type, first blob length, first blob, second blob.
std::vector<std::uint8_t> BlobInput(std::uint8_t pixelType, const std::vector<std::uint8_t>& first,
                                    const std::vector<std::uint8_t>& second = {}) {
    std::vector<std::uint8_t> input = {pixelType};
    for (int i = 0; i < 4; ++i) {
        input.push_back(std::uint8_t(first.size() >> (8 * i)));
    }
    input.insert(input.end(), first.begin(), first.end());
    input.insert(input.end(), second.begin(), second.end());
    return input;
}

PngImage Pattern(std::uint32_t width, std::uint32_t height, int colorType, int bitDepth) {
    PngImage image;
    image.width = width;
    image.height = height;
    image.colorType = colorType;
    image.bitDepth = bitDepth;
    image.pixels.resize(image.RowBytes() * height);
    for (std::size_t i = 0; i < image.pixels.size(); ++i) {
        image.pixels[i] = std::uint8_t(i * 53 + 11);
    }
    return image;
}

void WritePngSeeds(const fs::path& folder) {
    PngImage palette = Pattern(5, 3, PNG_COLOR_TYPE_PALETTE, 2);
    palette.palette = {0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255};
    palette.trns = {0, 128};
    PngImage interlaced = Pattern(9, 9, PNG_COLOR_TYPE_RGB_ALPHA, 8);
    interlaced.interlaced = true;
    const auto inks = EncodePng(Pattern(4, 3, PNG_COLOR_TYPE_RGB_ALPHA, 8));
    // The direct path of plain 8-bit colour streams: every filter, data over several chunks.
    PngImage split = Pattern(11, 6, PNG_COLOR_TYPE_RGB, 8);
    split.filters = PNG_ALL_FILTERS;
    split.idatBytes = 32;

    Save(folder / "bgra-rgba8",
         BlobInput(0, EncodePng(Pattern(4, 3, PNG_COLOR_TYPE_RGB_ALPHA, 8))));
    Save(folder / "bgra-rgb8-split", BlobInput(0, EncodePng(split)));
    Save(folder / "bgra-palette-trns", BlobInput(0, EncodePng(palette)));
    Save(folder / "bgra-interlaced", BlobInput(0, EncodePng(interlaced)));
    Save(folder / "bgr-rgb16", BlobInput(1, EncodePng(Pattern(3, 2, PNG_COLOR_TYPE_RGB, 16))));
    Save(folder / "bgr-grey-alpha",
         BlobInput(1, EncodePng(Pattern(3, 2, PNG_COLOR_TYPE_GRAY_ALPHA, 8))));
    Save(folder / "cmyka-grey-alpha",
         BlobInput(2, inks, EncodePng(Pattern(4, 3, PNG_COLOR_TYPE_GRAY, 8))));
    Save(folder / "cmyka-rgb-alpha",
         BlobInput(2, inks, EncodePng(SolidPng(4, 3, PNG_COLOR_TYPE_RGB, {1, 2, 3}))));
    Save(folder / "cmyk-rgba8", BlobInput(3, inks));
    Save(folder / "grey-grey4", BlobInput(4, EncodePng(Pattern(7, 2, PNG_COLOR_TYPE_GRAY, 4))));
    Save(folder / "grey-rgb8", BlobInput(4, EncodePng(Pattern(3, 3, PNG_COLOR_TYPE_RGB, 8))));
    Save(folder / "mono-grey1", BlobInput(5, EncodePng(Pattern(19, 2, PNG_COLOR_TYPE_GRAY, 1))));
    Save(folder / "mono-grey8", BlobInput(5, EncodePng(Pattern(5, 2, PNG_COLOR_TYPE_GRAY, 8))));
}

void WriteIccSeeds(const fs::path& folder) {
    Save(folder / "srgb-v2", morvane::test::MakeSrgbProfile("sRGB seed"));
    Save(folder / "srgb-v4", morvane::test::MakeSrgbProfile("sRGB seed v4", 4.3));
    Save(folder / "cmyk-v4", morvane::test::MakeCmykProfile("CMYK seed", 3, 5));
    Save(folder / "grey-v4", morvane::test::MakeGreyProfile("Grey seed"));
}

// Stroke files that between them hold every record: figures of each kind, every fill, text
// settings, an embedded profile and bitmaps of every pixel format.
void WriteStrkSeeds(const fs::path& folder) {
    using namespace morvane::test;
    {
        StrkWriter writer;
        Save(folder / "empty", writer.Bytes());
    }
    {
        StrkWriter writer;
        auto& layer = writer.Model().Layer(u"layer");
        layer.Stroke(Mono({65535, 0, 0, 0, 65535}));
        layer.Fill(
            Gradation(30.0, {{true, {0, 0, 65535, 0, 65535}, 0.0}, {false, {1, 2, 3, 4, 5}, 1.0}}));
        layer.Line(u"line").Part(true).Point(0, 0, 2).Handles(-1, 0, 1, 0).Point(5, 5, 1);
        layer.Layer(u"inner").Line(u"bare").Part().BarePoint(1, 1).BarePoint(2, 2);
        auto& text = writer.Model().Text(u"text", u"Ab\nc");
        text.Part().Point(0, 10).Point(50, 10);
        Save(folder / "figures", writer.Bytes());
    }
    {
        StrkWriter writer;
        writer.Model().colorType = 1;
        writer.Model().Profile(morvane::test::MakeCmykProfile("seed", 3, 5));
        auto& line = writer.Model().Line(u"textures");
        StrkTexture cmyk;
        cmyk.bitmap = SolidBitmap(2, 3, 2, {1, 2, 3, 4, 5});
        cmyk.bitmap->context = StrkColorContext{1, 2, {3, 4}};
        line.Stroke(cmyk);
        StrkTexture grey;
        grey.bitmap = SolidBitmap(4, 2, 2, {128});
        line.Fill(grey);
        Save(folder / "cmyk-textures", writer.Bytes());
    }
    {
        StrkWriter writer;
        writer.version = 0x01000000;
        writer.Model().Profile(morvane::test::MakeSrgbProfile("seed"));
        const std::vector<std::vector<std::uint8_t>> pixels = {{1, 2, 3, 4}, {1, 2, 3}, {},
                                                               {1, 2, 3, 4}, {9},       {1}};
        for (std::uint32_t type : {0u, 1u, 3u, 5u}) {
            StrkTexture texture;
            texture.bitmap = SolidBitmap(type, 2, 1, pixels[type]);
            writer.Model().Layer().Fill(texture);
        }
        Save(folder / "rgb-textures-v1000", writer.Bytes());
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: fuzz_seed_corpus <corpus folder>\n";
        return 2;
    }
    const fs::path root = argv[1];
    fs::create_directories(root / "png_blob");
    fs::create_directories(root / "icc_open");
    fs::create_directories(root / "strk_reader");
    WritePngSeeds(root / "png_blob");
    WriteIccSeeds(root / "icc_open");
    WriteStrkSeeds(root / "strk_reader");
    return 0;
}
