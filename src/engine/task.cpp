#include "engine/task.h"

#include "common/message_ids.h"
#include "engine/frame_relay.h"
#include "engine/frame_source.h"
#include "engine/interpolator.h"
#include "engine/worker_pool.h"
#include "output/codec_saver.h"
#include "output/output_file.h"
#include "render/img_renderer.h"

#include <algorithm>
#include <boost/make_shared.hpp>
#include <cmath>
#include <limits>
#include <new>
#include <optional>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace mrv {

namespace {

// The memory the frames may take in bytes: the machine's physical memory, or less when the
// process's address space is limited (ulimit -v); 0 when the system does not say.
std::uint64_t AvailableMemory() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    std::uint64_t memory = pages > 0 && pageSize > 0 ? static_cast<std::uint64_t>(pages) *
                                                           static_cast<std::uint64_t>(pageSize)
                                                     : 0;
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        (memory == 0 || limit.rlim_cur < memory)) {
        memory = static_cast<std::uint64_t>(limit.rlim_cur);
    }
    return memory;
}

// More threads than this gain nothing on any machine the program runs on, and a larger count
// asked for by mistake must not start thousands of threads.
constexpr std::size_t kMaxThreads = 256;

// What one thread holds of a frame at 1920 x 1080 and beyond: the rendered frame, the frame
// before it (for the changed region), the cut region and the encoder's scratch buffers.
constexpr std::uint64_t kFramesPerThread = 4;

// A frame arrived that needs what the saver did not choose from the first frame.
struct CRestartPass {};
// Removes what a pass of the saver wrote unless the files were renamed into place.
class CDiscardUnlessFinished {
public:
    explicit CDiscardUnlessFinished(CImgSaver& saver) : m_saver(saver) {}
    ~CDiscardUnlessFinished() {
        if (!m_finished) {
            m_saver.Discard();
        }
    }
    CDiscardUnlessFinished(const CDiscardUnlessFinished&) = delete;
    CDiscardUnlessFinished& operator=(const CDiscardUnlessFinished&) = delete;
    void Finished() { m_finished = true; }

private:
    CImgSaver& m_saver;
    bool m_finished = false;
};

} // namespace

void CTask::Configure(const CTaskSetting& setting) {
    m_setting = setting;
    m_saver = CreateSaver(m_setting);
}

std::vector<std::string> CTask::ListOutputPaths() const {
    std::vector<std::string> paths;
    if (m_saver) {
        m_saver->ListFilePaths(paths, m_setting.GetInterFrameCount());
    }
    return paths;
}

void CTask::CheckTerminated() const {
    if (IsTerminating()) {
        throw my::CException(IDS_TASK_INTERRUPTED);
    }
}

void CTask::Run(const CTerminable* terminator) {
    SetTerminator(terminator);
    ClearErr();
    m_renderedFrames = 0;
    try {
        Execute();
    } catch (const my::CException& e) {
        m_err = e;
    } catch (const std::bad_alloc&) {
        m_err = my::InternalError("mrv::CTask::Run()\nout of memory");
    } catch (const std::exception& e) {
        m_err = my::InternalError(std::string("mrv::CTask::Run()\n") + e.what());
    }
    m_progressPos.store(m_progressMax.load());
    if (m_client != nullptr) {
        m_client->OnTaskEnd(*this);
    }
}

std::size_t CTask::ThreadCount(std::size_t jobs) const {
    std::size_t threads = m_threadCount > 0 ? std::size_t(m_threadCount)
                                            : std::size_t(std::thread::hardware_concurrency());
    threads = std::clamp<std::size_t>(threads, 1, kMaxThreads);
    return std::clamp<std::size_t>(jobs, 1, threads);
}

void CTask::MeasurePass(CWorkerPool& pool, const CFrameSource& source,
                        std::vector<InterpolatorPtr>& interpolators) {
    // The drawn rectangle of each frame is found on any thread; the union is taken in frame
    // order, so that its rounding is that of a pass on one thread.
    const std::vector<CScheduledFrame>& plan = source.Plan();
    const std::size_t window = 2 * pool.Size();
    std::vector<std::optional<CTrimRect>> drawn(window);
    const auto job = [&](std::size_t i, std::size_t worker) {
        drawn[i % window] = source.DrawnRect(i, *interpolators[worker]);
    };
    const auto consume = [&](std::size_t i) {
        if (const std::optional<CTrimRect>& rect = drawn[i % window]) {
            m_trim = m_trim.Unite(*rect);
        }
        CheckTerminated();
        Advance(plan[i].m_progress);
    };
    if (!pool.Run(plan.size(), window, job, consume, [this] { return IsTerminating(); })) {
        throw my::CException(IDS_TASK_INTERRUPTED);
    }
}

