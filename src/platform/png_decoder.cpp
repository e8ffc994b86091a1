#include "platform/png_decoder.h"

#include "common/error.h"
#include "common/message_ids.h"
#include "common/messages.h"
#include "platform/png_direct.h"
#include "platform/png_reader.h"

#include <cstring>
#include <string>

namespace codec {

namespace {

using Layout = CPngReader::Layout;

// Pixels of 128 and above are white in a 1-bit image made from grey.
constexpr std::uint8_t kMonoThreshold = 128;

std::string SizeText(std::int64_t width, std::int64_t height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

// The stream must hold exactly the bitmap's pixels.
void CheckSize(const CPngReader& reader, const CImg& img) {
    if (img.m_width <= 0 || img.m_height <= 0 || reader.Width() != std::uint32_t(img.m_width) ||
        reader.Height() != std::uint32_t(img.m_height)) {
        throw my::CException(
            IDS_WIC_FORMAT_UNKNOWN,
            my::FormatMessage(IDS_REASON_PNG_SIZE_MISMATCH,
                              std::vector{SizeText(reader.Width(), reader.Height()),
                                          SizeText(img.m_width, img.m_height)}));
    }
}

// CMYK travels only in 8-bit RGBA streams (32 bits per pixel).
void CheckCmykStream(const CPngReader& reader) {
    if (reader.ColorType() != PNG_COLOR_TYPE_RGB_ALPHA || reader.BitDepth() != 8) {
        throw my::CException(IDS_WIC_FORMAT_UNKNOWN,
                             std::string(my::MessageText(IDS_REASON_CMYK_NEEDS_RGBA)));
    }
}

// Allocates img's zeroed rows once the size is known to be within the limits.
void Allocate(CImg& img, std::uint32_t pixelType, const CPngLimits& limits) {
    const std::uint64_t bytes =
        std::uint64_t{CImg::StrideOf(pixelType, img.m_width)} * std::uint64_t(img.m_height);
    if (bytes > limits.m_maxPixelBytes) {
        throw TooLargeError(
            PixelBytesText(std::uint64_t(img.m_width), std::uint64_t(img.m_height), bytes),
            ByteLimitText(limits.m_maxPixelBytes));
    }
    img.Allocate(pixelType, img.m_width, img.m_height);
}

void SetBit(std::uint8_t* row, std::uint32_t x) {
    row[x / 8] |= std::uint8_t(0x80u >> (x % 8));
}

} // namespace

unsigned PngStreamCount(std::uint32_t pixelType) {
    if (CImg::BitsPerPixel(pixelType) == 0) {
        throw my::CException(
            IDS_WIC_FORMAT_UNKNOWN,
            my::FormatMessage(IDS_REASON_PIXEL_FORMAT, std::vector{std::to_string(pixelType)}));
    }
    return pixelType == CImg::PIXEL_CMYKA40 ? 2 : 1;
}

void DecodePng(io::CInputStream& png, CImg& img, const CPngLimits& limits) {
    const std::uint32_t type = img.m_pixelType;
    if (PngStreamCount(type) != 1) {
        throw my::CException(IDS_WIC_FORMAT_UNKNOWN,
                             my::FormatMessage(IDS_REASON_PIXEL_FORMAT_TWO_STREAMS,
                                               std::vector{std::to_string(type)}));
    }
    if (DecodePlainPng(png, img, limits)) {
        return;
    }
    CPngReader reader(png, limits);
    CheckSize(reader, img);
    Layout layout = Layout::Grey;
    switch (type) {
    case CImg::PIXEL_BGRA32:
        layout = Layout::Bgra;
        break;
    case CImg::PIXEL_BGR24:
        layout = Layout::Bgr;
        break;
    case CImg::PIXEL_CMYK32:
        CheckCmykStream(reader);
        layout = Layout::Raw32;
        break;
    case CImg::PIXEL_MONO1:
        if (reader.ColorType() == PNG_COLOR_TYPE_GRAY && reader.BitDepth() == 1) {
            layout = Layout::Mono;
        }
        break;
    default:
        break;
    }
    reader.Prepare(layout);
    Allocate(img, type, limits);

    const std::uint32_t width = reader.Width();
    if (type == CImg::PIXEL_MONO1 && layout == Layout::Grey) {
        reader.ForEachRow([&](std::uint32_t y, const std::uint8_t* grey) {
            std::uint8_t* out = img.Row(std::int32_t(y));
            for (std::uint32_t x = 0; x < width; ++x) {
                if (grey[x] >= kMonoThreshold) {
                    SetBit(out, x);
                }
            }
        });
        return;
    }
    const std::size_t rowBytes = (std::size_t{width} * CImg::BitsPerPixel(type) + 7) / 8;
    const unsigned spareBits =
        unsigned(rowBytes * 8 - std::size_t{width} * CImg::BitsPerPixel(type));
    reader.ForEachRow([&](std::uint32_t y, const std::uint8_t* row) {
        std::uint8_t* out = img.Row(std::int32_t(y));
        std::memcpy(out, row, rowBytes);
        if (spareBits != 0) {
            // The bits after the last pixel of a packed row stay zero.
            out[rowBytes - 1] &= std::uint8_t(0xFFu << spareBits);
        }
    });
}

void DecodePngCmykAlpha(io::CInputStream& cmyk, io::CInputStream& alpha, CImg& img,
                        const CPngLimits& limits) {
    if (img.m_pixelType != CImg::PIXEL_CMYKA40) {
        throw my::InternalError("codec::DecodePngCmykAlpha()\npixel format " +
                                std::to_string(img.m_pixelType));
    }
    CPngReader inks(cmyk, limits);
    CheckSize(inks, img);
    CheckCmykStream(inks);
    CPngReader alphas(alpha, limits);
    CheckSize(alphas, img);
    inks.Prepare(Layout::Raw32);
    const unsigned alphaStep = alphas.Prepare(Layout::Channels);
    Allocate(img, CImg::PIXEL_CMYKA40, limits);

    const std::uint32_t width = inks.Width();
    inks.ForEachRow([&](std::uint32_t y, const std::uint8_t* row) {
        std::uint8_t* out = img.Row(std::int32_t(y));
        for (std::uint32_t x = 0; x < width; ++x) {
            std::memcpy(out + 5 * std::size_t{x}, row + 4 * std::size_t{x}, 4);
        }
    });
    alphas.ForEachRow([&](std::uint32_t y, const std::uint8_t* row) {
        std::uint8_t* out = img.Row(std::int32_t(y));
        for (std::uint32_t x = 0; x < width; ++x) {
            out[5 * std::size_t{x} + 4] = row[alphaStep * std::size_t{x}];
        }
    });
}

} // namespace codec
