#include "platform/img.h"

#include "common/error.h"

#include <algorithm>
#include <limits>
#include <string>

namespace {
// Frames and textures beyond this are refused before any allocation.
constexpr std::size_t kMaxImageBytes = std::size_t{1} << 31;
} // namespace

unsigned CImg::BitsPerPixel(std::uint32_t pixelType) {
    switch (pixelType) {
    case PIXEL_BGRA32:
        return 32;
    case PIXEL_BGR24:
        return 24;
    case PIXEL_CMYKA40:
        return 40;
    case PIXEL_CMYK32:
        return 32;
    case PIXEL_GREY8:
        return 8;
    case PIXEL_MONO1:
        return 1;
    default:
        return 0;
    }
}

std::size_t CImg::StrideOf(std::uint32_t pixelType, std::int32_t width) {
    const unsigned bits = BitsPerPixel(pixelType);
    if (bits == 0) {
        throw my::InternalError("CImg::StrideOf()\nUnknown pixel type: " +
                                std::to_string(pixelType));
    }
    if (width < 0) {
        throw my::InternalError("CImg::StrideOf()\nNegative width: " + std::to_string(width));
    }
    const std::uint64_t rowBytes = (std::uint64_t(width) * bits + 7) / 8;
    return static_cast<std::size_t>((rowBytes + 3) / 4 * 4);
}

void CImg::Allocate(std::uint32_t pixelType, std::int32_t width, std::int32_t height) {
    AllocateUncleared(pixelType, width, height);
    std::fill(m_bits.begin(), m_bits.end(), std::uint8_t{0});
}

void CImg::AllocateUncleared(std::uint32_t pixelType, std::int32_t width, std::int32_t height) {
    const std::size_t stride = StrideOf(pixelType, width);
    if (height < 0) {
        throw my::InternalError("CImg::Allocate()\nNegative height: " + std::to_string(height));
    }
    if (height != 0 && stride > kMaxImageBytes / std::size_t(height)) {
        throw my::InternalError("CImg::Allocate()\nImage too large: " + std::to_string(width) +
                                " x " + std::to_string(height));
    }
    m_pixelType = pixelType;
    m_width = width;
    m_height = height;
    m_stride = stride;
    m_bits.clear();
    m_bits.resize(stride * std::size_t(height));
}
