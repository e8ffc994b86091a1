#include "platform/app_data.h"

#include "common/error.h"
#include "common/message_ids.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace my {

namespace {

constexpr const char* kMakerProduct = "Quenfell/Morvane/";

// The home folder: $HOME, else the password database entry of the current user.
std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) {
        return home;
    }
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir && *found->pw_dir) {
        return found->pw_dir;
    }
    return {};
}

CException CreateFolderError(int code, const std::string& folder) {
    // The system's description comes first in this message, the folder second.
    CException e(IDS_FOLDER_CREATE_FAILED, SystemErrorText(code), folder);
    e.m_code = static_cast<std::uint32_t>(code);
    return e;
}

} // namespace

std::string AppDataFolder() {
    std::string base;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && config[0] == '/') {
        base = config;
    } else {
        const std::string home = HomeFolder();
        if (home.empty()) {
            throw CreateFolderError(ENOENT, "~/.config");
        }
        base = home + "/.config";
    }
    if (base.back() != '/') {
        base += '/';
    }
    return base + kMakerProduct;
}

std::string ProgramPath() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.string();
}

std::string ProgramPrefix(const std::string& program) {
    if (program.empty()) {
        return {};
    }
    return std::filesystem::path(program).parent_path().parent_path().string();
}

std::string FindHelpPage(std::string_view page, const std::string& program) {
    if (page.empty() || program.empty()) {
        return {};
    }
    namespace fs = std::filesystem;
    std::vector<fs::path> roots;
    roots.push_back(fs::path(ProgramPrefix(program)) / "share" / "morvane");
    // A program run from its build folder: the source tree is one of the folders above it.
    fs::path folder = fs::path(program).parent_path();
    for (int level = 0; level < 4 && folder.has_relative_path(); ++level) {
        folder = folder.parent_path();
        roots.push_back(folder);
    }
    std::error_code ec;
    for (const fs::path& root : roots) {
        const fs::path candidate = root / page;
        if (fs::is_regular_file(candidate, ec)) {
            return fs::absolute(candidate, ec).lexically_normal().string();
        }
    }
    return {};
}

void CreateFolders(const std::string& folder) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        throw CreateFolderError(ec.value(), folder);
    }
    // create_directories reports success when the path exists; it must be a folder.
    if (!std::filesystem::is_directory(folder, ec)) {
        throw CreateFolderError(ec ? ec.value() : ENOTDIR, folder);
    }
}

} // namespace my
