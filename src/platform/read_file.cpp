#include "platform/read_file.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace io {

int OpenRegularFile(const std::string& path, COpenedFile& file) {
    // Opening a FIFO for reading waits for a writer, for ever and deaf to Ctrl-C; without
    // blocking it returns at once, and the kind of file is checked before anything is read.
    CUniqueFd fd;
    do {
        fd.Reset(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    } while (!fd.IsOpen() && errno == EINTR);
    if (!fd.IsOpen()) {
        return errno;
    }
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0) {
        return errno;
    }
    if (!S_ISREG(info.st_mode)) {
        return S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    }
    // Reads then wait for data as usual: a few network file systems honour the flag for regular
    // files too.
    const int flags = ::fcntl(fd.Get(), F_GETFL);
    if (flags >= 0) {
        (void)::fcntl(fd.Get(), F_SETFL, flags & ~O_NONBLOCK);
    }
    file.m_fd = std::move(fd);
    file.m_size = static_cast<std::uint64_t>(info.st_size);
    return 0;
}

int ReadWholeFile(const std::string& path, std::size_t maxBytes, std::string& data) {
    COpenedFile file;
    if (const int error = OpenRegularFile(path, file)) {
        return error;
    }
    if (file.m_size > maxBytes) {
        return EFBIG;
    }
    // The size is read again as the file is read: a file that grows meanwhile is refused too.
    std::string buffer(static_cast<std::size_t>(file.m_size) + 1, '\0');
    std::size_t filled = 0;
    while (true) {
        if (filled == buffer.size()) {
            if (buffer.size() > maxBytes) {
                return EFBIG;
            }
            buffer.resize(std::min(buffer.size() * 2, maxBytes + 1));
        }
        const ssize_t n = ::read(file.m_fd.Get(), buffer.data() + filled, buffer.size() - filled);
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

} // namespace io
