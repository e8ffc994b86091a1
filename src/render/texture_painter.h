// raster::CTexturePainter: lays a texture image into a fill image (mirror, scale, rotate, offset,
// alpha), sampling every pixel of the fill image from the image; keeps converted images cached.
#pragma once

#include "render/fill_image.h"
#include "render/vector_renderer.h"

#include <boost/shared_ptr.hpp>
#include <cstdint>
#include <vector>

namespace raster {

// A texture in the working layout of a target, premultiplied: 4 bytes B, G, R, A or 5 bytes
// C, M, Y, K, A per texel, rows packed. Each texel stands for factorX × factorY texels of the
// original image (1 × 1 unless the image was reduced).
struct CTexels {
    int m_width = 0;
    int m_height = 0;
    int m_channels = 4;
    int m_factorX = 1;
    int m_factorY = 1;
    std::vector<std::uint8_t> m_bytes;

    const std::uint8_t* At(int x, int y) const {
        return m_bytes.data() + (std::size_t(y) * m_width + x) * m_channels;
    }
};

// Reads an image of any pixel type into the working layout (RGB images into a CMYK layout and
// back by the plain complement rule; grey and 1-bit images as grey levels). Raises
// IDS_IMAGE_FORMAT_UNSUPPORTED for an unknown pixel type or pixel bytes that do not match the
// image's size.
CTexels ConvertTexture(const CImg& image, bool cmyk);
// Averages boxes of factorX × factorY texels (the boxes at the right and bottom edges may be
// partial) into one texel each.
CTexels ReduceTexture(const CTexels& texels, int factorX, int factorY);

class CTexturePainter {
public:
    // Paints the texture into image. shape is the bounds of the shape the fill belongs to (the
    // fit types and offsets refer to it; the image may cover only a part of it). Raises
    // IDS_IMAGE_RATE_INVALID when a rate is not above 0. An alpha of 0 or below leaves the image
    // transparent, and so do pixels without coverage.
    void Paint(CFillImage& image, const CTextureParam& texture, const CRect& shape,
               const CCoverageView& coverage = {});

private:
    const CTexels& Texels(const boost::shared_ptr<CImg>& image, bool cmyk, int factorX,
                          int factorY);

    struct CEntry {
        boost::shared_ptr<CImg> m_image; // held, so that the address is not reused
        bool m_cmyk = false;
        CTexels m_texels;
    };
    std::vector<CEntry> m_cache; // most recently used last
};

} // namespace raster
