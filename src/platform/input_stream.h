// io::CInputStream: the byte source the stroke reader and the PNG decoder read from, with its
// size taken once; io::CMemoryInputStream serves bytes held in memory (embedded blobs, tests).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace io {

class CInputStream {
public:
    virtual ~CInputStream() = default;

    // Size in bytes, fixed when the stream was opened.
    virtual std::uint64_t Size() const = 0;
    // Offset of the next byte to read.
    virtual std::uint64_t Position() const = 0;
    // Moves to an offset between 0 and Size(); anything else fails with IDS_STREAM_SEEK_FAILED.
    virtual void Seek(std::uint64_t position) = 0;
    // Reads up to n bytes and returns how many arrived: fewer than n only at the end of the
    // stream. A failing read raises IDS_STREAM_READ_FAILED with the system's description.
    virtual std::size_t Read(void* buffer, std::size_t n) = 0;

    // Reads exactly n bytes; a short read raises IDS_STREAM_READ_FAILED.
    void ReadExactly(void* buffer, std::size_t n);
    // Bytes from the position to the end.
    std::uint64_t Remaining() const;
};

// Reads from bytes in memory: either its own copy or, through Over(), bytes the caller keeps
// alive for the life of the stream.
class CMemoryInputStream : public CInputStream {
public:
    explicit CMemoryInputStream(std::vector<std::uint8_t> bytes);
    static CMemoryInputStream Over(std::span<const std::uint8_t> bytes);

    CMemoryInputStream(CMemoryInputStream&& other) noexcept;
    CMemoryInputStream& operator=(CMemoryInputStream&& other) noexcept;
    CMemoryInputStream(const CMemoryInputStream&) = delete;
    CMemoryInputStream& operator=(const CMemoryInputStream&) = delete;

    std::uint64_t Size() const override { return m_view.size(); }
    std::uint64_t Position() const override { return m_position; }
    void Seek(std::uint64_t position) override;
    std::size_t Read(void* buffer, std::size_t n) override;

private:
    CMemoryInputStream() = default;

    std::vector<std::uint8_t> m_owned;
    std::span<const std::uint8_t> m_view; // m_owned, or the caller's bytes
    std::size_t m_position = 0;
};

} // namespace io
