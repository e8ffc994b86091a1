#include "outline/fold_cover.h"
#include "outline/outline.h"
#include "outline/segment_geometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>

namespace outline {

namespace {

// Coordinates and widths beyond this are taken as broken input rather than drawn: far beyond
// any page, and small enough that squares of differences stay finite and exact enough.
constexpr double kMaxMagnitude = 1e12;

bool IsSane(double v) {
    return std::isfinite(v) && std::abs(v) <= kMaxMagnitude;
}
bool IsSane(Point p) {
    return IsSane(p.x) && IsSane(p.y);
}

// One step along a run: a stretch of a segment (plain or folded) or the corner between two
// segments that have length.
struct Element {
    enum class Kind { Plain, Folded, Corner };
    Kind kind = Kind::Plain;
    std::size_t segment = 0;
    double t0 = 0.0, t1 = 0.0;
    Point at, tangentIn, tangentOut;
    double halfIn = 0.0, halfOut = 0.0;
};

// An open end of a run, where the cap goes.
struct RunEnd {
    Point at;
    Point tangent; // direction of the run there
    double half = 0.0;
};

class RunOutline {
public:
    RunOutline(const Run& run, const Style& style, double tolerance)
        : m_run(run), m_cap(CapFromFlags(style.cap)), m_join(JoinFromFlags(style.join)),
          m_miterLimit(style.miterLimit), m_tolerance(tolerance), m_table(SampleRun(run)) {}

    std::vector<Figure> Build() {
        if (!std::isfinite(m_table.total)) {
            return {};
        }
        MakeGeometry();
        if (m_live.empty()) {
            return {};
        }
        MakeElements();
        if (!m_run.closed) {
            WalkLine(m_elements, true);
            return std::move(m_figures);
        }
        const auto fold = std::find_if(m_elements.begin(), m_elements.end(), [](const auto& e) {
            return e.kind == Element::Kind::Folded;
        });
        if (fold == m_elements.end()) {
            WalkRing();
        } else {
            // A fold breaks the ring: the line starts after it and ends with it.
            std::vector<Element> line(fold + 1, m_elements.end());
            line.insert(line.end(), m_elements.begin(), fold + 1);
            WalkLine(line, false);
        }
        return std::move(m_figures);
    }

private:
    double Half(std::size_t point) const {
        return std::max(m_run.points[point % m_run.points.size()].width, 0.0) / 2.0;
    }

    void MakeGeometry() {
        const std::size_t segments = m_run.SegmentCount();
        m_geometry.resize(segments);
        for (std::size_t k = 0; k < segments; ++k) {
            // Between two points at one position the handles may still draw a loop, which is
            // outlined like any segment; a segment that is a single point is a corner.
            const Cubic curve = SegmentCurve(m_run, k);
            if (!curve.IsPoint()) {
                m_geometry[k].emplace(curve, Half(k), Half(k + 1), m_table, k);
                m_live.push_back(k);
            }
        }
    }

    void MakeElements() {
        for (std::size_t i = 0; i < m_live.size(); ++i) {
            const SegmentGeometry& g = *m_geometry[m_live[i]];
            for (const Stretch& s : SplitAtFolds(g, m_tolerance)) {
                Element e;
                e.kind = s.folded ? Element::Kind::Folded : Element::Kind::Plain;
                e.segment = m_live[i];
                e.t0 = s.t0;
                e.t1 = s.t1;
                m_elements.push_back(e);
            }
            // Segments that are single points are skipped: their neighbours meet in a corner,
            // whose two widths may differ.
            if (i + 1 < m_live.size() || m_run.closed) {
                const SegmentGeometry& next = *m_geometry[m_live[(i + 1) % m_live.size()]];
                Element e;
                e.kind = Element::Kind::Corner;
                e.at = g.Curve().p3;
                e.tangentIn = g.Tangent(1.0);
                e.tangentOut = next.Tangent(0.0);
                e.halfIn = g.HalfEnd();
                e.halfOut = next.HalfStart();
                m_elements.push_back(e);
            }
        }
        const SegmentGeometry& first = *m_geometry[m_live.front()];
        const SegmentGeometry& last = *m_geometry[m_live.back()];
        m_start = {first.Curve().p0, first.Tangent(0.0), first.HalfStart()};
        m_end = {last.Curve().p3, last.Tangent(1.0), last.HalfEnd()};
    }

