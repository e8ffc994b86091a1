#include "stroke/check_state.h"

#include "stroke/figure.h"

namespace stroke {

CCheckState::CCheckState(std::uint32_t typeMask, std::uint32_t stateMask)
    : CConstSimpleEnumerator(typeMask), m_typeMask(typeMask), m_stateMask(stateMask) {}

bool CCheckState::Check(const CFigure& root) {
    return Walk(root);
}

bool CCheckState::OnVisit(const CFigure& figure) {
    const bool found = (figure.GetType() & m_typeMask) != 0 && (figure.m_state & m_stateMask) != 0;
    return !found;
}

} // namespace stroke
