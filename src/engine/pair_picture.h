// A pair that does not animate, drawn for people: START and END each fitted into a box and
// rendered, with the rectangle of every figure a difference names, so that a window can
// outline each mismatch where it is.
#pragma once

#include "engine/model_fit.h"
#include "engine/pairing.h"
#include "output/img_saver.h"

#include <optional>
#include <vector>

namespace mrv {

// Where one difference is, in pixels of each picture; nothing on a side without its figure.
struct CDifferenceMark {
    std::optional<CTrimRect> m_start;
    std::optional<CTrimRect> m_end;
};

struct CPairPicture {
    CImgPtr m_start;
    CImgPtr m_end;
    std::vector<CDifferenceMark> m_marks; // one per difference of the check, in its order
};

// Fits both models of check into width x height pixels (keeping their proportions, at the
// setting's resolution, over its background) and renders them. A figure that draws nothing
// itself (a line part, a point) is marked by the nearest figure above it that does; one with
// nothing drawn above it, by its page. The check's models are changed in place.
CPairPicture DrawPairCheck(CPairingCheck& check, const CTaskSetting& setting, int width,
                           int height);

} // namespace mrv
