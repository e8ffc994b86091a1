#include "support/png_fixture.h"

#include <png.h>
#include <stdexcept>

namespace morvane::test {

namespace {

unsigned Channels(int colorType) {
    switch (colorType) {
    case PNG_COLOR_TYPE_GRAY:
    case PNG_COLOR_TYPE_PALETTE:
        return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return 2;
    case PNG_COLOR_TYPE_RGB:
        return 3;
    default:
        return 4;
    }
}

void Append(png_structp png, png_bytep data, std::size_t length) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void Flush(png_structp) {}

} // namespace

std::size_t PngImage::RowBytes() const {
    return (std::size_t{width} * Channels(colorType) * unsigned(bitDepth) + 7) / 8;
}

namespace {

// libpng leaves by longjmp on failure, so this frame holds nothing with a destructor.
bool Write(png_structp png, png_infop info, const PngImage& image, png_colorp colors,
           int colorCount, png_bytepp rows, std::vector<std::uint8_t>* out) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_set_write_fn(png, out, &Append, &Flush);
    png_set_IHDR(png, info, image.width, image.height, image.bitDepth, image.colorType,
                 image.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (colorCount != 0) {
        png_set_PLTE(png, info, colors, colorCount);
    }
    if (!image.trns.empty()) {
        png_set_tRNS(png, info, image.trns.data(), int(image.trns.size()), nullptr);
    }
    if (!image.trnsColor.empty()) {
        png_color_16 key{};
        key.gray = image.trnsColor[0];
        if (image.trnsColor.size() == 3) {
            key.red = image.trnsColor[0];
            key.green = image.trnsColor[1];
            key.blue = image.trnsColor[2];
        }
        png_set_tRNS(png, info, nullptr, 0, &key);
    }
    if (image.filters != 0) {
        png_set_filter(png, PNG_FILTER_TYPE_BASE, image.filters);
    }
    if (image.idatBytes != 0) {
        png_set_compression_buffer_size(png, image.idatBytes);
    }
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    return true;
}

} // namespace

std::vector<std::uint8_t> EncodePng(const PngImage& image) {
    if (image.pixels.size() != image.RowBytes() * image.height) {
        throw std::invalid_argument("EncodePng: pixel bytes do not match the size");
    }
    std::vector<std::uint8_t> out;
    std::vector<png_color> colors(image.palette.size() / 3);
    for (std::size_t i = 0; i < colors.size(); ++i) {
        colors[i] = {image.palette[3 * i], image.palette[3 * i + 1], image.palette[3 * i + 2]};
    }
    std::vector<png_bytep> rows(image.height);
    for (std::uint32_t y = 0; y < image.height; ++y) {
        rows[y] = const_cast<png_bytep>(image.pixels.data()) + y * image.RowBytes();
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    const bool written =
        Write(png, info, image, colors.data(), int(colors.size()), rows.data(), &out);
    png_destroy_write_struct(&png, &info);
    if (!written) {
        throw std::runtime_error("EncodePng: libpng failed");
    }
    return out;
}

PngImage SolidPng(std::uint32_t width, std::uint32_t height, int colorType,
                  std::vector<std::uint8_t> samples) {
    PngImage image;
    image.width = width;
    image.height = height;
    image.colorType = colorType;
    image.bitDepth = 8;
    if (samples.size() != Channels(colorType)) {
        throw std::invalid_argument("SolidPng: one sample per channel");
    }
    for (std::size_t i = 0; i < std::size_t{width} * height; ++i) {
        image.pixels.insert(image.pixels.end(), samples.begin(), samples.end());
    }
    return image;
}

} // namespace morvane::test
