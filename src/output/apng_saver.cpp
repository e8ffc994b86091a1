#include "output/apng_saver.h"

#include "common/error.h"
#include "common/message_ids.h"
#include "output/checked_cast.h"
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
        throw my::CException(IDS_LIBPNG_ERROR, "width and/or height in the first frame's fcTL "
                                               "don't match the ones in IHDR");
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

bool CApngSaver::Write(const CAnimationHeader& header, const std::vector<CImgPtr>& frames,
                       const std::vector<CFrameRecord>& records) {
    if (frames.empty()) {
        return true;
    }
    if (frames.size() != records.size()) {
        throw my::InternalError("mrv::CApngSaver::Write()\nFrames and records differ in number");
    }
    const std::uint32_t frameCount = codec::CheckedCast<std::int32_t>(frames.size());
    const CImg& first = *frames[0];
    codec::CheckPngImage(first);
    const CApngDelay delay = ApngDelay(m_frameRate);
    const bool phys = first.m_dpiX > 0 && first.m_dpiY > 0;
    const std::uint32_t ppmX = phys ? codec::PixelsPerMetre(first.m_dpiX) : 0;
    const std::uint32_t ppmY = phys ? codec::PixelsPerMetre(first.m_dpiY) : 0;
    const std::uint32_t plays = codec::CheckedCast<std::uint32_t>(header.m_loopCount);

    // The animation drops the alpha channel only when every frame is opaque, since all its
    // frames share the colour type of IHDR.
    const bool alpha = std::any_of(frames.begin(), frames.end(),
                                   [](const CImgPtr& img) { return !codec::IsOpaque(*img); });
    codec::COutputFile file(GetFilePath(0));
    codec::CPngChunkWriter writer(file);
    codec::CPngImageEncoder encoder;
    writer.Signature();
    writer.Ihdr(header.m_width, header.m_height, alpha);
    if (phys) {
        writer.Phys(ppmX, ppmY);
    }
    writer.Actl(frameCount, plays);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        if (CanTerminate()) {
            return false; // the temporary file is dropped; no partial animation is left
        }
        const CImg& img = *frames[i];
        const CFrameRecord& record = records[i];
        CheckFrame(header, img, record, i);
        codec::CPngFrameControl control;
        control.m_width = std::uint32_t(img.m_width);
        control.m_height = std::uint32_t(img.m_height);
        control.m_x = std::uint32_t(record.m_left);
        control.m_y = std::uint32_t(record.m_top);
        control.m_delayNum = delay.m_num;
        control.m_delayDen = delay.m_den;
        ApngOps(record.m_disposal, control.m_dispose, control.m_blend);
        writer.Fctl(control);
        const auto data = encoder.Encode(img, alpha);
        if (i == 0) {
            writer.Idat(data);
        } else {
            writer.Fdat(data);
        }
    }
    writer.Iend();
    if (!file.Commit()) {
        throw file.Failure();
    }
    return true;
}

} // namespace mrv
