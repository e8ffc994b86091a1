#include "platform/file_input_stream.h"

#include "common/error.h"
#include "common/message_ids.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace io {

namespace {

// Large enough that the many small fields of a stroke file cost one system call per block.
constexpr std::size_t kBufferSize = 64 * 1024;

} // namespace

CFileInputStream::CFileInputStream(const std::string& path) : m_path(path) {
    do {
        m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (m_fd < 0 && errno == EINTR);
    if (m_fd < 0) {
        throw my::CException::FromCode(IDS_FILE_OPEN_FAILED, errno, path);
    }
    struct stat info {};
    if (::fstat(m_fd, &info) != 0) {
        const int error = errno;
        ::close(m_fd);
        throw my::CException::FromCode(IDS_STREAM_SEEK_FAILED, error);
    }
    if (S_ISDIR(info.st_mode)) {
        ::close(m_fd);
        throw my::CException::FromCode(IDS_FILE_OPEN_FAILED, EISDIR, path);
    }
    if (!S_ISREG(info.st_mode)) {
        // Pipes and devices have no size to check counts against.
        ::close(m_fd);
        throw my::CException::FromCode(IDS_STREAM_SEEK_FAILED, ESPIPE);
    }
    m_size = static_cast<std::uint64_t>(info.st_size);
    m_buffer = std::make_unique<std::uint8_t[]>(kBufferSize);
}

CFileInputStream::~CFileInputStream() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

void CFileInputStream::Seek(std::uint64_t position) {
    if (position > m_size) {
        throw my::CException::FromCode(IDS_STREAM_SEEK_FAILED, EINVAL);
    }
    m_position = position;
}

bool CFileInputStream::Fill() {
    std::size_t length = 0;
    while (length < kBufferSize) {
        const ssize_t got = ::pread(m_fd, m_buffer.get() + length, kBufferSize - length,
                                    static_cast<off_t>(m_position + length));
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw my::CException::FromCode(IDS_STREAM_READ_FAILED, errno);
        }
        if (got == 0) {
            break;
        }
        length += static_cast<std::size_t>(got);
    }
    m_bufferStart = m_position;
    m_bufferLength = length;
    return length != 0;
}

std::size_t CFileInputStream::Read(void* buffer, std::size_t n) {
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::size_t done = 0;
    // Bytes beyond the size taken at opening (a file growing meanwhile) are not handed out.
    while (done < n && m_position < m_size) {
        const bool inBuffer =
            m_position >= m_bufferStart && m_position < m_bufferStart + m_bufferLength;
        if (!inBuffer && !Fill()) {
            break;
        }
        const std::size_t offset = static_cast<std::size_t>(m_position - m_bufferStart);
        const std::size_t count = static_cast<std::size_t>(
            std::min<std::uint64_t>({n - done, m_bufferLength - offset, m_size - m_position}));
        std::memcpy(out + done, m_buffer.get() + offset, count);
        done += count;
        m_position += count;
    }
    return done;
}

} // namespace io
