#include "output/png_filter.h"

#include "platform/img.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdlib>
#include <cstring>

namespace codec {

namespace {

static_assert(std::endian::native == std::endian::little,
              "rows are converted as little-endian words");

// One BGRA row as RGBA, or as RGB when the alpha channel is dropped.
void ToPngRow(const std::uint8_t* src, std::uint8_t* dst, std::size_t width, bool alpha) {
    if (alpha) {
        for (std::size_t x = 0; x < width; ++x, src += 4, dst += 4) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
            dst[3] = src[3];
        }
        return;
    }
    // Four bytes B, G, R, A read as one number and written as R, G, B and a byte that the next
    // pixel overwrites; the last pixel is written byte by byte to stay inside the row.
    for (std::size_t x = 1; x < width; ++x, src += 4, dst += 3) {
        std::uint32_t bgra;
        std::memcpy(&bgra, src, 4);
        const std::uint32_t rgb = __builtin_bswap32(bgra) >> 8;
        std::memcpy(dst, &rgb, 4);
    }
    if (width > 0) {
        dst[0] = src[2];
        dst[1] = src[1];
        dst[2] = src[0];
    }
}

// Sum of the bytes read as signed values, by magnitude: the cost the heuristic compares. The
// magnitude of a byte v read as signed is the smaller of v and 256 - v.
std::uint32_t SignedSum(const std::uint8_t* row, std::size_t n) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < n; ++i) {
        sum += std::min(row[i], std::uint8_t(-row[i]));
    }
    return sum;
}

// Applies each filter to the row cur (prev is the row above, zeros for the first row); kBpp
// bytes a pixel, so the left neighbour of a byte is kBpp bytes before it. One pass without
// branches, which the compiler turns into vector code: the Paeth predictor is chosen with
// selects, its distances written as |b - c|, |a - c| and |a + b - 2c|.
template <std::size_t kBpp>
void FilterRow(const std::uint8_t* __restrict cur, const std::uint8_t* __restrict prev,
               std::size_t n, std::uint8_t* __restrict sub, std::uint8_t* __restrict up,
               std::uint8_t* __restrict avg, std::uint8_t* __restrict paeth) {
    for (std::size_t i = 0; i < kBpp && i < n; ++i) {
        sub[i] = cur[i];
        up[i] = std::uint8_t(cur[i] - prev[i]);
        avg[i] = std::uint8_t(cur[i] - (prev[i] >> 1));
        paeth[i] = std::uint8_t(cur[i] - prev[i]); // Paeth(0, b, 0) is b
    }
    for (std::size_t i = kBpp; i < n; ++i) {
        const std::int16_t a = cur[i - kBpp];
        const std::int16_t b = prev[i];
        const std::int16_t c = prev[i - kBpp];
        sub[i] = std::uint8_t(cur[i] - a);
        up[i] = std::uint8_t(cur[i] - b);
        avg[i] = std::uint8_t(cur[i] - ((a + b) >> 1));
        const std::int16_t pa = std::int16_t(std::abs(b - c));
        const std::int16_t pb = std::int16_t(std::abs(a - c));
        const std::int16_t pc = std::int16_t(std::abs(a + b - 2 * c));
        const std::int16_t nearer = pb <= pc ? b : c;
        paeth[i] = std::uint8_t(cur[i] - (pa <= pb && pa <= pc ? a : nearer));
    }
}

} // namespace

bool IsOpaque(const CImg& img) {
    for (std::int32_t y = 0; y < img.m_height; ++y) {
        // A whole row at a time, without an early exit, so that it runs as vector code.
        const std::uint8_t* row = img.Row(y);
        std::uint8_t all = 0xFF;
        for (std::int32_t x = 0; x < img.m_width; ++x) {
            all &= row[4 * x + 3];
        }
        if (all != 0xFF) {
            return false;
        }
    }
    return true;
}

std::size_t FilteredRowBytes(const CImg& img, bool alpha) {
    return 1 + std::size_t(img.m_width) * (alpha ? 4 : 3);
}

std::span<const std::uint8_t> FilterScanlines(const CImg& img, PngFilterChoice choice,
                                              std::vector<std::uint8_t>& buffer, bool alpha) {
    const std::size_t bytes = FilteredRowBytes(img, alpha) * std::size_t(img.m_height);
    if (buffer.size() < bytes) {
        buffer.resize(bytes);
    }
    if (img.m_height > 0) {
        FilterRows(img, choice, 0, img.m_height, alpha, buffer.data());
    }
    return {buffer.data(), bytes};
}

void FilterRows(const CImg& img, PngFilterChoice choice, std::int32_t first, std::int32_t last,
                bool alpha, std::uint8_t* out) {
    const std::size_t width = std::size_t(img.m_width);
    const std::size_t rowBytes = FilteredRowBytes(img, alpha) - 1;

    if (choice == PngFilterChoice::None) {
        for (std::int32_t y = first; y < last; ++y, out += rowBytes + 1) {
            out[0] = PNG_FILTER_NONE;
            ToPngRow(img.Row(y), out + 1, width, alpha);
        }
        return;
    }

    // Two rows (current and previous) and one scratch row per filter besides None. The row
    // above the first is zeros for the image's first row, else that row of the image.
    std::vector<std::uint8_t> scratch(rowBytes * 6, 0);
    std::uint8_t* cur = scratch.data();
    std::uint8_t* prev = cur + rowBytes;
    if (first > 0) {
        ToPngRow(img.Row(first - 1), prev, width, alpha);
    }
    std::array<std::uint8_t*, 5> filtered{};
    for (std::size_t f = PNG_FILTER_SUB; f <= PNG_FILTER_PAETH; ++f) {
        filtered[f] = scratch.data() + (f + 1) * rowBytes;
    }
    for (std::int32_t y = first; y < last; ++y, out += rowBytes + 1) {
        ToPngRow(img.Row(y), cur, width, alpha);
        filtered[PNG_FILTER_NONE] = cur;
        if (alpha) {
            FilterRow<4>(cur, prev, rowBytes, filtered[PNG_FILTER_SUB], filtered[PNG_FILTER_UP],
                         filtered[PNG_FILTER_AVERAGE], filtered[PNG_FILTER_PAETH]);
        } else {
            FilterRow<3>(cur, prev, rowBytes, filtered[PNG_FILTER_SUB], filtered[PNG_FILTER_UP],
                         filtered[PNG_FILTER_AVERAGE], filtered[PNG_FILTER_PAETH]);
        }
        std::size_t best = PNG_FILTER_NONE;
        std::uint32_t bestSum = SignedSum(cur, rowBytes);
        for (std::size_t f = PNG_FILTER_SUB; f <= PNG_FILTER_PAETH; ++f) {
            const std::uint32_t sum = SignedSum(filtered[f], rowBytes);
            if (sum < bestSum) {
                bestSum = sum;
                best = f;
            }
        }
        out[0] = std::uint8_t(best);
        std::memcpy(out + 1, filtered[best], rowBytes);
        std::swap(cur, prev);
    }
}

} // namespace codec
