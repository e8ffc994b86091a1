#include "stroke/layer_model.h"

#include <boost/make_shared.hpp>
#include <ostream>

namespace stroke {

CLayer::CLayer(const CLayer& other)
    : CContainer(other), m_name(other.m_name), m_lineFill(CloneFill(other.m_lineFill)),
      m_areaFill(CloneFill(other.m_areaFill)) {}

FigurePtr CLayer::Clone() const {
    return FigurePtr(new CLayer(*this));
}

std::size_t CLayer::GetDataSize() const {
    return CContainer::GetDataSize() + 4 + 2 * m_name.size() + FillDataSize(m_lineFill) +
           FillDataSize(m_areaFill);
}

void CLayer::CheckSame(const CFigure& other) const {
    CContainer::CheckSame(other);
    const auto& o = static_cast<const CLayer&>(other);
    detail::CheckField(m_name, o.m_name, "stroke::CLayer::m_name");
}

void CLayer::DumpLayer(std::ostream& out) const {
    DumpName(out, ", name: ", m_name);
    DumpFill(out, ", lineFill: ", m_lineFill);
    DumpFill(out, ", areaFill: ", m_areaFill);
    detail::DumpList(out, ", m_children {", m_children);
}

void CLayer::Dump(std::ostream& out) const {
    DumpOpen(out);
    DumpLayer(out);
    out << '}';
}

CModel::CModel() : m_colorProfile(boost::make_shared<CColorProfile>()) {}

FigurePtr CModel::Clone() const {
    return FigurePtr(new CModel(*this));
}

std::size_t CModel::GetDataSize() const {
    const std::size_t profile = m_colorProfile ? 6 + m_colorProfile->Data().size() : 2;
    return CLayer::GetDataSize() + 4 + 4 + profile + 3 * 8;
}

void CModel::CheckSame(const CFigure& other) const {
    CLayer::CheckSame(other);
    const auto& o = static_cast<const CModel&>(other);
    detail::CheckField(m_unit, o.m_unit, "stroke::CModel::m_unit");
    detail::CheckField(m_width, o.m_width, "stroke::CModel::m_width");
    detail::CheckField(m_height, o.m_height, "stroke::CModel::m_height");
}

void CModel::Dump(std::ostream& out) const {
    DumpOpen(out);
    out << ", unit: " << m_unit << ", colorType: " << m_colorType
        << ", resolution: " << m_resolution << ", width: " << m_width << ", height: " << m_height;
    DumpLayer(out);
    out << '}';
}

} // namespace stroke
