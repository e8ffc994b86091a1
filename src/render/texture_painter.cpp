#include "render/texture_painter.h"

#include "common/error.h"
#include "common/message_ids.h"
#include "platform/img.h"
#include "render/pixel_math.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace raster {
namespace {

// Working copies beyond this are refused rather than allocated.
constexpr std::size_t kMaxTexelBytes = std::size_t{1} << 31;
constexpr std::size_t kCacheSize = 4;

// One source pixel as straight bytes of its own space.
struct CSourcePixel {
    std::uint8_t m_c[4]; // R, G, B or C, M, Y, K
    std::uint8_t m_a;
    bool m_cmyk;
};

CSourcePixel ReadPixel(const CImg& image, const std::uint8_t* row, int x) {
    switch (image.m_pixelType) {
    case CImg::PIXEL_BGRA32: {
        const std::uint8_t* p = row + std::size_t(x) * 4;
        return {{p[2], p[1], p[0], 0}, p[3], false};
    }
    case CImg::PIXEL_BGR24: {
        const std::uint8_t* p = row + std::size_t(x) * 3;
        return {{p[2], p[1], p[0], 0}, 255, false};
    }
    case CImg::PIXEL_CMYKA40: {
        const std::uint8_t* p = row + std::size_t(x) * 5;
        return {{p[0], p[1], p[2], p[3]}, p[4], true};
    }
    case CImg::PIXEL_CMYK32: {
        const std::uint8_t* p = row + std::size_t(x) * 4;
        return {{p[0], p[1], p[2], p[3]}, 255, true};
    }
    case CImg::PIXEL_GREY8:
        return {{row[x], row[x], row[x], 0}, 255, false};
    default: { // 1 bit per pixel, most significant bit first; a set bit is white
        const std::uint8_t v = (row[x >> 3] >> (7 - (x & 7))) & 1 ? 255 : 0;
        return {{v, v, v, 0}, 255, false};
    }
    }
}

// Straight bytes of the target layout (B, G, R or C, M, Y, K) from a source pixel.
void ToLayout(const CSourcePixel& s, bool cmyk, std::uint8_t out[4]) {
    if (cmyk == s.m_cmyk) {
        if (cmyk) {
            std::copy(s.m_c, s.m_c + 4, out);
        } else {
            out[0] = s.m_c[2];
            out[1] = s.m_c[1];
            out[2] = s.m_c[0];
        }
    } else if (cmyk) {
        const std::uint8_t k = 255 - std::max({s.m_c[0], s.m_c[1], s.m_c[2]});
        for (int i = 0; i < 3; ++i) {
            out[i] = k == 255 ? 0
                              : static_cast<std::uint8_t>(
                                    ((255 - s.m_c[i] - k) * 255 + (255 - k) / 2) / (255 - k));
        }
        out[3] = k;
    } else {
        for (int i = 0; i < 3; ++i) {
            out[2 - i] = static_cast<std::uint8_t>(Div255((255u - s.m_c[i]) * (255u - s.m_c[3])));
        }
    }
}

std::string RateText(double rate) {
    char text[64];
    std::snprintf(text, sizeof text, "%g", rate);
    return text;
}

} // namespace

CTexels ConvertTexture(const CImg& image, bool cmyk) {
    const unsigned bits = CImg::BitsPerPixel(image.m_pixelType);
    if (bits == 0 || image.m_width < 0 || image.m_height < 0) {
        throw my::CException(IDS_IMAGE_FORMAT_UNSUPPORTED);
    }
    CTexels out;
    out.m_channels = cmyk ? 5 : 4;
    if (image.m_width == 0 || image.m_height == 0) {
        return out;
    }
    const std::size_t minStride = CImg::StrideOf(image.m_pixelType, image.m_width);
    const std::size_t pixels = std::size_t(image.m_width) * std::size_t(image.m_height);
    if (image.m_stride < minStride ||
        image.m_bits.size() / image.m_stride < std::size_t(image.m_height) ||
        pixels > kMaxTexelBytes / std::size_t(out.m_channels)) {
        throw my::CException(IDS_IMAGE_FORMAT_UNSUPPORTED);
    }
    out.m_width = image.m_width;
    out.m_height = image.m_height;
    out.m_bytes.resize(pixels * std::size_t(out.m_channels));
    std::uint8_t* d = out.m_bytes.data();
    const int colors = out.m_channels - 1;
    for (int y = 0; y < image.m_height; ++y) {
        const std::uint8_t* row = image.Row(y);
        for (int x = 0; x < image.m_width; ++x, d += out.m_channels) {
            const CSourcePixel s = ReadPixel(image, row, x);
            std::uint8_t straight[4];
            ToLayout(s, cmyk, straight);
            for (int i = 0; i < colors; ++i) {
                d[i] = Premultiply(straight[i], s.m_a);
            }
            d[colors] = s.m_a;
        }
    }
    return out;
}

