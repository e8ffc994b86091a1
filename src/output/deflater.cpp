#include "output/deflater.h"

#include "common/error.h"
#include "common/message_ids.h"
#include "common/messages.h"

#include <algorithm>
#include <libdeflate.h>
#include <limits>
#include <string>
#include <zlib.h>

namespace codec {

void CDeflater::CFree::operator()(libdeflate_compressor* c) const noexcept {
    libdeflate_free_compressor(c);
}

CDeflater::CDeflater(int level, DeflateCoder coder) {
    bool made = false;
    if (coder == DeflateCoder::Libdeflate) {
        m_compressor.reset(libdeflate_alloc_compressor(level));
        made = m_compressor != nullptr;
    } else {
        m_zlib = std::make_unique<z_stream>();
        // The default window and memory (32 KiB, level 8), as PNG writers use.
        made = deflateInit(m_zlib.get(), level) == Z_OK;
        if (!made) {
            m_zlib.reset();
        }
    }
    if (!made) {
        throw my::CException(IDS_LIBPNG_ERROR,
                             "Out of memory for the compressor of level " + std::to_string(level));
    }
}

CDeflater::~CDeflater() {
    if (m_zlib) {
        deflateEnd(m_zlib.get());
    }
}

void CDeflater::Reserve(std::size_t bound) {
    try {
        if (m_output.size() < bound) {
            m_output.resize(bound);
        }
    } catch (const std::bad_alloc&) {
        throw my::CException(
            IDS_LIBPNG_ERROR,
            my::FormatMessage(IDS_REASON_DEFLATE_MEMORY, std::vector{std::to_string(bound)}));
    }
}

std::size_t CDeflater::CompressZlib(std::span<const std::uint8_t> data, std::size_t reach) {
    // zlib counts in 32-bit words; frames are far below that, but a larger input must fail
    // rather than be cut short.
    if (data.size() > std::numeric_limits<uInt>::max()) {
        return 0;
    }
    z_stream& z = *m_zlib;
    Reserve(deflateBound(&z, uLong(data.size())));
    if (m_output.size() > std::numeric_limits<uInt>::max() || deflateReset(&z) != Z_OK) {
        return 0;
    }
    // A reset takes back the level's own settings, so the chain is set after it. The other
    // values are level 9's: try a longer match after every match, stop at the longest.
    if (reach != 0) {
        constexpr std::size_t kShortestChain = 256;
        constexpr std::size_t kLongestChain = 4096;
        const std::size_t chain = std::clamp(reach + reach / 4, kShortestChain, kLongestChain);
        if (deflateTune(&z, 32, 258, 258, int(chain)) != Z_OK) {
            return 0;
        }
    }
    // zlib reads the input through a pointer to non-const but never writes it.
    z.next_in = const_cast<Bytef*>(data.data());
    z.avail_in = uInt(data.size());
    z.next_out = m_output.data();
    z.avail_out = uInt(m_output.size());
    return deflate(&z, Z_FINISH) == Z_STREAM_END ? std::size_t(z.total_out) : 0;
}

std::span<const std::uint8_t> CDeflater::Compress(std::span<const std::uint8_t> data,
                                                  std::size_t reach) {
    std::size_t size = 0;
    if (m_zlib) {
        size = CompressZlib(data, reach);
    } else {
        Reserve(libdeflate_zlib_compress_bound(m_compressor.get(), data.size()));
        size = libdeflate_zlib_compress(m_compressor.get(), data.data(), data.size(),
                                        m_output.data(), m_output.size());
    }
    if (size == 0) {
        throw my::CException(
            IDS_LIBPNG_ERROR,
            my::FormatMessage(IDS_REASON_DEFLATE_FAILED, std::vector{std::to_string(data.size())}));
    }
    return {m_output.data(), size};
}

std::uint32_t Crc32(std::uint32_t crc, std::span<const std::uint8_t> data) {
    // A null buffer would restart the checksum, as in zlib.
    return data.empty() ? crc : libdeflate_crc32(crc, data.data(), data.size());
}

} // namespace codec
