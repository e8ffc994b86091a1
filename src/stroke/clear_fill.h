// stroke::CClearFill: removes the line fills, the area fills or both from a model, layer, line
// or text and everything below it.
#pragma once

#include "stroke/enumerator.h"

namespace stroke {

class CClearFill : public CEnumerator {
public:
    enum Flags : std::uint32_t { CLEAR_AREA = 1, CLEAR_LINE = 2 };

    CClearFill();

    // Empties the fills named by flags on root and below. A flag value of 4 or more is an
    // internal error, raised before anything changes.
    void Clear(CFigure& root, std::uint32_t flags);

    void VisitModel(CModel& model) override;
    void VisitLayer(CLayer& layer) override;
    void VisitLine(CLine& line) override;
    void VisitText(CText& text) override;

private:
    void ClearOf(CFigure& figure) const;

    std::uint32_t m_flags = 0;
};

} // namespace stroke
