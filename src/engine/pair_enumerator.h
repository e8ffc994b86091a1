// mrv::CEnumerator: a walk over two figure trees side by side (START and END), figure by figure
// in tree order, that stops with a message at the first structural difference. The walkers of
// pairing (CNormalizeModel, CExtractItems) derive from it.
#pragma once

#include "engine/animate_item.h"
#include "stroke/figures.h"

#include <cstdint>
#include <string>

namespace mrv {

class CEnumerator {
public:
    virtual ~CEnumerator() = default;

    virtual void VisitModel(stroke::CModel& start, stroke::CModel& end);          // children
    virtual void VisitLayer(stroke::CLayer& start, stroke::CLayer& end);          // children
    virtual void VisitLine(stroke::CLine& start, stroke::CLine& end);             // parts
    virtual void VisitLinePart(stroke::CLinePart& start, stroke::CLinePart& end); // points
    virtual void VisitLinePoint(stroke::CLinePoint& start, stroke::CLinePoint& end);
    virtual void VisitTangentPoint(stroke::CTangentPoint& start, stroke::CTangentPoint& end);
    virtual void VisitText(stroke::CText& start, stroke::CText& end); // baseline parts
    // Checks that the two figures exist, are of the same kind and of the class the kind stands
    // for, then calls the visit method of that class. Either pointer may be null.
    virtual void VisitFigure(stroke::CFigure* start, stroke::CFigure* end);
    // Compares the child counts, then VisitFigure on each pair of children.
    virtual void VisitChildren(stroke::CContainer& start, stroke::CContainer& end);

    // Starts a walk at the two roots (VisitFigure with an empty path).
    void Walk(stroke::CFigure& start, stroke::CFigure& end);

protected:
    // Parts of a line or text (count message: line elements or baseline elements), points of a
    // part, handles of a point; each pair through the visit method of its class.
    void VisitParts(stroke::CPartHolder& start, stroke::CPartHolder& end);
    void VisitPoints(stroke::CLinePart& start, stroke::CLinePart& end);
    void VisitTangents(stroke::CLinePoint& start, stroke::CLinePoint& end);

    // Path of the pair being visited.
    const TreePath& Path() const { return m_path; }
    std::string PositionText() const { return FormatTreePath(m_path); }

private:
    template <class T, class Visit>
    void VisitSequence(const stroke::ChildList<T>& start, const stroke::ChildList<T>& end,
                       const stroke::CFigure& startHolder, const stroke::CFigure& endHolder,
                       std::uint32_t countMessage, Visit visit);
    // Slot 7 for the elements of a typed sequence: missing elements are reported like missing
    // figures.
    bool CheckPresent(const stroke::CFigure* start, const stroke::CFigure* end) const;

    TreePath m_path;
};

} // namespace mrv
