#include "output/output_file.h"

#include "common/error.h"
#include "common/message_ids.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace codec {

namespace {

constexpr std::size_t kBufferSize = std::size_t{1} << 16;

// The folder part of a path including its last "/", or "" for a bare name.
std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// A short, hidden name that cannot be too long where the target name still fits.
std::string TempName() {
    static std::atomic<unsigned> counter{0};
    return ".morvane-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".tmp";
}

} // namespace

COutputFile::COutputFile(std::string path) : m_path(std::move(path)) {
    const std::string folder = FolderOf(m_path);
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

bool COutputFile::Fail(const char* step, int code) noexcept {
    if (m_errno == 0) {
        m_errno = code;
        m_failedStep = step;
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
            return Fail("write", errno);
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
        return Fail("write", EBADF);
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
    if (m_errno != 0 || m_fd < 0) {
        return m_closed && m_errno == 0;
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
        return Fail("close", errno);
    }
    m_closed = true;
    return true;
}

bool COutputFile::Commit() noexcept {
    if (!Close()) {
        return false;
    }
    if (::rename(m_tempPath.c_str(), m_path.c_str()) != 0) {
        return Fail("replace", errno);
    }
    m_committed = true;
    return true;
}

std::string COutputFile::ErrorDetail() const {
    return std::string("Failed to ") + m_failedStep + " " + m_path + ": " +
           my::SystemErrorText(m_errno);
}

} // namespace codec
