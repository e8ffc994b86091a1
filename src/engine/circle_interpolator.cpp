#include "engine/circle_interpolator.h"

#include <cmath>
#include <numbers>

namespace mrv {

bool CCircleInterpolator::CanMirrorReturn(const AnimateItemList& items) const {
    return MirrorPossible(items, m_amp);
}

void CCircleInterpolator::SetFrame(int index, int count, const CAnimateItem& item) {
    const double t = TimeOf(index, count, item);
    const double pi = std::numbers::pi;
    const double whole = std::floor(t);
    m_run = whole + (1.0 - std::cos(pi * (t - whole))) / 2.0;
    m_angle = pi * t;
    m_fold = (1.0 - std::cos(m_angle)) / 2.0;
    m_side = std::sin(m_angle) * m_amp * 0.5;
    // A reversed return trip comes back on the same side it went out on.
    if (m_side < 0.0 && m_roundType == RoundType::Reverse) {
        m_side = -m_side;
    }
}

my::pointd CCircleInterpolator::InterpolatePoint(const my::pointd& start,
                                                 const my::pointd& end) const {
    if (start == end) {
        return start;
    }
    const my::pointd p{Lerp(start.x, end.x, m_fold), Lerp(start.y, end.y, m_fold)};
    if (m_amp == 0.0) {
        return p;
    }
    return {p.x + (end.y - start.y) * m_side, p.y + (start.x - end.x) * m_side};
}

} // namespace mrv
