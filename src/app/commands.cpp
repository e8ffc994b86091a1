#include "app/commands.h"

#include "app/command_line.h"
#include "app/main_frame.h"
#include "app/main_view.h"
#include "app/msg.h"
#include "common/message_ids.h"
#include "common/messages.h"
#include "engine/saver_factory.h"
#include "platform/app_data.h"
#include "platform/path.h"
#include "settings/app_setting_file.h"
#include "settings/project_file.h"

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <vector>

namespace mrv {

namespace {

namespace fs = std::filesystem;

bool Exists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::exists(path, ec);
}

bool IsFolder(const std::string& path) {
    std::error_code ec;
    return fs::is_directory(path, ec);
}

// The nearest existing folder above path; empty when none exists.
std::string NearestFolder(std::string path) {
    while (!path.empty()) {
        path = my::FolderOf(path);
        if (IsFolder(path)) {
            return path;
        }
    }
    return {};
}

CMruList& SrcList(CAppSetting& setting, int index) {
    return index == 0 ? setting.m_srcPathes0 : setting.m_srcPathes1;
}

// The path a file command works on: an image, or the output for index -1 (the first output
// file when it exists, else the output folder).
std::string CommandPath(const CTaskSetting& task, int index) {
    if (index >= 0) {
        return task.GetSrcPath(index);
    }
    const std::string file = FirstOutputPath(task);
    return Exists(file) ? file : task.GetDstFolder();
}

// Image `index` received `path` (browsed or dropped alone): the other image gets it too when
// empty, both lists learn it, and an empty output folder becomes the image's folder.
void TakeImage(CApp& app, int index, const std::string& path) {
    CTaskSetting& task = app.m_doc.GetTask();
    task.SetSrcPath(index, path);
    if (task.GetSrcPath(1 - index).empty()) {
        task.SetSrcPath(1 - index, path);
    }
    SrcList(app.m_setting, index).Add(path);
    SrcList(app.m_setting, 1 - index).Add(path);
}

void TakeFolderOfImage(CApp& app, const std::string& path) {
    CTaskSetting& task = app.m_doc.GetTask();
    const std::string folder = my::FolderOf(path);
    if (task.GetDstFolder().empty()) {
        task.SetDstFolder(folder);
    }
    if (!folder.empty()) {
        app.m_setting.m_dstFolders.Add(folder);
    }
}

void ShowChanges(CApp& app) {
    if (app.m_view != nullptr) {
        app.m_view->RefillLists();
        app.m_view->RefreshControls();
    }
}

// A stroke drawing named on the command line starts a new project: default settings, no project
// file, the drawing as START (and END, as when it is dropped on an empty form), the output
// beside it.
void StartNewProject(CApp& app, const std::string& drawing) {
    std::error_code ec;
    if (!fs::exists(drawing, ec)) {
        throw my::CException::FromCode(IDS_FILE_OPEN_FAILED, ENOENT, drawing);
    }
    app.m_doc.SetTask(CTaskSetting());
    app.m_doc.SetPath({});
    TakeImage(app, 0, drawing);
    TakeFolderOfImage(app, drawing);
    ShowChanges(app);
    if (app.m_frame != nullptr) {
        app.m_frame->UpdateTitle();
    }
}

} // namespace

bool SaveModified(CApp& app) {
    if (app.m_view != nullptr && !app.m_view->CommitEdits()) {
        return false;
    }
    if (!app.m_doc.IsModified()) {
        return true;
    }
    const std::string& path = app.m_doc.GetPath();
    const std::string name = path.empty() ? std::string(my::MessageText(IDS_UNTITLED))
                                          : fs::path(path).filename().string();
    switch (app.m_msg->ConfirmSaveChanges(name)) {
    case CMsg::SaveAnswer::Discard:
        return true;
    case CMsg::SaveAnswer::Cancel:
        return false;
    case CMsg::SaveAnswer::Save:
        break;
    }
    // A failed save has shown its message; a cancelled save dialog saved nothing. Either way
    // the changes are still only in the form, so nothing may replace them.
    CCommandSave save(app, false);
    save.Execute(true, false);
    return !app.m_doc.IsModified();
}

void RememberTaskPaths(CAppSetting& setting, const CTaskSetting& task) {
    if (!task.GetSrcPath0().empty()) {
        setting.m_srcPathes0.Add(task.GetSrcPath0());
    }
    if (!task.GetSrcPath1().empty()) {
        setting.m_srcPathes1.Add(task.GetSrcPath1());
    }
    if (!task.GetDstFolder().empty()) {
        setting.m_dstFolders.Add(task.GetDstFolder());
    }
    if (!task.GetDstName().empty()) {
        setting.m_dstNames.Add(task.GetDstName());
    }
}

std::string FirstOutputPath(const CTaskSetting& task) {
    return CreateSaver(task)->GetFilePath(0);
}

