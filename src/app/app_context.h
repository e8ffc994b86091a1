// The application objects the commands work on: the open project, the settings record, the
// message interface, the desktop services and the two windows.
#pragma once

#include "app/doc.h"
#include "settings/app_setting.h"

#include <string>

class CMsg;

namespace mrv {

class CMainView;
class CMainFrame;

// The desktop's file dialogs and file services. The Qt implementation shows real dialogs;
// tests answer with fixed paths. An empty answer from a dialog means Cancel.
class CShell {
public:
    virtual ~CShell() = default;
    virtual std::string GetOpenProjectPath(const std::string& start) = 0;
    virtual std::string GetSaveProjectPath(const std::string& start) = 0;
    virtual std::string GetOpenStrokePath(const std::string& start) = 0;
    virtual std::string GetFolder(const std::string& start) = 0;
    // Opens the file browser on the folder of path with path selected.
    virtual void ShowInFileBrowser(const std::string& path) = 0;
    // Opens a folder in the file browser.
    virtual void OpenFolder(const std::string& folder) = 0;
    // Opens a file with its associated program.
    virtual void OpenWithDefault(const std::string& path) = 0;
    virtual void OpenUrl(const std::string& url) = 0;
};

struct CApp {
    CDoc m_doc;
    CAppSetting m_setting;
    CMsg* m_msg = nullptr;
    CShell* m_shell = nullptr;
    CMainFrame* m_frame = nullptr;
    CMainView* m_view = nullptr;
    std::string m_settingsPath; // the settings file read at start and written at quit
    std::string m_commandLine;  // the whole command line, each argument quoted
};

} // namespace mrv
