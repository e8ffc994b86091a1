// stroke::CTransform: an affine transform of every position of a figure tree, with scaling of
// point and text widths and font sizes and mirroring or rotation of fills;
// stroke::CTransformSize sets it up as a scale with an offset (fitting a model to a page).
#pragma once

#include "common/point.h"
#include "stroke/enumerator.h"

namespace stroke {

class CFillSetting;
class CFigure;

// The set-up of a CTransform.
struct CTransformParams {
    // A position (x, y) becomes (a x + b y + e, c x + d y + f).
    double a = 1.0, b = 0.0, c = 0.0, d = 1.0, e = 0.0, f = 0.0;
    double widthScale = 1.0;  // multiplies widths (when scaleWidths) and font sizes
    bool scaleWidths = false; // point and text widths
    bool transformFills = false;
    // Fills are mirrored (horizontal first) or else rotated by fillRotation degrees;
    // never both.
    bool mirrorHorizontal = false;
    bool mirrorVertical = false;
    double fillRotation = 0.0;
};

class CTransform : public CEnumerator {
public:
    using Params = CTransformParams;

    CTransform() = default;
    explicit CTransform(const Params& params);

    // Transforms root and what lies below it, as deep as m_mask asks (all kinds by default).
    void Transform(CFigure& root) { VisitFigure(root); }

    const Params& GetParams() const { return m_params; }

    // A model's own fills are left as they are; only its children are visited.
    void VisitLayer(CLayer& layer) override;
    void VisitLine(CLine& line) override;
    void VisitText(CText& text) override;
    void VisitLinePoint(CLinePoint& point) override;
    void VisitTangentPoint(CTangentPoint& tangent) override;

protected:
    Params m_params;

private:
    my::pointd Apply(const my::pointd& p) const;
    void TransformFill(CFillSetting* fill) const;
};

class CTransformSize : public CTransform {
public:
    // x' = sx x + dx, y' = sy y + dy; point and text widths and font sizes scale by
    // sqrt((sx² + sy²) / 2); fills are not changed.
    CTransformSize(double sx, double sy, double dx = 0.0, double dy = 0.0);
};

} // namespace stroke
