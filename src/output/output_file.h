// COutputFile: one output file written through a hidden temporary file in the same folder and
// renamed over the target on Commit, so a stopped or failed run never leaves a truncated image.
#pragma once

#include "common/error.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace codec {

class COutputFile {
public:
    // Creates the temporary file beside path; raises IDS_FILE_CREATE_FAILED (path, system error
    // text) when it cannot be created, e.g. when the folder is missing or not writable, or when
    // the target's name is longer than the folder's file system allows (it could never be
    // renamed there).
    explicit COutputFile(std::string path);
    // Removes the temporary file unless Commit succeeded; the target is left untouched.
    ~COutputFile();
    COutputFile(const COutputFile&) = delete;
    COutputFile& operator=(const COutputFile&) = delete;

    // Appends bytes; false after the first failed write (the errno is kept). Never throws, so
    // that C libraries can call it from their output callbacks.
    [[nodiscard]] bool Write(const void* data, std::size_t size) noexcept;
    [[nodiscard]] bool Write(std::span<const std::uint8_t> bytes) noexcept {
        return Write(bytes.data(), bytes.size());
    }
    // Flushes and closes the temporary file, which stays until Commit or destruction; its buffer
    // is given back, so that many closed files cost no memory. False on failure, with the
    // reason in Failure().
    [[nodiscard]] bool Close() noexcept;
    // Flushes, closes (unless closed already) and renames the temporary file over the target
    // (an existing file is replaced). False on failure, with the reason in Failure().
    [[nodiscard]] bool Commit() noexcept;

    const std::string& Path() const { return m_path; }
    bool Failed() const { return m_errno != 0; }
    // The first failure as IDS_FILE_SAVE_FAILED (the target's path, the system error text),
    // with its errno.
    my::CException Failure() const;

private:
    [[nodiscard]] bool WriteAll(const std::uint8_t* data, std::size_t size) noexcept;
    [[nodiscard]] bool Flush() noexcept;
    bool Fail(int code) noexcept;

    std::string m_path;
    std::string m_tempPath;
    int m_fd = -1;
    bool m_committed = false;
    bool m_closed = false;
    int m_errno = 0;
    std::vector<std::uint8_t> m_buffer;
};

// Readies the folder of an output run before anything is rendered, so that a run that cannot
// write learns it at once: removes what killed runs left there (RemoveStaleTempFiles), then
// creates and drops a temporary file for the first path and for the one with the longest name,
// raising IDS_FILE_CREATE_FAILED as COutputFile does. paths are the run's outputs, all in one
// folder; none of them is touched.
void PrepareOutputFolder(const std::vector<std::string>& paths);

// Removes the temporary files ".morvane-<pid>-<n>.tmp" of COutputFile from folder ("" is the
// current folder) whose process no longer exists: a run killed before it could clean up leaves
// them. Files of a live process (this one included), and any other name, are left alone.
// Returns how many were removed; a folder that cannot be read removes nothing.
std::size_t RemoveStaleTempFiles(const std::string& folder) noexcept;

} // namespace codec
