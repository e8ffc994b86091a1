#include "stroke/fill_setting.h"

#include "stroke/check_same.h"
#include "stroke/gradation.h"
#include "stroke/texture.h"

#include <typeinfo>

namespace stroke {

void CFillProcessor::Process(CFillSetting& fill) {
    if (auto* mono = dynamic_cast<CMonoSetting*>(&fill)) {
        ProcessMono(*mono);
    } else if (auto* gradation = dynamic_cast<CGradationSetting*>(&fill)) {
        ProcessGradation(*gradation);
    } else if (auto* texture = dynamic_cast<CTextureSetting*>(&fill)) {
        ProcessTexture(*texture);
    } else {
        throw my::InternalError("stroke::CFillProcessor::Process()\nUnknown fill class");
    }
}

std::string_view CFillSetting::ClassName() const {
    if (dynamic_cast<const CMonoSetting*>(this)) {
        return "stroke::CMonoSetting";
    }
    if (dynamic_cast<const CGradationSetting*>(this)) {
        return "stroke::CGradationSetting";
    }
    if (dynamic_cast<const CTextureSetting*>(this)) {
        return "stroke::CTextureSetting";
    }
    return "stroke::CFillSetting";
}

void CFillSetting::CheckClass(const CFillSetting& other) const {
    if (typeid(other) != typeid(*this)) {
        detail::ClassMismatch(ClassName(), other.ClassName());
    }
}

bool FillsEqual(const FillPtr& a, const FillPtr& b) {
    if (a == b) {
        return true;
    }
    return a && b && a->IsEqual(*b);
}

FillPtr CloneFill(const FillPtr& fill) {
    return fill ? fill->Clone() : FillPtr();
}

std::size_t FillDataSize(const FillPtr& fill) {
    return 2 + (fill ? fill->GetDataSize() : 0);
}

bool CMonoSetting::IsEqual(const CFillSetting& other) const {
    return typeid(other) == typeid(*this) &&
           static_cast<const CMonoSetting&>(other).m_color == m_color;
}

FillPtr CMonoSetting::Clone() const {
    return FillPtr(new CMonoSetting(*this));
}

void CMonoSetting::CheckSame(const CFillSetting& other) const {
    CheckClass(other);
    const auto& o = static_cast<const CMonoSetting&>(other);
    detail::CheckField(m_color, o.m_color, "stroke::CMonoSetting::m_color");
}

} // namespace stroke
