// libFuzzer target: the PNG blobs of an embedded bitmap, decoded as the stroke reader does.
// Input: one byte choosing the pixel type (6 is an unknown one), the first blob's length as a
// 32-bit little-endian number, the first blob, then the second blob (used by pixel type 2).
// The bitmap's width and height are those of the first blob's header, as a writer states them.
#include "common/error.h"
#include "platform/png_decoder.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

namespace {

std::uint32_t BigEndian32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 |
           std::uint32_t(p[3]);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 5) {
        return 0;
    }
    const std::uint32_t pixelType = data[0] % 7;
    const std::size_t stated = std::uint32_t(data[1]) | std::uint32_t(data[2]) << 8 |
                               std::uint32_t(data[3]) << 16 | std::uint32_t(data[4]) << 24;
    const std::span<const std::uint8_t> rest(data + 5, size - 5);
    const std::size_t length = std::min(stated, rest.size());
    const std::span<const std::uint8_t> first = rest.first(length);
    const std::span<const std::uint8_t> second = rest.subspan(length);

    CImg img;
    img.m_pixelType = pixelType;
    img.m_width = 1;
    img.m_height = 1;
    if (first.size() >= 24) {
        img.m_width = std::int32_t(BigEndian32(first.data() + 16));
        img.m_height = std::int32_t(BigEndian32(first.data() + 20));
    }
    // Small enough that no input makes the decoder allocate close to the fuzzer's malloc limit.
    codec::CPngLimits limits;
    limits.m_maxPixelBytes = std::uint64_t{64} << 20;
    try {
        io::CMemoryInputStream inks = io::CMemoryInputStream::Over(first);
        if (pixelType == CImg::PIXEL_CMYKA40) {
            io::CMemoryInputStream alpha = io::CMemoryInputStream::Over(second);
            codec::DecodePngCmykAlpha(inks, alpha, img, limits);
        } else {
            codec::DecodePng(inks, img, limits);
        }
    } catch (const my::CException&) {
        // Refusing bad input with a message is the expected outcome.
    }
    return 0;
}
