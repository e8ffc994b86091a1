#include "stroke/line_point.h"

#include <ostream>

namespace stroke {

bool CCtrlPoint::Move(const my::pointd& offset) {
    x += offset.x;
    y += offset.y;
    return true;
}

void CCtrlPoint::RemoveChild(const CFigure&) {
    throw my::CException(IDS_DELETE_NOT_IMPLEMENTED);
}

void CCtrlPoint::RemoveChildAt(std::size_t) {
    throw my::CException(IDS_DELETE_NOT_IMPLEMENTED);
}

void CCtrlPoint::CheckSame(const CFigure& other) const {
    CFigure::CheckSame(other);
    const auto& o = static_cast<const CCtrlPoint&>(other);
    detail::CheckField(x, o.x, "stroke::CCtrlPoint::x");
    detail::CheckField(y, o.y, "stroke::CCtrlPoint::y");
}

void CCtrlPoint::DumpPosition(std::ostream& out) const {
    out << ", x: " << x << ", y: " << y;
}

FigurePtr CTangentPoint::Clone() const {
    return FigurePtr(new CTangentPoint(*this));
}

void CTangentPoint::Dump(std::ostream& out) const {
    DumpOpen(out);
    DumpPosition(out);
    out << '}';
}

CLinePoint::CLinePoint(const CLinePoint& other)
    : CCtrlPoint(other), m_flags(other.m_flags), m_width(other.m_width) {
    detail::CloneInto(m_tangents, other.m_tangents, *this);
}

CLinePoint::~CLinePoint() {
    detail::DetachAll(m_tangents, this);
}

FigurePtr CLinePoint::Clone() const {
    return FigurePtr(new CLinePoint(*this));
}

std::size_t CLinePoint::IndexOf(const CFigure& child) const {
    return detail::IndexIn(m_tangents, child);
}

FigurePtr CLinePoint::GetChild(std::size_t index) const {
    return detail::GetAt(m_tangents, index, *this);
}

void CLinePoint::InsertChild(std::size_t index, const FigurePtr& child) {
    detail::InsertTyped(m_tangents, index, child, *this);
}

bool CLinePoint::Move(const my::pointd& offset) {
    CCtrlPoint::Move(offset);
    detail::MoveAll(m_tangents, offset);
    return true;
}

std::size_t CLinePoint::GetDataSize() const {
    return CCtrlPoint::GetDataSize() + 4 + 8 + detail::DataSizeOf(m_tangents);
}

void CLinePoint::CheckParents() const {
    detail::CheckParentsOf(m_tangents, this);
}

void CLinePoint::CheckSame(const CFigure& other) const {
    CCtrlPoint::CheckSame(other);
    const auto& o = static_cast<const CLinePoint&>(other);
    detail::CheckField(m_flags, o.m_flags, "stroke::CLinePoint::m_flags");
    detail::CheckField(m_width, o.m_width, "stroke::CLinePoint::m_width");
    detail::CheckSameList(m_tangents, o.m_tangents, "stroke::CLinePoint::m_tangents");
}

void CLinePoint::Dump(std::ostream& out) const {
    DumpOpen(out);
    DumpPosition(out);
    out << ", flags: " << m_flags << ", width: " << m_width;
    detail::DumpList(out, ", m_tangents {", m_tangents);
    out << '}';
}

my::pointd CLinePoint::GetTangentOr(std::size_t index) const {
    if (index < m_tangents.size() && m_tangents[index]) {
        return m_tangents[index]->Position();
    }
    return Position();
}

} // namespace stroke
