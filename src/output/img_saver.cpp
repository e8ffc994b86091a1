#include "output/img_saver.h"

#include "common/error.h"
#include "common/message_ids.h"
#include "output/checked_cast.h"
#include "output/codec_saver.h"
#include "output/frame_region.h"
#include "output/output_file.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

namespace mrv {

namespace {

// Wider numbers cannot be part of a file name (NAME_MAX is 255), and a huge Digits setting must
// not make a huge string: opening the file reports the name as too long instead.
constexpr std::int32_t kMaxDigits = 255;

void CheckBuffer(const CImg& img) {
    const std::size_t stride = CImg::StrideOf(img.m_pixelType, img.m_width);
    if (img.m_height < 0 || img.m_stride < stride ||
        (stride > 0 && img.m_bits.size() / img.m_stride < std::size_t(img.m_height))) {
        throw my::InternalError("mrv::CImgSaver::Save()\nPixel buffer smaller than its image: " +
                                std::to_string(img.m_width) + " x " + std::to_string(img.m_height));
    }
}

} // namespace

std::size_t SourceFrameIndex(std::size_t j, std::size_t count, bool mirrored) {
    if (j < count) {
        return j;
    }
    if (!mirrored || count < 3) {
        return j % count;
    }
    const std::size_t period = 2 * count - 2;
    // Taking the period off while j exceeds it leaves j == period, which folds to frame 0 just
    // as j mod period does.
    j %= period;
    return j < count ? j : period - j;
}

std::uint32_t FrameDelay(std::int32_t frameRate) {
    if (frameRate < 1) {
        throw my::InternalError("mrv::FrameDelay()\nInvalid frame rate: " +
                                std::to_string(frameRate));
    }
    return std::min<std::uint32_t>(10000u / std::uint32_t(frameRate), 65535u);
}

std::string CImgSaver::GetFileName(std::int32_t index) const {
    std::string name = m_dstName;
    if (!IsAnimated()) {
        const std::int64_t number = std::int64_t(m_startNo) + index;
        const int digits = int(std::clamp(m_digits, 0, kMaxDigits));
        char buffer[kMaxDigits + 32];
        std::snprintf(buffer, sizeof buffer, "%0*" PRId64, digits, number);
        name += buffer;
    }
    return name + "." + GetExtension();
}

std::string CImgSaver::GetFilePath(std::int32_t index) const {
    std::string path = m_dstFolder;
    if (!path.empty() && path.back() != '/' && path.back() != '\\' && path.back() != ':') {
        path += '/';
    }
    return path + GetFileName(index);
}

void CImgSaver::ListFilePaths(std::vector<std::string>& paths, std::int32_t interFrameCount) const {
    if (IsAnimated()) {
        paths.push_back(GetFilePath(0));
        return;
    }
    const std::int64_t count =
        (m_mirrorReturn ? 2 : 1) * std::int64_t(std::max(interFrameCount, 0)) + 2;
    const std::int32_t n = codec::CheckedCast<std::int32_t>(count);
    for (std::int32_t i = 0; i < n; ++i) {
        paths.push_back(GetFilePath(i));
    }
}

bool CImgSaver::UsesFrameRegions(const CFrameList&) const {
    return m_regionFrames && SupportsFrameRegions();
}

bool CImgSaver::WriteEachFile(codec::CImgSaver& encoder, const std::vector<CImgPtr>& frames,
                              std::int32_t loopCount) {
    encoder.SetTerminator(this);
    const std::int32_t count = codec::CheckedCast<std::int32_t>(frames.size());
    for (std::int32_t i = 0; i < count; ++i) {
        if (CanTerminate()) {
            return false;
        }
        const CImgPtr& img = frames[std::size_t(i)];
        // Every file is a whole frame of its own.
        const CAnimationHeader header{std::uint32_t(img->m_width), std::uint32_t(img->m_height), 1,
                                      loopCount};
        const CFrameRecord record{0, 0, img->m_width, img->m_height, 0, DISPOSAL_UNSPECIFIED};
        codec::COutputFile file(GetFilePath(i));
        if (!encoder.Save(header, {img}, {record}, file)) {
            return false;
        }
    }
    return true;
}

bool CImgSaver::Save(const CFrameList& list) {
    const std::vector<CImgPtr>& images = list.m_images;
    for (const CImgPtr& img : images) {
        if (!img) {
            throw my::InternalError("mrv::CImgSaver::Save()\nEmpty frame in the frame list");
        }
        CheckBuffer(*img);
    }
    const std::size_t count = images.size();
    const bool mirrored = m_mirrorReturn && list.m_roundTrip && count > 2;
    const std::size_t total = mirrored ? 2 * count - 2 : count;
    const std::uint32_t frameCount = codec::CheckedCast<std::int32_t>(total);
    const std::uint32_t delay = FrameDelay(m_frameRate);

    std::vector<CImgPtr> frames(frameCount);
    std::vector<CFrameRecord> records(frameCount);
    for (std::size_t j = 0; j < frameCount; ++j) {
        frames[j] = images[SourceFrameIndex(j, count, mirrored)];
        records[j] = CFrameRecord{
            0, 0, frames[j]->m_width, frames[j]->m_height, delay, DISPOSAL_UNSPECIFIED};
    }

    if (frameCount > 1 && UsesFrameRegions(list)) {
        const CImg& first = *frames[0];
        for (const CImgPtr& img : images) {
            if (img->m_pixelType != first.m_pixelType || img->m_width != first.m_width ||
                img->m_height != first.m_height) {
                throw my::CException(IDS_IMAGE_FORMAT_UNSUPPORTED);
            }
        }
        // Regions compare uncropped neighbours, so all are found before any frame is cut.
        for (std::size_t j = 1; j < frameCount; ++j) {
            const CFrameRecord rect = frames[j] == frames[j - 1]
                                          ? CFrameRecord{0, 0, 1, 1, 0, DISPOSAL_UNSPECIFIED}
                                          : ChangedRegion(*frames[j - 1], *frames[j]);
            records[j] = CFrameRecord{rect.m_left,   rect.m_top, rect.m_right,
                                      rect.m_bottom, delay,      DISPOSAL_UNSPECIFIED};
        }
        for (std::size_t j = 1; j < frameCount; ++j) {
            frames[j] = CropImage(*frames[j], records[j]);
        }
    }

    CAnimationHeader header;
    if (frameCount > 0) {
        header.m_width = codec::CheckedCast<std::uint32_t>(frames[0]->m_width);
        header.m_height = codec::CheckedCast<std::uint32_t>(frames[0]->m_height);
    }
    header.m_frameCount = frameCount;
    header.m_loopCount = m_loopCount;
    return Write(header, frames, records);
}

} // namespace mrv
