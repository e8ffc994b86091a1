#include "stroke/enumerator.h"

#include "stroke/handles.h"
#include "stroke/layer_model.h"
#include "stroke/line.h"
#include "stroke/line_part.h"
#include "stroke/line_point.h"
#include "stroke/text.h"

namespace stroke {

namespace detail {

namespace {

// Visits each element of a child sequence; the copy of the pointer keeps an element alive while
// a visitor removes it from its holder.
template <class List, class Visit> void ForEach(const List& list, Visit visit) {
    for (std::size_t i = 0; i < list.size(); ++i) {
        const auto child = list[i];
        if (child) {
            visit(*child);
        }
    }
}

// dynamic_cast that keeps the constness of its argument.
template <class T, class F> auto As(F* figure) {
    if constexpr (std::is_const_v<F>) {
        return dynamic_cast<const T*>(figure);
    } else {
        return dynamic_cast<T*>(figure);
    }
}

} // namespace

template <bool C> void CEnumeratorBase<C>::VisitModel(Ref<CModel> model) {
    VisitChildren(model);
}

template <bool C> void CEnumeratorBase<C>::VisitLayer(Ref<CLayer> layer) {
    VisitChildren(layer);
}

template <bool C> void CEnumeratorBase<C>::VisitLine(Ref<CLine> line) {
    if (Wants(FIGURE_CTRL | FIGURE_TANGENT | FIGURE_PART)) {
        VisitParts(line);
    }
}

template <bool C> void CEnumeratorBase<C>::VisitLinePart(Ref<CLinePart> part) {
    if (Wants(FIGURE_CTRL | FIGURE_TANGENT)) {
        VisitPoints(part);
    }
}

template <bool C> void CEnumeratorBase<C>::VisitLinePoint(Ref<CLinePoint> point) {
    if (Wants(FIGURE_TANGENT)) {
        VisitTangents(point);
    }
}

template <bool C> void CEnumeratorBase<C>::VisitTangentPoint(Ref<CTangentPoint>) {}

template <bool C> void CEnumeratorBase<C>::VisitText(Ref<CText> text) {
    if (Wants(FIGURE_CTRL | FIGURE_TANGENT | FIGURE_PART)) {
        VisitParts(text);
    }
}

template <bool C> void CEnumeratorBase<C>::VisitBoundingRect(Ref<CBoundingRect>) {}
template <bool C> void CEnumeratorBase<C>::VisitScalePoint(Ref<CScalePoint>) {}
template <bool C> void CEnumeratorBase<C>::VisitRotatePoint(Ref<CRotatePoint>) {}
template <bool C> void CEnumeratorBase<C>::VisitCaret(Ref<CCaret>) {}

template <bool C> void CEnumeratorBase<C>::VisitFigure(Ref<CFigure> figure) {
    auto* f = &figure;
    if (auto* line = As<CLine>(f)) {
        VisitLine(*line);
    } else if (auto* part = As<CLinePart>(f)) {
        VisitLinePart(*part);
    } else if (auto* point = As<CLinePoint>(f)) {
        VisitLinePoint(*point);
    } else if (auto* tangent = As<CTangentPoint>(f)) {
        VisitTangentPoint(*tangent);
    } else if (auto* text = As<CText>(f)) {
        VisitText(*text);
    } else if (auto* model = As<CModel>(f)) {
        VisitModel(*model);
    } else if (auto* layer = As<CLayer>(f)) {
        VisitLayer(*layer);
    } else if (auto* rect = As<CBoundingRect>(f)) {
        VisitBoundingRect(*rect);
    } else if (auto* scale = As<CScalePoint>(f)) {
        VisitScalePoint(*scale);
    } else if (auto* rotate = As<CRotatePoint>(f)) {
        VisitRotatePoint(*rotate);
    } else if (auto* caret = As<CCaret>(f)) {
        VisitCaret(*caret);
    }
}

template <bool C> void CEnumeratorBase<C>::VisitChildren(Ref<CContainer> container) {
    ForEach(container.m_children, [this](auto& child) { VisitFigure(child); });
}

template <bool C> void CEnumeratorBase<C>::VisitParts(Ref<CPartHolder> holder) {
    ForEach(holder.m_parts, [this](auto& part) { VisitLinePart(part); });
}

template <bool C> void CEnumeratorBase<C>::VisitPoints(Ref<CLinePart> part) {
    ForEach(part.m_points, [this](auto& point) { VisitLinePoint(point); });
}

template <bool C> void CEnumeratorBase<C>::VisitTangents(Ref<CLinePoint> point) {
    ForEach(point.m_tangents, [this](auto& tangent) { VisitTangentPoint(tangent); });
}

template class CEnumeratorBase<false>;
template class CEnumeratorBase<true>;

} // namespace detail

bool CConstSimpleEnumerator::Walk(const CFigure& root) {
    m_stopped = false;
    VisitFigure(root);
    return m_stopped;
}

bool CConstSimpleEnumerator::Ask(const CFigure& figure) {
    if (!m_stopped && !OnVisit(figure)) {
        m_stopped = true;
    }
    return m_stopped;
}

// Each visit method asks first and descends only while the walk goes on.
void CConstSimpleEnumerator::VisitModel(const CModel& f) {
    if (!Ask(f)) {
        CConstEnumerator::VisitModel(f);
    }
}
void CConstSimpleEnumerator::VisitLayer(const CLayer& f) {
    if (!Ask(f)) {
        CConstEnumerator::VisitLayer(f);
    }
}
void CConstSimpleEnumerator::VisitLine(const CLine& f) {
    if (!Ask(f)) {
        CConstEnumerator::VisitLine(f);
    }
}
void CConstSimpleEnumerator::VisitLinePart(const CLinePart& f) {
    if (!Ask(f)) {
        CConstEnumerator::VisitLinePart(f);
    }
}
void CConstSimpleEnumerator::VisitLinePoint(const CLinePoint& f) {
    if (!Ask(f)) {
        CConstEnumerator::VisitLinePoint(f);
    }
}
void CConstSimpleEnumerator::VisitTangentPoint(const CTangentPoint& f) {
    Ask(f);
}
void CConstSimpleEnumerator::VisitText(const CText& f) {
    if (!Ask(f)) {
        CConstEnumerator::VisitText(f);
    }
}
void CConstSimpleEnumerator::VisitBoundingRect(const CBoundingRect& f) {
    Ask(f);
}
void CConstSimpleEnumerator::VisitScalePoint(const CScalePoint& f) {
    Ask(f);
}
void CConstSimpleEnumerator::VisitRotatePoint(const CRotatePoint& f) {
    Ask(f);
}
void CConstSimpleEnumerator::VisitCaret(const CCaret& f) {
    Ask(f);
}

} // namespace stroke
