// CThread: the one worker thread of a generation, on std::thread at idle priority, with an
// atomic stop flag the work asks between steps. CSingleTaskThread runs one task's Run on it.
#pragma once

#include "app/command.h"
#include "common/error.h"
#include "common/terminable.h"

#include <atomic>
#include <boost/shared_ptr.hpp>
#include <condition_variable>
#include <mutex>
#include <thread>

class CThread : public CTerminable {
public:
    CThread() = default;
    CThread(const CThread&) = delete;
    CThread& operator=(const CThread&) = delete;
    // Waits for a running body: a thread must never outlive the objects it works on.
    ~CThread() override;

    // Terminate requested or disabled.
    bool IsTerminating() const override;
    // Starts the body unless disabled (IDS_THREAD_START_FAILED); a running thread is left alone and
    // counts as success; an ended one is collected first.
    virtual void Start();
    // Waits up to timeoutMs milliseconds (-1 = no limit); true when no thread is left.
    virtual bool Wait(int timeoutMs);
    bool IsDisabled() const { return m_disabled.load(); }
    // A thread exists and its body has not returned.
    bool IsRunning() const;
    bool Exists() const { return m_thread.joinable(); }
    void SetTerminate(bool flag) { m_terminate.store(flag); }
    void SetDisabled(bool flag) { m_disabled.store(flag); }

protected:
    // The thread body.
    virtual void Run() = 0;

private:
    void Body();

    std::atomic<bool> m_terminate{false};
    std::atomic<bool> m_disabled{false};
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::condition_variable m_ended;
    bool m_running = false; // guarded by m_mutex
};

// Runs Task::Run(this) on the thread; every exception that escapes the task is stored in its
// error record, then the task's client hears of the end through the task itself.
template <class Task> class CSingleTaskThread : public CThread {
public:
    ~CSingleTaskThread() override {
        SetTerminate(true);
        Wait(-1);
    }
    void SetTask(boost::shared_ptr<Task> task) { m_task = std::move(task); }
    const boost::shared_ptr<Task>& GetTask() const { return m_task; }

protected:
    void Run() override {
        boost::shared_ptr<Task> task = m_task;
        if (!task) {
            return;
        }
        try {
            task->Run(this);
        } catch (...) {
            StoreCurrentException(*task);
        }
    }

private:
    static void StoreCurrentException(Task& task);
    boost::shared_ptr<Task> m_task;
};

template <class Task> void CSingleTaskThread<Task>::StoreCurrentException(Task& task) {
    task.SetErr(ErrFromCurrentException());
}
