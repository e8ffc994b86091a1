#include "stroke/part_holder.h"

#include "stroke/line_part.h"

#include <ostream>

namespace stroke {

namespace {

std::string Field(std::string_view prefix, std::string_view name) {
    return std::string(prefix) + std::string(name);
}

} // namespace

CPartHolder::CPartHolder(const CPartHolder& other)
    : CFigure(other), m_name(other.m_name), m_lineFill(CloneFill(other.m_lineFill)),
      m_areaFill(CloneFill(other.m_areaFill)), m_lineCap(other.m_lineCap),
      m_lineJoin(other.m_lineJoin) {
    detail::CloneInto(m_parts, other.m_parts, *this);
}

CPartHolder::~CPartHolder() {
    detail::DetachAll(m_parts, this);
}

void CPartHolder::RemoveChild(const CFigure& child) {
    detail::RemoveFrom(m_parts, child, this);
}

void CPartHolder::RemoveChildAt(std::size_t index) {
    detail::RemoveAt(m_parts, index, this);
}

std::size_t CPartHolder::IndexOf(const CFigure& child) const {
    return detail::IndexIn(m_parts, child);
}

FigurePtr CPartHolder::GetChild(std::size_t index) const {
    return detail::GetAt(m_parts, index, *this);
}

void CPartHolder::InsertChild(std::size_t index, const FigurePtr& child) {
    detail::InsertTyped(m_parts, index, child, *this);
}

my::pointd CPartHolder::GetCenter() const {
    return detail::MeanCenter(m_parts);
}

bool CPartHolder::Move(const my::pointd& offset) {
    return detail::MoveAll(m_parts, offset);
}

void CPartHolder::CheckParents() const {
    detail::CheckParentsOf(m_parts, this);
}

void CPartHolder::CheckSameName(const CPartHolder& other, std::string_view prefix) const {
    detail::CheckField(m_name, other.m_name, Field(prefix, "m_name"));
}

void CPartHolder::CheckSameStyle(const CPartHolder& other, std::string_view prefix) const {
    detail::CheckSamePtr(m_lineFill, other.m_lineFill, Field(prefix, "m_lineFill"));
    detail::CheckSamePtr(m_areaFill, other.m_areaFill, Field(prefix, "m_areaFill"));
    detail::CheckField(m_lineCap, other.m_lineCap, Field(prefix, "m_lineCap"));
    detail::CheckField(m_lineJoin, other.m_lineJoin, Field(prefix, "m_lineJoin"));
    detail::CheckSameList(m_parts, other.m_parts, Field(prefix, "m_parts"));
}

std::size_t CPartHolder::SharedDataSize() const {
    return CFigure::GetDataSize() + 4 + 2 * m_name.size() + FillDataSize(m_lineFill) +
           FillDataSize(m_areaFill) + 4 + 4 + detail::DataSizeOf(m_parts);
}

void CPartHolder::DumpShared(std::ostream& out) const {
    DumpFill(out, ", lineFill: ", m_lineFill);
    DumpFill(out, ", areaFill: ", m_areaFill);
    out << ", lineCap: " << m_lineCap << ", lineJoin: " << m_lineJoin;
    detail::DumpList(out, ", m_parts {", m_parts);
}

} // namespace stroke
