// Helpers of the raster target tests: render a page through a callback, read pixels back, and
// dump an image as a PAM file when MORVANE_RENDER_DUMP names a folder (for looking at them).
#pragma once

#include "platform/img.h"
#include "render/img_renderer.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

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

// Writes type 0 and 2 images as PAM (RGB_ALPHA; CMYK shown through the plain complement rule).
inline void Dump(const CImg& img, const std::string& name) {
    const char* folder = std::getenv("MORVANE_RENDER_DUMP");
    if (folder == nullptr || *folder == '\0') {
        return;
    }
    const std::string path = std::string(folder) + "/" + name + ".pam";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        return;
    }
    std::fprintf(f, "P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n",
                 img.m_width, img.m_height);
    for (int y = 0; y < img.m_height; ++y) {
        for (int x = 0; x < img.m_width; ++x) {
            const Pixel p = At(img, x, y);
            unsigned char out[4];
            if (img.IsCmyk()) {
                for (int i = 0; i < 3; ++i) {
                    out[i] = static_cast<unsigned char>((255 - p[i]) * (255 - p[3]) / 255);
                }
                out[3] = static_cast<unsigned char>(img.HasAlpha() ? p[4] : 255);
            } else {
                out[0] = static_cast<unsigned char>(p[2]);
                out[1] = static_cast<unsigned char>(p[1]);
                out[2] = static_cast<unsigned char>(p[0]);
                out[3] = static_cast<unsigned char>(img.HasAlpha() ? p[3] : 255);
            }
            std::fwrite(out, 1, 4, f);
        }
    }
    std::fclose(f);
}

} // namespace render_test
