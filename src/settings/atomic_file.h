// Whole-file reading with a size limit, and replacing a file so that a crash at any moment
// leaves either the old or the new contents at its path, never a mixture.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace my {

// Reads the regular file at `path` into `data`. Returns 0, or the errno of the failure: ENOENT
// for a missing file, EFBIG for one larger than maxBytes, EISDIR for a folder, EINVAL for
// another kind of file and only for it (such a file is opened without blocking and never read,
// so a FIFO cannot block the caller).
int ReadWholeFile(const std::string& path, std::size_t maxBytes, std::string& data);

// Writes `data` to a temporary file in the folder of `path`, flushes it to the disk and renames
// it over `path`, then flushes the folder. Returns 0, or the errno of the failure; on failure
// `path` is untouched and the temporary file is gone. A symbolic link at `path` is followed,
// so the file it points at is replaced and the link stays. The file keeps the old file's mode.
int ReplaceFile(const std::string& path, std::string_view data);

// Removes temporary files that a save of `path` killed before its rename left behind (only
// those whose writing process no longer runs).
void RemoveStaleTempFiles(const std::string& path);

} // namespace my
