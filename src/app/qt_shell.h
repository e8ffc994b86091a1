// The desktop services of the commands over Qt: file and folder dialogs, the file browser
// (the freedesktop FileManager1 interface, else the folder), default programs, web pages.
#pragma once

#include "app/app_context.h"

class QWidget;

namespace mrv {

class CQtShell : public CShell {
public:
    explicit CQtShell(QWidget* owner = nullptr) : m_owner(owner) {}
    void SetOwner(QWidget* owner) { m_owner = owner; }

    std::string GetOpenProjectPath(const std::string& start) override;
    std::string GetSaveProjectPath(const std::string& start) override;
    std::string GetOpenStrokePath(const std::string& start) override;
    std::string GetFolder(const std::string& start) override;
    void ShowInFileBrowser(const std::string& path) override;
    void OpenFolder(const std::string& folder) override;
    void OpenWithDefault(const std::string& path) override;
    void OpenUrl(const std::string& url) override;

private:
    QWidget* m_owner;
};

// A save dialog's name without an extension gets the one of the chosen filter: "mrva" for
// the project type (the first filter), "xml" for the second.
std::string AppendFilterExtension(const std::string& path, int filterIndex);

} // namespace mrv
