// Scanlines of a PNG image: a BGRA frame turned into RGBA (or, for opaque frames, RGB) rows,
// each led by its filter type, either all unfiltered or with the filter of least sum of
// absolute differences per row.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

struct CImg;

namespace codec {

enum PngFilter : std::uint8_t {
    PNG_FILTER_NONE = 0,
    PNG_FILTER_SUB = 1,
    PNG_FILTER_UP = 2,
    PNG_FILTER_AVERAGE = 3,
    PNG_FILTER_PAETH = 4,
};

// How the filters of a whole image are chosen.
enum class PngFilterChoice {
    None,          // every row unfiltered
    MinSumAbsDiff, // per row, the filter whose bytes as signed values have the least |sum|
};

// Bytes of the filtered scanlines of an image of pixel type 0 (height * (1 + 4 * width), or
// height * (1 + 3 * width) without alpha, when the alpha channel is dropped), written at the
// start of buffer. The buffer only ever grows, so one reused from frame to frame is neither
// cleared nor zero-filled again; the result is valid until it changes.
// Flat art with large runs often deflates best unfiltered; photographic gradients with filters.
std::span<const std::uint8_t> FilterScanlines(const CImg& img, PngFilterChoice choice,
                                              std::vector<std::uint8_t>& buffer, bool alpha = true);

// The filtered scanlines of rows first .. last - 1 only (0 <= first < last <= height), as they
// are in the whole image's, into out, which holds (last - first) * (1 + bytes per row) bytes.
void FilterRows(const CImg& img, PngFilterChoice choice, std::int32_t first, std::int32_t last,
                bool alpha, std::uint8_t* out);

// Bytes of one filtered scanline: the filter type and the row's samples.
std::size_t FilteredRowBytes(const CImg& img, bool alpha);

// True when every pixel of an image of pixel type 0 is fully opaque: its PNG needs no alpha.
bool IsOpaque(const CImg& img);

} // namespace codec
