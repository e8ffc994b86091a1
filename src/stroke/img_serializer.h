// stroke::CImgSerializer: reads the embedded bitmaps of a stroke file (texture images) from the
// stream of the figure reader: the image record, its colour context and its PNG pixel streams.
#pragma once

#include "platform/img.h"
#include "platform/png_decoder.h"
#include "stroke/serializer_base.h"

#include <boost/shared_ptr.hpp>

namespace stroke {

class CImgSerializer : public CSerializerBase {
public:
    // The bitmap format has a version of its own; nothing depends on it.
    static constexpr std::uint32_t kVersion = MakeVersion(1, 0, 0, 0);

    // Reads from the figure reader's stream, bounded by the same size; PNG streams are
    // decoded under limits.
    CImgSerializer(io::CInputStream& stream, std::uint64_t size, const codec::CPngLimits& limits);

    std::string_view Signature() const override { return "img"; }

    // An image record: tag 0 gives an empty pointer, tag 1 a decoded bitmap. Another tag
    // raises IDS_CLASS_ID_UNKNOWN, a pixel format above 5 IDS_WIC_FORMAT_UNKNOWN, decoder
    // failures their imaging messages.
    boost::shared_ptr<CImg> ReadImage();

private:
    // The colour context record: tag 0 gives an empty pointer, tag 2 the context.
    boost::shared_ptr<CColorContext> ReadColorContext();
    // One PNG blob as a memory stream.
    io::CMemoryInputStream ReadPngBlob();

    codec::CPngLimits m_limits;
};

} // namespace stroke
