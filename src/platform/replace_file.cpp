#include "platform/replace_file.h"

#include "common/message_ids.h"
#include "platform/path.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace io {

namespace {

constexpr std::size_t kBufferSize = std::size_t{1} << 16;
constexpr std::string_view kTempPrefix = ".morvane-";
constexpr std::string_view kTempSuffix = ".tmp";

// A short, hidden name that cannot be too long where the target name still fits. The counter
// starts at random, so that a name left by a killed process of the same pid is seldom met.
std::string TempName() {
    static std::atomic<std::uint32_t> counter{std::random_device{}()};
    return std::string(kTempPrefix) + std::to_string(::getpid()) + "-" + std::to_string(counter++) +
           std::string(kTempSuffix);
}

// A run of decimal digits that is the whole text.
bool IsNumber(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The process id in a name made by TempName, or 0 when the name is not one of ours.
pid_t TempFileOwner(std::string_view name) {
    if (!name.starts_with(kTempPrefix) || !name.ends_with(kTempSuffix)) {
        return 0;
    }
    name.remove_prefix(kTempPrefix.size());
    name.remove_suffix(kTempSuffix.size());
    const std::size_t dash = name.find('-');
    if (dash == std::string_view::npos || !IsNumber(name.substr(0, dash)) ||
        !IsNumber(name.substr(dash + 1))) {
        return 0;
    }
    pid_t pid = 0;
    const auto [end, ec] = std::from_chars(name.data(), name.data() + dash, pid);
    // kill() takes 0 and negative numbers for process groups: only a positive id is a process.
    return ec == std::errc{} && end == name.data() + dash && pid > 0 ? pid : 0;
}

// The file a save of path replaces: path itself, or the file a symbolic link there leads to.
std::string ReplacedFile(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        std::error_code ec;
        const std::filesystem::path resolved = std::filesystem::canonical(path, ec);
        if (!ec) {
            return resolved.string();
        }
    }
    return path;
}

// Makes a rename in folder durable; file systems that cannot flush a folder are not an error.
void SyncFolder(const std::string& folder) {
    const CUniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.IsOpen()) {
        (void)::fsync(dir.Get());
    }
}

// Flushes the data of every file on the file system of folder (the temporary files of a run
// among them) in one call; 0, or the errno of the failure.
int SyncFileSystem(const std::string& folder) {
    const CUniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.IsOpen()) {
        return errno;
    }
    return ::syncfs(dir.Get()) == 0 ? 0 : errno;
}

} // namespace

CReplaceFile::CTempName::~CTempName() {
    if (!m_path.empty() && !m_keep) {
        ::unlink(m_path.c_str());
    }
}

CReplaceFile::CReplaceFile(std::string path) : m_path(std::move(path)) {
    const auto fail = [&](int code) {
        return my::CException::FromCode(IDS_FILE_CREATE_FAILED, code, m_path);
    };
    if (m_path.empty()) {
        throw fail(ENOENT);
    }
    m_target = ReplacedFile(m_path);
    struct stat old {};
    if (::stat(m_target.c_str(), &old) == 0) {
        if (S_ISDIR(old.st_mode)) {
            throw fail(EISDIR);
        }
        m_mode = old.st_mode & 07777;
    }
    const std::string folder = my::FolderToOpen(m_target);
    // The temporary name is short, so only the rename at the end would find out that the
    // target's name does not fit: refuse it now, before anything is written.
    const long nameMax = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    if (nameMax > 0 && my::FileNameOf(m_target).size() > static_cast<std::size_t>(nameMax)) {
        throw fail(ENAMETOOLONG);
    }
    for (int attempt = 0; !m_fd.IsOpen(); ++attempt) {
        const std::string temp = my::JoinPath(my::FolderOf(m_target), TempName());
        m_fd.Reset(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (m_fd.IsOpen()) {
            m_temp.m_path = temp;
        } else if (errno != EEXIST || attempt >= 100) {
            throw fail(errno);
        }
    }
    m_buffer.reserve(kBufferSize);
}

CReplaceFile::~CReplaceFile() = default;

bool CReplaceFile::Fail(int code) noexcept {
    if (m_errno == 0) {
        m_errno = code;
    }
    return false;
}

bool CReplaceFile::WriteAll(const std::uint8_t* data, std::size_t size) noexcept {
    while (size > 0) {
        const ssize_t n = ::write(m_fd.Get(), data, size);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return Fail(errno);
        }
        data += n;
        size -= std::size_t(n);
    }
    return true;
}

bool CReplaceFile::Flush() noexcept {
    const bool written = WriteAll(m_buffer.data(), m_buffer.size());
    m_buffer.clear();
    return written;
}

