#include "output/png_filter.h"

#include "platform/img.h"

#include <array>
#include <cstdlib>
#include <cstring>

namespace codec {

namespace {

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
    for (std::size_t x = 0; x < width; ++x, src += 4, dst += 3) {
        dst[0] = src[2];
        dst[1] = src[1];
        dst[2] = src[0];
    }
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

// Sum of the bytes read as signed values, by magnitude: the cost the heuristic compares.
unsigned long SignedSum(const std::uint8_t* row, std::size_t n) {
    unsigned long sum = 0;
    for (std::size_t i = 0; i < n; ++i) {
        sum += row[i] < 128 ? row[i] : 256u - row[i];
    }
    return sum;
}

// Applies each filter to the row cur (prev is the row above, zeros for the first row); kBpp
// bytes a pixel, so the left neighbour of a byte is kBpp bytes before it.
template <std::size_t kBpp>
void FilterRow(const std::uint8_t* cur, const std::uint8_t* prev, std::size_t n,
               std::array<std::uint8_t*, 5> outs) {
    std::uint8_t* sub = outs[PNG_FILTER_SUB];
    std::uint8_t* up = outs[PNG_FILTER_UP];
    std::uint8_t* avg = outs[PNG_FILTER_AVERAGE];
    std::uint8_t* paeth = outs[PNG_FILTER_PAETH];
    for (std::size_t i = 0; i < kBpp && i < n; ++i) {
        sub[i] = cur[i];
        up[i] = std::uint8_t(cur[i] - prev[i]);
        avg[i] = std::uint8_t(cur[i] - (prev[i] >> 1));
        paeth[i] = std::uint8_t(cur[i] - prev[i]); // Paeth(0, b, 0) is b
    }
    for (std::size_t i = kBpp; i < n; ++i) {
        sub[i] = std::uint8_t(cur[i] - cur[i - kBpp]);
        up[i] = std::uint8_t(cur[i] - prev[i]);
        avg[i] = std::uint8_t(cur[i] - ((cur[i - kBpp] + prev[i]) >> 1));
    }
    for (std::size_t i = kBpp; i < n; ++i) {
        paeth[i] = std::uint8_t(cur[i] - Paeth(cur[i - kBpp], prev[i], prev[i - kBpp]));
    }
}

} // namespace

bool IsOpaque(const CImg& img) {
    for (std::int32_t y = 0; y < img.m_height; ++y) {
        const std::uint8_t* row = img.Row(y);
        for (std::int32_t x = 0; x < img.m_width; ++x) {
            if (row[4 * x + 3] != 0xFF) {
                return false;
            }
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
            FilterRow<4>(cur, prev, rowBytes, filtered);
        } else {
            FilterRow<3>(cur, prev, rowBytes, filtered);
        }
        std::size_t best = PNG_FILTER_NONE;
        unsigned long bestSum = SignedSum(cur, rowBytes);
        for (std::size_t f = PNG_FILTER_SUB; f <= PNG_FILTER_PAETH; ++f) {
            const unsigned long sum = SignedSum(filtered[f], rowBytes);
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
