#include "output/output_file.h"

#include "common/message_ids.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace codec {

namespace {

constexpr std::size_t kBufferSize = std::size_t{1} << 16;
constexpr std::string_view kTempPrefix = ".morvane-";
constexpr std::string_view kTempSuffix = ".tmp";

// The folder part of a path including its last "/", or "" for a bare name.
std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// A short, hidden name that cannot be too long where the target name still fits.
std::string TempName() {
    static std::atomic<unsigned> counter{0};
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

} // namespace

COutputFile::COutputFile(std::string path) : m_path(std::move(path)) {
    const std::string folder = FolderOf(m_path);
    // The temporary name is short, so only the rename at the end would find out that the
    // target's name does not fit: refuse it now, before anything is written.
    const long nameMax = ::pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
    if (nameMax > 0 && m_path.size() - folder.size() > static_cast<std::size_t>(nameMax)) {
        throw my::CException::FromCode(IDS_FILE_CREATE_FAILED, ENAMETOOLONG, m_path);
    }
    for (int attempt = 0; m_fd < 0; ++attempt) {
        m_tempPath = folder + TempName();
        m_fd = ::open(m_tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd < 0 && (errno != EEXIST || attempt >= 100)) {
            throw my::CException::FromCode(IDS_FILE_CREATE_FAILED, errno, m_path);
        }
    }
    m_buffer.reserve(kBufferSize);
}

COutputFile::~COutputFile() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
    if (!m_committed) {
        ::unlink(m_tempPath.c_str());
    }
}

bool COutputFile::Fail(int code) noexcept {
    if (m_errno == 0) {
        m_errno = code;
    }
    return false;
}

bool COutputFile::WriteAll(const std::uint8_t* data, std::size_t size) noexcept {
    while (size > 0) {
        const ssize_t n = ::write(m_fd, data, size);
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

bool COutputFile::Flush() noexcept {
    const bool written = WriteAll(m_buffer.data(), m_buffer.size());
    m_buffer.clear();
    return written;
}

bool COutputFile::Write(const void* data, std::size_t size) noexcept {
    if (m_errno != 0 || m_fd < 0) {
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

bool COutputFile::Close() noexcept {
    if (m_closed && m_errno == 0) {
        return true;
    }
    if (m_errno != 0 || m_fd < 0) {
        return Fail(EBADF);
    }
    const bool flushed = Flush();
    std::vector<std::uint8_t>().swap(m_buffer);
    const int fd = m_fd;
    m_fd = -1;
    if (!flushed) {
        ::close(fd);
        return false;
    }
    if (::close(fd) != 0) {
        return Fail(errno);
    }
    m_closed = true;
    return true;
}

bool COutputFile::Commit() noexcept {
    if (!Close()) {
        return false;
    }
    if (::rename(m_tempPath.c_str(), m_path.c_str()) != 0) {
        return Fail(errno);
    }
    m_committed = true;
    return true;
}

my::CException COutputFile::Failure() const {
    return my::CException::FromCode(IDS_FILE_SAVE_FAILED, m_errno, m_path);
}

void PrepareOutputFolder(const std::vector<std::string>& paths) {
    if (paths.empty()) {
        return;
    }
    RemoveStaleTempFiles(FolderOf(paths.front()));
    { const COutputFile first(paths.front()); }
    // A sequence's names grow with their numbers: the longest is the one that may not fit.
    const auto nameLength = [](const std::string& path) {
        return path.size() - FolderOf(path).size();
    };
    const auto longest =
        std::max_element(paths.begin(), paths.end(), [&](const auto& a, const auto& b) {
            return nameLength(a) < nameLength(b);
        });
    if (nameLength(*longest) > nameLength(paths.front())) {
        const COutputFile last(*longest);
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

} // namespace codec
