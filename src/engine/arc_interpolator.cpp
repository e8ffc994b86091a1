#include "engine/arc_interpolator.h"

#include "common/error.h"
#include "common/message_ids.h"

#include <cmath>

namespace mrv {

bool CArcInterpolator::CanMirrorReturn(const AnimateItemList& items) const {
    return MirrorPossible(items, m_amp);
}

void CArcInterpolator::SetFrame(int index, int count, const CAnimateItem& item) {
    if (std::abs(m_amp) < 1.0) {
        throw my::CException(IDS_ARC_AMPLITUDE_INVALID);
    }
    const double t = TimeOf(index, count, item);
    double r = std::fmod(t, 2.0);
    if (r < 0.0) {
        r += 2.0;
    }
    double w = r;
    m_swap = false;
    if (r > 1.0 && m_roundType == RoundType::Reverse) {
        w = 2.0 - r;
    } else if (r > 1.0 && m_roundType == RoundType::Rotate) {
        // The second half of the loop runs from END back to START on the other side.
        w = r - 1.0;
        m_swap = true;
    }
    // The arc is part of a circle of radius |A| half-chords through START and END: it spans
    // the angle 2 asin(1 / A), so its centre lies sqrt(A^2 - 1) half-chords from the chord's
    // midpoint, on the side the sign of A chooses. A centre anywhere else would make the
    // rotation stop short of END and the animation jump at the last frame.
    const double k = 1.0 / m_amp;
    m_center = std::copysign(0.5 * std::sqrt(m_amp * m_amp - 1.0), m_amp);
    m_theta = 2.0 * std::asin(k);
    m_phi = m_theta * w;
    m_cos = std::cos(m_phi);
    m_sin = std::sin(m_phi);

    const double whole = std::floor(t);
    const double f = t - whole;
    const double chord =
        std::cos(m_theta * (1.0 - f) / 2.0) * std::sin(m_theta * f / 2.0) / std::sin(m_theta / 2.0);
    m_run = chord + whole;
    m_fold = Fold(m_run);
}

my::pointd CArcInterpolator::InterpolatePoint(const my::pointd& start,
                                              const my::pointd& end) const {
    if (start == end) {
        return start;
    }
    if (m_amp == 0.0) {
        return {Lerp(start.x, end.x, m_fold), Lerp(start.y, end.y, m_fold)};
    }
    const my::pointd a = m_swap ? end : start;
    const my::pointd b = m_swap ? start : end;
    const my::pointd mid{(a.x + b.x) * 0.5, (a.y + b.y) * 0.5};
    const my::pointd center{mid.x + m_center * -(b.y - a.y), mid.y + m_center * (b.x - a.x)};
    const my::pointd d{a.x - center.x, a.y - center.y};
    return {center.x + m_cos * d.x - m_sin * d.y, center.y + m_sin * d.x + m_cos * d.y};
}

} // namespace mrv
