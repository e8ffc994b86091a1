#include "settings/project_file.h"

#include "platform/path.h"
#include "settings/task_element.h"
#include "settings/xml_document.h"

#include <filesystem>
#include <system_error>

namespace {

constexpr std::string_view kRoot = "MorvaneFile";

// The folder paths are stored relative to: that of the absolute project path, so that a
// project named relative to the current folder stores and resolves its paths the same way.
std::string BaseFolderOf(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    return my::FolderOf(ec ? path : absolute.lexically_normal().string());
}

} // namespace

bool LoadProject(const std::string& path, mrv::CTaskSetting& task, CSimpleErr& err) {
    CXmlDocument doc;
    doc.SetBaseFolder(BaseFolderOf(path));
    CXmlElement root;
    std::uint32_t version = 0;
    // A fresh record, copied out only when everything was read: a failed open leaves the
    // caller's record as it was.
    mrv::CTaskSetting read;
    if (!doc.Load(path) || !doc.SelectRoot(kRoot, root) ||
        !doc.ReadVersion(root, "Version", version) || !ReadTaskElement(doc, root, read)) {
        err = doc.GetErr();
        return false;
    }
    task = std::move(read);
    err.Clear();
    return true;
}

bool SaveProject(const std::string& path, const mrv::CTaskSetting& task, CSimpleErr& err) {
    CXmlDocument doc;
    doc.SetBaseFolder(BaseFolderOf(path));
    CXmlElement root;
    if (!BeginDocument(doc, kRoot, root) || !WriteTaskElement(doc, root, task) || !doc.Save(path)) {
        err = doc.GetErr();
        return false;
    }
    err.Clear();
    return true;
}