    // Walks a sequence from one end to the other; with caps the ends are the run's ends.
    void WalkLine(const std::vector<Element>& line, bool caps) {
        for (std::size_t i = 0; i < line.size(); ++i) {
            const Element& e = line[i];
            const bool first = i == 0, last = i + 1 == line.size();
            switch (e.kind) {
            case Element::Kind::Plain: {
                const SegmentGeometry& g = *m_geometry[e.segment];
                if (!m_open) {
                    Open(g.Side(1, e.t0), g.Side(-1, e.t0), caps && first);
                }
                g.FitSides(e.t0, e.t1, m_tolerance, m_sideA, m_sideB);
                break;
            }
            case Element::Kind::Folded:
                if (m_open) {
                    Close(false);
                }
                if (caps && first) {
                    AddCapFigure(m_start, false);
                }
                CoverFold(*m_geometry[e.segment], e.t0, e.t1, m_tolerance, m_figures);
                if (caps && last) {
                    AddCapFigure(m_end, true);
                }
                break;
            case Element::Kind::Corner:
                if (!m_open) {
                    if (IsSmooth(e)) {
                        break; // nothing to cover between two folds
                    }
                    Open(e.at, e.at, false);
                }
                AddJoin(e);
                break;
            }
        }
        if (m_open) {
            Close(caps);
        }
    }

    // A closed run without folds: its two sides are two closed loops, the inner one walked
    // backwards as the hole of the ring.
    void WalkRing() {
        const Element& e = m_elements.front();
        const SegmentGeometry& g = *m_geometry[e.segment];
        Open(g.Side(1, e.t0), g.Side(-1, e.t0), false);
        for (const Element& element : m_elements) {
            if (element.kind == Element::Kind::Corner) {
                AddJoin(element);
            } else {
                const SegmentGeometry& s = *m_geometry[element.segment];
                s.FitSides(element.t0, element.t1, m_tolerance, m_sideA, m_sideB);
            }
        }
        Push(m_sideA.ToFigure());
        Path inner(m_sideB.Current());
        inner.AppendReversed(m_sideB);
        Push(inner.ToFigure());
        m_open = false;
    }

    void Open(Point a, Point b, bool startCap) {
        m_sideA = Path(a);
        m_sideB = Path(b);
        m_open = true;
        m_startCap = startCap;
    }

    // Ends the current figure: forward along side A, across the end, back along side B and
    // across the start; an end without cap is the straight normal between the sides.
    void Close(bool endCap) {
        Path path = std::move(m_sideA);
        if (endCap) {
            AddCap(path, m_end, true);
        }
        path.AppendReversed(m_sideB);
        if (m_startCap) {
            AddCap(path, m_start, false);
        }
        Push(path.ToFigure());
        m_open = false;
    }

    void Push(Figure figure) {
        if (figure.points.size() >= 2) {
            m_figures.push_back(std::move(figure));
        }
    }

    // The cap shape from the side where the path stands to the other side: at the run's end
    // from side A to side B, at its start from side B to side A.
    void AddCap(Path& path, const RunEnd& end, bool atEnd) {
        if (end.half <= 0.0) {
            return; // a zero-width end comes to a point
        }
        const Point normal = RightNormal(end.tangent);
        const Point from = end.at + normal * (atEnd ? end.half : -end.half);
        const Point to = end.at + normal * (atEnd ? -end.half : end.half);
        const Point ahead = (atEnd ? end.tangent : -end.tangent) * end.half;
        switch (m_cap) {
        case Cap::Butt:
            path.LineTo(from);
            break;
        case Cap::Square:
            path.LineTo(from);
            path.LineTo(from + ahead);
            path.LineTo(to + ahead);
            break;
        case Cap::Round:
            AddArc(path, end.at, from, to, std::numbers::pi, m_tolerance);
            break;
        }
        path.LineTo(to);
    }

    // A cap on its own, where the stretch beside it is covered by fold pieces.
    void AddCapFigure(const RunEnd& end, bool atEnd) {
        if (end.half <= 0.0 || m_cap == Cap::Butt) {
            return;
        }
        const Point normal = RightNormal(end.tangent);
        Path path(end.at + normal * (atEnd ? end.half : -end.half));
        AddCap(path, end, atEnd);
        Push(path.ToFigure());
    }

    // A corner that turns too little to show: the sides just carry on.
    bool IsSmooth(const Element& e) const {
        const double turn = TurnAngle(e.tangentIn, e.tangentOut);
        return std::abs(turn) * std::max(e.halfIn, e.halfOut) <= m_tolerance * 1e-3 &&
               e.halfIn == e.halfOut;
    }

