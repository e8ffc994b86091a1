// mrv::CMainThreadInbox: functions posted from any thread, run in order on the thread that made
// the inbox (the window's). The hand-over goes through a mutex of ours and an eventfd watched by
// the event loop, so no Qt object is made on one thread and freed on another.
#pragma once

#include <QObject>
#include <functional>
#include <mutex>
#include <vector>

class QSocketNotifier;

namespace mrv {

class CMainThreadInbox : public QObject {
public:
    explicit CMainThreadInbox(QObject* parent = nullptr);
    ~CMainThreadInbox() override;
    CMainThreadInbox(const CMainThreadInbox&) = delete;
    CMainThreadInbox& operator=(const CMainThreadInbox&) = delete;

    // Queues work to run on the inbox's thread when its event loop next turns; any thread.
    void Post(std::function<void()> work);

private:
    void RunPosted();

    int m_wakeFd = -1;
    QSocketNotifier* m_notifier = nullptr;
    std::mutex m_lock;
    std::vector<std::function<void()>> m_posted;
};

} // namespace mrv
