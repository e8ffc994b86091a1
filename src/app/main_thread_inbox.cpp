#include "app/main_thread_inbox.h"

#include "common/error.h"

#include <QSocketNotifier>
#include <cerrno>
#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

namespace mrv {

CMainThreadInbox::CMainThreadInbox(QObject* parent) : QObject(parent) {
    m_wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_wakeFd < 0) {
        throw my::InternalError("mrv::CMainThreadInbox\neventfd: " + my::SystemErrorText(errno));
    }
    m_notifier = new QSocketNotifier(m_wakeFd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] { RunPosted(); });
}

CMainThreadInbox::~CMainThreadInbox() {
    delete m_notifier;
    ::close(m_wakeFd);
}

void CMainThreadInbox::Post(std::function<void()> work) {
    {
        const std::lock_guard<std::mutex> hold(m_lock);
        m_posted.push_back(std::move(work));
    }
    // The counter only wakes the loop; a full counter (never reached) still leaves it readable.
    const std::uint64_t one = 1;
    while (::write(m_wakeFd, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void CMainThreadInbox::RunPosted() {
    std::uint64_t count = 0;
    while (::read(m_wakeFd, &count, sizeof count) < 0 && errno == EINTR) {
    }
    std::vector<std::function<void()>> posted;
    {
        const std::lock_guard<std::mutex> hold(m_lock);
        posted.swap(m_posted);
    }
    for (auto& work : posted) {
        work();
    }
}

} // namespace mrv
