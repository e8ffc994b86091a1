#include "outline/segment_geometry.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace outline {

namespace {

constexpr int kMaxFitDepth = 10;
// Parameters (within a piece) where a fitted cubic is matched and then checked.
constexpr std::array<double, 5> kFitAt = {1 / 6.0, 2 / 6.0, 3 / 6.0, 4 / 6.0, 5 / 6.0};
constexpr std::array<double, 6> kCheckAt = {1 / 12.0, 3 / 12.0, 5 / 12.0,
                                            7 / 12.0, 9 / 12.0, 11 / 12.0};

struct Bernstein {
    double b0, b1, b2, b3;
    explicit Bernstein(double t) {
        const double u = 1.0 - t;
        b0 = u * u * u;
        b1 = 3.0 * u * u * t;
        b2 = 3.0 * u * t * t;
        b3 = t * t * t;
    }
};

} // namespace

SegmentGeometry::SegmentGeometry(const Cubic& curve, double halfStart, double halfEnd,
                                 const SampleTable& table, std::size_t segment)
    : m_curve(curve), m_halfStart(halfStart), m_halfEnd(halfEnd), m_table(table),
      m_segment(segment), m_startLength(table.StartLength(segment)),
      m_length(table.EndLength(segment) - table.StartLength(segment)),
      m_tiny(curve.HullLength() * 1e-9) {}

double SegmentGeometry::HalfWidth(double t) const {
    if (t <= 0.0) {
        return m_halfStart;
    }
    if (t >= 1.0) {
        return m_halfEnd;
    }
    const double along =
        m_length > 0.0 ? (m_table.LengthAt(m_segment, t) - m_startLength) / m_length : t;
    return m_halfStart + (m_halfEnd - m_halfStart) * along;
}

Point SegmentGeometry::Tangent(double t) const {
    if (t <= 0.0) {
        return m_curve.StartTangent();
    }
    if (t >= 1.0) {
        return m_curve.EndTangent();
    }
    return m_curve.TangentAt(t, m_tiny);
}

Point SegmentGeometry::Normal(double t) const {
    return RightNormal(Tangent(t));
}

Point SegmentGeometry::SampleAt(int s) const {
    if (m_length == 0.0) {
        // A loop between two points at one position has no samples of its own.
        return m_curve.At(static_cast<double>(s) / kSamplesPerSegment);
    }
    return s == 0 ? m_curve.p0 : m_table.samples[m_segment * kSamplesPerSegment + s - 1].pos;
}

SegmentGeometry::Section SegmentGeometry::SectionAt(double t, bool derivatives) const {
    Section s;
    s.t = t;
    s.centre = m_curve.At(t);
    s.tangent = Tangent(t);
    s.normal = RightNormal(s.tangent);
    s.half = HalfWidth(t);
    if (derivatives) {
        const Point d1 = m_curve.Derivative(t);
        const double speed = Length(d1);
        if (speed > m_tiny) {
            const Point d2 = m_curve.SecondDerivative(t);
            s.velocity = d1;
            s.turn = RightNormal((d2 - s.tangent * Dot(d2, s.tangent)) / speed);
            s.growth = (m_halfEnd - m_halfStart) * (m_length > 0.0 ? speed / m_length : 1.0);
        }
    }
    return s;
}

void SegmentGeometry::FitSides(double t0, double t1, double tolerance, Path& sideA,
                               Path& sideB) const {
    FitPieces(SectionAt(t0, true), SectionAt(t1, true), true, true, tolerance, 0, sideA, sideB);
}

