// How the lines of a model become path commands of a drawing target: the check that decides
// whether a line is stroked with a pen or filled as an outline, the area and stroke paths of its
// parts, and the closed outline figures of lines whose width changes.
#pragma once

#include "outline/outline.h"
#include "render/vector_renderer.h"
#include "stroke/part_holder.h"

#include <cstdint>

namespace stroke {

class CLinePart;

// A point width as drawn: widths that are negative or not finite draw as 0 (no stroke there).
double DrawnWidth(double width);

// What a set of lines drawn as one needs for its stroke: the distinct point widths of every part
// of two or more points (counted up to two), the cap and join flags of the lines, and whether the
// area path of each part is its stroke path too.
class CStrokeCheck {
public:
    void Add(const CPartHolder& line);

    // A stroke is drawn when some part has two points and some width is not 0.
    bool Visible() const {
        return m_hasSegments && m_widthCount > 0 && !(m_widthCount == 1 && m_width == 0.0);
    }
    // One width and at most one cap and one join: a pen can draw it.
    bool Simple() const;
    // True when no part's area path closes differently from its stroke path.
    bool SamePath() const { return m_samePath; }
    // The one width (0 without any).
    double PenWidth() const { return m_widthCount == 1 ? m_width : 0.0; }
    std::uint32_t CapMask() const { return m_capMask; }
    std::uint32_t JoinMask() const { return m_joinMask; }

private:
    void AddWidth(double width);

    int m_widthCount = 0; // 0, 1 or 2 (two or more)
    double m_width = 0.0; // the first width found
    std::uint32_t m_capMask = 0;
    std::uint32_t m_joinMask = 0;
    bool m_samePath = true;
    bool m_hasSegments = false;
};

// The pen's cap or join number of the drawing interface for a cap or join mask (the flag values
// ROUND, BUTT/MITER, SQUARE/BEVEL map to 1, 0, 2): no bit draws round; several bits give -1,
// which the target ignores.
std::int32_t PenCap(std::uint32_t capMask);
std::int32_t PenJoin(std::uint32_t joinMask);

enum class PathMode { Area, Stroke };

// True when the area of a part is closed: a closed part, or one whose first in-handle or last
// out-handle does not lie on its point.
bool ClosesArea(const CLinePart& part);

// One path (NewPath) of the line's parts of two or more points, each a figure: straight segments
// where both facing handles lie on their points, cubic ones elsewhere; closed as the mode says.
// Nothing, and false, when no part has two points.
bool AddLinePath(CVectorRenderer& target, const CPartHolder& line, PathMode mode);

// A line part as the outline geometry takes it, widths as drawn.
outline::Part ToOutlinePart(const CLinePart& part);
// The outline style of a line: its cap and join, and a tolerance in model units.
outline::Style OutlineStyle(const CPartHolder& line, double tolerance);

// One path of the closed outline figures of every part of the line (its variable-width stroke);
// nothing, and false, when no figure comes out.
bool AddOutlinePath(CVectorRenderer& target, const CPartHolder& line, double tolerance);

} // namespace stroke
