// Byte arithmetic of the raster target: colour values to bytes, premultiplication, and the plain
// conversions between RGB and CMYK used when a colour or texture does not match the target.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace raster {

// A real 0..1 as a byte: trunc(value · 255 + 0.5); values outside 0..1 and NaN are clamped first.
inline std::uint8_t ToByte(double value) {
    if (!(value > 0.0)) {
        return 0;
    }
    if (value >= 1.0) {
        return 255;
    }
    return static_cast<std::uint8_t>(value * 255.0 + 0.5);
}

// round(v / 255) for v in 0..65025.
inline std::uint32_t Div255(std::uint32_t v) {
    return (v + 128 + ((v + 128) >> 8)) >> 8;
}

inline std::uint8_t Premultiply(std::uint8_t c, std::uint8_t a) {
    return static_cast<std::uint8_t>(Div255(std::uint32_t(c) * a));
}

// The straight value of a premultiplied one, rounded; 0 when the alpha is 0.
inline std::uint8_t Unpremultiply(std::uint8_t c, std::uint8_t a) {
    if (a == 0) {
        return 0;
    }
    return static_cast<std::uint8_t>(std::min<std::uint32_t>(255, (c * 255u + a / 2) / a));
}

// A pixel of a cairo ARGB32 surface: one native-endian word 0xAARRGGBB, premultiplied.
inline std::uint32_t PackArgb(std::uint8_t a, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return std::uint32_t(a) << 24 | std::uint32_t(r) << 16 | std::uint32_t(g) << 8 | b;
}

// Colour values of one space read in the other, without a colour profile: the complement rule
// with the black generated from the darkest channel, and back.
inline void RgbToCmyk(const double rgb[3], double cmyk[4]) {
    const double r = std::clamp(rgb[0], 0.0, 1.0), g = std::clamp(rgb[1], 0.0, 1.0),
                 b = std::clamp(rgb[2], 0.0, 1.0);
    const double k = 1.0 - std::max({r, g, b});
    if (k >= 1.0) {
        cmyk[0] = cmyk[1] = cmyk[2] = 0.0;
    } else {
        cmyk[0] = (1.0 - r - k) / (1.0 - k);
        cmyk[1] = (1.0 - g - k) / (1.0 - k);
        cmyk[2] = (1.0 - b - k) / (1.0 - k);
    }
    cmyk[3] = k;
}

inline void CmykToRgb(const double cmyk[4], double rgb[3]) {
    const double k = std::clamp(cmyk[3], 0.0, 1.0);
    for (int i = 0; i < 3; ++i) {
        rgb[i] = (1.0 - std::clamp(cmyk[i], 0.0, 1.0)) * (1.0 - k);
    }
}

// A colour as the bytes of a target layout: B, G, R, A for RGB targets, C, M, Y, K, A for CMYK
// targets. The colour is RGB (channels 0..2) or CMYK (0..3) as cmykColor says.
struct CColorBytes {
    std::uint8_t m_v[5] = {0, 0, 0, 0, 0};

    static CColorBytes From(const double color[4], bool cmykColor, double alpha, bool cmykTarget) {
        CColorBytes out;
        if (cmykTarget) {
            double cmyk[4] = {color[0], color[1], color[2], color[3]};
            if (!cmykColor) {
                RgbToCmyk(color, cmyk);
            }
            for (int i = 0; i < 4; ++i) {
                out.m_v[i] = ToByte(cmyk[i]);
            }
            out.m_v[4] = ToByte(alpha);
        } else {
            double rgb[3] = {color[0], color[1], color[2]};
            if (cmykColor) {
                CmykToRgb(color, rgb);
            }
            out.m_v[0] = ToByte(rgb[2]);
            out.m_v[1] = ToByte(rgb[1]);
            out.m_v[2] = ToByte(rgb[0]);
            out.m_v[3] = ToByte(alpha);
        }
        return out;
    }
    std::uint8_t Alpha(bool cmykTarget) const { return m_v[cmykTarget ? 4 : 3]; }
};

} // namespace raster
