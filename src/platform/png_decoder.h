// codec::DecodePng: turns the PNG streams of an embedded bitmap into the rows of a CImg.
// libpng reads them under size limits; every failure becomes one of the imaging messages.
//
// How a stream maps into each pixel type (16-bit samples are rounded to 8 bits throughout):
//   0 BGRA  any PNG; palettes and grey are expanded, tRNS becomes alpha, no alpha gives 255.
//           Alpha stays straight (not premultiplied), as PNG stores it.
//   1 BGR   any PNG; palettes and grey are expanded, alpha and tRNS are dropped.
//   2 CMYKA two streams: the first an 8-bit RGBA PNG holding the inks (see 3), the second any
//           PNG whose channel 0 gives the alpha: its grey sample, or for a colour stream the
//           first byte of the pixel in the B, G, R(, A) order used here (blue).
//   3 CMYK  an 8-bit RGBA PNG only (32 bits per pixel); its pixel bytes in B, G, R, A order are
//           C, M, Y, K, so the stream's red sample holds yellow, green magenta, blue cyan and
//           alpha black - the order in which a 32-bit BGRA encoder writes a CMYK pixel.
//   4 grey  grey PNGs of any depth scaled to 8 bits; colour PNGs weighted to grey; alpha dropped.
//   5 mono  a 1-bit grey PNG is copied (0 black, 1 white, first pixel in the high bit); any
//           other PNG is made grey as for 4 and each pixel of 128 or more becomes 1.
#pragma once

#include "platform/img.h"
#include "platform/input_stream.h"

#include <cstdint>

namespace codec {

// Bounds a stream must respect before any pixel buffer is allocated.
struct CPngLimits {
    std::uint32_t m_maxWidth = 16384;
    std::uint32_t m_maxHeight = 16384;
    // Largest pixel buffer (the image, or a whole interlaced stream held while it decodes).
    std::uint64_t m_maxPixelBytes = std::uint64_t{400} << 20;
    // Ancillary chunks kept in memory, and the largest one libpng may allocate.
    std::uint32_t m_maxChunkCache = 256;
    std::uint32_t m_maxChunkBytes = 8u << 20;
};

// PNG streams that carry a bitmap of the pixel type: 2 for CMYK with alpha, 1 for the other
// types; an unknown type raises IDS_WIC_FORMAT_UNKNOWN.
unsigned PngStreamCount(std::uint32_t pixelType);

// Decodes one PNG stream into img. img's pixel type (0, 1, 3, 4 or 5), width and height say
// what the stream must hold; its rows are allocated (zeroed, stride padded to 4 bytes) only
// after the stream's header has been checked against them and against the limits. Other
// fields of img are left alone.
// Failures: IDS_WIC_FORMAT_UNKNOWN when the type needs two streams or is unknown, when the stream's
// size differs from img's or a CMYK stream is not 8-bit RGBA; IDS_IMAGE_TOO_LARGE with the size and
// the limit when the image exceeds the limits; IDS_WIC_PIXEL_FORMAT_FAILED with libpng's reason
// when the stream is not a PNG, is damaged or truncated. img's rows are unusable then.
void DecodePng(io::CInputStream& png, CImg& img, const CPngLimits& limits = {});

// Decodes a CMYK bitmap with alpha (pixel type 2) from its two streams, as DecodePng does.
void DecodePngCmykAlpha(io::CInputStream& cmyk, io::CInputStream& alpha, CImg& img,
                        const CPngLimits& limits = {});

} // namespace codec
