// mrv::CArcInterpolator: positions move along a circular arc through START and END whose bulge
// the amplitude sets (a half circle at amplitude 1); every other value follows the moving
// point's projection onto the chord.
#pragma once

#include "engine/interpolator.h"

namespace mrv {

class CArcInterpolator : public CInterpolator {
public:
    explicit CArcInterpolator(double amp = 1.0) : m_amp(amp) {}

    bool CanMirrorReturn(const AnimateItemList& items) const override;
    // Raises the arc amplitude message when |amplitude| < 1.
    void SetFrame(int index, int count, const CAnimateItem& item) override;
    my::pointd InterpolatePoint(const my::pointd& start, const my::pointd& end) const override;

    bool m_swap = false; // START and END exchanged (second half of a rotated loop)
    double m_amp = 1.0;
    double m_phi = 0.0;   // rotation of the current frame
    double m_theta = 0.0; // angle of the whole arc
    double m_cos = 1.0;
    double m_sin = 0.0;
    double m_center = 0.0; // centre offset from the chord's midpoint, per unit of the chord
};

} // namespace mrv
