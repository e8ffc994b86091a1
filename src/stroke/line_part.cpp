#include "stroke/line_part.h"

#include "stroke/line_point.h"

#include <ostream>

namespace stroke {

CLinePart::CLinePart(const CLinePart& other) : CFigure(other), m_partFlags(other.m_partFlags) {
    detail::CloneInto(m_points, other.m_points, *this);
}

CLinePart::~CLinePart() {
    detail::DetachAll(m_points, this);
}

FigurePtr CLinePart::Clone() const {
    return FigurePtr(new CLinePart(*this));
}

void CLinePart::RemoveChild(const CFigure& child) {
    detail::RemoveFrom(m_points, child, this);
}

void CLinePart::RemoveChildAt(std::size_t index) {
    detail::RemoveAt(m_points, index, this);
}

std::size_t CLinePart::IndexOf(const CFigure& child) const {
    return detail::IndexIn(m_points, child);
}

FigurePtr CLinePart::GetChild(std::size_t index) const {
    return detail::GetAt(m_points, index, *this);
}

void CLinePart::InsertChild(std::size_t index, const FigurePtr& child) {
    detail::InsertTyped(m_points, index, child, *this);
}

my::pointd CLinePart::GetCenter() const {
    return detail::MeanCenter(m_points);
}

bool CLinePart::Move(const my::pointd& offset) {
    return detail::MoveAll(m_points, offset);
}

double CLinePart::GetWidth() const {
    return detail::MaxWidth(m_points);
}

void CLinePart::SetWidth(double width) {
    detail::SetWidthAll(m_points, width);
}

std::size_t CLinePart::GetDataSize() const {
    return CFigure::GetDataSize() + 4 + detail::DataSizeOf(m_points);
}

void CLinePart::CheckParents() const {
    detail::CheckParentsOf(m_points, this);
}

void CLinePart::CheckSame(const CFigure& other) const {
    CFigure::CheckSame(other);
    const auto& o = static_cast<const CLinePart&>(other);
    detail::CheckSameList(m_points, o.m_points, "stroke::CLinePart::m_points");
}

void CLinePart::Dump(std::ostream& out) const {
    DumpOpen(out);
    out << ", closed: " << (IsClosed() ? "true" : "false");
    detail::DumpList(out, ", m_points {", m_points);
    out << '}';
}

} // namespace stroke
