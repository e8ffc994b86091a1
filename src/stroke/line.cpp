#include "stroke/line.h"

#include "stroke/line_part.h"

#include <ostream>

namespace stroke {

FigurePtr CLine::Clone() const {
    return FigurePtr(new CLine(*this));
}

double CLine::GetWidth() const {
    return detail::MaxWidth(m_parts);
}

void CLine::SetWidth(double width) {
    detail::SetWidthAll(m_parts, width);
}

void CLine::CheckSame(const CFigure& other) const {
    CFigure::CheckSame(other);
    const auto& o = static_cast<const CLine&>(other);
    CheckSameName(o, "stroke::CLine::");
    CheckSameStyle(o, "stroke::CLine::");
}

void CLine::Dump(std::ostream& out) const {
    DumpOpen(out);
    DumpName(out, ", name: ", m_name);
    DumpShared(out);
    out << '}';
}

} // namespace stroke
