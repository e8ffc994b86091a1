// The visitor protocol of the figure tree: stroke::CEnumerator (may change figures) and
// stroke::CConstEnumerator (read-only) share one set of visit methods, one per figure class
// plus a dispatch by dynamic class and a walk over a container's children.
//
// A visit method gets the figure by reference, typed by its class. Visitors that keep what they
// visit store plain pointers (the tree outlives the walk) or take shared_from_this(). A walk over
// two trees side by side reaches the partner of a figure through the same child index in the other
// tree (GetChild(i), m_parts[i], m_points[i], m_tangents[i]), so it only needs the typed
// reference.
//
// The default visit methods descend as deep as the FigureType mask asks: a model or layer visits
// its children; a line or text its parts when the mask has CTRL, TANGENT or PART; a part its points
// when the mask has CTRL or TANGENT; a line point its tangent handles when the mask has
// TANGENT; the handles visit nothing. A subclass overrides the methods it cares about and
// calls the base method to keep descending.
#pragma once

#include "stroke/figure_type.h"

#include <cstdint>
#include <type_traits>

namespace stroke {

class CFigure;
class CContainer;
class CModel;
class CLayer;
class CLine;
class CText;
class CPartHolder;
class CLinePart;
class CLinePoint;
class CTangentPoint;
class CBoundingRect;
class CScalePoint;
class CRotatePoint;
class CCaret;

namespace detail {

template <bool IsConst> class CEnumeratorBase {
public:
    template <class T> using Ref = std::conditional_t<IsConst, const T&, T&>;

    explicit CEnumeratorBase(std::uint32_t mask = FIGURE_ALL) : m_mask(mask) {}
    virtual ~CEnumeratorBase() = default;

    virtual void VisitModel(Ref<CModel> model);                 // the children
    virtual void VisitLayer(Ref<CLayer> layer);                 // the children
    virtual void VisitLine(Ref<CLine> line);                    // parts, by the mask
    virtual void VisitLinePart(Ref<CLinePart> part);            // points, by the mask
    virtual void VisitLinePoint(Ref<CLinePoint> point);         // handles, by the mask
    virtual void VisitTangentPoint(Ref<CTangentPoint> tangent); // nothing
    virtual void VisitText(Ref<CText> text);                    // parts, by the mask
    virtual void VisitBoundingRect(Ref<CBoundingRect> rect);    // nothing
    virtual void VisitScalePoint(Ref<CScalePoint> point);       // nothing
    virtual void VisitRotatePoint(Ref<CRotatePoint> point);     // nothing
    virtual void VisitCaret(Ref<CCaret> caret);                 // nothing
    // Calls the visit method of the figure's dynamic class, tested in the order line, part, line
    // point, tangent point, text, model, layer, bounding rect, scale point, rotate point,
    // caret. This is the entry point of a walk.
    virtual void VisitFigure(Ref<CFigure> figure);
    // VisitFigure on each child, in order.
    virtual void VisitChildren(Ref<CContainer> container);

    // The walks of the default visit methods without their mask test.
    void VisitParts(Ref<CPartHolder> holder);
    void VisitPoints(Ref<CLinePart> part);
    void VisitTangents(Ref<CLinePoint> point);

    // FigureType bits that decide how deep the default visit methods go.
    std::uint32_t m_mask;

protected:
    bool Wants(std::uint32_t types) const { return (m_mask & types) != 0; }
};

extern template class CEnumeratorBase<false>;
extern template class CEnumeratorBase<true>;

} // namespace detail

class CEnumerator : public detail::CEnumeratorBase<false> {
public:
    using CEnumeratorBase::CEnumeratorBase;
};

class CConstEnumerator : public detail::CEnumeratorBase<true> {
public:
    using CEnumeratorBase::CEnumeratorBase;
};

// A read-only walk that asks one question of every figure it reaches (OnVisit, before the
// figure's own visit method) and ends as soon as the answer is false.
class CConstSimpleEnumerator : public CConstEnumerator {
public:
    using CConstEnumerator::CConstEnumerator;

    void VisitModel(const CModel& model) override;
    void VisitLayer(const CLayer& layer) override;
    void VisitLine(const CLine& line) override;
    void VisitLinePart(const CLinePart& part) override;
    void VisitLinePoint(const CLinePoint& point) override;
    void VisitTangentPoint(const CTangentPoint& tangent) override;
    void VisitText(const CText& text) override;
    void VisitBoundingRect(const CBoundingRect& rect) override;
    void VisitScalePoint(const CScalePoint& point) override;
    void VisitRotatePoint(const CRotatePoint& point) override;
    void VisitCaret(const CCaret& caret) override;

    // Walks from root until OnVisit answers false; true when the walk was ended that way.
    bool Walk(const CFigure& root);

protected:
    // False ends the walk.
    virtual bool OnVisit(const CFigure& figure) = 0;

private:
    // True once the walk should not go on.
    bool Ask(const CFigure& figure);

    bool m_stopped = false;
};

} // namespace stroke
