// Colours of the model: stroke::CColor (four 16-bit channels and a 16-bit alpha, as stored in
// stroke files) and my::color (the same five values as reals 0..1, for settings outside a model).
#pragma once

#include "common/error.h"

#include <cstdint>
#include <string>

namespace stroke {

// Index of the colour space of a model: how the four channels of a colour are read.
enum ColorType : std::uint32_t { COLOR_RGB = 0, COLOR_CMYK = 1 };

struct CColor {
    // RGB: red, green, blue, unused (0). CMYK: cyan, magenta, yellow, black.
    std::uint16_t m_channels[4] = {0, 0, 0, 0};
    std::uint16_t m_alpha = 0;

    constexpr CColor() = default;
    constexpr CColor(std::uint16_t c0, std::uint16_t c1, std::uint16_t c2, std::uint16_t c3,
                     std::uint16_t alpha)
        : m_channels{c0, c1, c2, c3}, m_alpha(alpha) {}

    friend constexpr bool operator==(const CColor&, const CColor&) = default;

    // Hands the colour to a drawing target: RGB models call target.SetColorRGB(r, g, b, a),
    // CMYK models target.SetColorCMYK(c, m, y, k, a), every value as a real 0..1.
    template <class Target> void SetBkColorTo(Target& target, std::uint32_t colorType) const {
        constexpr double full = 65535.0;
        switch (colorType) {
        case COLOR_RGB:
            target.SetColorRGB(m_channels[0] / full, m_channels[1] / full, m_channels[2] / full,
                               m_alpha / full);
            return;
        case COLOR_CMYK:
            target.SetColorCMYK(m_channels[0] / full, m_channels[1] / full, m_channels[2] / full,
                                m_channels[3] / full, m_alpha / full);
            return;
        default:
            throw my::InternalError("[stroke::CColor::SetBkColorTo()]\nunknown colorType: " +
                                    std::to_string(colorType));
        }
    }
};

} // namespace stroke

namespace my {

template <class T> struct color {
    T c[4] = {0, 0, 0, 0}; // channels 0..3, read by the ColorType of their owner
    T a = 0;               // alpha

    constexpr color() = default;
    constexpr color(T c0, T c1, T c2, T c3, T alpha) : c{c0, c1, c2, c3}, a(alpha) {}
    explicit constexpr color(const stroke::CColor& s)
        : c{s.m_channels[0] / T(65535), s.m_channels[1] / T(65535), s.m_channels[2] / T(65535),
            s.m_channels[3] / T(65535)},
          a(s.m_alpha / T(65535)) {}

    friend constexpr bool operator==(const color&, const color&) = default;
};

using colord = color<double>;

} // namespace my
