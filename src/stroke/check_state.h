// stroke::CCheckState: does any figure of the given kinds below a root carry one of the given
// state bits (is anything selected, is any line hidden)?
#pragma once

#include "stroke/enumerator.h"

namespace stroke {

class CCheckState : public CConstSimpleEnumerator {
public:
    // typeMask: FigureType bits of the figures to look at (also how deep the walk goes);
    // stateMask: m_state bits of which any one counts.
    CCheckState(std::uint32_t typeMask, std::uint32_t stateMask);

    // True when a figure at or below root matches; the walk stops at the first one.
    bool Check(const CFigure& root);

protected:
    bool OnVisit(const CFigure& figure) override;

private:
    std::uint32_t m_typeMask;
    std::uint32_t m_stateMask;
};

} // namespace stroke
