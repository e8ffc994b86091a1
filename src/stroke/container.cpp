#include "stroke/container.h"

#include "stroke/layer_model.h"
#include "stroke/line.h"
#include "stroke/text.h"

namespace stroke {

CContainer::CContainer(const CContainer& other) : CFigure(other) {
    detail::CloneInto(m_children, other.m_children, *this);
}

CContainer::~CContainer() {
    detail::DetachAll(m_children, this);
}

void CContainer::RemoveChild(const CFigure& child) {
    detail::RemoveFrom(m_children, child, this);
}

void CContainer::RemoveChildAt(std::size_t index) {
    detail::RemoveAt(m_children, index, this);
}

std::size_t CContainer::IndexOf(const CFigure& child) const {
    return detail::IndexIn(m_children, child);
}

FigurePtr CContainer::GetChild(std::size_t index) const {
    return detail::GetAt(m_children, index, *this);
}

void CContainer::InsertChild(std::size_t index, const FigurePtr& child) {
    const CFigure* f = child.get();
    const bool accepted = dynamic_cast<const CLine*>(f) || dynamic_cast<const CText*>(f) ||
                          (dynamic_cast<const CLayer*>(f) && !dynamic_cast<const CModel*>(f));
    if (!accepted) {
        throw my::CException(IDS_INSERT_TYPE_INVALID);
    }
    detail::InsertInto(m_children, index, child, *this);
}

my::pointd CContainer::GetCenter() const {
    return detail::MeanCenter(m_children);
}

bool CContainer::Move(const my::pointd& offset) {
    return detail::MoveAll(m_children, offset);
}

double CContainer::GetWidth() const {
    return detail::MaxWidth(m_children);
}

void CContainer::SetWidth(double width) {
    detail::SetWidthAll(m_children, width);
}

std::uint32_t CContainer::GetLineCap() const {
    std::uint32_t caps = 0;
    detail::ForEachChild(m_children, [&](const CFigure& child) { caps |= child.GetLineCap(); });
    return caps;
}

void CContainer::SetLineCap(std::uint32_t cap) {
    detail::ForEachChild(m_children, [cap](CFigure& child) { child.SetLineCap(cap); });
}

std::uint32_t CContainer::GetLineJoin() const {
    std::uint32_t joins = 0;
    detail::ForEachChild(m_children, [&](const CFigure& child) { joins |= child.GetLineJoin(); });
    return joins;
}

void CContainer::SetLineJoin(std::uint32_t join) {
    detail::ForEachChild(m_children, [join](CFigure& child) { child.SetLineJoin(join); });
}

std::size_t CContainer::GetDataSize() const {
    return CFigure::GetDataSize() + detail::DataSizeOf(m_children);
}

void CContainer::CheckParents() const {
    detail::CheckParentsOf(m_children, this);
}

void CContainer::CheckSame(const CFigure& other) const {
    CFigure::CheckSame(other);
    const auto& o = static_cast<const CContainer&>(other);
    detail::CheckSameList(m_children, o.m_children, "stroke::CContainer::m_children");
}

} // namespace stroke
