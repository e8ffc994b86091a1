#include "stroke/texture.h"

#include "stroke/check_same.h"

#include <tuple>
#include <typeinfo>

namespace stroke {

namespace {

auto Values(const CTextureSetting& t) {
    return std::tie(t.m_path, t.m_alpha, t.m_angle, t.m_fitType, t.m_rateX, t.m_rateY, t.m_sameRate,
                    t.m_flip, t.m_offsetX, t.m_offsetY);
}

} // namespace

bool CTextureSetting::IsEqual(const CFillSetting& other) const {
    return typeid(other) == typeid(*this) &&
           Values(*this) == Values(static_cast<const CTextureSetting&>(other));
}

FillPtr CTextureSetting::Clone() const {
    return FillPtr(new CTextureSetting(*this));
}

std::size_t CTextureSetting::GetDataSize() const {
    std::size_t size = 59 + 2 * m_path.size();
    if (m_bitmap) {
        size += m_bitmap->ByteSize() + 36;
        if (m_bitmap->m_context) {
            size += m_bitmap->m_context->m_profile.size() + 8;
        }
    }
    return size;
}

void CTextureSetting::CheckSame(const CFillSetting& other) const {
    CheckClass(other);
    const auto& o = static_cast<const CTextureSetting&>(other);
    using detail::CheckField;
    CheckField(m_path, o.m_path, "stroke::CTextureSetting::m_path");
    CheckField(m_alpha, o.m_alpha, "stroke::CTextureSetting::m_alpha");
    CheckField(m_angle, o.m_angle, "stroke::CTextureSetting::m_angle");
    CheckField(m_fitType, o.m_fitType, "stroke::CTextureSetting::m_fitType");
    CheckField(m_rateX, o.m_rateX, "stroke::CTextureSetting::m_rateX");
    CheckField(m_rateY, o.m_rateY, "stroke::CTextureSetting::m_rateY");
    CheckField(m_sameRate, o.m_sameRate, "stroke::CTextureSetting::m_sameRate");
    CheckField(m_flip, o.m_flip, "stroke::CTextureSetting::m_flip");
    CheckField(m_offsetX, o.m_offsetX, "stroke::CTextureSetting::m_offsetX");
    CheckField(m_offsetY, o.m_offsetY, "stroke::CTextureSetting::m_offsetY");
}

} // namespace stroke