CTexels ReduceTexture(const CTexels& texels, int factorX, int factorY) {
    CTexels out;
    out.m_channels = texels.m_channels;
    out.m_factorX = texels.m_factorX * factorX;
    out.m_factorY = texels.m_factorY * factorY;
    out.m_width = (texels.m_width + factorX - 1) / factorX;
    out.m_height = (texels.m_height + factorY - 1) / factorY;
    out.m_bytes.resize(std::size_t(out.m_width) * out.m_height * out.m_channels);
    std::vector<std::uint64_t> sums(std::size_t(out.m_width) * out.m_channels);
    for (int oy = 0; oy < out.m_height; ++oy) {
        std::fill(sums.begin(), sums.end(), 0);
        const int y0 = oy * factorY;
        const int y1 = std::min(texels.m_height, y0 + factorY);
        for (int y = y0; y < y1; ++y) {
            const std::uint8_t* s = texels.At(0, y);
            for (int x = 0; x < texels.m_width; ++x) {
                std::uint64_t* sum = sums.data() + std::size_t(x / factorX) * out.m_channels;
                for (int i = 0; i < out.m_channels; ++i) {
                    sum[i] += *s++;
                }
            }
        }
        std::uint8_t* d = out.m_bytes.data() + std::size_t(oy) * out.m_width * out.m_channels;
        for (int ox = 0; ox < out.m_width; ++ox) {
            const int x0 = ox * factorX;
            const std::uint64_t count =
                std::uint64_t(std::min(texels.m_width, x0 + factorX) - x0) * (y1 - y0);
            for (int i = 0; i < out.m_channels; ++i) {
                *d++ = static_cast<std::uint8_t>(
                    (sums[std::size_t(ox) * out.m_channels + i] + count / 2) / count);
            }
        }
    }
    return out;
}

const CTexels& CTexturePainter::Texels(const boost::shared_ptr<CImg>& image, bool cmyk, int factorX,
                                       int factorY) {
    for (std::size_t i = 0; i < m_cache.size(); ++i) {
        const CEntry& e = m_cache[i];
        if (e.m_image == image && e.m_cmyk == cmyk && e.m_texels.m_factorX == factorX &&
            e.m_texels.m_factorY == factorY) {
            std::rotate(m_cache.begin() + i, m_cache.begin() + i + 1, m_cache.end());
            return m_cache.back().m_texels;
        }
    }
    CEntry entry{image, cmyk, ConvertTexture(*image, cmyk)};
    if ((factorX > 1 || factorY > 1) && entry.m_texels.m_width > 0) {
        entry.m_texels = ReduceTexture(entry.m_texels, factorX, factorY);
    }
    if (m_cache.size() == kCacheSize) {
        m_cache.erase(m_cache.begin());
    }
    m_cache.push_back(std::move(entry));
    return m_cache.back().m_texels;
}

