// CDeflater: a zlib stream compressor at a fixed level over libdeflate or zlib, owning its
// compressor and output buffer so that the frames of a run reuse both.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

struct libdeflate_compressor;
struct z_stream_s;

namespace codec {

// The library that compresses. libdeflate (levels 1 to 12) is the quick one. zlib (levels 1 to
// 9) can be told how far back its matches must reach: unfiltered PNG rows of flat colour and
// anti-aliased edges repeat the row above, one row length back, which libdeflate's hash chains
// up to level 9 do not reach in frames a few hundred pixels wide.
enum class DeflateCoder { Libdeflate, Zlib };

class CDeflater {
public:
    // Raises IDS_LIBPNG_ERROR when the library cannot make a compressor (out of memory, bad
    // level).
    explicit CDeflater(int level = 9, DeflateCoder coder = DeflateCoder::Libdeflate);
    ~CDeflater();
    CDeflater(const CDeflater&) = delete;
    CDeflater& operator=(const CDeflater&) = delete;

    // Compresses data into one zlib stream; the result stays valid until the next call.
    // Raises IDS_LIBPNG_ERROR when the stream cannot be made. With zlib, a reach other than 0
    // makes the search follow its hash chains a quarter further than reach bytes (a row's
    // length), and no further: level 9's size at about level 8's time.
    std::span<const std::uint8_t> Compress(std::span<const std::uint8_t> data,
                                           std::size_t reach = 0);

private:
    // An output buffer of at least bound bytes.
    void Reserve(std::size_t bound);
    std::size_t CompressZlib(std::span<const std::uint8_t> data, std::size_t reach);

    struct CFree {
        void operator()(libdeflate_compressor* c) const noexcept;
    };
    std::unique_ptr<libdeflate_compressor, CFree> m_compressor;
    std::unique_ptr<z_stream_s> m_zlib;
    std::vector<std::uint8_t> m_output;
};

// CRC-32 of PNG chunks (the zlib polynomial), continued from crc.
std::uint32_t Crc32(std::uint32_t crc, std::span<const std::uint8_t> data);

} // namespace codec
