#include "output/png_encoder.h"

#include "common/error.h"
#include "common/message_ids.h"
#include "common/messages.h"
#include "output/checked_cast.h"
#include "output/output_file.h"
#include "platform/img.h"

#include <algorithm>
#include <array>
#include <string>

namespace codec {

namespace {

// Image data are split into chunks of this size; any size up to 2^31 - 1 is valid PNG.
constexpr std::size_t kMaxDataChunk = std::size_t{1} << 20;

// The sample that chooses the filters: bands of kProbeBand rows, one every kProbeStep rows,
// compressed at libdeflate's level kProbeLevel. Measured on rendered frames of the examples, on
// gradients and on noise (bench/encoder_choices): the quick level ranks the two ways as the
// final level does once filtered rows must win by more than 1 / kFilterMargin (quick levels
// find fewer of the long matches of unfiltered drawings), in less time, and it corrects the
// final level's ranking of the sample on some frames (morph at its own size: 12 % fewer bytes);
// filtering the whole frame also costs more than copying it. Bands of 4 rows choose as bands of
// 8 did on every one of those sets, at half the work.
constexpr std::int32_t kProbeBand = 4;
constexpr std::int32_t kProbeStep = 64;
constexpr int kProbeLevel = 2;
constexpr std::size_t kFilterMargin = 8;
// Images of up to this many rows are probed whole.
constexpr std::int32_t kWholeProbeRows = 2 * kProbeStep;

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(std::uint8_t(v >> 24));
    out.push_back(std::uint8_t(v >> 16));
    out.push_back(std::uint8_t(v >> 8));
    out.push_back(std::uint8_t(v));
}

void PutU16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(std::uint8_t(v >> 8));
    out.push_back(std::uint8_t(v));
}

std::array<std::uint8_t, 4> U32Bytes(std::uint32_t v) {
    return {std::uint8_t(v >> 24), std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)};
}

std::span<const std::uint8_t> TypeBytes(const char (&type)[5]) {
    return {reinterpret_cast<const std::uint8_t*>(type), 4};
}

} // namespace

void CPngChunkWriter::Write(std::span<const std::uint8_t> bytes) {
    if (m_out != nullptr) {
        m_out->insert(m_out->end(), bytes.begin(), bytes.end());
    } else if (!m_file->Write(bytes)) {
        throw m_file->Failure();
    }
}

void CPngChunkWriter::Put(const char (&type)[5], std::span<const std::uint8_t> prefix,
                          std::span<const std::uint8_t> data) {
    const std::size_t length = prefix.size() + data.size();
    if (length > 0x7FFFFFFFu) {
        throw my::CException(
            IDS_LIBPNG_ERROR,
            my::FormatMessage(IDS_REASON_CHUNK_TOO_LARGE,
                              std::vector{std::string(type), std::to_string(length)}));
    }
    std::uint32_t crc = Crc32(0, TypeBytes(type));
    crc = Crc32(crc, prefix);
    crc = Crc32(crc, data);
    Write(U32Bytes(std::uint32_t(length)));
    Write(TypeBytes(type));
    Write(prefix);
    Write(data);
    Write(U32Bytes(crc));
}

void CPngChunkWriter::Chunk(const char (&type)[5], std::span<const std::uint8_t> data) {
    Put(type, {}, data);
}

void CPngChunkWriter::Signature() {
    static constexpr std::array<std::uint8_t, 8> kSignature = {0x89, 'P',  'N',  'G',
                                                               '\r', '\n', 0x1A, '\n'};
    Write(kSignature);
}

void CPngChunkWriter::Ihdr(std::uint32_t width, std::uint32_t height, bool alpha) {
    std::vector<std::uint8_t> d;
    PutU32(d, width);
    PutU32(d, height);
    // Bit depth 8, RGBA (6) or RGB (2), deflate, adaptive filters, no interlace.
    d.insert(d.end(), {8, std::uint8_t(alpha ? 6 : 2), 0, 0, 0});
    Chunk("IHDR", d);
}

void CPngChunkWriter::Phys(std::uint32_t x, std::uint32_t y) {
    std::vector<std::uint8_t> d;
    PutU32(d, x);
    PutU32(d, y);
    d.push_back(1); // unit: metre
    Chunk("pHYs", d);
}

void CPngChunkWriter::Iccp(std::string_view name, std::span<const std::uint8_t> profile,
                           CDeflater& deflater) {
    std::vector<std::uint8_t> d(name.begin(), name.end());
    d.push_back(0); // end of the name
    d.push_back(0); // compression method: deflate
    const auto compressed = deflater.Compress(profile);
    d.insert(d.end(), compressed.begin(), compressed.end());
    Chunk("iCCP", d);
}

