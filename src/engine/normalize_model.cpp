#include "engine/normalize_model.h"

namespace mrv {

void CNormalizeModel::VisitFigure(stroke::CFigure* start, stroke::CFigure* end) {
    if (start != nullptr && end != nullptr) {
        end->m_state = start->m_state;
    }
    CEnumerator::VisitFigure(start, end);
}

} // namespace mrv
