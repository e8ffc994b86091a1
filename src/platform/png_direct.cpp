#include "platform/png_direct.h"

#include <array>
#include <cstdlib>
#include <cstring>
#include <libdeflate.h>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

namespace codec {

namespace {

constexpr std::array<std::uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

std::uint32_t BigEndian32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 |
           std::uint32_t(p[3]);
}

struct CDecompressorFree {
    void operator()(libdeflate_decompressor* d) const noexcept { libdeflate_free_decompressor(d); }
};

// One decompressor per thread: frames decode on every worker at once.
libdeflate_decompressor* Decompressor() {
    thread_local std::unique_ptr<libdeflate_decompressor, CDecompressorFree> d(
        libdeflate_alloc_decompressor());
    return d.get();
}

// What the chunks say: the header's fields and the image data, joined when split over several
// IDAT chunks.
struct CPlainStream {
    std::uint32_t m_width = 0;
    std::uint32_t m_height = 0;
    unsigned m_channels = 0;
    std::span<const std::uint8_t> m_zlib;
    std::vector<std::uint8_t> m_joined;
};

// Walks the chunks up to the end of the image data; false for any stream this path leaves to
// libpng. Checksums are verified, so a damaged stream gets libpng's message.
bool ReadChunks(std::span<const std::uint8_t> bytes, CPlainStream& out) {
    if (bytes.size() < kSignature.size() ||
        std::memcmp(bytes.data(), kSignature.data(), kSignature.size()) != 0) {
        return false;
    }
    std::size_t at = kSignature.size();
    std::vector<std::span<const std::uint8_t>> parts;
    bool header = false;
    for (;;) {
        if (bytes.size() - at < 12) {
            return false;
        }
        const std::uint32_t length = BigEndian32(&bytes[at]);
        if (length > 0x7FFFFFFFu || bytes.size() - at - 12 < length) {
            return false;
        }
        const std::uint8_t* type = &bytes[at + 4];
        const std::span<const std::uint8_t> data(type + 4, length);
        if (libdeflate_crc32(0, type, 4 + std::size_t(length)) != BigEndian32(type + 4 + length)) {
            return false;
        }
        at += 12 + std::size_t(length);
        const std::string_view name(reinterpret_cast<const char*>(type), 4);
        if (!header) {
            // 8 bits, RGB (2) or RGBA (6), deflate, adaptive filters, no interlace.
            if (name != "IHDR" || length != 13 || data[8] != 8 || (data[9] != 2 && data[9] != 6) ||
                data[10] != 0 || data[11] != 0 || data[12] != 0) {
                return false;
            }
            out.m_width = BigEndian32(data.data());
            out.m_height = BigEndian32(data.data() + 4);
            out.m_channels = data[9] == 6 ? 4 : 3;
            header = true;
        } else if (name == "IDAT") {
            parts.push_back(data);
        } else if (!parts.empty()) {
            break; // the image data ended; libpng reads no further for the pixels either
        } else if (name == "tRNS" || name == "IHDR" || name == "IEND" ||
                   (name != "PLTE" && (type[0] & 0x20) == 0)) {
            // A colour key, a misplaced chunk or an unknown critical one: libpng's to judge.
            return false;
        }
    }
    if (parts.size() == 1) {
        out.m_zlib = parts.front();
        return true;
    }
    for (const auto& part : parts) {
        out.m_joined.insert(out.m_joined.end(), part.begin(), part.end());
    }
    out.m_zlib = out.m_joined;
    return true;
}

std::uint8_t Paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a);
    const int pb = std::abs(p - b);
    const int pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) {
        return std::uint8_t(a);
    }
    return std::uint8_t(pb <= pc ? b : c);
}

// Undoes the filter of one row in place; prev is the row above (zeros above the first).
template <std::size_t kBpp>
bool Unfilter(std::uint8_t filter, std::uint8_t* row, const std::uint8_t* prev, std::size_t n) {
    switch (filter) {
    case 0:
        return true;
    case 1:
        for (std::size_t i = kBpp; i < n; ++i) {
            row[i] = std::uint8_t(row[i] + row[i - kBpp]);
        }
        return true;
    case 2:
        for (std::size_t i = 0; i < n; ++i) {
            row[i] = std::uint8_t(row[i] + prev[i]);
        }
        return true;
    case 3:
        for (std::size_t i = 0; i < kBpp; ++i) {
            row[i] = std::uint8_t(row[i] + (prev[i] >> 1));
        }
        for (std::size_t i = kBpp; i < n; ++i) {
            row[i] = std::uint8_t(row[i] + ((row[i - kBpp] + prev[i]) >> 1));
        }
        return true;
    case 4:
        for (std::size_t i = 0; i < kBpp; ++i) {
            row[i] = std::uint8_t(row[i] + prev[i]);
        }
        for (std::size_t i = kBpp; i < n; ++i) {
            row[i] = std::uint8_t(row[i] + Paeth(row[i - kBpp], prev[i], prev[i - kBpp]));
        }
        return true;
    default:
        return false;
    }
}

