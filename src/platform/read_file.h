// Opening a file for reading without ever blocking on it, and reading a whole file with a size
// limit: every reader of the program opens its files here, into a descriptor that closes itself.
#pragma once

#include "platform/unique_fd.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace io {

// A regular file open for reading, and its size when it was opened.
struct COpenedFile {
    CUniqueFd m_fd;
    std::uint64_t m_size = 0;
};

// Opens the regular file at path. Returns 0, or the errno of the failure: EISDIR for a folder,
// EINVAL for another kind of file and only for it. Such a file (a FIFO, a device, a socket) is
// opened without blocking and never read, so it cannot block the caller.
int OpenRegularFile(const std::string& path, COpenedFile& file);

// Reads the regular file at path into data. Returns 0, or the errno of the failure: those of
// OpenRegularFile, and EFBIG for a file larger than maxBytes (also one that grows past it while
// it is read). data is changed only on success.
int ReadWholeFile(const std::string& path, std::size_t maxBytes, std::string& data);

} // namespace io