void CPngChunkWriter::Actl(std::uint32_t frameCount, std::uint32_t playCount) {
    std::vector<std::uint8_t> d;
    PutU32(d, frameCount);
    PutU32(d, playCount);
    Chunk("acTL", d);
}

void CPngChunkWriter::Fctl(const CPngFrameControl& c) {
    std::vector<std::uint8_t> d;
    PutU32(d, m_sequence++);
    PutU32(d, c.m_width);
    PutU32(d, c.m_height);
    PutU32(d, c.m_x);
    PutU32(d, c.m_y);
    PutU16(d, c.m_delayNum);
    PutU16(d, c.m_delayDen);
    d.push_back(c.m_dispose);
    d.push_back(c.m_blend);
    Chunk("fcTL", d);
}

void CPngChunkWriter::Idat(std::span<const std::uint8_t> zlib) {
    do {
        const std::size_t n = std::min(zlib.size(), kMaxDataChunk);
        Put("IDAT", {}, zlib.first(n));
        zlib = zlib.subspan(n);
    } while (!zlib.empty());
}

void CPngChunkWriter::Fdat(std::span<const std::uint8_t> zlib) {
    do {
        const std::size_t n = std::min(zlib.size(), kMaxDataChunk);
        Put("fdAT", U32Bytes(m_sequence++), zlib.first(n));
        zlib = zlib.subspan(n);
    } while (!zlib.empty());
}

void CPngChunkWriter::Iend() {
    Chunk("IEND", {});
}

CPngImageEncoder::CPngImageEncoder(int level, DeflateCoder coder)
    : m_deflater(level, coder), m_probe(kProbeLevel) {}

PngFilterChoice CPngImageEncoder::Choose(const CImg& img, bool alpha) {
    const std::size_t rowBytes = FilteredRowBytes(img, alpha);
    const std::size_t bands = std::size_t((img.m_height + kProbeStep - 1) / kProbeStep);
    const std::size_t half = bands * std::size_t(kProbeBand) * rowBytes;
    if (m_sample.size() < 2 * half) {
        m_sample.resize(2 * half);
    }
    std::size_t used = 0;
    for (std::int32_t y = 0; y < img.m_height; y += kProbeStep) {
        const std::int32_t last = std::min(y + kProbeBand, img.m_height);
        FilterRows(img, PngFilterChoice::None, y, last, alpha, m_sample.data() + used);
        FilterRows(img, PngFilterChoice::MinSumAbsDiff, y, last, alpha,
                   m_sample.data() + half + used);
        used += std::size_t(last - y) * rowBytes;
    }
    const std::size_t none = m_probe.Compress({m_sample.data(), used}).size();
    const std::size_t minSad = m_probe.Compress({m_sample.data() + half, used}).size();
    return minSad + none / kFilterMargin < none ? PngFilterChoice::MinSumAbsDiff
                                                : PngFilterChoice::None;
}

std::span<const std::uint8_t> CPngImageEncoder::Encode(const CImg& img, bool alpha) {
    if (img.m_height > kWholeProbeRows) {
        m_lastChoice = Choose(img, alpha);
        return m_deflater.Compress(FilterScanlines(img, m_lastChoice, m_rows, alpha),
                                   FilteredRowBytes(img, alpha));
    }
    // A small image (a changed region, most often) costs little to compress both ways at the
    // probe's level; the smaller way is deflated once at the encoder's.
    const auto none = FilterScanlines(img, PngFilterChoice::None, m_rows, alpha);
    const auto minSad = FilterScanlines(img, PngFilterChoice::MinSumAbsDiff, m_sample, alpha);
    const std::size_t noneBytes = m_probe.Compress(none).size();
    m_lastChoice = m_probe.Compress(minSad).size() < noneBytes ? PngFilterChoice::MinSumAbsDiff
                                                               : PngFilterChoice::None;
    return m_deflater.Compress(m_lastChoice == PngFilterChoice::None ? none : minSad,
                               FilteredRowBytes(img, alpha));
}

void CheckPngImage(const CImg& img) {
    if (img.m_pixelType != CImg::PIXEL_BGRA32) {
        throw my::CException(IDS_IMAGE_FORMAT_UNSUPPORTED);
    }
    if (img.m_width <= 0 || img.m_height <= 0) {
        throw my::CException(IDS_LIBPNG_ERROR,
                             "Invalid image size: " + std::to_string(img.m_width) + " x " +
                                 std::to_string(img.m_height));
    }
}

std::uint32_t PixelsPerMetre(double dpi) {
    // PNG limits its four-byte numbers to 2^31 - 1.
    return std::uint32_t(CheckedTrunc<std::int32_t>(dpi * 1000.0 / 25.4));
}

} // namespace codec
