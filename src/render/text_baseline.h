// CTextBaseline: the line part a text runs along, sampled once into a polyline with cumulative
// arc lengths, so that characters can be placed by their distance from the baseline's start.
#pragma once

#include "common/point.h"

#include <cstddef>
#include <vector>

namespace stroke {

class CLinePart;

// A place on the baseline and the unit direction of travel there.
struct CBaselinePoint {
    my::pointd point;
    my::pointd direction;
};

class CTextBaseline {
public:
    // Parameter steps per Bezier segment.
    static constexpr int kSteps = 100;

    // Samples every Bezier segment of the part (point i to point i + 1 with the outgoing handle
    // of i and the incoming handle of i + 1; a closed part also from its last point back to the
    // first). fallbackDirection is the direction of travel of a baseline without length (fewer
    // than two points, or all at one position): the text then runs straight from the part's
    // first point, or from (0, 0) when the part has no points. Samples that are not finite are
    // left out, so a bad point shortens the baseline instead of poisoning every position.
    CTextBaseline(const CLinePart& part, const my::pointd& fallbackDirection);

    double Length() const { return m_lengths.back(); }

    // The point at arc length s with the unit direction between the two samples around it.
    // Beyond the end the baseline goes on straight along its last direction; before the start
    // (a negative s, from a character that reaches left of the pen at the start of a line) it
    // goes back straight along its first direction. NaN reads as 0.
    CBaselinePoint At(double s) const;

    // The unit vector from the part's first point to its last, or (0, 0) when they coincide,
    // are missing or are not finite.
    static my::pointd ChordDirection(const CLinePart& part);

private:
    void Add(const my::pointd& p);
    my::pointd StepDirection(std::size_t step) const;

    std::vector<my::pointd> m_points; // one sample per entry, no two equal in a row
    std::vector<double> m_lengths;    // strictly increasing, starting at 0
    my::pointd m_fallback;
};

} // namespace stroke
