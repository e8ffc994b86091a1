// The generation as the form hosts it: the Generate command starts a task on the worker
// thread or cancels it, and the Timer command polls the task's counters every 100 ms,
// drives the progress bar and, once the run is over, collects the thread and shows its error.
#pragma once

#include "app/app_context.h"
#include "app/command.h"
#include "app/commands.h"
#include "app/main_frame.h"
#include "app/main_view.h"
#include "app/msg.h"
#include "app/thread.h"
#include "common/message_ids.h"
#include "common/messages.h"

#include <QString>
#include <algorithm>
#include <boost/make_shared.hpp>
#include <boost/shared_ptr.hpp>
#include <chrono>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace mrv {

// What the frame needs of a generation, whatever the task type.
class CGeneration {
public:
    virtual ~CGeneration() = default;
    // Generate pressed: cancels a run that exists, else validates, prepares and starts one.
    virtual void Generate() = 0;
    // The poll of one timer tick; raises the run's error once it is over.
    virtual void Poll() = 0;
    // The window is going: stop the run and wait for it without asking anything.
    virtual void Shutdown() = 0;
    // A worker thread exists (running, or ended and not yet collected).
    virtual bool IsActive() const = 0;
};

template <class Task> class CGenerationT : public CGeneration {
public:
    explicit CGenerationT(CApp& app) : m_app(app) {}
    ~CGenerationT() override { Shutdown(); }

    bool IsActive() const override { return m_thread.Exists(); }
    const boost::shared_ptr<Task>& GetTask() const { return m_task; }

    void Generate() override {
        if (m_thread.Exists()) {
            Cancel();
            return;
        }
        // The run takes what the boxes show, also a number still being typed.
        if (!m_app.m_view->CommitEdits()) {
            return;
        }
        RememberPaths();
        const CTaskSetting& setting = m_app.m_doc.GetTask();
        setting.ValidateForGenerate();
        auto task = boost::make_shared<Task>();
        task->Configure(setting);
        std::vector<std::string> existing;
        for (const std::string& path : task->ListOutputPaths()) {
            std::error_code ec;
            if (std::filesystem::exists(path, ec)) {
                existing.push_back(path);
            }
        }
        if (!existing.empty() && !m_app.m_msg->ConfirmOverwriteFiles(existing)) {
            return;
        }
        CMainView& view = *m_app.m_view;
        if (m_app.m_frame != nullptr) {
            m_app.m_frame->ClearRunReport();
        }
        view.GetTimer().start();
        m_outputCount = task->ListOutputPaths().size();
        m_outputFolder = setting.GetDstFolder();
        m_cancelled = false;
        m_started = std::chrono::steady_clock::now();
        m_task = task;
        m_thread.SetTask(task);
        try {
            m_thread.Start();
        } catch (...) {
            m_task.reset();
            m_thread.SetTask(nullptr);
            throw;
        }
        view.m_progress->setRange(0, 1);
        view.m_progress->setValue(0);
        view.ShowRunning();
    }

    void Poll() override {
        if (!m_task) {
            return;
        }
        const int position = m_task->GetProgressPos();
        if (position < 0) {
            return;
        }
        const int maximum = m_task->GetProgressMax();
        CMainView& view = *m_app.m_view;
        view.m_progress->setRange(0, std::max(maximum, 1));
        view.m_progress->setValue(std::min(position, std::max(maximum, 1)));
        if (position < maximum) {
            return;
        }
        m_thread.SetTerminate(true);
        m_thread.Wait(-1);
        const boost::shared_ptr<Task> task = m_task;
        m_task.reset();
        m_thread.SetTask(nullptr);
        view.ShowIdle();
        if (task->HasErr()) {
            // A run that did not finish leaves no full bar behind.
            view.ResetProgress();
            const CSimpleErr& err = task->GetErr();
            if (m_cancelled && err.m_id == IDS_TASK_INTERRUPTED) {
                // The user's own abort is news, not a failure.
                m_app.m_msg->Show(err.m_text, CMsg::Information);
                return;
            }
            throw my::CException(err);
        }
        ReportRun();
    }

    // Asks the running task to stop; the next poll after it stopped collects it.
    void Cancel() {
        if (!m_thread.Exists() || m_thread.IsTerminating()) {
            return;
        }
        m_app.m_view->ShowCancelling();
        m_cancelled = true;
        m_thread.SetTerminate(true);
    }

    void Shutdown() override {
        m_thread.SetTerminate(true);
        m_thread.Wait(-1);
    }

private:
    // The paths of the run join their lists, most recent first.
    void RememberPaths() {
        RememberTaskPaths(m_app.m_setting, m_app.m_doc.GetTask());
        m_app.m_view->RefillLists();
    }

    // A finished run is reported in the status bar: files written and time taken, with a
    // button that opens the folder written to.
    void ReportRun() {
        if (m_app.m_frame == nullptr) {
            return;
        }
        const std::chrono::duration<double> taken = std::chrono::steady_clock::now() - m_started;
        const std::string seconds = QString::number(taken.count(), 'f', 1).toStdString();
        std::string text;
        if (m_outputCount == 1) {
            const std::vector<std::string> args{seconds};
            text = my::FormatMessage(IDS_RUN_WROTE_ONE_FILE, args);
        } else {
            const std::vector<std::string> args{std::to_string(m_outputCount), seconds};
            text = my::FormatMessage(IDS_RUN_WROTE_FILES, args);
        }
        m_app.m_frame->ShowRunReport(text, m_outputFolder);
    }

    CApp& m_app;
    CSingleTaskThread<Task> m_thread;
    boost::shared_ptr<Task> m_task;
    std::size_t m_outputCount = 0;
    std::string m_outputFolder;
    bool m_cancelled = false;
    std::chrono::steady_clock::time_point m_started;
};

// The Generate button (start or cancel) and the timer's poll as commands, so that their
// failures reach the user as one message box.
class CCommandExec : public CCommand {
public:
    CCommandExec(CMsg* msg, CGeneration& generation) : CCommand(msg), m_generation(generation) {}

protected:
    void DoExecute(bool perform) override {
        if (perform) {
            m_generation.Generate();
        }
    }

private:
    CGeneration& m_generation;
};

class CCommandTimer : public CCommand {
public:
    CCommandTimer(CMsg* msg, CGeneration& generation) : CCommand(msg), m_generation(generation) {}

protected:
    void DoExecute(bool perform) override {
        if (perform) {
            m_generation.Poll();
        }
    }

private:
    CGeneration& m_generation;
};

} // namespace mrv
