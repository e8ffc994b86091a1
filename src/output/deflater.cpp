#include "output/deflater.h"

#include "common/error.h"
#include "common/message_ids.h"
#include "common/messages.h"

#include <libdeflate.h>
#include <string>

namespace codec {

void CDeflater::CFree::operator()(libdeflate_compressor* c) const noexcept {
    libdeflate_free_compressor(c);
}

CDeflater::CDeflater(int level) : m_compressor(libdeflate_alloc_compressor(level)) {
    if (!m_compressor) {
        throw my::CException(IDS_LIBPNG_ERROR,
                             "Out of memory for the compressor of level " + std::to_string(level));
    }
}

std::span<const std::uint8_t> CDeflater::Compress(std::span<const std::uint8_t> data) {
    const std::size_t bound = libdeflate_zlib_compress_bound(m_compressor.get(), data.size());
    try {
        if (m_output.size() < bound) {
            m_output.resize(bound);
        }
    } catch (const std::bad_alloc&) {
        throw my::CException(
            IDS_LIBPNG_ERROR,
            my::FormatMessage(IDS_REASON_DEFLATE_MEMORY, std::vector{std::to_string(bound)}));
    }
    const std::size_t size = libdeflate_zlib_compress(m_compressor.get(), data.data(), data.size(),
                                                      m_output.data(), m_output.size());
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
