#include "engine/pair_enumerator.h"

#include "common/error.h"
#include "common/message_ids.h"

namespace mrv {

namespace {

template <class T> T* As(stroke::CFigure* figure) {
    return dynamic_cast<T*>(figure);
}

} // namespace

std::string CPairDifference::StartPosition() const {
    return m_start != nullptr ? FormatTreePath(m_path) : "(null)";
}

std::string CPairDifference::EndPosition() const {
    return m_end != nullptr ? FormatTreePath(m_path) : "(null)";
}

void CEnumerator::Walk(stroke::CFigure& start, stroke::CFigure& end) {
    m_path.clear();
    VisitFigure(&start, &end);
}

void CEnumerator::VisitModel(stroke::CModel& start, stroke::CModel& end) {
    VisitChildren(start, end);
}

void CEnumerator::VisitLayer(stroke::CLayer& start, stroke::CLayer& end) {
    VisitChildren(start, end);
}

void CEnumerator::VisitLine(stroke::CLine& start, stroke::CLine& end) {
    VisitParts(start, end);
}

void CEnumerator::VisitLinePart(stroke::CLinePart& start, stroke::CLinePart& end) {
    VisitPoints(start, end);
}

void CEnumerator::VisitLinePoint(stroke::CLinePoint& start, stroke::CLinePoint& end) {
    VisitTangents(start, end);
}

void CEnumerator::VisitTangentPoint(stroke::CTangentPoint&, stroke::CTangentPoint&) {}

void CEnumerator::VisitText(stroke::CText& start, stroke::CText& end) {
    VisitParts(start, end);
}

bool CEnumerator::CheckPresent(const stroke::CFigure* start, const stroke::CFigure* end) const {
    if (start == nullptr && end == nullptr) {
        return false;
    }
    if (start == nullptr || end == nullptr) {
        Report(start, end, true, [&] {
            return my::CException(start == nullptr ? IDS_PAIR_START_NULL : IDS_PAIR_END_NULL,
                                  PositionText());
        });
        return false;
    }
    return true;
}

void CEnumerator::ReportClassMismatch(bool startWrong, const char* label,
                                      const stroke::CFigure& start,
                                      const stroke::CFigure& end) const {
    Report(&start, &end, true, [&] {
        return my::CException(
            startWrong ? IDS_PAIR_START_CLASS_MISMATCH : IDS_PAIR_END_CLASS_MISMATCH,
            std::string(label), FigureNameText(&start), FigureNameText(&end), PositionText());
    });
}

void CEnumerator::VisitFigure(stroke::CFigure* start, stroke::CFigure* end) {
    if (!CheckPresent(start, end)) {
        return;
    }
    const std::uint32_t type = start->GetType();
    if (type != end->GetType()) {
        Report(start, end, true, [&] {
            return my::CException(IDS_PAIR_KIND_MISMATCH, FigureKindLabel(start),
                                  FigureKindLabel(end), FigureNameText(start), FigureNameText(end),
                                  PositionText());
        });
        return;
    }
    // Dispatches when both are of class T; otherwise names the side that is not.
    const auto dispatch = [&]<class T>(const char* label, auto slot) {
        T* s = As<T>(start);
        T* e = As<T>(end);
        if (s != nullptr && e != nullptr) {
            (this->*slot)(*s, *e);
        } else {
            ReportClassMismatch(e != nullptr, label, *start, *end);
        }
    };
    switch (type) {
    case stroke::FIGURE_LAYER: {
        // A model is a layer too: the model class is tried first.
        auto* startModel = As<stroke::CModel>(start);
        auto* endModel = As<stroke::CModel>(end);
        if (startModel != nullptr && endModel != nullptr) {
            VisitModel(*startModel, *endModel);
        } else if (startModel != nullptr || endModel != nullptr) {
            ReportClassMismatch(startModel == nullptr, "Model", *start, *end);
        } else {
            dispatch.operator()<stroke::CLayer>("Layer", &CEnumerator::VisitLayer);
        }
        return;
    }
    case stroke::FIGURE_LINE:
        dispatch.operator()<stroke::CLine>("Line", &CEnumerator::VisitLine);
        return;
    case stroke::FIGURE_CTRL:
        dispatch.operator()<stroke::CLinePoint>("LinePoint", &CEnumerator::VisitLinePoint);
        return;
    case stroke::FIGURE_TANGENT:
        dispatch.operator()<stroke::CTangentPoint>("TangentPoint", &CEnumerator::VisitTangentPoint);
        return;
    case stroke::FIGURE_PART:
        dispatch.operator()<stroke::CLinePart>("LinePart", &CEnumerator::VisitLinePart);
        return;
    case stroke::FIGURE_TEXT:
        dispatch.operator()<stroke::CText>("Text", &CEnumerator::VisitText);
        return;
    default:
        Report(start, end, true, [&] {
            return my::CException(IDS_PAIR_UNSUPPORTED_KIND, FigureKindLabel(start),
                                  FigureNameText(start), FigureNameText(end), PositionText());
        });
        return;
    }
}

template <class T, class Visit>
void CEnumerator::VisitSequence(const stroke::ChildList<T>& start, const stroke::ChildList<T>& end,
                                const stroke::CFigure& startHolder,
                                const stroke::CFigure& endHolder, std::uint32_t countMessage,
                                Visit visit) {
    if (start.size() != end.size()) {
        Report(&startHolder, &endHolder, true, [&] {
            return my::CException(countMessage, start.size(), end.size(),
                                  FigureNameText(&startHolder), FigureNameText(&endHolder),
                                  PositionText());
        });
        return;
    }
    for (std::size_t i = 0; i < start.size(); ++i) {
        m_path.push_back(i);
        visit(start[i].get(), end[i].get());
        m_path.pop_back();
    }
}

void CEnumerator::VisitChildren(stroke::CContainer& start, stroke::CContainer& end) {
    VisitSequence(start.m_children, end.m_children, start, end, IDS_PAIR_CHILD_COUNT,
                  [this](stroke::CFigure* s, stroke::CFigure* e) { VisitFigure(s, e); });
}

void CEnumerator::VisitParts(stroke::CPartHolder& start, stroke::CPartHolder& end) {
    const std::uint32_t message =
        start.GetType() == stroke::FIGURE_TEXT ? IDS_PAIR_BASELINE_COUNT : IDS_PAIR_PART_COUNT;
    VisitSequence(start.m_parts, end.m_parts, start, end, message,
                  [this](stroke::CLinePart* s, stroke::CLinePart* e) {
                      if (CheckPresent(s, e)) {
                          VisitLinePart(*s, *e);
                      }
                  });
}

void CEnumerator::VisitPoints(stroke::CLinePart& start, stroke::CLinePart& end) {
    VisitSequence(start.m_points, end.m_points, start, end, IDS_PAIR_POINT_COUNT,
                  [this](stroke::CLinePoint* s, stroke::CLinePoint* e) {
                      if (CheckPresent(s, e)) {
                          VisitLinePoint(*s, *e);
                      }
                  });
}

void CEnumerator::VisitTangents(stroke::CLinePoint& start, stroke::CLinePoint& end) {
    VisitSequence(start.m_tangents, end.m_tangents, start, end, IDS_PAIR_TANGENT_COUNT,
                  [this](stroke::CTangentPoint* s, stroke::CTangentPoint* e) {
                      if (CheckPresent(s, e)) {
                          VisitTangentPoint(*s, *e);
                      }
                  });
}

} // namespace mrv
