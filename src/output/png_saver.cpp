#include "output/png_saver.h"

#include "output/codec_saver.h"

namespace mrv {

std::unique_ptr<codec::CImgSaver> CPngSaver::MakeEncoder() const {
    return std::make_unique<codec::CImgSaver>(codec::Container::Png, codec::TargetFormat::Own, 0);
}

void CPngSaver::EncodeImage(const CImg& img, const CFrameRecord&, std::uint32_t,
                            codec::CImgSaver& encoder, std::vector<std::uint8_t>& out) const {
    encoder.EncodePngFile(img, out);
}

} // namespace mrv
