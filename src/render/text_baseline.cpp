#include "render/text_baseline.h"

#include "stroke/line_part.h"
#include "stroke/line_point.h"

#include <algorithm>
#include <cmath>

namespace stroke {

namespace {

// Steps shorter than this share of the coordinates are rounding noise.
constexpr double kNoise = 1e-9;

bool IsFinite(const my::pointd& p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

double Norm(const my::pointd& v) {
    return std::hypot(v.x, v.y);
}

my::pointd Unit(const my::pointd& v) {
    const double length = Norm(v);
    return length > 0 && std::isfinite(length) ? v / length : my::pointd{};
}

my::pointd Bezier(const my::pointd& p0, const my::pointd& c1, const my::pointd& c2,
                  const my::pointd& p3, double t) {
    const double u = 1.0 - t;
    return p0 * (u * u * u) + c1 * (3.0 * u * u * t) + c2 * (3.0 * u * t * t) + p3 * (t * t * t);
}

} // namespace

CTextBaseline::CTextBaseline(const CLinePart& part, const my::pointd& fallbackDirection)
    : m_fallback(fallbackDirection) {
    const auto& points = part.m_points;
    const std::size_t count = points.size();
    const bool usable = count >= 2 && std::all_of(points.begin(), points.end(),
                                                  [](const auto& p) { return p != nullptr; });
    if (usable) {
        const std::size_t segments = part.IsClosed() ? count : count - 1;
        Add(points[0]->Position());
        for (std::size_t i = 0; i < segments; ++i) {
            const CLinePoint& from = *points[i];
            const CLinePoint& to = *points[(i + 1) % count];
            const my::pointd p0 = from.Position();
            const my::pointd c1 = from.OutHandle();
            const my::pointd c2 = to.InHandle();
            const my::pointd p3 = to.Position();
            for (int k = 1; k < kSteps; ++k) {
                Add(Bezier(p0, c1, c2, p3, static_cast<double>(k) / kSteps));
            }
            // Exactly on the point, even when a handle of the segment is not finite.
            Add(p3);
        }
    } else if (count >= 1 && points[0]) {
        Add(points[0]->Position());
    }
    if (m_points.empty()) {
        m_points.push_back({0.0, 0.0});
        m_lengths.push_back(0.0);
    }
}

void CTextBaseline::Add(const my::pointd& p) {
    if (!IsFinite(p)) {
        return;
    }
    if (m_points.empty()) {
        m_points.push_back(p);
        m_lengths.push_back(0.0);
        return;
    }
    // Steps of no length carry no direction, and neither do the steps of rounding noise that
    // a segment between points at one position makes; a step whose length overflows would
    // leave the table without a usable end.
    const my::pointd& last = m_points.back();
    const double noise = kNoise * std::max({1.0, std::fabs(last.x), std::fabs(last.y)});
    const double step = Norm(p - last);
    const double length = m_lengths.back() + step;
    if (step > noise && std::isfinite(length)) {
        m_points.push_back(p);
        m_lengths.push_back(length);
    }
}

my::pointd CTextBaseline::StepDirection(std::size_t step) const {
    return Unit(m_points[step + 1] - m_points[step]);
}

CBaselinePoint CTextBaseline::At(double s) const {
    if (std::isnan(s)) {
        s = 0.0;
    }
    const std::size_t last = m_points.size() - 1;
    if (last == 0) {
        return {m_points[0] + m_fallback * s, m_fallback};
    }
    if (s <= 0.0) {
        const my::pointd direction = StepDirection(0);
        return {m_points[0] + direction * s, direction};
    }
    if (s >= m_lengths[last]) {
        const my::pointd direction = StepDirection(last - 1);
        return {m_points[last] + direction * (s - m_lengths[last]), direction};
    }
    // The step [i, i + 1] with lengths[i] <= s < lengths[i + 1].
    const auto above = std::upper_bound(m_lengths.begin(), m_lengths.end(), s);
    const auto i = static_cast<std::size_t>(above - m_lengths.begin()) - 1;
    const double f = (s - m_lengths[i]) / (m_lengths[i + 1] - m_lengths[i]);
    const my::pointd point = m_points[i] + (m_points[i + 1] - m_points[i]) * f;
    return {point, StepDirection(i)};
}

my::pointd CTextBaseline::ChordDirection(const CLinePart& part) {
    if (part.m_points.empty() || !part.m_points.front() || !part.m_points.back()) {
        return {};
    }
    const my::pointd chord = part.m_points.back()->Position() - part.m_points.front()->Position();
    return IsFinite(chord) ? Unit(chord) : my::pointd{};
}

} // namespace stroke
