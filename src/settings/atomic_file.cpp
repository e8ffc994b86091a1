#include "settings/atomic_file.h"

#include "platform/unique_fd.h"

#include <atomic>
#include <cerrno>
#include <charconv>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <signal.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace my {

namespace {

using CFd = io::CUniqueFd;

struct CSplitPath {
    std::string m_folder; // "." when the path names no folder
    std::string m_name;
};

CSplitPath SplitPath(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return {".", path};
    }
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

// ".<name>.<pid>-<token>.tmp": hidden, recognisable by RemoveStaleTempFiles, and unique even
// when a killed process with the same pid left a file of that name behind.
std::string TempName(const CSplitPath& split) {
    static std::atomic<std::uint64_t> counter{std::random_device{}()};
    return split.m_folder + "/." + split.m_name + "." + std::to_string(::getpid()) + "-" +
           std::to_string(counter++) + ".tmp";
}

int WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

// Contents, mode and a flush to the disk of a freshly created file.
int FillFile(int fd, std::string_view data, const struct stat* oldStat) {
    if (const int error = WriteAll(fd, data)) {
        return error;
    }
    if (oldStat) {
        // Best effort: a file owned by another user cannot take its mode, which is no reason
        // to refuse the save.
        (void)::fchmod(fd, oldStat->st_mode & 07777);
    }
    return ::fsync(fd) == 0 ? 0 : errno;
}

void SyncFolder(const std::string& folder) {
    // Makes the rename itself durable; file systems that cannot sync a folder are not an error.
    CFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.IsOpen()) {
        (void)::fsync(dir.Get());
    }
}

// Renames the named temporary file over the target, removing it when anything fails.
int Commit(const std::string& temp, const std::string& target) {
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        return error;
    }
    return 0;
}

// An unnamed file in the folder that gets its name only once it is complete, so a crash while
// writing leaves nothing behind. Returns -1 when the file system cannot do this, so that the
// caller falls back to a named temporary file.
int ReplaceThroughUnnamedFile(const CSplitPath& split, const std::string& target,
                              std::string_view data, const struct stat* oldStat) {
    CFd fd(::open(split.m_folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
    if (!fd.IsOpen()) {
        return errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL ? -1 : errno;
    }
    if (const int error = FillFile(fd.Get(), data, oldStat)) {
        return error;
    }
    const std::string temp = TempName(split);
    const std::string self = "/proc/self/fd/" + std::to_string(fd.Get());
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temp.c_str(), AT_SYMLINK_FOLLOW) != 0) {
        return -1;
    }
    if (const int error = fd.Close()) {
        ::unlink(temp.c_str());
        return error;
    }
    return Commit(temp, target);
}

int ReplaceThroughNamedFile(const CSplitPath& split, const std::string& target,
                            std::string_view data, const struct stat* oldStat) {
    const std::string temp = TempName(split);
    CFd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!fd.IsOpen()) {
        return errno;
    }
    int error = FillFile(fd.Get(), data, oldStat);
    if (const int closeError = fd.Close(); error == 0) {
        error = closeError;
    }
    if (error != 0) {
        ::unlink(temp.c_str());
        return error;
    }
    return Commit(temp, target);
}

} // namespace

int ReadWholeFile(const std::string& path, std::size_t maxBytes, std::string& data) {
    CFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.IsOpen()) {
        return errno;
    }
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0) {
        return errno;
    }
    if (!S_ISREG(st.st_mode)) {
        return S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    }
    if (static_cast<std::uint64_t>(st.st_size) > maxBytes) {
        return EFBIG;
    }
    // The size is read again as the file is read: a file that grows meanwhile is refused too.
    std::string buffer(static_cast<std::size_t>(st.st_size) + 1, '\0');
    std::size_t filled = 0;
    while (true) {
        if (filled == buffer.size()) {
            if (buffer.size() > maxBytes) {
                return EFBIG;
            }
            buffer.resize(std::min(buffer.size() * 2, maxBytes + 1));
        }
        const ssize_t n = ::read(fd.Get(), buffer.data() + filled, buffer.size() - filled);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        if (n == 0) {
            break;
        }
        filled += static_cast<std::size_t>(n);
    }
    buffer.resize(filled);
    data = std::move(buffer);
    return 0;
}

int ReplaceFile(const std::string& path, std::string_view data) {
    if (path.empty()) {
        return ENOENT;
    }
    std::string target = path;
    struct stat st {};
    const bool exists = ::lstat(path.c_str(), &st) == 0;
    if (exists && S_ISLNK(st.st_mode)) {
        std::error_code ec;
        const auto resolved = std::filesystem::canonical(path, ec);
        if (!ec) {
            target = resolved.string();
        }
    }
    struct stat oldStat {};
    const bool hasOld = ::stat(target.c_str(), &oldStat) == 0;
    if (hasOld && S_ISDIR(oldStat.st_mode)) {
        return EISDIR;
    }
    const CSplitPath split = SplitPath(target);
    int error = ReplaceThroughUnnamedFile(split, target, data, hasOld ? &oldStat : nullptr);
    if (error < 0) {
        error = ReplaceThroughNamedFile(split, target, data, hasOld ? &oldStat : nullptr);
    }
    if (error == 0) {
        SyncFolder(split.m_folder);
    }
    return error;
}

void RemoveStaleTempFiles(const std::string& path) {
    const CSplitPath split = SplitPath(path);
    const std::string prefix = "." + split.m_name + ".";
    DIR* dir = ::opendir(split.m_folder.c_str());
    if (!dir) {
        return;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name.size() < prefix.size() + 4 || !name.starts_with(prefix) ||
            !name.ends_with(".tmp")) {
            continue;
        }
        const std::string_view middle = name.substr(prefix.size(), name.size() - prefix.size() - 4);
        const std::size_t dash = middle.find('-');
        if (dash == std::string_view::npos) {
            continue;
        }
        pid_t pid = 0;
        const auto [end, ec] = std::from_chars(middle.data(), middle.data() + dash, pid);
        if (ec != std::errc{} || end != middle.data() + dash || pid <= 0) {
            continue;
        }
        if (::kill(pid, 0) != 0 && errno == ESRCH) {
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
        }
    }
    ::closedir(dir);
}

} // namespace my
