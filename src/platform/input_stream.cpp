#include "platform/input_stream.h"

#include "common/error.h"
#include "common/message_ids.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace io {

void CInputStream::ReadExactly(void* buffer, std::size_t n) {
    if (Read(buffer, n) != n) {
        // The stream ended early; ENODATA gives the message a system description to show.
        throw my::CException::FromCode(IDS_STREAM_READ_FAILED, ENODATA);
    }
}

std::uint64_t CInputStream::Remaining() const {
    const std::uint64_t size = Size();
    const std::uint64_t position = Position();
    return position < size ? size - position : 0;
}

CMemoryInputStream::CMemoryInputStream(std::vector<std::uint8_t> bytes)
    : m_owned(std::move(bytes)), m_view(m_owned) {}

CMemoryInputStream CMemoryInputStream::Over(std::span<const std::uint8_t> bytes) {
    CMemoryInputStream stream;
    stream.m_view = bytes;
    return stream;
}

CMemoryInputStream::CMemoryInputStream(CMemoryInputStream&& other) noexcept {
    *this = std::move(other);
}

CMemoryInputStream& CMemoryInputStream::operator=(CMemoryInputStream&& other) noexcept {
    if (this != &other) {
        // A view of the other's own vector must follow the vector's buffer, which moves along.
        const bool ownsView = other.m_view.data() == other.m_owned.data();
        m_owned = std::move(other.m_owned);
        m_view = ownsView ? std::span<const std::uint8_t>(m_owned) : other.m_view;
        m_position = other.m_position;
        other.m_view = {};
        other.m_position = 0;
    }
    return *this;
}

void CMemoryInputStream::Seek(std::uint64_t position) {
    if (position > m_view.size()) {
        throw my::CException::FromCode(IDS_STREAM_SEEK_FAILED, EINVAL);
    }
    m_position = static_cast<std::size_t>(position);
}

std::size_t CMemoryInputStream::Read(void* buffer, std::size_t n) {
    const std::size_t count = std::min(n, m_view.size() - m_position);
    if (count != 0) {
        std::memcpy(buffer, m_view.data() + m_position, count);
        m_position += count;
    }
    return count;
}

} // namespace io