void CCommandQuit::DoExecute(bool perform) {
    if (!perform || m_noSave) {
        return;
    }
    CAppSetting& setting = m_app.m_setting;
    setting.m_lastPath = m_app.m_doc.GetPath();
    setting.m_task = m_app.m_doc.GetTask();
    if (m_app.m_frame != nullptr) {
        m_app.m_frame->StorePlacement(setting.m_placement);
    }
    WriteAppSettingAtQuit(setting, m_app.m_settingsPath);
}

void CCommandInit::DoExecute(bool perform) {
    if (!perform) {
        return;
    }
    m_accepted = ReadAppSettingAtStart(m_app.m_setting, m_app.m_settingsPath, Msg());
    if (!m_accepted) {
        if (m_app.m_frame != nullptr) {
            m_app.m_frame->RequestClose();
        }
        return;
    }
    m_app.m_doc.SetTask(m_app.m_setting.m_task);
    if (m_app.m_frame != nullptr) {
        m_app.m_frame->ApplyPlacement();
        m_app.m_frame->RebuildRecentMenu();
        m_app.m_frame->UpdateTitle();
    }
    m_quit.SetNoSave(false);

    CSingleCommandLineParser parser;
    parser.Parse(m_app.m_commandLine);
    const std::string& file = parser.GetFileName();
    if (file.empty()) {
        return;
    }
    if (IsStrokeDrawing(file)) {
        StartNewProject(m_app, file);
        return;
    }
    m_open.SetPath(file);
    m_open.Execute(true, false);
    m_open.SetPath({});
}

void CCommandOpen::DoExecute(bool perform) {
    if (!perform) {
        return;
    }
    std::string path = m_path;
    if (path.empty()) {
        std::string start = m_app.m_doc.GetPath();
        if (start.empty() && !m_app.m_setting.m_mruPathes.IsEmpty()) {
            start = m_app.m_setting.m_mruPathes.GetItems().front();
        }
        path = m_app.m_shell->GetOpenProjectPath(start);
        if (path.empty()) {
            return;
        }
    }
    CTaskSetting task;
    CSimpleErr err;
    if (!LoadProject(path, task, err)) {
        throw my::CException(err);
    }
    if (!SaveModified(m_app)) {
        return;
    }
    CAppSetting& setting = m_app.m_setting;
    RememberTaskPaths(setting, task);
    m_app.m_doc.SetTask(task);
    m_app.m_doc.SetPath(path);
    setting.m_mruPathes.Add(path);
    if (m_app.m_frame != nullptr) {
        m_app.m_frame->RebuildRecentMenu();
        m_app.m_frame->UpdateTitle();
    }
}

void CCommandNew::DoExecute(bool perform) {
    if (!perform || !SaveModified(m_app)) {
        return;
    }
    m_app.m_doc.SetTask(CTaskSetting());
    m_app.m_doc.SetPath({});
    if (m_app.m_frame != nullptr) {
        m_app.m_frame->UpdateTitle();
    }
}

void CCommandOpenMru::DoExecute(bool perform) {
    if (!perform) {
        return;
    }
    const auto& items = m_app.m_setting.m_mruPathes.GetItems();
    if (m_index < 0 || static_cast<std::size_t>(m_index) >= items.size()) {
        throw my::InternalError("Mru index is out of range: " + std::to_string(m_index));
    }
    const std::string path = items[static_cast<std::size_t>(m_index)];
    if (path.empty()) {
        throw my::InternalError("Mru value is (NULL): " + std::to_string(m_index));
    }
    m_open.SetPath(path);
    struct Reset {
        CCommandOpen& open;
        ~Reset() { open.SetPath({}); }
    } reset{m_open};
    m_open.Execute(true, true);
}

void CCommandSave::DoExecute(bool perform) {
    // The file gets what the boxes show, also a number still being typed.
    if (!perform || (m_app.m_view != nullptr && !m_app.m_view->CommitEdits())) {
        return;
    }
    std::string path = m_app.m_doc.GetPath();
    if (m_saveAs || path.empty()) {
        path = m_app.m_shell->GetSaveProjectPath(path);
        if (path.empty()) {
            return;
        }
        if (!Msg().ConfirmOverwriteIfExists(path)) {
            return;
        }
    }
    CSimpleErr err;
    if (!SaveProject(path, m_app.m_doc.GetTask(), err)) {
        throw my::CException(err);
    }
    m_app.m_doc.MarkSaved();
    m_app.m_setting.m_mruPathes.Add(path);
    m_app.m_doc.SetPath(path);
    if (m_app.m_frame != nullptr) {
        m_app.m_frame->RebuildRecentMenu();
        m_app.m_frame->UpdateTitle();
    }
}