namespace {

struct SideEnd {
    Point pos;
    Point direction; // unit direction of the fitted piece there
    double speed;    // length of the side's derivative by t; 0 where unknown
};

// Fits one cubic to a side between two ends through the targets at kFitAt; returns it with the
// greatest distance from the targets at kFitAt and kCheckAt.
Cubic FitCubic(const SideEnd& e0, const SideEnd& e1, double dt,
               const std::array<Point, kFitAt.size()>& fit,
               const std::array<Point, kCheckAt.size()>& check, double& error) {
    double polyline = 0.0;
    Point previous = e0.pos;
    for (const Point& p : fit) {
        polyline += Distance(previous, p);
        previous = p;
    }
    polyline += Distance(previous, e1.pos);
    const Point chord = e1.pos - e0.pos;
    const double chordLength = Length(chord);

    // A straight side (a straight centre with its width spread along the length) is one line.
    if (chordLength > 0.0 && polyline <= chordLength * (1.0 + 1e-12)) {
        error = 0.0;
        return {e0.pos, e0.pos, e1.pos, e1.pos};
    }

    // Handle lengths a, b of the cubic e0, e0 + a dir0, e1 - b dir1, e1 by least squares.
    const Point dir0 = e0.direction, dir1 = e1.direction;
    double m11 = 0.0, m12 = 0.0, m22 = 0.0, r1 = 0.0, r2 = 0.0;
    for (std::size_t j = 0; j < kFitAt.size(); ++j) {
        const Bernstein b(kFitAt[j]);
        const Point rest = fit[j] - e0.pos * (b.b0 + b.b1) - e1.pos * (b.b2 + b.b3);
        m11 += b.b1 * b.b1;
        m12 -= b.b1 * b.b2 * Dot(dir0, dir1);
        m22 += b.b2 * b.b2;
        r1 += b.b1 * Dot(dir0, rest);
        r2 -= b.b2 * Dot(dir1, rest);
    }
    const double det = m11 * m22 - m12 * m12;
    double a = -1.0, b = -1.0;
    if (std::abs(det) > 1e-12) {
        a = (r1 * m22 - r2 * m12) / det;
        b = (m11 * r2 - m12 * r1) / det;
    }
    if (!(a >= 0.0 && b >= 0.0 && a <= polyline && b <= polyline)) {
        // Matching the derivatives at both ends instead.
        a = e0.speed > 0.0 ? e0.speed * dt / 3.0 : chordLength / 3.0;
        b = e1.speed > 0.0 ? e1.speed * dt / 3.0 : chordLength / 3.0;
    }
    const Cubic piece{e0.pos, e0.pos + dir0 * a, e1.pos - dir1 * b, e1.pos};
    error = 0.0;
    for (std::size_t j = 0; j < kFitAt.size(); ++j) {
        error = std::max(error, Distance(piece.At(kFitAt[j]), fit[j]));
    }
    for (std::size_t j = 0; j < kCheckAt.size(); ++j) {
        error = std::max(error, Distance(piece.At(kCheckAt[j]), check[j]));
    }
    return piece;
}

} // namespace

void SegmentGeometry::FitPieces(const Section& s0, const Section& s1, bool fitA, bool fitB,
                                double tolerance, int depth, Path& sideA, Path& sideB) const {
    const double dt = s1.t - s0.t;
    std::array<Section, kFitAt.size()> fitSections;
    std::array<Section, kCheckAt.size()> checkSections;
    for (std::size_t j = 0; j < kFitAt.size(); ++j) {
        fitSections[j] = SectionAt(s0.t + kFitAt[j] * dt, false);
    }
    for (std::size_t j = 0; j < kCheckAt.size(); ++j) {
        checkSections[j] = SectionAt(s0.t + kCheckAt[j] * dt, false);
    }
    const bool mayRefine = depth < kMaxFitDepth && dt > 1e-7;
    bool refineA = false, refineB = false;
    for (int side : {1, -1}) {
        if (!(side > 0 ? fitA : fitB)) {
            continue;
        }
        auto end = [side](const Section& s) {
            const Point velocity = s.velocity + (s.normal * s.growth + s.turn * s.half) * side;
            SideEnd e{s.centre + s.normal * (side * s.half), s.tangent, 0.0};
            // The side's own direction, except where it runs backwards (a fold too small to
            // matter): there the centre's direction keeps the piece from hooking.
            if (s.velocity != Point{} && Dot(velocity, s.tangent) > 0.0) {
                e.speed = Length(velocity);
                e.direction = velocity / e.speed;
            }
            return e;
        };
        std::array<Point, kFitAt.size()> fit;
        std::array<Point, kCheckAt.size()> check;
        for (std::size_t j = 0; j < fit.size(); ++j) {
            const Section& s = fitSections[j];
            fit[j] = s.centre + s.normal * (side * s.half);
        }
        for (std::size_t j = 0; j < check.size(); ++j) {
            const Section& s = checkSections[j];
            check[j] = s.centre + s.normal * (side * s.half);
        }
        double error = 0.0;
        const Cubic piece = FitCubic(end(s0), end(s1), dt, fit, check, error);
        if (error > tolerance && mayRefine) {
            (side > 0 ? refineA : refineB) = true;
            continue;
        }
        Path& path = side > 0 ? sideA : sideB;
        path.LineTo(piece.p0);
        if (piece.p1 == piece.p0 && piece.p2 == piece.p3) {
            path.LineTo(piece.p3);
        } else {
            path.CubicTo(piece);
        }
    }
    if (refineA || refineB) {
        const Section sm = SectionAt(s0.t + dt / 2.0, true);
        FitPieces(s0, sm, refineA, refineB, tolerance, depth + 1, sideA, sideB);
        FitPieces(sm, s1, refineA, refineB, tolerance, depth + 1, sideA, sideB);
    }
}

} // namespace outline
