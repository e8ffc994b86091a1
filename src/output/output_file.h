// COutputFile: one output file written through a hidden temporary file in the same folder and
// renamed over the target on Commit, so a stopped or failed run never leaves a truncated image.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace codec {

class COutputFile {
public:
    // Creates the temporary file beside path; raises IDS_FILE_CREATE_FAILED (path, system error
    // text) when it cannot be created, e.g. when the folder is missing or not writable.
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
    // Flushes, closes and renames the temporary file over the target (an existing file is
    // replaced). False on failure, with the reason in ErrorDetail().
    [[nodiscard]] bool Commit() noexcept;

    const std::string& Path() const { return m_path; }
    bool Failed() const { return m_errno != 0; }
    // "Failed to <step> <path>: <system error text>" for the first failure.
    std::string ErrorDetail() const;

private:
    [[nodiscard]] bool WriteAll(const std::uint8_t* data, std::size_t size) noexcept;
    [[nodiscard]] bool Flush() noexcept;
    bool Fail(const char* step, int code) noexcept;

    std::string m_path;
    std::string m_tempPath;
    int m_fd = -1;
    bool m_committed = false;
    int m_errno = 0;
    const char* m_failedStep = "";
    std::vector<std::uint8_t> m_buffer;
};

} // namespace codec
