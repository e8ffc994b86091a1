// mrv::CDoc: the open project - the task record the form edits, the project file's path, the
// record as last opened or saved (to tell unsaved changes) and the listeners told when the
// record is replaced or the path changes.
#pragma once

#include "engine/task_setting.h"

#include <functional>
#include <string>
#include <vector>

namespace mrv {

class CDoc {
public:
    using Listener = std::function<void()>;

    CTaskSetting& GetTask() { return m_task; }
    const CTaskSetting& GetTask() const { return m_task; }

    const std::string& GetPath() const { return m_path; }
    // Sets the path; the path listeners run only when the text differs.
    void SetPath(const std::string& path);

    // Replaces the record and tells the record listeners (the form shows every field again).
    // The new record counts as unchanged.
    void SetTask(const CTaskSetting& task);
    // The record differs from the one last opened, saved or set.
    bool IsModified() const { return !(m_task == m_saved); }
    // The record as it stands is what the project file holds now.
    void MarkSaved() { m_saved = m_task; }
    void NotifyRecordChanged();

    void AddRecordListener(Listener listener) { m_recordListeners.push_back(std::move(listener)); }
    void AddPathListener(Listener listener) { m_pathListeners.push_back(std::move(listener)); }

private:
    CTaskSetting m_task;
    CTaskSetting m_saved;
    std::string m_path;
    std::vector<Listener> m_recordListeners;
    std::vector<Listener> m_pathListeners;
};

} // namespace mrv