    // A corner: the join shape on the outer side; the inner side goes through the corner
    // point, so that both segments keep their own normals and the figure never winds backwards.
    void AddJoin(const Element& e) {
        const Point normalIn = RightNormal(e.tangentIn), normalOut = RightNormal(e.tangentOut);
        const double turn = TurnAngle(e.tangentIn, e.tangentOut);
        const double largest = std::max(e.halfIn, e.halfOut);
        if (IsSmooth(e)) {
            m_sideA.LineTo(e.at + normalOut * e.halfOut);
            m_sideB.LineTo(e.at - normalOut * e.halfOut);
            return;
        }
        const double outer = turn > 0.0 ? 1.0 : -1.0;
        Path& outerSide = turn > 0.0 ? m_sideA : m_sideB;
        Path& innerSide = turn > 0.0 ? m_sideB : m_sideA;
        const Point from = e.at + normalIn * (outer * e.halfIn);
        const Point to = e.at + normalOut * (outer * e.halfOut);
        outerSide.LineTo(from);
        switch (m_join) {
        case Join::Round:
            AddArc(outerSide, e.at, from, to, turn, m_tolerance);
            break;
        case Join::Miter:
            if (const std::optional<Point> tip = MiterTip(e, from, to, largest)) {
                outerSide.LineTo(*tip);
            }
            break;
        case Join::Bevel:
            break;
        }
        outerSide.LineTo(to);
        innerSide.LineTo(e.at);
        innerSide.LineTo(e.at - normalOut * (outer * e.halfOut));
    }

    // Where the outer edges of the two segments meet, unless that lies farther from the corner
    // than the miter limit allows (then the corner is beveled).
    std::optional<Point> MiterTip(const Element& e, Point from, Point to, double largest) const {
        const double cross = Cross(e.tangentIn, e.tangentOut);
        if (cross == 0.0) {
            return std::nullopt;
        }
        const Point gap = to - from;
        const double along = Cross(gap, e.tangentOut) / cross;
        const double back = Cross(e.tangentIn, gap) / cross;
        if (along < 0.0 || back < 0.0) {
            return std::nullopt;
        }
        const Point tip = from + e.tangentIn * along;
        if (!(Distance(tip, e.at) <= m_miterLimit * largest)) {
            return std::nullopt;
        }
        return tip;
    }

    const Run& m_run;
    Cap m_cap;
    Join m_join;
    double m_miterLimit;
    double m_tolerance;
    SampleTable m_table;
    std::vector<std::optional<SegmentGeometry>> m_geometry; // empty for coincident segments
    std::vector<std::size_t> m_live;                        // segments that have length
    std::vector<Element> m_elements;
    RunEnd m_start, m_end;
    std::vector<Figure> m_figures;
    // The figure being drawn: side A forward, side B forward (walked back when it closes).
    bool m_open = false;
    bool m_startCap = false;
    Path m_sideA, m_sideB;
};

} // namespace

// Both flag sets name their shapes in the order of the enums: bit 0 round, then bits 1 and 2.
static int ShapeIndex(std::uint32_t flags) {
    for (int i = 0; i < 3; ++i) {
        if (flags & (1u << i)) {
            return i;
        }
    }
    return 0;
}

Cap CapFromFlags(std::uint32_t flags) {
    return static_cast<Cap>(ShapeIndex(flags));
}

Join JoinFromFlags(std::uint32_t flags) {
    return static_cast<Join>(ShapeIndex(flags));
}

std::vector<Figure> BuildOutline(const Run& run, const Style& style) {
    if (run.points.size() < 2) {
        return {};
    }
    double extent = 0.0;
    for (const CtrlPoint& p : run.points) {
        if (!IsSane(p.pos) || !IsSane(p.in) || !IsSane(p.out) || !IsSane(p.width)) {
            return {};
        }
        extent = std::max({extent, std::abs(p.pos.x), std::abs(p.pos.y), std::abs(p.width)});
    }
    // Below about 1e-12 of the coordinates a tolerance only asks for rounding noise.
    double tolerance = std::isfinite(style.tolerance) && style.tolerance > 0.0 ? style.tolerance
                                                                               : Style{}.tolerance;
    tolerance = std::max(tolerance, extent * 1e-12);
    return RunOutline(run, style, tolerance).Build();
}

std::vector<Figure> BuildOutlines(const Part& part, const Style& style) {
    std::vector<Figure> figures;
    for (const Run& run : CutRuns(part)) {
        std::vector<Figure> more = BuildOutline(run, style);
        figures.insert(figures.end(), std::make_move_iterator(more.begin()),
                       std::make_move_iterator(more.end()));
    }
    return figures;
}

} // namespace outline
