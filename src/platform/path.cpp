#include "platform/path.h"

namespace my {

std::string FolderOf(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos) {
        return {};
    }
    return std::string(path.substr(0, slash == 0 ? 1 : slash));
}

std::string FileNameOf(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string FolderToOpen(std::string_view path) {
    std::string folder = FolderOf(path);
    return folder.empty() ? std::string(".") : folder;
}

std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (!path.empty() && path.back() != '/' && path.back() != '\\' && path.back() != ':') {
        path += '/';
    }
    return path += name;
}

} // namespace my
