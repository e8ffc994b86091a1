// mrv::CWorkerPool: a fixed set of worker threads that runs the numbered jobs of a pass (one
// job per frame) and hands them back in order to the thread that asked, which writes them.
// At most a window of jobs runs ahead of the one written last, so memory is bounded by the
// pool, never by the number of frames.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace mrv {

class CWorkerPool {
public:
    // job(index, worker): runs on a worker thread; worker (0 .. Size() - 1) names the thread,
    // for state kept per thread.
    using Job = std::function<void(std::size_t index, std::size_t worker)>;
    // consume(index): runs on the calling thread of Run, in order, once job index has ended.
    using Consume = std::function<void(std::size_t index)>;
    // Asked by every thread between jobs; true ends the pass early.
    using StopQuery = std::function<bool()>;

    // Starts `threads` workers (at least 1). They run with the scheduling policy of the thread
    // that makes the pool (idle priority stays idle) and keep libimagequant's own threads off.
    // Freed frame buffers stay in the process while the pool runs (KeepFreedFrameMemory) and
    // go back to the kernel when it ends.
    // Raises IDS_THREAD_START_FAILED when a thread cannot be started.
    explicit CWorkerPool(std::size_t threads);
    // Waits for the workers.
    ~CWorkerPool();
    CWorkerPool(const CWorkerPool&) = delete;
    CWorkerPool& operator=(const CWorkerPool&) = delete;

    std::size_t Size() const { return m_threads.size(); }

    // Runs jobs 0 .. count - 1 on the first `workers` threads (all when 0 or more than Size()),
    // at most `window` (at least 1) ahead of the last consumed job; consume follows in order
    // on this thread. True when every job was consumed, false when stop answered true first.
    // A job that throws ends the pass at that index: the jobs before it still run and are
    // consumed, then its exception is raised here, so the failure reported is the first in
    // frame order whatever the threads' timing. An exception of consume is raised as well.
    // Whatever the outcome, no job is running when Run returns.
    [[nodiscard]] bool Run(std::size_t count, std::size_t window, const Job& job,
                           const Consume& consume, const StopQuery& stop, std::size_t workers = 0);

private:
    void Work(std::size_t worker);
    // Next job for worker, or false to wait; called with m_mutex held.
    bool Take(std::size_t worker, std::size_t& index);
    // Stops handing out jobs and waits until the running ones ended; m_mutex held.
    void Drain(std::unique_lock<std::mutex>& lock);

    std::vector<std::thread> m_threads;
    std::mutex m_mutex;
    std::condition_variable m_work; // workers wait for jobs
    std::condition_variable m_done; // the caller waits for results and for idle workers
    bool m_shutdown = false;

    // The pass being run; guarded by m_mutex.
    const Job* m_job = nullptr;
    const StopQuery* m_stop = nullptr;
    std::size_t m_limit = 0; // no job from this index on is handed out
    std::size_t m_window = 1;
    std::size_t m_workers = 0;
    std::size_t m_next = 0;
    std::size_t m_consumed = 0;
    std::size_t m_running = 0;
    std::vector<char> m_finished;
    std::vector<std::exception_ptr> m_errors;
};

} // namespace mrv
