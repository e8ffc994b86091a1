// stroke::CLine: a drawn line made of line parts, painted along its outline with the line fill
// and inside with the area fill.
#pragma once

#include "stroke/part_holder.h"

namespace stroke {

class CLine : public CPartHolder {
public:
    CLine() = default;

    FigureType GetType() const override { return FIGURE_LINE; }
    FigurePtr Clone() const override;
    // The largest width of the parts (0.0 without parts).
    double GetWidth() const override;
    // Sets the width of every point of every part.
    void SetWidth(double width) override;
    std::size_t GetDataSize() const override { return SharedDataSize(); }
    void CheckSame(const CFigure& other) const override;
    void Dump(std::ostream& out) const override;

protected:
    CLine(const CLine& other) = default;
};

using LinePtr = boost::shared_ptr<CLine>;

} // namespace stroke
