// raster::CFillImage: the premultiplied image that a gradation or texture paints over the bounds
// of a shape before it is blended through the shape's coverage; and the gradation painter.
#pragma once

#include "render/vector_renderer.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace raster {

// A rectangle of page pixels, right and bottom exclusive.
struct CRect {
    int m_x0 = 0, m_y0 = 0, m_x1 = 0, m_y1 = 0;

    int Width() const { return m_x1 - m_x0; }
    int Height() const { return m_y1 - m_y0; }
    bool Empty() const { return m_x1 <= m_x0 || m_y1 <= m_y0; }
    CRect Intersect(const CRect& o) const;
};

// Pixels over a page rectangle. RGB images hold one cairo ARGB32 word per pixel, CMYK images
// five bytes C, M, Y, K, A; both premultiplied, all transparent at first.
class CFillImage {
public:
    CFillImage(const CRect& area, bool cmyk);

    const CRect& Area() const { return m_area; }
    bool IsCmyk() const { return m_cmyk; }
    int Channels() const { return m_cmyk ? 5 : 4; }
    std::uint32_t* RgbRow(int row) { return m_rgb.data() + std::size_t(row) * m_area.Width(); }
    std::uint8_t* CmykRow(int row) {
        return m_cmyk5.data() + std::size_t(row) * m_area.Width() * 5;
    }
    const std::uint8_t* CmykRow(int row) const {
        return m_cmyk5.data() + std::size_t(row) * m_area.Width() * 5;
    }
    // Stores a premultiplied pixel given as bytes of the target layout (B, G, R, A or C, M, Y,
    // K, A); Channels must match the image.
    template <int Channels> void Store(int row, int col, const std::uint8_t* px) {
        if constexpr (Channels == 5) {
            std::memcpy(CmykRow(row) + std::size_t(col) * 5, px, 5);
        } else {
            RgbRow(row)[col] = std::uint32_t(px[3]) << 24 | std::uint32_t(px[2]) << 16 |
                               std::uint32_t(px[1]) << 8 | px[0];
        }
    }
    // Stride of an RGB image in bytes, for wrapping it as a cairo surface.
    int RgbStride() const { return m_area.Width() * 4; }

private:
    CRect m_area;
    bool m_cmyk;
    std::vector<std::uint32_t> m_rgb;
    std::vector<std::uint8_t> m_cmyk5;
};

// Coverage of a shape over the area of a fill image, one byte per pixel; pixels of coverage 0
// need no fill. A view without data stands for full coverage.
struct CCoverageView {
    const std::uint8_t* m_data = nullptr;
    int m_stride = 0;

    const std::uint8_t* Row(int row) const {
        return m_data != nullptr ? m_data + std::size_t(row) * m_stride : nullptr;
    }
};

// How the stops of a gradation are read: the stop bytes follow the target's pixel type, which
// has 3 (B, G, R), 4 (B, G, R, A or C, M, Y, K) or 5 (C, M, Y, K, A) channels.
struct CStopLayout {
    bool m_cmyk = false;
    bool m_alpha = true;
};

// Paints a gradation: for the centre (x, y) of every pixel, t = (x cos θ + y sin θ − start) /
// length, held to [0, 1]; the colour is the first stop's below the first position, the last
// stop's at or beyond the last one, else each byte blended linearly between the two stops around
// t and truncated. Stops must be sorted by position and not empty; length must be positive.
// Pixels without coverage are left transparent.
void PaintGradation(CFillImage& image, const std::vector<CGradationStop>& stops, CStopLayout layout,
                    double angleDegrees, double start, double length,
                    const CCoverageView& coverage = {});

} // namespace raster
