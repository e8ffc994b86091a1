#include "output/gif_saver.h"

#include "output/codec_saver.h"
#include "output/quantizer.h"

namespace mrv {

std::unique_ptr<codec::CImgSaver> CGifSaver::MakeEncoder() const {
    return std::make_unique<codec::CImgSaver>(codec::Container::Gif, codec::TargetFormat::Indexed8,
                                              codec::OPTION_NO_COLOR_PROFILE);
}

void CGifSaver::EncodeImage(const CImg& img, const CFrameRecord&, std::uint32_t,
                            codec::CImgSaver& encoder, std::vector<std::uint8_t>& out) const {
    encoder.EncodeGifFile(img, out);
}

bool CAgifSaver::Admits(const CImg& frame) const {
    return m_transparent || !codec::HasTranslucentPixel(frame);
}

std::unique_ptr<codec::CImgSaver> CAgifSaver::MakeEncoder() const {
    const std::uint32_t options =
        codec::OPTION_NO_COLOR_PROFILE | (m_transparent ? codec::OPTION_TRANSPARENT : 0u);
    auto encoder = std::make_unique<codec::CImgSaver>(codec::Container::Gif,
                                                      codec::TargetFormat::Indexed8, options);
    encoder->SetQuantizer(m_quantizerSpeed);
    return encoder;
}

void CAgifSaver::Start(const CImg& first, bool translucent) {
    m_transparent = translucent || codec::HasTranslucentPixel(first);
    const bool animated = m_header.m_frameCount > 1;
    const std::uint32_t width = animated ? m_header.m_width : std::uint32_t(first.m_width);
    const std::uint32_t height = animated ? m_header.m_height : std::uint32_t(first.m_height);
    std::vector<std::uint8_t> bytes;
    codec::GifHeader(width, height, animated, m_header.m_loopCount, bytes);
    CreateFile();
    WriteFile(bytes);
}

bool CAgifSaver::UsesFrameRegions() const {
    return CImgSaver::UsesFrameRegions() && !m_transparent;
}

std::uint32_t CAgifSaver::Disposal() const {
    return m_transparent ? DISPOSAL_BACKGROUND : DISPOSAL_UNSPECIFIED;
}

void CAgifSaver::EncodeImage(const CImg& img, const CFrameRecord& record, std::uint32_t index,
                             codec::CImgSaver& encoder, std::vector<std::uint8_t>& out) const {
    encoder.EncodeGifFrame(m_header, img, record, index, out);
}

void CAgifSaver::AppendFrame(const CEncodedFrame& frame) {
    WriteFile(frame.m_bytes);
}

void CAgifSaver::End() {
    WriteFile({codec::kGifTrailer});
}

} // namespace mrv
