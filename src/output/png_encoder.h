// The PNG and APNG encoder: CPngChunkWriter appends chunks with their CRCs to a byte buffer,
// CPngImageEncoder turns a BGRA frame into the zlib stream of its filtered scanlines.
#pragma once

#include "output/deflater.h"
#include "output/png_filter.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

struct CImg;

namespace io {
class CReplaceFile;
}

namespace codec {

using COutputFile = io::CReplaceFile;

// Frame control of an APNG frame: its rectangle, delay fraction and dispose/blend operations.
struct CPngFrameControl {
    std::uint32_t m_width = 0;
    std::uint32_t m_height = 0;
    std::uint32_t m_x = 0;
    std::uint32_t m_y = 0;
    std::uint16_t m_delayNum = 0;
    std::uint16_t m_delayDen = 0;
    std::uint8_t m_dispose = 0; // 0 none, 1 background, 2 previous
    std::uint8_t m_blend = 0;   // 0 source, 1 over
};

// The sequence numbers of fcTL and fdAT run on over the chunks of one writer.
class CPngChunkWriter {
public:
    // Appends to memory, so that frames can be made on any thread and written in one piece.
    explicit CPngChunkWriter(std::vector<std::uint8_t>& out) : m_out(&out) {}
    // Writes straight to a file; a failed write raises the file's failure
    // (IDS_FILE_SAVE_FAILED).
    explicit CPngChunkWriter(COutputFile& file) : m_file(&file) {}

    void Signature();
    // 8-bit RGBA (or RGB without alpha) without interlace.
    void Ihdr(std::uint32_t width, std::uint32_t height, bool alpha = true);
    // Pixels per metre.
    void Phys(std::uint32_t x, std::uint32_t y);
    // An ICC profile under a Latin-1 name of 1 to 79 characters; the profile is compressed here.
    void Iccp(std::string_view name, std::span<const std::uint8_t> profile, CDeflater& deflater);
    void Actl(std::uint32_t frameCount, std::uint32_t playCount);
    // fcTL and fdAT take the next sequence number; fcTL of the first frame gets 0.
    void Fctl(const CPngFrameControl& control);
    void Idat(std::span<const std::uint8_t> zlib);
    void Fdat(std::span<const std::uint8_t> zlib);
    void Iend();

    // Writes one chunk; raises IDS_LIBPNG_ERROR for data beyond the 2^31 - 1 bytes a chunk can
    // hold, and the file's failure when writing to a file fails.
    void Chunk(const char (&type)[5], std::span<const std::uint8_t> data);

private:
    // A chunk whose data are prefix followed by data (the prefix holds small leading fields, so
    // that large image data are written without a copy).
    void Put(const char (&type)[5], std::span<const std::uint8_t> prefix,
             std::span<const std::uint8_t> data);
    void Write(std::span<const std::uint8_t> bytes);

    std::vector<std::uint8_t>* m_out = nullptr;
    COutputFile* m_file = nullptr;
    std::uint32_t m_sequence = 0;
};

// Encodes frames of pixel type 0 one after the other, reusing its buffers and compressors.
class CPngImageEncoder {
public:
    // parallel: large frames compress their two filter candidates on two threads. Callers that
    // run one encoder per thread of their own switch it off.
    explicit CPngImageEncoder(int level = 9, bool parallel = true)
        : m_none(level), m_minSad(level), m_parallel(parallel) {}

    // The zlib stream of the image's scanlines, RGBA or (alpha false) RGB: both filter choices
    // are compressed and the smaller stream is kept. Valid until the next call.
    std::span<const std::uint8_t> Encode(const CImg& img, bool alpha = true);
    PngFilterChoice LastChoice() const { return m_lastChoice; }
    // Compressed sizes of the last image under each choice (for measurements).
    std::size_t LastNoneSize() const { return m_noneSize; }
    std::size_t LastMinSadSize() const { return m_minSadSize; }

    // A compressor for small side data (ICC profiles).
    CDeflater& SideDeflater() { return m_none; }

private:
    CDeflater m_none;
    CDeflater m_minSad;
    std::vector<std::uint8_t> m_noneRows;
    std::vector<std::uint8_t> m_minSadRows;
    PngFilterChoice m_lastChoice = PngFilterChoice::None;
    std::size_t m_noneSize = 0;
    std::size_t m_minSadSize = 0;
    bool m_parallel = true;
};

// Raises IDS_IMAGE_FORMAT_UNSUPPORTED for a pixel type other than 0 and IDS_LIBPNG_ERROR for an
// empty image, which PNG cannot hold.
void CheckPngImage(const CImg& img);
// trunc(dpi * 1000 / 25.4): the pHYs value of a resolution; out of range raises the range error.
std::uint32_t PixelsPerMetre(double dpi);

} // namespace codec