bool CReplaceFile::Write(const void* data, std::size_t size) noexcept {
    if (m_errno != 0 || !m_fd.IsOpen()) {
        return Fail(EBADF);
    }
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    if (m_buffer.size() + size > kBufferSize && !Flush()) {
        return false;
    }
    if (size >= kBufferSize) {
        // Large blocks (compressed image data) go straight to the file.
        return WriteAll(bytes, size);
    }
    // The buffer was reserved at full size, so this never allocates.
    m_buffer.insert(m_buffer.end(), bytes, bytes + size);
    return true;
}

bool CReplaceFile::Close() noexcept {
    return CloseFile(true);
}

bool CReplaceFile::CloseUnsynced() noexcept {
    return CloseFile(false);
}

bool CReplaceFile::CloseFile(bool sync) noexcept {
    if (m_closed && m_errno == 0) {
        return true;
    }
    if (m_errno != 0 || !m_fd.IsOpen()) {
        return Fail(EBADF);
    }
    const bool flushed = Flush();
    std::vector<std::uint8_t>().swap(m_buffer);
    if (!flushed) {
        m_fd.Reset();
        return false;
    }
    if (m_mode != 0) {
        // Best effort: a file owned by another user cannot take its mode, which is no reason
        // to refuse the save.
        (void)::fchmod(m_fd.Get(), m_mode);
    }
    if (sync && ::fsync(m_fd.Get()) != 0) {
        const int error = errno;
        m_fd.Reset();
        return Fail(error);
    }
    if (const int error = m_fd.Close()) {
        return Fail(error);
    }
    m_closed = true;
    m_synced = sync;
    return true;
}

bool CReplaceFile::Rename() noexcept {
    if (::rename(m_temp.m_path.c_str(), m_target.c_str()) != 0) {
        return Fail(errno);
    }
    m_temp.m_keep = true;
    return true;
}

bool CReplaceFile::Commit() noexcept {
    if (!Close()) {
        return false;
    }
    if (!m_synced) {
        if (const int error = SyncFileSystem(my::FolderToOpen(m_target))) {
            return Fail(error);
        }
        m_synced = true;
    }
    if (!Rename()) {
        return false;
    }
    SyncFolder(my::FolderToOpen(m_target));
    return true;
}

CReplaceFile*
CReplaceFile::CommitAll(std::span<const std::unique_ptr<CReplaceFile>> files) noexcept {
    // The files of a run share one folder; a link among them may lead elsewhere, so every
    // change of folder is flushed too.
    std::string flushed;
    for (const auto& file : files) {
        if (!file->m_closed && !file->CloseUnsynced()) {
            return file.get();
        }
        if (file->m_synced) {
            continue;
        }
        std::string folder = my::FolderToOpen(file->m_target);
        if (folder != flushed) {
            if (const int error = SyncFileSystem(folder)) {
                file->Fail(error);
                return file.get();
            }
            flushed = std::move(folder);
        }
        file->m_synced = true;
    }
    std::string renamed;
    for (const auto& file : files) {
        if (!file->Rename()) {
            return file.get();
        }
        std::string folder = my::FolderToOpen(file->m_target);
        if (folder != renamed) {
            if (!renamed.empty()) {
                SyncFolder(renamed);
            }
            renamed = std::move(folder);
        }
    }
    if (!renamed.empty()) {
        SyncFolder(renamed);
    }
    return nullptr;
}

my::CException CReplaceFile::Failure() const {
    return my::CException::FromCode(IDS_FILE_SAVE_FAILED, m_errno, m_path);
}

int ReplaceFile(const std::string& path, std::string_view data) {
    try {
        CReplaceFile file(path);
        if (!file.Write(data.data(), data.size()) || !file.Commit()) {
            return file.Error();
        }
        return 0;
    } catch (const my::CException& e) {
        return static_cast<int>(e.m_code);
    }
}

std::size_t RemoveStaleTempFiles(const std::string& folder) noexcept {
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) {
        return 0;
    }
    std::size_t removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const pid_t owner = TempFileOwner(entry->d_name);
        // kill(pid, 0) signals nothing; ESRCH alone says that no such process exists (EPERM is
        // a live process of another user).
        if (owner == 0 || ::kill(owner, 0) == 0 || errno != ESRCH) {
            continue;
        }
        struct stat info {};
        if (::fstatat(::dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(info.st_mode) && ::unlinkat(::dirfd(dir), entry->d_name, 0) == 0) {
            ++removed;
        }
    }
    ::closedir(dir);
    return removed;
}

} // namespace io