void CTexturePainter::Paint(CFillImage& image, const CTextureParam& texture, const CRect& shape,
                            const CCoverageView& coverage) {
    if (!texture.m_image || !(texture.m_alpha > 0.0)) {
        return;
    }
    for (double rate : {texture.m_rateX, texture.m_rateY}) {
        if (!(rate > 0.0)) {
            throw my::CException(IDS_IMAGE_RATE_INVALID, RateText(rate));
        }
    }
    const CImg& source = *texture.m_image;
    if (CImg::BitsPerPixel(source.m_pixelType) == 0) {
        throw my::CException(IDS_IMAGE_FORMAT_UNSUPPORTED);
    }
    if (source.m_width <= 0 || source.m_height <= 0) {
        return;
    }
    const double w = source.m_width, h = source.m_height;

    // Fit to the shape's bounds, then the rates.
    double fitX = 1.0, fitY = 1.0;
    switch (texture.m_fitType) {
    case CTextureParam::FIT_WIDTH:
        fitX = fitY = shape.Width() / w;
        break;
    case CTextureParam::FIT_HEIGHT:
        fitX = fitY = shape.Height() / h;
        break;
    case CTextureParam::FIT_STRETCH:
        fitX = shape.Width() / w;
        fitY = shape.Height() / h;
        break;
    default:
        break;
    }
    const double sx = fitX * texture.m_rateX, sy = fitY * texture.m_rateY;
    if (!std::isfinite(sx) || !std::isfinite(sy) || !(sx > 0.0) || !(sy > 0.0)) {
        return;
    }
    // Below half size the image is first averaged down by whole factors, so that every source
    // texel contributes instead of a sparse sampling of them.
    auto factor = [](double scale, int size) {
        if (scale >= 0.5) {
            return 1;
        }
        const double f = 1.0 / scale;
        return f >= size ? size : static_cast<int>(f);
    };
    const CTexels& texels = Texels(texture.m_image, image.IsCmyk(), factor(sx, source.m_width),
                                   factor(sy, source.m_height));
    if (texels.m_width == 0) {
        return;
    }

    // Inverse of: mirror, scale, rotate about the centre of the scaled image, move to the shape's
    // corner plus the offset. It maps a page position to a position of the reduced texels.
    const double theta =
        std::isfinite(texture.m_angle) ? texture.m_angle * std::numbers::pi / 180.0 : 0.0;
    const double cosT = std::cos(theta), sinT = std::sin(theta);
    const double cx = sx * w / 2, cy = sy * h / 2;
    const bool flipH = texture.m_flip & CTextureParam::FLIP_HORIZONTAL;
    const bool flipV = texture.m_flip & CTextureParam::FLIP_VERTICAL;
    auto toImage = [&](double px, double py, double& u, double& v) {
        const double ax = px - shape.m_x0 - texture.m_offsetX - cx;
        const double ay = py - shape.m_y0 - texture.m_offsetY - cy;
        u = (cx + cosT * ax + sinT * ay) / sx;
        v = (cy - sinT * ax + cosT * ay) / sy;
        if (flipH) {
            u = w - u;
        }
        if (flipV) {
            v = h - v;
        }
    };
    // The map is affine: one origin and two steps per pixel centre.
    const CRect& area = image.Area();
    double u0, v0, u1, v1, u2, v2;
    toImage(area.m_x0 + 0.5, area.m_y0 + 0.5, u0, v0);
    toImage(area.m_x0 + 1.5, area.m_y0 + 0.5, u1, v1);
    toImage(area.m_x0 + 0.5, area.m_y0 + 1.5, u2, v2);
    const double dux = u1 - u0, dvx = v1 - v0, duy = u2 - u0, dvy = v2 - v0;

    const int channels = texels.m_channels;
    const std::uint32_t alphaScale =
        static_cast<std::uint32_t>(std::min(texture.m_alpha, 1.0) * 65536.0 + 0.5);
    const int lastX = texels.m_width - 1, lastY = texels.m_height - 1;
    for (int row = 0; row < area.Height(); ++row) {
        const std::uint8_t* covered = coverage.Row(row);
        for (int col = 0; col < area.Width(); ++col) {
            if (covered != nullptr && covered[col] == 0) {
                continue;
            }
            const double u = u0 + dux * col + duy * row;
            const double v = v0 + dvx * col + dvy * row;
            // Outside the image (or not a number) the fill stays transparent.
            if (!(u >= 0.0 && u < w && v >= 0.0 && v < h)) {
                continue;
            }
            // Bilinear between the four nearest texel centres (at half-integer positions);
            // the outermost texels reach up to the image's edge.
            const double s = u / texels.m_factorX - 0.5, t = v / texels.m_factorY - 0.5;
            const double fs = std::floor(s), ft = std::floor(t);
            const int ix = static_cast<int>(fs), iy = static_cast<int>(ft);
            const std::uint32_t wx = static_cast<std::uint32_t>((s - fs) * 256.0 + 0.5);
            const std::uint32_t wy = static_cast<std::uint32_t>((t - ft) * 256.0 + 0.5);
            const int x0 = std::clamp(ix, 0, lastX), x1 = std::clamp(ix + 1, 0, lastX);
            const int y0 = std::clamp(iy, 0, lastY), y1 = std::clamp(iy + 1, 0, lastY);
            const std::uint8_t* p00 = texels.At(x0, y0);
            const std::uint8_t* p10 = texels.At(x1, y0);
            const std::uint8_t* p01 = texels.At(x0, y1);
            const std::uint8_t* p11 = texels.At(x1, y1);
            const std::uint32_t w00 = (256 - wx) * (256 - wy), w10 = wx * (256 - wy),
                                w01 = (256 - wx) * wy, w11 = wx * wy;
            std::uint8_t px[5];
            for (int i = 0; i < channels; ++i) {
                const std::uint32_t c =
                    (p00[i] * w00 + p10[i] * w10 + p01[i] * w01 + p11[i] * w11 + 32768) >> 16;
                px[i] = static_cast<std::uint8_t>((c * alphaScale + 32768) >> 16);
            }
            if (channels == 5) {
                image.Store<5>(row, col, px);
            } else {
                image.Store<4>(row, col, px);
            }
        }
    }
}

} // namespace raster
