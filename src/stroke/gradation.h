// stroke::CGradationSetting: a fill whose colour runs through colour stops along an angle, with
// the angle arithmetic (quadrant, mirroring) and the colour at a position along the gradient.
#pragma once

#include "stroke/fill_setting.h"

#include <vector>

namespace stroke {

// One colour stop; only enabled stops take part in the gradient.
struct CColorStop {
    bool m_enabled = true;
    CColor m_color;
    double m_position = 0.0; // along the gradient direction

    friend bool operator==(const CColorStop&, const CColorStop&) = default;
};

// The angle brought into [0, 360) degrees (NaN stays NaN).
double NormalizeAngle(double degrees);

class CGradationSetting : public CFillSetting {
public:
    CGradationSetting() = default;

    bool IsEqual(const CFillSetting& other) const override;
    FillPtr Clone() const override;
    double GetAngle() const override { return m_angle; }
    void SetAngle(double angle) override { m_angle = angle; }
    // The quadrant of the normalised angle: 0 below 90, 1 below 180, 2 below 270, else 3.
    std::uint32_t GetFlip() const override;
    // Mirrors the angle so that its quadrant's bits match the flags: a differing bit 0 turns
    // the angle into 180 minus the angle, a differing bit 1 then negates it; the result is
    // stored normalised.
    void SetFlip(std::uint32_t flags) override;
    void Paint(CFillPainter& painter) const override { painter.PaintGradation(*this); }
    std::size_t GetDataSize() const override { return 8 + 24 * m_colors.size(); }
    void CheckSame(const CFillSetting& other) const override;

    // The colour at position t over the enabled stops: a stop exactly at t, else the linear
    // blend of the nearest stops below and above (each value truncated toward zero), else the
    // one stop found on either side, else all zero.
    CColor ColorAt(double t) const;

    double m_angle = 0.0;             // degrees
    std::vector<CColorStop> m_colors; // in stored order
};

} // namespace stroke
