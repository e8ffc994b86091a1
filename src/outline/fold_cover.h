// Where the centre of a segment turns tighter than the half width, the offset side on the
// inside folds back over itself and a figure along it would wind the wrong way. Such stretches
// are found here and covered instead by small pieces that each turn positively.
#pragma once

#include "outline/figure.h"
#include "outline/segment_geometry.h"

#include <vector>

namespace outline {

struct Stretch {
    double t0 = 0.0;
    double t1 = 1.0;
    bool folded = false;
};

// Splits a segment into stretches, in order, covering [0, 1]. A stretch is folded when a side
// runs backwards there by more than tolerance in all; smaller folds stay in plain stretches,
// where the side fit smooths them over.
std::vector<Stretch> SplitAtFolds(const SegmentGeometry& geometry, double tolerance);

// Covers the stroke of a folded stretch: the normals from side A to side B, swept from t0 to
// t1, cut into pieces small enough that their straight sides stay within tolerance. Each piece
// is split at the centre, or where its two normals cross, and the parts on each side become
// polygons that turn positively; a cusp of the centre gets a disc.
void CoverFold(const SegmentGeometry& geometry, double t0, double t1, double tolerance,
               std::vector<Figure>& figures);

} // namespace outline
