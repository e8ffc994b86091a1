// stroke::CCalcBounds: the rectangle, in model units, that drawing a figure tree covers: the
// areas and the stroke outlines of its lines (with their caps and joins, Bezier extremes found
// exactly) and the boxes of the characters of its texts.
#pragma once

#include "common/point.h"
#include "stroke/enumerator.h"

#include <cstdint>

namespace stroke {

class CPartHolder;

// A rectangle of doubles; empty until a point is added.
struct CBoundsRect {
    double left = 0.0;
    double top = 0.0;
    double right = 0.0;
    double bottom = 0.0;
    bool empty = true;

    // Grows the rectangle to hold p; points that are not finite are left out.
    void Add(my::pointd p);
    void Add(const CBoundsRect& other);
    double Width() const { return empty ? 0.0 : right - left; }
    double Height() const { return empty ? 0.0 : bottom - top; }
};

// Measures what the renderer would draw. A line is measured when its type is in the type mask
// and its state masked with the state mask equals the state value; it counts its area when an
// area fill is in effect for it (its own or one of a layer above it) and its stroke outline when
// a line fill is (unless only areas are asked for). Texts count the boxes of their characters.
// When the test asks for figures that are not hidden, a hidden layer hides what is below it.
class CCalcBounds : public CConstEnumerator {
public:
    explicit CCalcBounds(std::uint32_t typeMask = FIGURE_LINE | FIGURE_TEXT,
                         std::uint32_t stateMask = STATE_HIDDEN, std::uint32_t stateValue = 0,
                         bool areasOnly = false);

    // Measures root and everything below it, adding to what was found before.
    const CBoundsRect& Calc(const CFigure& root);
    const CBoundsRect& Bounds() const { return m_bounds; }
    void Reset() { m_bounds = {}; }

    void VisitLayer(const CLayer& layer) override;
    void VisitLine(const CLine& line) override;
    // The corners of the boxes of the laid-out characters.
    void VisitText(const CText& text) override;

    // The bounds of the area path of a part (the closing segment included when it is curved)
    // and of its stroke outline drawn with the line's cap, join and widths.
    static void AddAreaBounds(const CLinePart& part, CBoundsRect& out);
    static void AddStrokeBounds(const CPartHolder& line, const CLinePart& part, bool penDrawn,
                                CBoundsRect& out);

private:
    enum FillBits : std::uint32_t { LINE_FILL = 1, AREA_FILL = 2 };

    bool Measured(const CFigure& figure) const;

    std::uint32_t m_typeMask;
    std::uint32_t m_stateMask;
    std::uint32_t m_stateValue;
    bool m_areasOnly;
    std::uint32_t m_fills = 0; // fills in effect from the layers above
    CBoundsRect m_bounds;
};

} // namespace stroke
