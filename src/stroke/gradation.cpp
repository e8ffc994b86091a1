#include "stroke/gradation.h"

#include "stroke/check_same.h"

#include <cmath>
#include <typeinfo>

namespace stroke {

double NormalizeAngle(double degrees) {
    // fmod instead of repeated steps of 360, so that huge angles cannot loop for long.
    double angle = std::fmod(degrees, 360.0);
    if (angle < 0.0) {
        angle += 360.0;
    }
    // A tiny negative angle plus 360 rounds to 360 itself.
    return angle >= 360.0 ? 0.0 : angle;
}

bool CGradationSetting::IsEqual(const CFillSetting& other) const {
    if (typeid(other) != typeid(*this)) {
        return false;
    }
    const auto& o = static_cast<const CGradationSetting&>(other);
    return m_angle == o.m_angle && m_colors == o.m_colors;
}

FillPtr CGradationSetting::Clone() const {
    return FillPtr(new CGradationSetting(*this));
}

std::uint32_t CGradationSetting::GetFlip() const {
    const double angle = NormalizeAngle(m_angle);
    if (angle < 90.0) {
        return 0;
    }
    if (angle < 180.0) {
        return 1;
    }
    if (angle < 270.0) {
        return 2;
    }
    return 3;
}

void CGradationSetting::SetFlip(std::uint32_t flags) {
    const std::uint32_t quadrant = GetFlip();
    double angle = m_angle;
    if ((flags & 1) != (quadrant & 1)) {
        angle = 180.0 - angle;
    }
    if ((flags & 2) != (quadrant & 2)) {
        angle = -angle;
    }
    m_angle = NormalizeAngle(angle);
}

void CGradationSetting::CheckSame(const CFillSetting& other) const {
    CheckClass(other);
    const auto& o = static_cast<const CGradationSetting&>(other);
    detail::CheckField(m_angle, o.m_angle, "stroke::CGradationSetting::m_angle");
    detail::CheckField(m_colors, o.m_colors, "stroke::CGradationSetting::m_colors");
}

CColor CGradationSetting::ColorAt(double t) const {
    const CColorStop* below = nullptr;
    const CColorStop* above = nullptr;
    for (const CColorStop& stop : m_colors) {
        if (!stop.m_enabled) {
            continue;
        }
        if (stop.m_position == t) {
            return stop.m_color;
        }
        // Strict comparisons keep the first of equal positions.
        if (stop.m_position < t && (!below || stop.m_position > below->m_position)) {
            below = &stop;
        } else if (stop.m_position > t && (!above || stop.m_position < above->m_position)) {
            above = &stop;
        }
    }
    if (below && above) {
        const double span = above->m_position - below->m_position;
        const double wBelow = above->m_position - t;
        const double wAbove = t - below->m_position;
        auto blend = [&](std::uint16_t lo, std::uint16_t hi) {
            const double v = std::trunc((hi * wAbove + lo * wBelow) / span);
            // Positions near the limits of double can overflow the weights; keep the cast
            // defined.
            if (!(v >= 0.0)) {
                return std::uint16_t{0};
            }
            return v > 65535.0 ? std::uint16_t{65535} : static_cast<std::uint16_t>(v);
        };
        CColor c;
        for (int i = 0; i < 4; ++i) {
            c.m_channels[i] = blend(below->m_color.m_channels[i], above->m_color.m_channels[i]);
        }
        c.m_alpha = blend(below->m_color.m_alpha, above->m_color.m_alpha);
        return c;
    }
    if (below) {
        return below->m_color;
    }
    if (above) {
        return above->m_color;
    }
    return CColor{};
}

} // namespace stroke
