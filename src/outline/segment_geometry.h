// One Bezier segment of a run together with its widths: the centre curve, the half width
// spread linearly along the arc length, and the two offset sides fitted with cubic pieces.
#pragma once

#include "outline/cubic.h"
#include "outline/figure.h"
#include "outline/sample_table.h"

#include <cstddef>

namespace outline {

// Side +1 (A) lies along the normal made by turning the direction of travel a quarter turn
// from +y towards +x (to the right when y points up); side -1 (B) opposite. A figure that goes
// forward along A and back along B turns positively.
class SegmentGeometry {
public:
    // halfStart and halfEnd are the half widths at the segment's points (already >= 0);
    // between them the half width follows the run's cumulative length from the sample table,
    // or the parameter on a loop between two points at one position (which adds no length).
    SegmentGeometry(const Cubic& curve, double halfStart, double halfEnd, const SampleTable& table,
                    std::size_t segment);

    const Cubic& Curve() const { return m_curve; }
    double HalfStart() const { return m_halfStart; }
    double HalfEnd() const { return m_halfEnd; }
    double HalfWidth(double t) const;
    // Unit tangent; at t = 0 and t = 1 exactly the end tangents of the curve.
    Point Tangent(double t) const;
    // The side-A normal at t.
    Point Normal(double t) const;
    Point Side(int side, double t) const {
        return m_curve.At(t) + Normal(t) * (side * HalfWidth(t));
    }
    // A derivative no longer than this counts as none.
    double Tiny() const { return m_tiny; }
    // The centre at t = s / kSamplesPerSegment, s = 0 ... kSamplesPerSegment, from the samples.
    Point SampleAt(int s) const;

    // Adds both offset sides between t0 and t1 to their paths as cubic pieces that stay within
    // tolerance of them. The paths must stand at Side(1, t0) and Side(-1, t0).
    void FitSides(double t0, double t1, double tolerance, Path& sideA, Path& sideB) const;

private:
    // The centre at one parameter, with what the two sides are made of.
    struct Section {
        double t = 0.0;
        Point centre;
        Point tangent;
        Point normal;
        double half = 0.0;
        Point velocity;      // derivative of the centre by t; (0, 0) where it has none
        Point turn;          // derivative of the normal by t
        double growth = 0.0; // derivative of the half width by t
    };
    Section SectionAt(double t, bool derivatives) const;
    void FitPieces(const Section& s0, const Section& s1, bool fitA, bool fitB, double tolerance,
                   int depth, Path& sideA, Path& sideB) const;

    Cubic m_curve;
    double m_halfStart;
    double m_halfEnd;
    const SampleTable& m_table;
    std::size_t m_segment;
    double m_startLength;
    double m_length;
    double m_tiny; // a derivative below this counts as none
};

} // namespace outline
