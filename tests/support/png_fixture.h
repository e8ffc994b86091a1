// PNG streams for tests and seed corpora, written with libpng from rows given in PNG order.
#pragma once

#include <cstdint>
#include <vector>

namespace morvane::test {

struct PngImage {
    std::uint32_t width = 1;
    std::uint32_t height = 1;
    int colorType = 0; // PNG_COLOR_TYPE_*
    int bitDepth = 8;
    bool interlaced = false;
    // Rows without padding, samples in PNG order (16-bit big-endian, sub-byte packed high bit
    // first); RowBytes() each.
    std::vector<std::uint8_t> pixels;
    std::vector<std::uint8_t> palette;    // r, g, b per entry
    std::vector<std::uint8_t> trns;       // palette alphas
    std::vector<std::uint16_t> trnsColor; // the colour key of a grey (1) or RGB (3) image
    int filters = 0;                      // PNG_FILTER_* mask; 0 leaves libpng's choice
    std::size_t idatBytes = 0;            // largest IDAT chunk; 0 leaves libpng's size

    std::size_t RowBytes() const;
};

// Encodes the image as a complete PNG stream.
std::vector<std::uint8_t> EncodePng(const PngImage& image);

// An 8-bit image of the colour type whose every pixel is the given samples (1 to 4 of them).
PngImage SolidPng(std::uint32_t width, std::uint32_t height, int colorType,
                  std::vector<std::uint8_t> samples);

} // namespace morvane::test
