#include "output/img_saver.h"

#include "common/error.h"
#include "common/message_ids.h"
#include "output/checked_cast.h"
#include "output/codec_saver.h"
#include "output/frame_region.h"
#include "output/output_file.h"
#include "platform/path.h"

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
    return my::JoinPath(m_dstFolder, GetFileName(index));
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

CImgSaver::CImgSaver() = default;

CImgSaver::~CImgSaver() = default;

bool CImgSaver::UsesFrameRegions() const {
    return m_regionFrames && SupportsFrameRegions();
}

bool CImgSaver::Admits(const CImg&) const {
    return true;
}

std::uint32_t CImgSaver::Begin(std::size_t rendered, bool roundTrip, const CImg& first,
                               bool translucent) {
    Discard();
    if (rendered == 0) {
        throw my::InternalError("mrv::CImgSaver::Begin()\nA run without frames");
    }
    CheckBuffer(first);
    m_rendered = rendered;
    m_mirrored = m_mirrorReturn && roundTrip && rendered > 2;
    const std::size_t total = m_mirrored ? 2 * rendered - 2 : rendered;
    m_header = CAnimationHeader{};
    m_header.m_frameCount = codec::CheckedCast<std::int32_t>(total);
    m_header.m_width = codec::CheckedCast<std::uint32_t>(first.m_width);
    m_header.m_height = codec::CheckedCast<std::uint32_t>(first.m_height);
    m_header.m_loopCount = m_loopCount;
    m_delay = FrameDelay(m_frameRate);
    m_appended = 0;
    m_begun = true;
    try {
        Start(first, translucent);
    } catch (...) {
        Discard();
        throw;
    }
    m_cutRegions = m_header.m_frameCount > 1 && UsesFrameRegions();
    return m_header.m_frameCount;
}

std::size_t CImgSaver::SourceIndex(std::uint32_t j) const {
    return SourceFrameIndex(j, m_rendered, m_mirrored);
}

void CImgSaver::Encode(std::uint32_t j, const CImg* previous, const CImgPtr& frame,
                       codec::CImgSaver& encoder, CEncodedFrame& out) const {
    if (!frame) {
        throw my::InternalError("mrv::CImgSaver::Encode()\nEmpty frame");
    }
    CheckBuffer(*frame);
    out.m_index = j;
    out.m_record = CFrameRecord{0, 0, frame->m_width, frame->m_height, m_delay, Disposal()};
    out.m_bytes.clear();
    CImgPtr cropped;
    if (j > 0 && m_cutRegions) {
        if (previous == nullptr) {
            throw my::InternalError("mrv::CImgSaver::Encode()\nNo frame before frame " +
                                    std::to_string(j));
        }
        // Regions compare uncropped neighbours; a frame that equals the one before keeps its
        // place and delay as a single pixel.
        const CFrameRecord rect = previous == frame.get()
                                      ? CFrameRecord{0, 0, 1, 1, 0, DISPOSAL_UNSPECIFIED}
                                      : ChangedRegion(*previous, *frame);
        out.m_record.m_left = rect.m_left;
        out.m_record.m_top = rect.m_top;
        out.m_record.m_right = rect.m_right;
        out.m_record.m_bottom = rect.m_bottom;
        cropped = CropImage(*frame, out.m_record);
    }
    EncodeImage(cropped ? *cropped : *frame, out.m_record, j, encoder, out.m_bytes);
}

void CImgSaver::Append(const CEncodedFrame& frame) {
    if (!m_begun || frame.m_index != m_appended || m_appended >= m_header.m_frameCount) {
        throw my::InternalError("mrv::CImgSaver::Append()\nFrame " + std::to_string(frame.m_index) +
                                " out of order");
    }
    AppendFrame(frame);
    ++m_appended;
}

void CImgSaver::AppendFrame(const CEncodedFrame& frame) {
    auto file = std::make_unique<codec::COutputFile>(
        GetFilePath(codec::CheckedCast<std::int32_t>(frame.m_index)));
    // The frames are flushed to the disk together when the run is committed (Finish).
    if (!file->Write(frame.m_bytes) || !file->CloseUnsynced()) {
        throw file->Failure();
    }
    m_files.push_back(std::move(file));
}

void CImgSaver::CreateFile() {
    m_file = std::make_unique<codec::COutputFile>(GetFilePath(0));
}

void CImgSaver::WriteFile(const std::vector<std::uint8_t>& bytes) {
    if (!m_file) {
        throw my::InternalError("mrv::CImgSaver::WriteFile()\nNo file is open");
    }
    if (!m_file->Write(bytes)) {
        throw m_file->Failure();
    }
}

void CImgSaver::Finish() {
    if (!m_begun || m_appended != m_header.m_frameCount) {
        throw my::InternalError("mrv::CImgSaver::Finish()\n" + std::to_string(m_appended) + " of " +
                                std::to_string(m_header.m_frameCount) + " frames written");
    }
    try {
        End();
        if (m_file && !m_file->Commit()) {
            throw m_file->Failure();
        }
        if (const io::CReplaceFile* failed = io::CReplaceFile::CommitAll(m_files)) {
            throw failed->Failure();
        }
    } catch (...) {
        Discard();
        throw;
    }
    Discard();
}

void CImgSaver::Discard() noexcept {
    // Files not renamed into place remove their temporary file when they go.
    m_file.reset();
    m_files.clear();
    m_begun = false;
    m_cutRegions = false;
}

bool CImgSaver::SaveRun(const std::function<bool()>& run) {
    try {
        if (!run()) {
            Discard();
            return false;
        }
        Finish();
    } catch (...) {
        Discard();
        throw;
    }
    return true;
}

void CImgSaver::CheckSameFormat(const std::vector<CImgPtr>& images) {
    const CImg& first = *images.at(0);
    for (const CImgPtr& img : images) {
        if (img->m_pixelType != first.m_pixelType || img->m_width != first.m_width ||
            img->m_height != first.m_height) {
            throw my::CException(IDS_IMAGE_FORMAT_UNSUPPORTED);
        }
    }
}

bool CImgSaver::Save(const CFrameList& list) {
    const std::vector<CImgPtr>& images = list.m_images;
    for (const CImgPtr& img : images) {
        if (!img) {
            throw my::InternalError("mrv::CImgSaver::Save()\nEmpty frame in the frame list");
        }
        CheckBuffer(*img);
    }
    return images.empty() || SaveRun([&] {
               for (bool translucent = false;; translucent = true) {
                   const std::uint32_t count =
                       Begin(images.size(), list.m_roundTrip, *images[0], translucent);
                   if (m_cutRegions) {
                       CheckSameFormat(images);
                   }
                   const std::unique_ptr<codec::CImgSaver> encoder = MakeEncoder();
                   CEncodedFrame encoded;
                   bool admitted = true;
                   for (std::uint32_t j = 0; j < count && admitted; ++j) {
                       if (CanTerminate()) {
                           return false;
                       }
                       const CImgPtr& img = images[SourceIndex(j)];
                       admitted = Admits(*img);
                       if (admitted) {
                           const CImg* previous =
                               j > 0 ? images[SourceIndex(j - 1)].get() : nullptr;
                           Encode(j, previous, img, *encoder, encoded);
                           Append(encoded);
                       }
                   }
                   if (admitted) {
                       return true;
                   }
               }
           });
}

} // namespace mrv
