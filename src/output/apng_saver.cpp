#include "output/apng_saver.h"

#include "common/error.h"
#include "common/message_ids.h"
#include "common/messages.h"
#include "output/checked_cast.h"
#include "output/codec_saver.h"
#include "output/output_file.h"

#include <algorithm>
#include <string>

namespace mrv {

namespace {

std::string RectText(const CFrameRecord& r) {
    return std::to_string(r.m_left) + ", " + std::to_string(r.m_top) + ", " +
           std::to_string(r.m_right) + ", " + std::to_string(r.m_bottom);
}

// A frame must lie inside the canvas and match its record; the first covers all of it.
void CheckFrame(const CAnimationHeader& header, const CImg& img, const CFrameRecord& record,
                std::size_t index) {
    codec::CheckPngImage(img);
    if (img.m_width != record.Width() || img.m_height != record.Height()) {
        throw my::CException(IDS_LIBPNG_ERROR, "Frame " + std::to_string(index) + " is " +
                                                   std::to_string(img.m_width) + " x " +
                                                   std::to_string(img.m_height) +
                                                   " but its rectangle is " + RectText(record));
    }
    if (record.m_left < 0 || record.m_top < 0 || std::uint32_t(record.m_right) > header.m_width ||
        std::uint32_t(record.m_bottom) > header.m_height) {
        throw my::CException(IDS_LIBPNG_ERROR, "Frame " + std::to_string(index) +
                                                   " lies outside the image: " + RectText(record));
    }
    if (index == 0 &&
        (record.m_left != 0 || record.m_top != 0 || std::uint32_t(img.m_width) != header.m_width ||
         std::uint32_t(img.m_height) != header.m_height)) {
        throw my::CException(IDS_LIBPNG_ERROR,
                             std::string(my::MessageText(IDS_REASON_APNG_FIRST_FRAME)));
    }
}

} // namespace

CApngDelay ApngDelay(std::int32_t frameRate) {
    if (frameRate < 1) {
        throw my::InternalError("mrv::ApngDelay()\nInvalid frame rate: " +
                                std::to_string(frameRate));
    }
    const std::int64_t den = frameRate <= 10000 ? 100 : frameRate <= 100000 ? 1000 : 10000;
    const std::int64_t num = den * 100 / frameRate;
    return CApngDelay{codec::CheckedCast<std::uint16_t>(num), std::uint16_t(den)};
}

void ApngOps(std::uint32_t disposal, std::uint8_t& dispose, std::uint8_t& blend) {
    switch (disposal) {
    case DISPOSAL_KEEP:
        dispose = 0;
        blend = 1;
        break;
    case DISPOSAL_BACKGROUND:
        dispose = 1;
        blend = 1;
        break;
    case DISPOSAL_PREVIOUS:
        dispose = 2;
        blend = 1;
        break;
    default:
        dispose = 0;
        blend = 0;
        break;
    }
}

bool CApngSaver::Admits(const CImg& frame) const {
    return m_alpha || codec::IsOpaque(frame);
}

std::unique_ptr<codec::CImgSaver> CApngSaver::MakeEncoder() const {
    return std::make_unique<codec::CImgSaver>(codec::Container::Png, codec::TargetFormat::Own, 0);
}

void CApngSaver::Start(const CImg& first, bool translucent) {
    codec::CheckPngImage(first);
    m_apngDelay = ApngDelay(m_frameRate);
    const bool phys = first.m_dpiX > 0 && first.m_dpiY > 0;
    const std::uint32_t ppmX = phys ? codec::PixelsPerMetre(first.m_dpiX) : 0;
    const std::uint32_t ppmY = phys ? codec::PixelsPerMetre(first.m_dpiY) : 0;
    const std::uint32_t plays = codec::CheckedCast<std::uint32_t>(m_header.m_loopCount);
    m_alpha = translucent || !codec::IsOpaque(first);
    CreateFile();
    m_chunks.clear();
    m_writer = std::make_unique<codec::CPngChunkWriter>(m_chunks);
    m_writer->Signature();
    m_writer->Ihdr(m_header.m_width, m_header.m_height, m_alpha);
    if (phys) {
        m_writer->Phys(ppmX, ppmY);
    }
    m_writer->Actl(m_header.m_frameCount, plays);
    WriteFile(m_chunks);
}

void CApngSaver::EncodeImage(const CImg& img, const CFrameRecord& record, std::uint32_t index,
                             codec::CImgSaver& encoder, std::vector<std::uint8_t>& out) const {
    CheckFrame(m_header, img, record, index);
    encoder.EncodePngData(img, m_alpha, out);
}

void CApngSaver::AppendFrame(const CEncodedFrame& frame) {
    const CFrameRecord& record = frame.m_record;
    codec::CPngFrameControl control;
    control.m_width = std::uint32_t(record.Width());
    control.m_height = std::uint32_t(record.Height());
    control.m_x = std::uint32_t(record.m_left);
    control.m_y = std::uint32_t(record.m_top);
    control.m_delayNum = m_apngDelay.m_num;
    control.m_delayDen = m_apngDelay.m_den;
    ApngOps(record.m_disposal, control.m_dispose, control.m_blend);
    m_chunks.clear();
    m_writer->Fctl(control);
    // The first frame is the default image, shown also by viewers without APNG support.
    if (frame.m_index == 0) {
        m_writer->Idat(frame.m_bytes);
    } else {
        m_writer->Fdat(frame.m_bytes);
    }
    WriteFile(m_chunks);
}

void CApngSaver::End() {
    m_chunks.clear();
    m_writer->Iend();
    WriteFile(m_chunks);
    std::vector<std::uint8_t>().swap(m_chunks);
}

} // namespace mrv
