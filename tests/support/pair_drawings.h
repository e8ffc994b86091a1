// Drawings for the tests of pairing checks: a layer of plain lines, and END drawings that
// differ from it in known places (the three independent differences of a point count, a fill
// kind and a cap).
#pragma once

#include "support/strk_writer.h"

#include <functional>

namespace morvane::test {

// Called for each line as it is built, to change it.
using LineChange = std::function<void(int index, StrkFigure& line)>;

// layer "L" with lines "l1" .. "l<lines>" (names repeat after l9), each stroked in one colour
// with one part of two points from (i x spacing, 0) to (i x spacing, 5); change may alter a
// line.
StrkWriter LineDrawing(int lines, const LineChange& change = {}, double spacing = 1.0);

// LineDrawing(4) with three differences: one point more in l1, a texture for l2's colour, and
// another cap for l4 (l3 is the same).
StrkWriter ThreeDifferences(double spacing = 1.0);

} // namespace morvane::test
