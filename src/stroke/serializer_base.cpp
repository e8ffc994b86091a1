#include "stroke/serializer_base.h"

#include "common/error.h"
#include "common/message_ids.h"

#include <bit>
#include <cerrno>
#include <limits>

namespace stroke {

CSerializerBase::CSerializerBase(io::CInputStream& stream)
    : m_stream(stream), m_size(stream.Size()) {}

CSerializerBase::CSerializerBase(io::CInputStream& stream, std::uint64_t size)
    : m_stream(stream), m_size(size) {}

CSerializerBase::~CSerializerBase() = default;

void CSerializerBase::ReadBytes(void* buffer, std::size_t n) {
    m_stream.ReadExactly(buffer, n);
}

std::uint16_t CSerializerBase::ReadU16() {
    std::uint8_t b[2];
    ReadBytes(b, sizeof b);
    return std::uint16_t(b[0] | b[1] << 8);
}

std::uint32_t CSerializerBase::ReadU32() {
    std::uint8_t b[4];
    ReadBytes(b, sizeof b);
    return std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 |
           std::uint32_t(b[3]) << 24;
}

std::int32_t CSerializerBase::ReadI32() {
    return std::bit_cast<std::int32_t>(ReadU32());
}

double CSerializerBase::ReadF64() {
    std::uint8_t b[8];
    ReadBytes(b, sizeof b);
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) {
        bits = bits << 8 | b[i];
    }
    return std::bit_cast<double>(bits);
}

void CSerializerBase::CheckCount(std::uint64_t count, std::uint64_t minRecordBytes) const {
    // A count beyond the file size can never be right: the file is not a stroke file.
    if (m_size <= std::numeric_limits<std::uint32_t>::max() && count > m_size) {
        throw my::CException(IDS_OBJECT_COUNT_TOO_LARGE);
    }
    // A count the bytes left cannot hold means the file ends inside the records: reading them
    // would run out of data, so that is reported now, before anything is allocated for them.
    // count and minRecordBytes are below 2^32 each, so their product cannot overflow 64 bits.
    if (count * minRecordBytes > m_stream.Remaining()) {
        throw my::CException::FromCode(IDS_STREAM_READ_FAILED, ENODATA);
    }
}

std::uint32_t CSerializerBase::ReadCount(std::uint64_t minRecordBytes) {
    const std::uint32_t count = ReadU32();
    CheckCount(count, minRecordBytes);
    return count;
}

std::u16string CSerializerBase::ReadString() {
    const std::uint32_t bytes = ReadCount(1);
    std::vector<std::uint8_t> raw(bytes);
    ReadBytes(raw.data(), raw.size());
    std::u16string text(bytes / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        text[i] = char16_t(raw[2 * i] | raw[2 * i + 1] << 8);
    }
    return text;
}

std::vector<std::uint8_t> CSerializerBase::ReadBlob() {
    const std::uint32_t bytes = ReadCount(1);
    std::vector<std::uint8_t> blob;
    try {
        blob.resize(bytes);
    } catch (const std::bad_alloc&) {
        throw my::CException(IDS_GLOBAL_ALLOC_FAILED);
    }
    ReadBytes(blob.data(), blob.size());
    return blob;
}

} // namespace stroke
