// The application's commands: start-up and quit, opening and saving projects, dropped files,
// browsing for images and the output folder, the file browser, default programs, web pages.
#pragma once

#include "app/app_context.h"
#include "app/command.h"

#include <string>
#include <vector>

namespace mrv {

// A command that works on the application objects.
class CAppCommand : public CCommand {
public:
    explicit CAppCommand(CApp& app) : CCommand(app.m_msg), m_app(app) {}

protected:
    CApp& m_app;
};

class CCommandQuit : public CAppCommand {
public:
    using CAppCommand::CAppCommand;
    // Settings are written at quit only after start-up went through.
    void SetNoSave(bool noSave) { m_noSave = noSave; }
    bool GetNoSave() const { return m_noSave; }

protected:
    void DoExecute(bool perform) override;

private:
    bool m_noSave = true;
};

class CCommandOpen : public CAppCommand {
public:
    using CAppCommand::CAppCommand;
    // The path to open; empty asks with the open dialog.
    void SetPath(std::string path) { m_path = std::move(path); }

protected:
    void DoExecute(bool perform) override;

private:
    std::string m_path;
};

class CCommandInit : public CAppCommand {
public:
    CCommandInit(CApp& app, CCommandQuit& quit, CCommandOpen& open)
        : CAppCommand(app), m_quit(quit), m_open(open) {}
    // False when the user declined to go on after a settings question.
    bool Accepted() const { return m_accepted; }

protected:
    void DoExecute(bool perform) override;

private:
    CCommandQuit& m_quit;
    CCommandOpen& m_open;
    bool m_accepted = false;
};

// A fresh project with the default settings and no file.
class CCommandNew : public CAppCommand {
public:
    using CAppCommand::CAppCommand;

protected:
    void DoExecute(bool perform) override;
};

class CCommandOpenMru : public CAppCommand {
public:
    CCommandOpenMru(CApp& app, CCommandOpen& open, int index)
        : CAppCommand(app), m_open(open), m_index(index) {}

protected:
    void DoExecute(bool perform) override;

private:
    CCommandOpen& m_open;
    int m_index;
};

class CCommandSave : public CAppCommand {
public:
    CCommandSave(CApp& app, bool saveAs) : CAppCommand(app), m_saveAs(saveAs) {}

protected:
    void DoExecute(bool perform) override;

private:
    bool m_saveAs;
};

// Where a drop landed.
enum class DropTarget { StartImage, EndImage, OutputFolder, OutputName, Elsewhere };

class CCommandDropOpen : public CAppCommand {
public:
    CCommandDropOpen(CApp& app, CCommandOpen& open) : CAppCommand(app), m_open(open) {}
    void SetDrop(std::vector<std::string> paths, DropTarget target) {
        m_paths = std::move(paths);
        m_target = target;
    }

protected:
    void DoExecute(bool perform) override;

private:
    CCommandOpen& m_open;
    std::vector<std::string> m_paths;
    DropTarget m_target = DropTarget::Elsewhere;
};

class CCommandOpenSrcPath : public CAppCommand {
public:
    CCommandOpenSrcPath(CApp& app, int index) : CAppCommand(app), m_index(index) {}

protected:
    void DoExecute(bool perform) override;

private:
    int m_index;
};

class CCommandOpenDstFolder : public CAppCommand {
public:
    using CAppCommand::CAppCommand;

protected:
    void DoExecute(bool perform) override;
};

// Shows the start or end image (index 0, 1) or the output (index -1) in the file browser.
class CCommandExplorerPath : public CAppCommand {
public:
    CCommandExplorerPath(CApp& app, int index) : CAppCommand(app), m_index(index) {}

protected:
    void DoExecute(bool perform) override;

private:
    int m_index;
};

// Opens the start or end image (index 0, 1) or the output (index -1) with its program.
class CCommandShellOpenPath : public CAppCommand {
public:
    CCommandShellOpenPath(CApp& app, int index) : CAppCommand(app), m_index(index) {}

protected:
    void DoExecute(bool perform) override;

private:
    int m_index;
};

// Opens a folder in the file browser (the folder a finished run wrote to).
class CCommandOpenFolder : public CAppCommand {
public:
    using CAppCommand::CAppCommand;
    void SetFolder(std::string folder) { m_folder = std::move(folder); }

protected:
    void DoExecute(bool perform) override;

private:
    std::string m_folder;
};

class CCommandOpenUrl : public CAppCommand {
public:
    CCommandOpenUrl(CApp& app, std::uint32_t stringId) : CAppCommand(app), m_stringId(stringId) {}

protected:
    void DoExecute(bool perform) override;

private:
    std::uint32_t m_stringId;
};

// Before the open project is replaced or the program ends: stores what the boxes show, and
// when the record has changes that are not in its file asks whether to save them. True to go
// on (saved, or the changes discarded); false when the user cancelled, a box's text was
// refused or the save did not take place.
bool SaveModified(CApp& app);

// The first file the output settings name: the animation, or the first file of a sequence.
std::string FirstOutputPath(const CTaskSetting& task);
// The task's images, output folder and name (those not empty) join their lists.
void RememberTaskPaths(CAppSetting& setting, const CTaskSetting& task);

} // namespace mrv
