#include "stroke/img_serializer.h"

#include "common/error.h"
#include "common/message_ids.h"
#include "common/messages.h"

#include <boost/make_shared.hpp>
#include <limits>
#include <string>

namespace stroke {

namespace {

constexpr std::uint16_t kTagNone = 0;
constexpr std::uint16_t kTagImage = 1;
constexpr std::uint16_t kTagColorContext = 2;

} // namespace

CImgSerializer::CImgSerializer(io::CInputStream& stream, std::uint64_t size,
                               const codec::CPngLimits& limits)
    : CSerializerBase(stream, size), m_limits(limits) {
    SetVersion(kVersion);
}

boost::shared_ptr<CImg> CImgSerializer::ReadImage() {
    const std::uint16_t tag = ReadU16();
    if (tag == kTagNone) {
        return {};
    }
    if (tag != kTagImage) {
        throw my::CException(IDS_CLASS_ID_UNKNOWN, tag);
    }
    auto img = boost::make_shared<CImg>();
    img->m_pixelType = ReadU32();
    // Refused before anything else of the record is read; PngStreamCount raises
    // IDS_WIC_FORMAT_UNKNOWN.
    const unsigned streams = codec::PngStreamCount(img->m_pixelType);
    const std::uint32_t width = ReadU32();
    const std::uint32_t height = ReadU32();
    constexpr auto kMaxSide = std::uint32_t(std::numeric_limits<std::int32_t>::max());
    if (width > kMaxSide || height > kMaxSide) {
        throw my::CException(
            IDS_WIC_FORMAT_UNKNOWN,
            my::FormatMessage(IDS_REASON_BITMAP_SIZE,
                              std::vector{std::to_string(width), std::to_string(height)}));
    }
    img->m_width = std::int32_t(width);
    img->m_height = std::int32_t(height);
    img->m_dpiX = ReadF64();
    img->m_dpiY = ReadF64();
    img->m_context = ReadColorContext();

    // The decoder checks each stream's size against the bitmap's and the limits before it
    // allocates the rows.
    io::CMemoryInputStream first = ReadPngBlob();
    if (streams == 2) {
        io::CMemoryInputStream alpha = ReadPngBlob();
        codec::DecodePngCmykAlpha(first, alpha, *img, m_limits);
    } else {
        codec::DecodePng(first, *img, m_limits);
    }
    return img;
}

boost::shared_ptr<CColorContext> CImgSerializer::ReadColorContext() {
    const std::uint16_t tag = ReadU16();
    if (tag == kTagNone) {
        return {};
    }
    if (tag != kTagColorContext) {
        throw my::CException(IDS_CLASS_ID_UNKNOWN, tag);
    }
    auto context = boost::make_shared<CColorContext>();
    context->m_value1 = ReadU32();
    context->m_value2 = ReadU32();
    context->m_profile = ReadBlob();
    return context;
}

io::CMemoryInputStream CImgSerializer::ReadPngBlob() {
    // The stream takes the blob over; making it cannot fail once the blob is allocated.
    return io::CMemoryInputStream(ReadBlob());
}

} // namespace stroke
