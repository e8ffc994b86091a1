// io::CFileInputStream: reads a file through a buffer, for the stroke reader and profile files.
// The size is taken once at opening; opening refuses anything but a regular file without
// waiting on it, so a path naming a FIFO or a device fails at once instead of blocking.
#pragma once

#include "platform/input_stream.h"
#include "platform/unique_fd.h"

#include <memory>
#include <string>

namespace io {

class CFileInputStream : public CInputStream {
public:
    // Opens the file for reading. Failure, a folder, a FIFO, a device or a socket raise message
    // IDS_FILE_OPEN_FAILED with the path and the reason; taking the size fails with
    // IDS_STREAM_SEEK_FAILED.
    explicit CFileInputStream(const std::string& path);

    CFileInputStream(const CFileInputStream&) = delete;
    CFileInputStream& operator=(const CFileInputStream&) = delete;

    std::uint64_t Size() const override { return m_size; }
    std::uint64_t Position() const override { return m_position; }
    void Seek(std::uint64_t position) override;
    std::size_t Read(void* buffer, std::size_t n) override;

    const std::string& Path() const { return m_path; }

private:
    // Refills the buffer from the file at m_position; returns false at the end of the file.
    bool Fill();

    std::string m_path;
    CUniqueFd m_fd;
    std::uint64_t m_size = 0;
    std::uint64_t m_position = 0; // logical position of the next byte handed out
    std::unique_ptr<std::uint8_t[]> m_buffer;
    std::uint64_t m_bufferStart = 0; // file offset of m_buffer[0]
    std::size_t m_bufferLength = 0;  // valid bytes in m_buffer
};

} // namespace io
