#include "engine/worker_pool.h"

#include "common/error.h"
#include "common/message_ids.h"
#include "output/quantizer.h"
#include "platform/frame_memory.h"

#include <algorithm>
#include <chrono>
#include <pthread.h>
#include <sched.h>
#include <system_error>

namespace mrv {

namespace {

// How often the thread that consumes asks whether to stop while it waits for a job: the stop
// request is a flag, not a signal, so it is polled.
constexpr std::chrono::milliseconds kStopPoll{10};

} // namespace

CWorkerPool::CWorkerPool(std::size_t threads) {
    threads = std::max<std::size_t>(threads, 1);
    KeepFreedFrameMemory();
    // The workers take the creator's policy and priority: a generation started at idle
    // priority keeps the desktop responsive on every core, not just on one.
    int policy = SCHED_OTHER;
    sched_param param{};
    const bool known = pthread_getschedparam(pthread_self(), &policy, &param) == 0;
    try {
        m_threads.reserve(threads);
        for (std::size_t i = 0; i < threads; ++i) {
            m_threads.emplace_back([this, i, known, policy, param] {
                if (known) {
                    // A refusal only costs responsiveness, so it is not an error.
                    pthread_setschedparam(pthread_self(), policy, &param);
                }
                codec::QuantizeOnCallingThreadOnly();
                Work(i);
            });
        }
    } catch (const std::system_error& e) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_shutdown = true;
        }
        m_work.notify_all();
        for (std::thread& t : m_threads) {
            t.join();
        }
        throw my::CException::FromCode(IDS_THREAD_START_FAILED, e.code().value());
    }
}

CWorkerPool::~CWorkerPool() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_shutdown = true;
    }
    m_work.notify_all();
    for (std::thread& t : m_threads) {
        t.join();
    }
    ReleaseFreedFrameMemory();
}

bool CWorkerPool::Take(std::size_t worker, std::size_t& index) {
    if (m_job == nullptr || worker >= m_workers || m_next >= m_limit ||
        m_next >= m_consumed + m_window) {
        return false;
    }
    if ((*m_stop)()) {
        m_limit = m_next;
        return false;
    }
    index = m_next++;
    return true;
}

void CWorkerPool::Work(std::size_t worker) {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        std::size_t index = 0;
        m_work.wait(lock, [&] { return m_shutdown || Take(worker, index); });
        if (m_shutdown) {
            return;
        }
        ++m_running;
        const Job& job = *m_job;
        lock.unlock();
        std::exception_ptr error;
        try {
            job(index, worker);
        } catch (...) {
            error = std::current_exception();
        }
        lock.lock();
        --m_running;
        m_finished[index] = 1;
        if (error) {
            m_errors[index] = error;
            // Jobs after a failed one are not started; the ones before it still count.
            m_limit = std::min(m_limit, index + 1);
        }
        m_done.notify_all();
    }
}

void CWorkerPool::Drain(std::unique_lock<std::mutex>& lock) {
    m_limit = std::min(m_limit, m_next);
    m_done.wait(lock, [this] { return m_running == 0; });
    m_job = nullptr;
    m_stop = nullptr;
}

bool CWorkerPool::Run(std::size_t count, std::size_t window, const Job& job, const Consume& consume,
                      const StopQuery& stop, std::size_t workers) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_job = &job;
    m_stop = &stop;
    m_limit = count;
    m_window = std::max<std::size_t>(window, 1);
    m_workers = workers == 0 ? m_threads.size() : std::min(workers, m_threads.size());
    m_next = 0;
    m_consumed = 0;
    m_finished.assign(count, 0);
    m_errors.assign(count, nullptr);
    m_work.notify_all();

    try {
        for (std::size_t i = 0; i < count; ++i) {
            while (m_finished[i] == 0) {
                // A job that will never start (the pass was cut short) ends the wait too.
                if (stop() || (m_next <= i && m_limit <= i)) {
                    Drain(lock);
                    return false;
                }
                m_done.wait_for(lock, kStopPoll);
            }
            if (m_errors[i]) {
                const std::exception_ptr error = m_errors[i];
                Drain(lock);
                std::rethrow_exception(error);
            }
            if (stop()) {
                Drain(lock);
                return false;
            }
            lock.unlock();
            consume(i);
            lock.lock();
            ++m_consumed;
            m_work.notify_all();
        }
    } catch (...) {
        if (!lock.owns_lock()) {
            lock.lock();
        }
        if (m_job != nullptr) {
            Drain(lock);
        }
        throw;
    }
    Drain(lock);
    return true;
}

} // namespace mrv
