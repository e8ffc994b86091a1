#include "outline/fold_cover.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace outline {

namespace {

// Folds are looked for between the samples of a segment.
constexpr int kFoldSteps = kSamplesPerSegment;
constexpr int kMaxCoverDepth = 10;
constexpr double kMaxPieceTurn = 0.35; // radians, about 20 degrees

struct Section {
    double t;
    Point a, b, centre, tangent;
    double half;
};

Section SectionAt(const SegmentGeometry& g, double t) {
    const Point centre = g.Curve().At(t);
    const Point normal = g.Normal(t);
    const double half = g.HalfWidth(t);
    return {t, centre + normal * half, centre - normal * half, centre, g.Tangent(t), half};
}

double DistanceToSegment(Point p, Point a, Point b) {
    const Point ab = b - a;
    const double len2 = Dot(ab, ab);
    const double u = len2 > 0.0 ? std::clamp(Dot(p - a, ab) / len2, 0.0, 1.0) : 0.0;
    return Distance(p, a + ab * u);
}

// The part of one small piece on one side of the centre: the straight edge from outer0 to
// outer1 along the side, closed through the points where the piece's two normals end on the
// other part (the centre, or the crossing of the normals).
struct HalfPiece {
    Point outer0, outer1, inner0, inner1;

    double TwiceArea() const {
        return Cross(outer0, outer1) + Cross(outer1, inner1) + Cross(inner1, inner0) +
               Cross(inner0, outer0);
    }
};

class FoldCover {
public:
    FoldCover(const SegmentGeometry& g, double tolerance, std::vector<Figure>& figures)
        : m_g(g), m_tolerance(tolerance), m_figures(figures) {
        const double scale = g.Curve().HullLength() + g.HalfStart() + g.HalfEnd();
        m_tiny = scale * scale * 1e-18;
    }

    void Cover(const Section& s0, const Section& s1, int depth) {
        const Section sm = SectionAt(m_g, (s0.t + s1.t) / 2.0);
        const bool turnsLittle = std::abs(TurnAngle(s0.tangent, s1.tangent)) <= kMaxPieceTurn;
        const bool fine = turnsLittle && DistanceToSegment(sm.a, s0.a, s1.a) <= m_tolerance &&
                          DistanceToSegment(sm.b, s0.b, s1.b) <= m_tolerance &&
                          DistanceToSegment(sm.centre, s0.centre, s1.centre) <= m_tolerance;
        if (!fine && depth < kMaxCoverDepth) {
            Cover(s0, sm, depth + 1);
            Cover(sm, s1, depth + 1);
            return;
        }
        if (!turnsLittle) {
            // The tangent still turns within a piece too small to split: the centre has a
            // cusp here and turns back on itself without sweeping its normal round. A disc
            // covers the tip, as it would a round corner.
            AddDisc(sm.centre, std::max(s0.half, s1.half));
        }
        // Where the two normals cross, the piece is a bow tie: two triangles meeting there;
        // otherwise the centre divides it.
        Point inner0 = s0.centre, inner1 = s1.centre;
        const Point r = s0.b - s0.a, s = s1.b - s1.a, q = s1.a - s0.a;
        const double denom = Cross(r, s);
        if (denom != 0.0) {
            const double u = Cross(q, s) / denom, v = Cross(q, r) / denom;
            if (u > 0.0 && u < 1.0 && v > 0.0 && v < 1.0) {
                inner0 = inner1 = s0.a + r * u;
            }
        }
        m_sideA.push_back({s0.a, s1.a, inner0, inner1});
        m_sideB.push_back({s0.b, s1.b, inner0, inner1});
    }

    // Emits the pieces, each side's consecutive pieces of one orientation as one polygon.
    void Finish() {
        Merge(m_sideA);
        Merge(m_sideB);
    }

private:
    // Consecutive pieces share a normal line, and the points where their inner edges meet it
    // lie on it too, so one polygon along the outer edges and back along the inner points
    // winds exactly as the pieces together do, provided they all turn the same way.
    void Merge(const std::vector<HalfPiece>& pieces) {
        std::size_t begin = 0;
        int sign = 0;
        for (std::size_t i = 0; i <= pieces.size(); ++i) {
            int s = sign;
            if (i < pieces.size()) {
                const double twice = pieces[i].TwiceArea();
                s = twice > m_tiny ? 1 : twice < -m_tiny ? -1 : sign;
            }
            if (i == pieces.size() || (s != sign && sign != 0)) {
                Emit(pieces, begin, i, sign);
                begin = i;
            }
            sign = s;
        }
    }

