#include "platform/file_input_stream.h"

#include "common/error.h"
#include "common/message_ids.h"
#include "common/messages.h"

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
    // Opening a FIFO for reading waits for a writer, for ever and deaf to Ctrl-C; without
    // blocking it returns at once, and the kind of file is checked before anything is read.
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        throw my::CException::FromCode(IDS_FILE_OPEN_FAILED, errno, path);
    }
    m_fd.Reset(fd);
    struct stat info {};
    if (::fstat(m_fd.Get(), &info) != 0) {
        throw my::CException::FromCode(IDS_STREAM_SEEK_FAILED, errno);
    }
    if (S_ISDIR(info.st_mode)) {
        throw my::CException::FromCode(IDS_FILE_OPEN_FAILED, EISDIR, path);
    }
    if (!S_ISREG(info.st_mode)) {
        // Pipes, devices and sockets have no size to check counts against, and may never end.
        throw my::CException(IDS_FILE_OPEN_FAILED, path, my::MessageText(IDS_FILE_NOT_REGULAR));
    }
    // Reads then wait for data as usual: a few network file systems honour the flag for regular
    // files too.
    const int flags = ::fcntl(m_fd.Get(), F_GETFL);
    if (flags >= 0) {
        (void)::fcntl(m_fd.Get(), F_SETFL, flags & ~O_NONBLOCK);
    }
    m_size = static_cast<std::uint64_t>(info.st_size);
    m_buffer = std::make_unique<std::uint8_t[]>(kBufferSize);
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
        const ssize_t got = ::pread(m_fd.Get(), m_buffer.get() + length, kBufferSize - length,
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
