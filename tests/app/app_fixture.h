// Fixtures of the application tests: a CMsg that records what it was told and answers
// questions with a set reply, a CShell whose dialogs answer with set paths, and a main frame
// over them with its settings file in a temporary folder.
#pragma once

#include "app/app_context.h"
#include "app/main_frame.h"
#include "app/main_view.h"
#include "app/msg.h"
#include "support/temp_folder.h"

#include <QElapsedTimer>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

namespace morvane::test {

class CRecordingMsg : public CMsg {
public:
    void ShowError(const CSimpleErr& err) override { m_errors.push_back(err); }
    bool Show(const std::string& text, Style style) override {
        m_questions.push_back(text);
        m_styles.push_back(style);
        return m_answer;
    }
    SaveAnswer AskSave(const std::string& text) override {
        m_saveQuestions.push_back(text);
        return m_saveAnswer;
    }
    std::vector<CSimpleErr> m_errors;
    std::vector<std::string> m_questions;
    std::vector<Style> m_styles;
    bool m_answer = true;
    std::vector<std::string> m_saveQuestions;
    SaveAnswer m_saveAnswer = SaveAnswer::Cancel;
};

class CFixedShell : public mrv::CShell {
public:
    std::string GetOpenProjectPath(const std::string&) override { return Take(); }
    std::string GetSaveProjectPath(const std::string&) override { return Take(); }
    std::string GetOpenStrokePath(const std::string&) override { return Take(); }
    std::string GetFolder(const std::string&) override { return Take(); }
    void ShowInFileBrowser(const std::string& path) override { m_shown.push_back(path); }
    void OpenFolder(const std::string& folder) override { m_shown.push_back(folder); }
    void OpenWithDefault(const std::string& path) override { m_opened.push_back(path); }
    void OpenUrl(const std::string& url) override { m_opened.push_back(url); }

    std::string Take() {
        ++m_dialogs;
        return m_answer;
    }
    std::string m_answer; // what each dialog answers; empty = Cancel
    int m_dialogs = 0;
    std::vector<std::string> m_shown;
    std::vector<std::string> m_opened;
};

// The application objects and a main frame over the recording fixtures.
class CAppFixture {
public:
    explicit CAppFixture(const std::string& commandLine = "morvane");
    mrv::CMainView& View() { return m_frame->GetView(); }

    CTempFolder m_temp;
    CRecordingMsg m_msg;
    CFixedShell m_shell;
    mrv::CApp m_app;
    std::unique_ptr<mrv::CMainFrame> m_frame;
};

// The longest pause of the event loop while it runs: a timer beats every few milliseconds and
// the longest gap between its beats is kept. onBeat, when given, runs at each beat.
class CStallMeter {
public:
    explicit CStallMeter(int intervalMs, std::function<void()> onBeat = {});
    void Start();
    void Stop() { m_beat.stop(); }
    qint64 Longest() const { return m_longest; }
    // How many beats the loop let through since Start.
    int Beats() const { return m_beats; }

private:
    QTimer m_beat;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
    int m_beats = 0;
};

// Writes a small file (the drop and browse rules only look at names and folders).
void TouchFile(const std::string& path);

} // namespace morvane::test
