#include "stroke/clear_fill.h"

#include "common/error.h"
#include "stroke/layer_model.h"
#include "stroke/line.h"
#include "stroke/text.h"

namespace stroke {

// Fills belong to layers, lines and texts: parts and points are never visited.
CClearFill::CClearFill() : CEnumerator(FIGURE_LAYER | FIGURE_LINE | FIGURE_TEXT) {}

void CClearFill::Clear(CFigure& root, std::uint32_t flags) {
    if (flags >= 4) {
        throw my::InternalError("stroke::CClearFill::Clear()\nUnknown flags: " +
                                std::to_string(flags));
    }
    m_flags = flags;
    VisitFigure(root);
}

void CClearFill::ClearOf(CFigure& figure) const {
    if (m_flags & CLEAR_AREA) {
        figure.SetAreaFill(FillPtr());
    }
    if (m_flags & CLEAR_LINE) {
        figure.SetLineFill(FillPtr());
    }
}

void CClearFill::VisitModel(CModel& model) {
    ClearOf(model);
    CEnumerator::VisitModel(model);
}

void CClearFill::VisitLayer(CLayer& layer) {
    ClearOf(layer);
    CEnumerator::VisitLayer(layer);
}

void CClearFill::VisitLine(CLine& line) {
    ClearOf(line);
}

void CClearFill::VisitText(CText& text) {
    ClearOf(text);
}

} // namespace stroke
