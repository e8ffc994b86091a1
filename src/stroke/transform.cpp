#include "stroke/transform.h"

#include "stroke/layer_model.h"
#include "stroke/line.h"
#include "stroke/line_point.h"
#include "stroke/text.h"

#include <cmath>

namespace stroke {

CTransform::CTransform(const Params& params) : m_params(params) {}

my::pointd CTransform::Apply(const my::pointd& p) const {
    const Params& m = m_params;
    return {m.a * p.x + m.b * p.y + m.e, m.c * p.x + m.d * p.y + m.f};
}

void CTransform::TransformFill(CFillSetting* fill) const {
    if (!fill) {
        return;
    }
    if (m_params.mirrorHorizontal) {
        fill->SetFlip(fill->GetFlip() ^ 1u);
    } else if (m_params.mirrorVertical) {
        fill->SetFlip(fill->GetFlip() ^ 2u);
    } else {
        fill->SetAngle(fill->GetAngle() + m_params.fillRotation);
    }
}

void CTransform::VisitLayer(CLayer& layer) {
    if (m_params.transformFills) {
        TransformFill(layer.m_lineFill.get());
        TransformFill(layer.m_areaFill.get());
    }
    CEnumerator::VisitLayer(layer);
}

void CTransform::VisitLine(CLine& line) {
    if (m_params.transformFills) {
        TransformFill(line.m_lineFill.get());
        TransformFill(line.m_areaFill.get());
    }
    CEnumerator::VisitLine(line);
}

void CTransform::VisitText(CText& text) {
    if (m_params.scaleWidths) {
        text.m_width *= m_params.widthScale;
    }
    if (m_params.transformFills) {
        TransformFill(text.m_lineFill.get());
        TransformFill(text.m_areaFill.get());
    }
    // The glyphs follow the scale whether or not outline widths do.
    if (text.m_textSetting) {
        text.m_textSetting->m_fontSize *= m_params.widthScale;
    }
    text.m_state |= STATE_TRANSFORMED;
    CEnumerator::VisitText(text);
}

void CTransform::VisitLinePoint(CLinePoint& point) {
    if (m_params.scaleWidths) {
        point.m_width *= m_params.widthScale;
    }
    point.SetPosition(Apply(point.Position()));
    point.m_state |= STATE_TRANSFORMED;
    CEnumerator::VisitLinePoint(point);
}

void CTransform::VisitTangentPoint(CTangentPoint& tangent) {
    tangent.SetPosition(Apply(tangent.Position()));
    tangent.m_state |= STATE_TRANSFORMED;
}

namespace {

CTransform::Params SizeParams(double sx, double sy, double dx, double dy) {
    CTransform::Params p;
    p.a = sx;
    p.d = sy;
    p.e = dx;
    p.f = dy;
    p.widthScale = std::sqrt((sx * sx + sy * sy) / 2.0);
    p.scaleWidths = true;
    return p;
}

} // namespace

CTransformSize::CTransformSize(double sx, double sy, double dx, double dy)
    : CTransform(SizeParams(sx, sy, dx, dy)) {}

} // namespace stroke
