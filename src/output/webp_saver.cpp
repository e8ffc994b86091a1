#include "output/webp_saver.h"

#include "common/error.h"
#include "common/message_ids.h"
#include "output/checked_cast.h"
#include "output/codec_saver.h"
#include "output/output_file.h"
#include "output/webp_encoder.h"
#include "platform/color_profile.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

namespace mrv {

namespace {

// Runs encode(j) for j = 0 ... count - 1 on up to `threads` threads, each taking the next
// index. The first failure (by index) or stop ends the handing out of indexes; frames already
// taken finish. A failure is rethrown here: the one of the lowest index, which is the same for
// every thread count since every lower index was taken before it. False when a frame stopped.
template <class F> bool ForEachFrame(std::size_t count, unsigned threads, F encode) {
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

bool CWebpSaver::Write(const CAnimationHeader& header, const std::vector<CImgPtr>& frames,
                       const std::vector<CFrameRecord>&) {
    if (frames.empty()) {
        return true;
    }
    const CImg& first = *frames[0];
    codec::CheckWebpImage(first);
    for (const CImgPtr& img : frames) {
        if (img->m_pixelType != first.m_pixelType || img->m_width != first.m_width ||
            img->m_height != first.m_height) {
            throw my::CException(IDS_IMAGE_FORMAT_UNSUPPORTED);
        }
    }
    const std::size_t count = frames.size();
    const std::uint32_t duration = WebpFrameDuration(m_frameRate);
    const std::uint32_t loops = codec::CheckedCast<std::uint32_t>(header.m_loopCount);
    const std::vector<std::uint8_t> noProfile;
    const std::vector<std::uint8_t>& icc =
        codec::EmbedsProfile(first, 0) ? first.m_profile->Data() : noProfile;

    // The file first: a folder that cannot take it fails before any frame is encoded.
    codec::COutputFile file(GetFilePath(0));
    std::vector<codec::CWebpFrame> encoded(count);
    const bool done = ForEachFrame(count, ThreadCount(m_threads), [&](std::size_t j) {
        if (CanTerminate()) {
            return false;
        }
        const CImg* previous = j > 0 && m_regionFrames ? frames[j - 1].get() : nullptr;
        return codec::EncodeWebpFrame(previous, *frames[j], m_quality, {j, count}, this,
                                      encoded[j]);
    });
    if (!done) {
        return false; // the temporary file is dropped; no partial animation is left
    }
    codec::CWebpAnimation animation(first.m_width, first.m_height, loops, icc);
    for (std::size_t j = 0; j < count; ++j) {
        animation.Add(encoded[j], duration, {j, count});
        // The container holds its own copy.
        std::vector<std::uint8_t>().swap(encoded[j].m_image);
    }
    animation.Write(file);
    if (!file.Commit()) {
        throw file.Failure();
    }
    return true;
}

} // namespace mrv
