// The editing handles of interactive views (bounding rectangle, scale and rotate points, the
// text caret). This system never creates them; visitors still have a visit method for each kind.
#pragma once

#include "stroke/figure.h"

namespace stroke {

// A handle without fields or children that reports its kind.
template <class Derived, FigureType Type> class CEditHandle : public CFigure {
public:
    FigureType GetType() const override { return Type; }
    FigurePtr Clone() const override {
        return FigurePtr(new Derived(static_cast<const Derived&>(*this)));
    }
};

class CBoundingRect : public CEditHandle<CBoundingRect, FIGURE_BOUNDING_RECT> {};
class CScalePoint : public CEditHandle<CScalePoint, FIGURE_SCALE> {};
class CRotatePoint : public CEditHandle<CRotatePoint, FIGURE_ROTATE> {};
class CCaret : public CEditHandle<CCaret, FIGURE_CARET> {};

} // namespace stroke