void CCommandDropOpen::DoExecute(bool perform) {
    if (!perform || m_paths.empty()) {
        return;
    }
    CTaskSetting& task = m_app.m_doc.GetTask();
    switch (m_target) {
    case DropTarget::StartImage:
    case DropTarget::EndImage: {
        if (m_paths.size() > 2) {
            throw my::CException(IDS_DROP_TOO_MANY_IMAGES);
        }
        const int index = m_target == DropTarget::StartImage ? 0 : 1;
        if (m_paths.size() == 2) {
            task.SetSrcPath(index, m_paths[0]);
            task.SetSrcPath(1 - index, m_paths[1]);
            SrcList(m_app.m_setting, index).Add(m_paths[0]);
            SrcList(m_app.m_setting, 1 - index).Add(m_paths[1]);
        } else {
            TakeImage(m_app, index, m_paths[0]);
        }
        TakeFolderOfImage(m_app, m_paths[0]);
        break;
    }
    case DropTarget::OutputFolder:
    case DropTarget::OutputName: {
        if (m_paths.size() > 1) {
            throw my::CException(IDS_DROP_SEVERAL_ON_OUTPUT);
        }
        const std::string& path = m_paths[0];
        if (IsFolder(path)) {
            task.SetDstFolder(path);
            m_app.m_setting.m_dstFolders.Add(path);
        } else {
            const fs::path p(path);
            task.SetDstFolder(my::FolderOf(path));
            task.SetDstName(p.stem().string());
            m_app.m_setting.m_dstFolders.Add(task.GetDstFolder());
            m_app.m_setting.m_dstNames.Add(task.GetDstName());
        }
        break;
    }
    case DropTarget::Elsewhere:
        if (m_paths.size() > 1) {
            throw my::CException(IDS_DROP_SEVERAL_FILES);
        }
        m_open.SetPath(m_paths[0]);
        struct Reset {
            CCommandOpen& open;
            ~Reset() { open.SetPath({}); }
        } reset{m_open};
        m_open.Execute(true, true);
        return;
    }
    ShowChanges(m_app);
}

void CCommandOpenSrcPath::DoExecute(bool perform) {
    if (!perform) {
        return;
    }
    const std::string path =
        m_app.m_shell->GetOpenStrokePath(m_app.m_doc.GetTask().GetSrcPath(m_index));
    if (path.empty()) {
        return;
    }
    TakeImage(m_app, m_index, path);
    TakeFolderOfImage(m_app, path);
    ShowChanges(m_app);
}

void CCommandOpenDstFolder::DoExecute(bool perform) {
    if (!perform) {
        return;
    }
    const std::string folder = m_app.m_shell->GetFolder(m_app.m_doc.GetTask().GetDstFolder());
    if (folder.empty()) {
        return;
    }
    m_app.m_doc.GetTask().SetDstFolder(folder);
    m_app.m_setting.m_dstFolders.Add(folder);
    ShowChanges(m_app);
}

void CCommandExplorerPath::DoExecute(bool perform) {
    if (!perform) {
        return;
    }
    const std::string path = CommandPath(m_app.m_doc.GetTask(), m_index);
    if (Exists(path)) {
        if (IsFolder(path)) {
            m_app.m_shell->OpenFolder(path);
        } else {
            m_app.m_shell->ShowInFileBrowser(path);
        }
        return;
    }
    const std::string folder = NearestFolder(path);
    if (folder.empty()) {
        throw my::CException(IDS_OPEN_FAILED, path);
    }
    if (Msg().Show(my::FormatMessage(IDS_CONFIRM_OPEN_NEAREST_FOLDER), CMsg::Question)) {
        m_app.m_shell->OpenFolder(folder);
    }
}

void CCommandShellOpenPath::DoExecute(bool perform) {
    if (!perform) {
        return;
    }
    const std::string path = CommandPath(m_app.m_doc.GetTask(), m_index);
    if (!Exists(path)) {
        throw my::CException(IDS_OPEN_FAILED, path);
    }
    m_app.m_shell->OpenWithDefault(path);
}

void CCommandOpenFolder::DoExecute(bool perform) {
    if (!perform) {
        return;
    }
    if (!IsFolder(m_folder)) {
        throw my::CException(IDS_OPEN_FAILED, m_folder);
    }
    m_app.m_shell->OpenFolder(m_folder);
}

namespace {

// The documents of the two help pages ship with the program: in its installed data folder, or
// in the source tree the binary was built in.
std::string DocumentUrl(const std::string& page) {
    if (page.find("://") != std::string::npos) {
        return page;
    }
    const std::string found = my::FindHelpPage(page);
    if (found.empty()) {
        throw my::CException(IDS_OPEN_FAILED, page);
    }
    return "file://" + found;
}

} // namespace

void CCommandOpenUrl::DoExecute(bool perform) {
    if (perform) {
        m_app.m_shell->OpenUrl(DocumentUrl(std::string(my::MessageText(m_stringId))));
    }
}

} // namespace mrv
