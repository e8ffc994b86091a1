#include "platform/file_input_stream.h"

#include "common/error.h"
#include "common/message_ids.h"
#include "common/messages.h"
#include "platform/read_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace io {

namespace {

// Large enough that the many small fields of a stroke file cost one system call per block.
constexpr std::size_t kBufferSize = 64 * 1024;

} // namespace

CFileInputStream::CFileInputStream(const std::string& path) : m_path(path) {
    COpenedFile file;
    if (const int error = OpenRegularFile(path, file)) {
        if (error == EINVAL) {
            // Pipes, devices and sockets have no size to check counts against, and may never end.
            throw my::CException(IDS_FILE_OPEN_FAILED, path, my::MessageText(IDS_FILE_NOT_REGULAR));
        }
        throw my::CException::FromCode(IDS_FILE_OPEN_FAILED, error, path);
    }
    m_fd = std::move(file.m_fd);
    m_size = file.m_size;
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
