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
// Each frame is deflated once: a sample of its rows is filtered both ways (unfiltered, and
// per row with the filter of least sum of absolute differences) and compressed quickly, and the
// whole frame is filtered when its filtered sample came out smaller by more than an eighth, else
// left unfiltered. Small images (up to 128 rows) are compressed whole both ways at the sample's
// level and deflated the smaller way.
class CPngImageEncoder {
public:
    // The compression level, chosen by measurement on rendered frames (bench/encoder_choices):
    // from level 8 up libdeflate takes twice the time and more for 0.2 % fewer bytes, below
    // level 7 the files grow by 2 % and more.
    static constexpr int kDefaultLevel = 7;
    // The level and library of APNG frames. zlib at level 9, its hash chains cut to what
    // reaches the row above, finds the matches between the rows of a region that libdeflate's
    // level 9 misses: 1 to 2 % fewer bytes in changed regions, and up to 12 % in whole frames
    // of flat colour, at 1.2 times the encode time (bench/encoder_choices, make bench);
    // libdeflate's near-optimal levels 10 to 12 cost 3 to 20 times as much for less.
    static constexpr int kAnimationLevel = 9;
    static constexpr DeflateCoder kAnimationCoder = DeflateCoder::Zlib;

    explicit CPngImageEncoder(int level = kDefaultLevel,
                              DeflateCoder coder = DeflateCoder::Libdeflate);

    // The zlib stream of the image's scanlines, RGBA or (alpha false) RGB. Valid until the
    // next call.
    std::span<const std::uint8_t> Encode(const CImg& img, bool alpha = true);
    // How the filters of the last image were chosen.
    PngFilterChoice LastChoice() const { return m_lastChoice; }

    // A compressor for small side data (ICC profiles).
    CDeflater& SideDeflater() { return m_deflater; }

private:
    // The filter choice whose sample of the image's rows compresses smaller (images of more
    // rows than the sample's step).
    PngFilterChoice Choose(const CImg& img, bool alpha);

    CDeflater m_deflater;
    CDeflater m_probe;
    std::vector<std::uint8_t> m_rows;
    std::vector<std::uint8_t> m_sample;
    PngFilterChoice m_lastChoice = PngFilterChoice::None;
};

// Raises IDS_IMAGE_FORMAT_UNSUPPORTED for a pixel type other than 0 and IDS_LIBPNG_ERROR for an
// empty image, which PNG cannot hold.
void CheckPngImage(const CImg& img);
// trunc(dpi * 1000 / 25.4): the pHYs value of a resolution; out of range raises the range error.
std::uint32_t PixelsPerMetre(double dpi);

} // namespace codec
