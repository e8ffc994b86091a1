#include "output/webp_saver.h"

#include "common/error.h"
#include "common/message_ids.h"
#include "output/checked_cast.h"
#include "output/codec_saver.h"
#include "output/webp_encoder.h"
#include "platform/color_profile.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace mrv {

namespace {

// Runs encode(j) for j = 0 ... count - 1 on up to `threads` threads, each taking the next
// index. The first failure (by index) or stop ends the handing out of indexes; frames already
// taken finish. A failure is rethrown here: the one of the lowest index, which is the same for
// every thread count since every lower index was taken before it. False when a frame stopped.
template <class F> bool ForEachFrame(std::size_t count, unsigned threads, F encode) {
    if (count == 0) {
        return true;
    }
    std::atomic<std::size_t> next{0};
    std::atomic<bool> ended{false};
    std::atomic<bool> stopped{false};
    std::mutex mutex;
    std::size_t failedAt = count;
    std::exception_ptr failure;
    const auto work = [&] {
        for (;;) {
            if (ended.load()) {
                return;
            }
            const std::size_t j = next.fetch_add(1);
            if (j >= count) {
                return;
            }
            try {
                if (!encode(j)) {
                    stopped.store(true);
                    ended.store(true);
                }
            } catch (...) {
                const std::lock_guard<std::mutex> lock(mutex);
                if (j < failedAt) {
                    failedAt = j;
                    failure = std::current_exception();
                }
                ended.store(true);
            }
        }
    };
    const unsigned helpers = unsigned(std::min<std::size_t>(threads, count)) - 1;
    {
        std::vector<std::jthread> pool;
        pool.reserve(helpers);
        try {
            for (unsigned i = 0; i < helpers; ++i) {
                pool.emplace_back(work);
            }
        } catch (const std::system_error&) {
            // No more threads to be had: the ones running and this one do all the frames.
        }
        work();
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
    return !stopped.load();
}

unsigned ThreadCount(int setting) {
    if (setting > 0) {
        return unsigned(setting);
    }
    return std::max(1u, std::thread::hardware_concurrency());
}

} // namespace

std::uint32_t WebpFrameDuration(std::int32_t frameRate) {
    return FrameDelay(frameRate) * 10;
}

CWebpSaver::CWebpSaver() = default;

CWebpSaver::~CWebpSaver() = default;

std::unique_ptr<codec::CImgSaver> CWebpSaver::MakeEncoder() const {
    return std::make_unique<codec::CImgSaver>(codec::Container::Png, codec::TargetFormat::Own, 0);
}

void CWebpSaver::Start(const CImg& first, bool) {
    codec::CheckWebpImage(first);
    const std::uint32_t loops = codec::CheckedCast<std::uint32_t>(m_header.m_loopCount);
    const std::vector<std::uint8_t> noProfile;
    m_animation = std::make_unique<codec::CWebpAnimation>(
        first.m_width, first.m_height, loops,
        codec::EmbedsProfile(first, 0) ? first.m_profile->Data() : noProfile);
    // The file now: a folder that cannot take it fails before any frame is encoded.
    CreateFile();
}

bool CWebpSaver::EncodeFrame(std::uint32_t j, const CImg* previous, const CImg& frame,
                             CEncodedFrame& out) const {
    codec::CWebpFrame webp;
    if (!codec::EncodeWebpFrame(previous, frame, m_quality, {j, m_header.m_frameCount}, this,
                                webp)) {
        return false;
    }
    out.m_index = j;
    out.m_record = CFrameRecord{webp.m_left,
                                webp.m_top,
                                webp.m_left + webp.m_width,
                                webp.m_top + webp.m_height,
                                m_delay,
                                webp.m_blend ? DISPOSAL_KEEP : DISPOSAL_UNSPECIFIED};
    out.m_bytes = std::move(webp.m_image);
    return true;
}

void CWebpSaver::Encode(std::uint32_t j, const CImg* previous, const CImgPtr& frame,
                        codec::CImgSaver&, CEncodedFrame& out) const {
    if (!frame) {
        throw my::InternalError("mrv::CWebpSaver::Encode()\nEmpty frame");
    }
    const bool cut = j > 0 && CutsRegions();
    if (cut && previous == nullptr) {
        throw my::InternalError("mrv::CWebpSaver::Encode()\nNo frame before frame " +
                                std::to_string(j));
    }
    if (!EncodeFrame(j, cut ? previous : nullptr, *frame, out)) {
        throw my::CException(IDS_TASK_INTERRUPTED);
    }
}

void CWebpSaver::EncodeImage(const CImg&, const CFrameRecord&, std::uint32_t, codec::CImgSaver&,
                             std::vector<std::uint8_t>&) const {
    throw my::InternalError("mrv::CWebpSaver::EncodeImage()\nWebP frames are made by Encode");
}

void CWebpSaver::AppendFrame(const CEncodedFrame& frame) {
    const CFrameRecord& record = frame.m_record;
    m_animation->Add(frame.m_bytes, record.m_left, record.m_top, record.m_disposal == DISPOSAL_KEEP,
                     WebpFrameDuration(m_frameRate), {frame.m_index, m_header.m_frameCount});
}

void CWebpSaver::End() {
    std::vector<std::uint8_t> bytes;
    m_animation->Assemble(GetFilePath(0), bytes);
    m_animation.reset();
    WriteFile(bytes);
}

bool CWebpSaver::Save(const CFrameList& list) {
    const std::vector<CImgPtr>& images = list.m_images;
    for (const CImgPtr& img : images) {
        if (!img) {
            throw my::InternalError("mrv::CWebpSaver::Save()\nEmpty frame in the frame list");
        }
    }
    return images.empty() || SaveRun([&] {
               const std::uint32_t count = Begin(images.size(), list.m_roundTrip, *images[0]);
               CheckSameFormat(images);
               std::vector<CEncodedFrame> encoded(count);
               const bool done = ForEachFrame(count, ThreadCount(m_threads), [&](std::size_t j) {
                   if (CanTerminate()) {
                       return false;
                   }
                   const auto index = std::uint32_t(j);
                   const CImg* previous =
                       j > 0 && CutsRegions() ? images[SourceIndex(index - 1)].get() : nullptr;
                   return EncodeFrame(index, previous, *images[SourceIndex(index)], encoded[j]);
               });
               if (!done) {
                   return false; // no partial animation is left
               }
               for (CEncodedFrame& frame : encoded) {
                   Append(frame);
                   // The container holds its own copy.
                   std::vector<std::uint8_t>().swap(frame.m_bytes);
               }
               return true;
           });
}

} // namespace mrv
