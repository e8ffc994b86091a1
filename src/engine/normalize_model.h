// mrv::CNormalizeModel: the first walk of pairing. It proves that START and END have the same
// structure (figures, kinds, classes, counts) and makes END's state bits follow START's, so
// that a figure hidden in START stays hidden in every frame.
#pragma once

#include "engine/pair_enumerator.h"

namespace mrv {

class CNormalizeModel : public CEnumerator {
public:
    // Copies START's state into END, then checks and dispatches the pair.
    void VisitFigure(stroke::CFigure* start, stroke::CFigure* end) override;
};

} // namespace mrv
