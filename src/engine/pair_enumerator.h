// mrv::CEnumerator: a walk over two figure trees side by side (START and END), figure by figure
// in tree order, that checks their structure. The walkers of pairing (CNormalizeModel,
// CExtractItems) derive from it. Every difference a walk meets goes through Report: a run stops
// there with its message; a check (with a CDifferenceSink) records it and walks on.
#pragma once

#include "common/error.h"
#include "engine/animate_item.h"
#include "stroke/figures.h"

#include <cstdint>
#include <string>
#include <utility>

namespace mrv {

// A difference between START and END that a walk met: the message a run stops with, and the
// two figures it is about (for a count, the two holders; for the page or the colour space, the
// two models). The figures belong to the models walked and live as long as they do.
struct CPairDifference {
    CSimpleErr m_message;
    // Child indices of the pair from the roots; the same on both sides, as the walk pairs
    // figures index by index. FigureAt(root, m_path) finds either figure again.
    TreePath m_path;
    const stroke::CFigure* m_start = nullptr; // null where START has no figure
    const stroke::CFigure* m_end = nullptr;   // null where END has no figure
    // Figures, kinds, classes or counts differ: nothing below the pair was compared.
    bool m_structural = false;

    // Position ("1-2-3", empty for the root) and name of each side; "(null)" without a figure.
    std::string StartPosition() const;
    std::string EndPosition() const;
    std::string StartName() const { return FigureNameText(m_start); }
    std::string EndName() const { return FigureNameText(m_end); }
};

// Takes the differences of a walk that goes on past them.
class CDifferenceSink {
public:
    virtual ~CDifferenceSink() = default;
    // Returning lets the walk go on past the difference; raising ends the walk there.
    virtual void Take(CPairDifference difference) = 0;
};

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

    // Without a sink (the default) the walk raises the first difference it meets; with one, it
    // hands every difference to the sink and goes on, not descending below a structural one.
    void SetSink(CDifferenceSink* sink) { m_sink = sink; }

protected:
    // A difference at the current position between the figures start and end. makeMessage
    // returns the my::CException a run raises; a failure while making it (a value that has no
    // name) stands for the difference in a check.
    template <class MakeMessage>
    void Report(const stroke::CFigure* start, const stroke::CFigure* end, bool structural,
                MakeMessage makeMessage) const {
        if (m_sink == nullptr) {
            throw makeMessage();
        }
        CPairDifference difference{{}, m_path, start, end, structural};
        try {
            difference.m_message = makeMessage();
        } catch (const my::CException& e) {
            difference.m_message = e;
        }
        m_sink->Take(std::move(difference));
    }

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
    // The check of the elements of a typed sequence: missing elements are reported like missing
    // figures. True when both are there.
    bool CheckPresent(const stroke::CFigure* start, const stroke::CFigure* end) const;
    void ReportClassMismatch(bool startWrong, const char* label, const stroke::CFigure& start,
                             const stroke::CFigure& end) const;

    TreePath m_path;
    CDifferenceSink* m_sink = nullptr;
};

} // namespace mrv
