#include "app/thread.h"

#include "common/message_ids.h"

#include <cerrno>
#include <chrono>
#include <pthread.h>
#include <sched.h>
#include <system_error>

CThread::~CThread() {
    SetTerminate(true);
    Wait(-1);
}

bool CThread::IsTerminating() const {
    return m_terminate.load() || m_disabled.load();
}

bool CThread::IsRunning() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_running;
}

void CThread::Start() {
    if (IsDisabled()) {
        throw my::CException::FromCode(IDS_THREAD_START_FAILED, EPERM);
    }
    if (IsRunning()) {
        return;
    }
    Wait(-1);
    m_terminate.store(false);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_running = true;
    }
    try {
        m_thread = std::thread([this] { Body(); });
    } catch (const std::system_error& e) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_running = false;
        throw my::CException::FromCode(IDS_THREAD_START_FAILED, e.code().value());
    }
}

void CThread::Body() {
    // Idle priority keeps the desktop responsive during a long generation; a refusal only
    // costs responsiveness, so it is not an error.
    sched_param param{};
    param.sched_priority = 0;
    pthread_setschedparam(pthread_self(), SCHED_IDLE, &param);
    Run();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_running = false;
    m_ended.notify_all();
}

bool CThread::Wait(int timeoutMs) {
    if (!m_thread.joinable()) {
        return true;
    }
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        auto ended = [this] { return !m_running; };
        if (timeoutMs < 0) {
            m_ended.wait(lock, ended);
        } else if (!m_ended.wait_for(lock, std::chrono::milliseconds(timeoutMs), ended)) {
            return false;
        }
    }
    m_thread.join();
    return true;
}
