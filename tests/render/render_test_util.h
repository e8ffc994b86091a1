// Helpers of the raster target tests: render a page through a callback and read pixels back.
#pragma once

#include "platform/img.h"
#include "render/img_renderer.h"

#include <array>
#include <functional>

namespace render_test {

using Pixel = std::array<int, 5>;
using Rgba4 = std::array<int, 4>;

inline boost::shared_ptr<CImg> Render(std::uint32_t pixelType, int width, int height,
                                      const std::function<void(raster::CImgRenderer&)>& draw,
                                      std::array<double, 4> rgbaBackground = {1, 1, 1, 1}) {
    raster::CImgRenderer target(pixelType);
    target.SetBackgroundRgb(rgbaBackground[0], rgbaBackground[1], rgbaBackground[2],
                            rgbaBackground[3]);
    target.BeginDocument(u"");
    target.BeginPage(width, height);
    draw(target);
    target.EndDocument();
    target.EndPage();
    return target.TakeImage();
}

// The bytes of a pixel in the image's own order (B, G, R, A or C, M, Y, K, A; the rest 0).
inline Pixel At(const CImg& img, int x, int y) {
    const unsigned bytes = CImg::BitsPerPixel(img.m_pixelType) / 8;
    const std::uint8_t* p = img.Row(y) + std::size_t(x) * bytes;
    Pixel out{0, 0, 0, 0, 0};
    for (unsigned i = 0; i < bytes; ++i) {
        out[i] = p[i];
    }
    return out;
}

// Straight R, G, B, A of a pixel of type 0.
inline Rgba4 Rgba(const CImg& img, int x, int y) {
    const Pixel p = At(img, x, y);
    return {p[2], p[1], p[0], p[3]};
}

} // namespace render_test
