// Writes the seed corpora of the fuzz targets: small PNG blobs of every pixel type and small
// ICC profiles, all made with the test fixtures. Usage: fuzz_seed_corpus <corpus folder>; the
// files go to <folder>/png_blob and <folder>/icc_open.
#include "support/icc_fixture.h"
#include "support/png_fixture.h"

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

    Save(folder / "bgra-rgba8",
         BlobInput(0, EncodePng(Pattern(4, 3, PNG_COLOR_TYPE_RGB_ALPHA, 8))));
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

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: fuzz_seed_corpus <corpus folder>\n";
        return 2;
    }
    const fs::path root = argv[1];
    fs::create_directories(root / "png_blob");
    fs::create_directories(root / "icc_open");
    WritePngSeeds(root / "png_blob");
    WriteIccSeeds(root / "icc_open");
    return 0;
}
