// mrv::CCircleInterpolator: values move with cosine easing; with an amplitude, positions leave
// the straight segment sideways and run on an ellipse whose one axis is START -> END (a circle
// at amplitude 1), closing the loop on a rotated return trip.
#pragma once

#include "engine/interpolator.h"

namespace mrv {

class CCircleInterpolator : public CInterpolator {
public:
    explicit CCircleInterpolator(double amp) : m_amp(amp) {}

    bool CanMirrorReturn(const AnimateItemList& items) const override;
    void SetFrame(int index, int count, const CAnimateItem& item) override;
    my::pointd InterpolatePoint(const my::pointd& start, const my::pointd& end) const override;

    double m_amp = 0.0;
    double m_angle = 0.0; // pi * t
    double m_side = 0.0;  // sideways displacement per unit of the segment
};

} // namespace mrv
