// io::CReplaceFile: a file that replaces the one at its path only when it is complete. It is
// written to a hidden temporary file in the same folder, flushed to the disk and renamed over
// the target, so a crash or a failure at any moment leaves the old file or the new one, never a
// mixture. Settings, projects and every output file are written through it.
#pragma once

#include "common/error.h"
#include "platform/unique_fd.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace io {

class CReplaceFile {
public:
    // Creates the temporary file beside path. A symbolic link at path is followed: the file it
    // points at is replaced and the link stays; the new file keeps the old one's mode. Raises
    // IDS_FILE_CREATE_FAILED (path, system error text) when the file cannot be made: the folder
    // is missing or not writable, a folder stands at path, or the name is longer than the
    // folder's file system allows (it could never be renamed there).
    explicit CReplaceFile(std::string path);
    // Removes the temporary file unless Commit succeeded; the target is left untouched.
    ~CReplaceFile();
    CReplaceFile(const CReplaceFile&) = delete;
    CReplaceFile& operator=(const CReplaceFile&) = delete;

    // Appends bytes; false after the first failed write (the errno is kept). Never throws, so
    // that C libraries can call it from their output callbacks.
    [[nodiscard]] bool Write(const void* data, std::size_t size) noexcept;
    [[nodiscard]] bool Write(std::span<const std::uint8_t> bytes) noexcept {
        return Write(bytes.data(), bytes.size());
    }
    // Flushes the temporary file to the disk and closes it; it stays until Commit or
    // destruction, and its buffer is given back, so that many closed files cost no memory.
    [[nodiscard]] bool Close() noexcept;
    // Closes like Close without flushing the data to the disk yet: for the many files of one run
    // that CommitAll makes durable with a single flush of their file system, where a flush of
    // each file would cost more than writing it. A file closed so and committed alone is
    // flushed by Commit.
    [[nodiscard]] bool CloseUnsynced() noexcept;
    // Closes (unless closed already), renames the temporary file over the target (an existing
    // file is replaced) and flushes the folder, so that the rename itself survives a crash.
    [[nodiscard]] bool Commit() noexcept;
    // Commits files as one, in order: closes those still open without a flush, flushes the file
    // system of their folder once for the data of all, renames each over its target, then
    // flushes the folder once. Returns the first file that failed (its Error tells why; the
    // files before it are in place, it and those after are not), or nullptr.
    static CReplaceFile* CommitAll(std::span<const std::unique_ptr<CReplaceFile>> files) noexcept;

    // The path given (the target as named, not where a link leads).
    const std::string& Path() const { return m_path; }
    bool Failed() const { return m_errno != 0; }
    // The errno of the first failure, else 0.
    int Error() const { return m_errno; }
    // The first failure as IDS_FILE_SAVE_FAILED (the path, the system error text), with its
    // errno.
    my::CException Failure() const;

private:
    // The temporary file's name, removed when it goes unless the file was committed.
    struct CTempName {
        std::string m_path;
        bool m_keep = false;
        ~CTempName();
    };

    [[nodiscard]] bool WriteAll(const std::uint8_t* data, std::size_t size) noexcept;
    [[nodiscard]] bool Flush() noexcept;
    [[nodiscard]] bool CloseFile(bool sync) noexcept;
    // Renames the closed, flushed temporary file over the target.
    [[nodiscard]] bool Rename() noexcept;
    bool Fail(int code) noexcept;

    // First, so that it is made before anything can throw and closed last of all.
    CUniqueFd m_fd;
    CTempName m_temp;
    std::string m_path;
    std::string m_target; // where the rename goes: m_path, or the file a link there leads to
    bool m_closed = false;
    bool m_synced = false; // the data is on the disk (Close, or the flush of CommitAll)
    int m_errno = 0;
    std::uint32_t m_mode = 0; // the old file's permission bits; 0 when there was none
    std::vector<std::uint8_t> m_buffer;
};

// Writes data to path through a CReplaceFile. Returns 0, or the errno of the failure; on
// failure path is untouched and no temporary file is left.
int ReplaceFile(const std::string& path, std::string_view data);

// Removes the temporary files ".morvane-<pid>-<n>.tmp" of CReplaceFile from folder ("" is the
// current folder) whose process no longer exists: a process killed before it could clean up
// leaves them. Files of a live process (this one included), and any other name, are left
// alone. Returns how many were removed; a folder that cannot be read removes nothing.
std::size_t RemoveStaleTempFiles(const std::string& folder) noexcept;

} // namespace io
