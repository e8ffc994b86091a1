// CDeflater: a zlib stream compressor over libdeflate at a fixed level, owning its compressor
// and output buffer so that the frames of a run reuse both.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

struct libdeflate_compressor;

namespace codec {

class CDeflater {
public:
    // Raises IDS_LIBPNG_ERROR when libdeflate cannot make a compressor (out of memory, bad level).
    explicit CDeflater(int level = 9);

    // Compresses data into one zlib stream; the result stays valid until the next call.
    // Raises IDS_LIBPNG_ERROR when the stream cannot be made.
    std::span<const std::uint8_t> Compress(std::span<const std::uint8_t> data);

private:
    struct CFree {
        void operator()(libdeflate_compressor* c) const noexcept;
    };
    std::unique_ptr<libdeflate_compressor, CFree> m_compressor;
    std::vector<std::uint8_t> m_output;
};

// CRC-32 of PNG chunks (the zlib polynomial), continued from crc.
std::uint32_t Crc32(std::uint32_t crc, std::span<const std::uint8_t> data);

} // namespace codec