std::size_t CTask::WorkersForMemory(const stroke::CPageRect& pixels, std::size_t threads) const {
    const auto width = static_cast<std::uint64_t>(pixels.right);
    const auto height = static_cast<std::uint64_t>(pixels.bottom);
    // Four bytes a pixel; within the renderer's limit the product cannot overflow 64 bits.
    const std::uint64_t frame = width * height * 4;
    const std::uint64_t memory = AvailableMemory();
    if (memory == 0) {
        return threads;
    }
    if (frame > memory) {
        constexpr long double mib = 1024.0L * 1024.0L;
        throw my::CException(IDS_FRAMES_EXCEED_MEMORY, 1, width, height,
                             static_cast<std::uint64_t>(std::ceil(frame / mib)),
                             static_cast<std::uint64_t>(memory / (1024 * 1024)));
    }
    // Huge frames run on fewer threads rather than not at all.
    const std::uint64_t fit = memory / (frame * kFramesPerThread);
    return std::size_t(std::clamp<std::uint64_t>(fit, 1, threads));
}

void CTask::RenderPass(CWorkerPool& pool, std::size_t workers, const CFrameSource& source,
                       std::vector<InterpolatorPtr>& interpolators) {
    const std::vector<CScheduledFrame>& plan = source.Plan();
    m_saver->SetTerminator(GetTerminator());
    CDiscardUnlessFinished discard(*m_saver);
    m_renderedFrames = plan.size();
    const std::int32_t passStart = m_progressPos.load();
    // The first frame decides how an animation is written, so it is made before the others;
    // the calling thread has an interpolator of its own, the last one.
    const CImgPtr first = source.Render(0, *interpolators.back());
    const std::size_t window = 2 * workers;
    const auto stop = [this] { return IsTerminating(); };

    for (bool translucent = false;; translucent = true) {
        m_progressPos.store(passStart);
        const std::uint32_t count = m_saver->Begin(plan.size(), m_mirror, *first, translucent);
        // The pass adds 2n + 2 steps: one per output frame when the return trip doubles the
        // frames, else the steps of the schedule.
        const bool oneStepEach = count != plan.size();
        const bool cut = m_saver->CutsRegions();
        CFrameRelay relay;
        std::vector<std::unique_ptr<codec::CImgSaver>> encoders(pool.Size());
        std::vector<CEncodedFrame> encoded(window);

        const auto job = [&](std::size_t j, std::size_t worker) {
            CRelayPut put(cut ? &relay : nullptr, j);
            // A replayed frame is rendered again rather than kept: rendering is deterministic,
            // and the outward trip would otherwise stay in memory until it is replayed.
            const CImgPtr frame = j == 0 ? first
                                         : source.Render(m_saver->SourceIndex(std::uint32_t(j)),
                                                         *interpolators[worker]);
            put.Put(frame);
            if (!m_saver->Admits(*frame)) {
                throw CRestartPass{};
            }
            const CImgPtr previous = cut && j > 0 ? relay.Take(j - 1) : CImgPtr();
            CheckTerminated();
            std::unique_ptr<codec::CImgSaver>& encoder = encoders[worker];
            if (!encoder) {
                encoder = m_saver->MakeEncoder();
                // The pool is the parallelism; one encoder never takes a second core.
                encoder->SetParallel(false);
            }
            m_saver->Encode(std::uint32_t(j), previous.get(), frame, *encoder, encoded[j % window]);
        };
        const auto consume = [&](std::size_t j) {
            CheckTerminated();
            CEncodedFrame& frame = encoded[j % window];
            m_saver->Append(frame);
            frame.m_bytes.clear();
            Advance(oneStepEach ? 1 : plan[j].m_progress);
        };

        try {
            if (!pool.Run(count, window, job, consume, stop, workers)) {
                throw my::CException(IDS_TASK_INTERRUPTED);
            }
        } catch (const CRestartPass&) {
            // Frames written so far assumed an opaque animation: write them all again.
            continue;
        }
        break;
    }
    // A stop from here on comes too late: the files are complete and take their names.
    CheckTerminated();
    m_saver->Finish();
    discard.Finished();
}

void CTask::Execute() {
    m_progressMax.store(1);
    m_progressPos.store(0);
    m_setting.ValidateForTask();
    if (!m_saver) {
        throw my::InternalError("mrv::CTask::Run()\nthe task is not configured");
    }
    // A folder that cannot take the files is reported now, not after every frame is rendered;
    // what runs killed earlier left there goes first.
    codec::PrepareOutputFolder(ListOutputPaths());

    const int n = m_setting.GetInterFrameCount();
    const bool autoTrim = m_setting.HasFlags(TaskFlags::AutoTrim);
    m_progressMax.store(ProgressTotal(n, autoTrim));

    CFrameSource source(m_setting, [this] {
        CheckTerminated();
        Advance(1);
    });
    m_mirror = source.IsMirrored();
    m_trim = CTrimRect{};

    // Each thread makes its frames with an interpolator of its own (it holds the weights of
    // the frame being made); the last one is the calling thread's.
    const std::size_t frames = source.Plan().size();
    CWorkerPool pool(ThreadCount(std::max<std::size_t>(frames, std::size_t(2 * n + 2))));
    std::vector<InterpolatorPtr> interpolators;
    for (std::size_t i = 0; i <= pool.Size(); ++i) {
        interpolators.push_back(source.NewInterpolator());
    }

    if (autoTrim) {
        MeasurePass(pool, source, interpolators);
    }
    source.FitToOutput(m_trim);
    const std::size_t workers = WorkersForMemory(source.Page(), pool.Size());

    RenderPass(pool, workers, source, interpolators);
    Advance(1);
}

} // namespace mrv
