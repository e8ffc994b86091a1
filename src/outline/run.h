// Line parts as plain data and their cutting into runs: the stretches of a part between
// zero-width points, cleaned of surplus coincident points, that each get an outline.
#pragma once

#include "common/point.h"

#include <cstddef>
#include <vector>

namespace outline {

// One point of a line: its position, its two handles as absolute positions (incoming and
// outgoing; a missing handle lies on the point) and the line width there.
struct CtrlPoint {
    my::pointd pos;
    my::pointd in;
    my::pointd out;
    double width = 0.0;
};

// The points of one line part in order; a closed part also joins its last point to its first.
struct Part {
    std::vector<CtrlPoint> points;
    bool closed = false;
};

// A stretch of a part that is drawn as one outline. `source` holds the part index of each
// point. A run is closed only when it is a whole closed part without zero-width points.
struct Run {
    std::vector<CtrlPoint> points;
    std::vector<std::size_t> source;
    bool closed = false;

    // Number of Bezier segments: one between each two points, plus the closing one.
    std::size_t SegmentCount() const;
};

// Cuts a part into runs at its points of width exactly 0. A run holds a maximal stretch of
// non-zero widths together with the zero-width points just before and after it; on a closed
// part a stretch may wrap past the last point. Where three or more consecutive points share
// one position only the first and the last of them are kept (the handles leading into and out
// of the group), and runs of fewer than 2 points or of 2 points at one position are dropped.
std::vector<Run> CutRuns(const Part& part);

} // namespace outline
