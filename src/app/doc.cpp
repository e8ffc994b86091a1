#include "app/doc.h"

namespace mrv {

void CDoc::SetPath(const std::string& path) {
    if (path == m_path) {
        return;
    }
    m_path = path;
    for (const Listener& listener : m_pathListeners) {
        listener();
    }
}

void CDoc::SetTask(const CTaskSetting& task) {
    m_task = task;
    m_saved = task;
    NotifyRecordChanged();
}

void CDoc::NotifyRecordChanged() {
    for (const Listener& listener : m_recordListeners) {
        listener();
    }
}

} // namespace mrv
