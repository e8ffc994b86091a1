// stroke::CSerializerBase: what the readers of a stroke file share: the stream, its size taken
// once, the file version, the little-endian primitives and the bounds put on every count read.
#pragma once

#include "platform/input_stream.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace stroke {

class CSerializerBase {
public:
    // The reader reads from stream, whose size is taken now and serves as the bound of every
    // count; the stream must outlive the reader.
    explicit CSerializerBase(io::CInputStream& stream);
    // A sub-reader over the stream of its owner, with the same size limit.
    CSerializerBase(io::CInputStream& stream, std::uint64_t size);
    virtual ~CSerializerBase();
    CSerializerBase(const CSerializerBase&) = delete;
    CSerializerBase& operator=(const CSerializerBase&) = delete;

    // The magic of the reader's format ("stroke", "img", "png_bits").
    virtual std::string_view Signature() const = 0;

    std::uint32_t Version() const { return m_version; }
    std::uint64_t StreamSize() const { return m_size; }

    // The version a.b.c.d as one number.
    static constexpr std::uint32_t MakeVersion(std::uint8_t a, std::uint8_t b, std::uint8_t c,
                                               std::uint8_t d) {
        return std::uint32_t(a) << 24 | std::uint32_t(b) << 16 | std::uint32_t(c) << 8 | d;
    }

protected:
    // Every read delivers all its bytes or raises IDS_STREAM_READ_FAILED.
    void ReadBytes(void* buffer, std::size_t n);
    std::uint16_t ReadU16();
    std::uint32_t ReadU32();
    std::int32_t ReadI32();
    double ReadF64();
    bool ReadFlag() { return ReadU32() != 0; }
    // A u32 byte count n, then n bytes of UTF-16LE: n / 2 characters (an odd last byte is
    // consumed and dropped).
    std::u16string ReadString();
    // A u32 byte count n, then n raw bytes.
    std::vector<std::uint8_t> ReadBlob();
    // A u32 element count whose records take at least minRecordBytes each, checked by
    // CheckCount before anything is allocated for them.
    std::uint32_t ReadCount(std::uint64_t minRecordBytes);
    // Raises IDS_OBJECT_COUNT_TOO_LARGE when the count exceeds the stream size (a stream of
    // 4 GiB or more bounds no u32 count), else IDS_STREAM_READ_FAILED when count records of
    // minRecordBytes cannot fit in the bytes left: the stream would end inside them.
    void CheckCount(std::uint64_t count, std::uint64_t minRecordBytes) const;

    void SetVersion(std::uint32_t version) { m_version = version; }
    io::CInputStream& Stream() const { return m_stream; }

    // Readers of embedded parts that share this stream while a record is read.
    std::vector<std::unique_ptr<CSerializerBase>> m_subReaders;

private:
    io::CInputStream& m_stream;
    std::uint64_t m_size = 0;
    std::uint32_t m_version = 0;
};

} // namespace stroke
