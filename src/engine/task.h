// mrv::CTask: one generation run. It takes its frames from a CFrameSource (START and END loaded
// and paired, the schedule, the fitted page) and streams them through a pool of threads (model,
// render, encode on each) into the saver of the output format, which writes them in order. Run is
// made for a worker thread: its progress counters can be read and its stop asked from another
// thread.
#pragma once

#include "common/error.h"
#include "common/terminable.h"
#include "engine/animate_item.h"
#include "engine/frame_schedule.h"
#include "engine/interpolator.h"
#include "engine/model_fit.h"
#include "engine/saver_factory.h"
#include "engine/task_setting.h"
#include "render/model_renderer.h"

#include <atomic>
#include <boost/enable_shared_from_this.hpp>
#include <boost/shared_ptr.hpp>
#include <cstdint>
#include <string>
#include <vector>

namespace mrv {

class CTask;
class CFrameSource;
class CWorkerPool;

// Told once a run has ended, on the thread that ran it.
class CTaskClient {
public:
    virtual ~CTaskClient() = default;
    virtual void OnTaskEnd(CTask& task) = 0;
};

class CTask : public CCanTerminate,
              public CHasErr<CSimpleErr>,
              public boost::enable_shared_from_this<CTask> {
public:
    CTask() = default;
    CTask(const CTask&) = delete;
    CTask& operator=(const CTask&) = delete;

    // Copies the settings and makes the saver of their DstFormat.
    void Configure(const CTaskSetting& setting);
    const CTaskSetting& GetSetting() const { return m_setting; }
    // Every path the saver will write, for the question whether to overwrite.
    std::vector<std::string> ListOutputPaths() const;

    // The whole generation. Failures are stored in the error record (never thrown); a stop
    // stores "処理が中断されました". The progress position equals the maximum on every way out,
    // and the client (if any) is told at the very end. terminator may be null.
    void Run(const CTerminable* terminator);

    // Threads that make frames at once; 0 (the default) takes every hardware thread. The
    // files written are the same for every count.
    void SetThreadCount(int threads) { m_threadCount = threads; }
    int GetThreadCount() const { return m_threadCount; }

    // -1 before the first run; both may be read from any thread while Run works.
    int GetProgressPos() const { return m_progressPos.load(); }
    int GetProgressMax() const { return m_progressMax.load(); }
    void SetClient(CTaskClient* client) { m_client = client; }

    // Facts of the last run, for its caller once Run has returned: whether the saver replays
    // the outward trip backwards, and how many distinct frames the schedule rendered (a
    // replayed frame is rendered again, but counts once).
    bool IsMirrored() const { return m_mirror; }
    std::size_t RenderedFrameCount() const { return m_renderedFrames; }

private:
    void Execute();
    // Raises the interruption message when a stop was asked for.
    void CheckTerminated() const;
    void Advance(int steps) { m_progressPos.fetch_add(steps); }
    // Threads for a run whose passes have at most `jobs` frames.
    std::size_t ThreadCount(std::size_t jobs) const;
    void MeasurePass(CWorkerPool& pool, const CFrameSource& source,
                     std::vector<InterpolatorPtr>& interpolators);
    // Refuses a frame that alone does not fit in memory; else the number of the pool's threads
    // whose frames fit at once.
    std::size_t WorkersForMemory(const stroke::CPageRect& page, std::size_t threads) const;
    void RenderPass(CWorkerPool& pool, std::size_t workers, const CFrameSource& source,
                    std::vector<InterpolatorPtr>& interpolators);

    CTaskSetting m_setting;
    ImgSaverPtr m_saver;
    CTaskClient* m_client = nullptr;
    std::atomic<std::int32_t> m_progressPos{-1};
    std::atomic<std::int32_t> m_progressMax{0};
    int m_threadCount = 0;
    bool m_mirror = false;
    std::size_t m_renderedFrames = 0;
    CTrimRect m_trim;
};

using TaskPtr = boost::shared_ptr<CTask>;

} // namespace mrv