    void Emit(const std::vector<HalfPiece>& pieces, std::size_t begin, std::size_t end, int sign) {
        if (sign == 0 || begin == end) {
            return; // no area
        }
        std::vector<Point> ring;
        ring.push_back(pieces[begin].outer0);
        for (std::size_t i = begin; i < end; ++i) {
            ring.push_back(pieces[i].outer1);
        }
        for (std::size_t i = end; i-- > begin;) {
            ring.push_back(pieces[i].inner1);
            ring.push_back(pieces[i].inner0);
        }
        if (sign < 0) {
            std::reverse(ring.begin(), ring.end());
        }
        Path path(ring.front());
        for (const Point& p : ring) {
            path.LineTo(p);
        }
        Push(path.ToFigure());
    }

    void AddDisc(Point centre, double radius) {
        if (radius <= 0.0) {
            return;
        }
        const Point east{radius, 0.0};
        Path disc(centre + east);
        AddArc(disc, centre, centre + east, centre - east, std::numbers::pi, m_tolerance);
        AddArc(disc, centre, centre - east, centre + east, std::numbers::pi, m_tolerance);
        Push(disc.ToFigure());
    }

    void Push(Figure figure) {
        if (figure.points.size() >= 3) {
            m_figures.push_back(std::move(figure));
        }
    }

    const SegmentGeometry& m_g;
    double m_tolerance;
    std::vector<Figure>& m_figures;
    double m_tiny;
    std::vector<HalfPiece> m_sideA, m_sideB;
};

} // namespace

std::vector<Stretch> SplitAtFolds(const SegmentGeometry& g, double tolerance) {
    // How far the inner side runs backwards over a step: the half width times the turn of the
    // tangent, less the step's length.
    // Directions are left unnormalised (the derivative) wherever it does not vanish: the tests
    // below compare squares and so need no square roots for most steps.
    std::array<Point, kFoldSteps + 1> centre, direction;
    std::array<double, kFoldSteps + 1> half, speed2;
    const double tiny2 = g.Tiny() * g.Tiny();
    for (int j = 0; j <= kFoldSteps; ++j) {
        const double t = static_cast<double>(j) / kFoldSteps;
        centre[j] = g.SampleAt(j);
        direction[j] = g.Curve().Derivative(t);
        speed2[j] = Dot(direction[j], direction[j]);
        if (speed2[j] <= tiny2 || j == 0 || j == kFoldSteps) {
            direction[j] = g.Tangent(t);
            speed2[j] = 1.0;
        }
        half[j] = g.HalfWidth(t);
    }
    std::array<double, kFoldSteps> excess;
    for (int j = 0; j < kFoldSteps; ++j) {
        const double h = std::max(half[j], half[j + 1]);
        const Point chord = centre[j + 1] - centre[j];
        const double step2 = Dot(chord, chord);
        const double cross = Cross(direction[j], direction[j + 1]);
        const double dot = Dot(direction[j], direction[j + 1]);
        // Below a quarter turn the angle is at most pi/2 times its sine, which shows for most
        // steps that they do not fold.
        const double bound = h * cross * (std::numbers::pi / 2.0);
        if (dot > 0.0 && bound * bound <= step2 * speed2[j] * speed2[j + 1]) {
            excess[j] = 0.0;
        } else {
            excess[j] = h * std::abs(std::atan2(cross, dot)) - std::sqrt(step2);
        }
    }
    std::vector<Stretch> stretches;
    auto add = [&](int from, int to, bool folded) {
        const double t0 = static_cast<double>(from) / kFoldSteps;
        const double t1 = static_cast<double>(to) / kFoldSteps;
        if (!stretches.empty() && stretches.back().folded == folded) {
            stretches.back().t1 = t1;
        } else {
            stretches.push_back({t0, t1, folded});
        }
    };
    int done = 0; // steps before this are in `stretches`
    for (int j = 0; j < kFoldSteps;) {
        if (excess[j] <= 0.0) {
            ++j;
            continue;
        }
        int end = j;
        double sum = 0.0;
        while (end < kFoldSteps && excess[end] > 0.0) {
            sum += excess[end++];
        }
        if (sum > tolerance) {
            // One step more on each side, as a fold may begin inside a step that did not show.
            const int from = std::max(done, j - 1), to = std::min(kFoldSteps, end + 1);
            if (from > done) {
                add(done, from, false);
            }
            add(from, to, true);
            done = to;
        }
        j = std::max(end, done);
    }
    if (done < kFoldSteps) {
        add(done, kFoldSteps, false);
    }
    return stretches;
}

void CoverFold(const SegmentGeometry& g, double t0, double t1, double tolerance,
               std::vector<Figure>& figures) {
    FoldCover cover(g, tolerance, figures);
    cover.Cover(SectionAt(g, t0), SectionAt(g, t1), 0);
    cover.Finish();
}

} // namespace outline