template <std::size_t kBpp>
bool UnfilterAndStore(std::uint8_t* rows, const CPlainStream& s, CImg& img) {
    const std::size_t n = std::size_t(s.m_width) * kBpp;
    const std::vector<std::uint8_t> zeros(n, 0);
    const std::uint8_t* prev = zeros.data();
    for (std::uint32_t y = 0; y < s.m_height; ++y, rows += n + 1) {
        std::uint8_t* row = rows + 1;
        if (!Unfilter<kBpp>(rows[0], row, prev, n)) {
            return false;
        }
        std::uint8_t* out = img.Row(std::int32_t(y));
        for (std::uint32_t x = 0; x < s.m_width; ++x, out += 4) {
            const std::uint8_t* p = row + std::size_t(x) * kBpp;
            out[0] = p[2];
            out[1] = p[1];
            out[2] = p[0];
            out[3] = kBpp == 4 ? p[kBpp - 1] : 0xFF;
        }
        prev = row;
    }
    return true;
}

bool Decode(std::span<const std::uint8_t> bytes, CImg& img, const CPngLimits& limits) {
    CPlainStream s;
    if (!ReadChunks(bytes, s) || s.m_width != std::uint32_t(img.m_width) ||
        s.m_height != std::uint32_t(img.m_height) || s.m_width > limits.m_maxWidth ||
        s.m_height > limits.m_maxHeight) {
        return false;
    }
    // Within the limits the filtered rows are a few bytes a pixel more than the image.
    const std::uint64_t imageBytes =
        std::uint64_t{CImg::StrideOf(CImg::PIXEL_BGRA32, img.m_width)} * s.m_height;
    const std::uint64_t rowBytes = 1 + std::uint64_t{s.m_width} * s.m_channels;
    if (imageBytes > limits.m_maxPixelBytes || rowBytes * s.m_height > limits.m_maxPixelBytes) {
        return false;
    }
    libdeflate_decompressor* d = Decompressor();
    if (d == nullptr) {
        return false;
    }
    const std::size_t filtered = std::size_t(rowBytes * s.m_height);
    // Written whole by a successful decompression, so not cleared first.
    const std::unique_ptr<std::uint8_t[]> rows(new std::uint8_t[filtered]);
    std::size_t produced = 0;
    if (libdeflate_zlib_decompress(d, s.m_zlib.data(), s.m_zlib.size(), rows.get(), filtered,
                                   &produced) != LIBDEFLATE_SUCCESS ||
        produced != filtered) {
        return false;
    }
    // Every byte of the rows is stored below; a stream that fails half way goes to libpng,
    // which allocates cleared rows again.
    img.AllocateUncleared(CImg::PIXEL_BGRA32, img.m_width, img.m_height);
    return s.m_channels == 4 ? UnfilterAndStore<4>(rows.get(), s, img)
                             : UnfilterAndStore<3>(rows.get(), s, img);
}

} // namespace

bool DecodePlainPng(io::CInputStream& png, CImg& img, const CPngLimits& limits) {
    if (img.m_pixelType != CImg::PIXEL_BGRA32 || img.m_width <= 0 || img.m_height <= 0) {
        return false;
    }
    const std::uint64_t start = png.Position();
    const std::uint64_t size = png.Remaining();
    // The whole stream is read at once; one larger than any image within the limits is left to
    // libpng, which reads it piece by piece.
    if (size > limits.m_maxPixelBytes) {
        return false;
    }
    std::vector<std::uint8_t> bytes(std::size_t(size), 0);
    png.ReadExactly(bytes.data(), bytes.size());
    if (Decode(bytes, img, limits)) {
        return true;
    }
    png.Seek(start);
    return false;
}

} // namespace codec
