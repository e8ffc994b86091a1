#include "platform/color_transform.h"

#include "common/color.h"
#include "common/error.h"
#include "common/message_ids.h"
#include "common/messages.h"
#include "platform/lcms_support.h"

#include <algorithm>
#include <string>
#include <tuple>

namespace icm {

namespace {

void CheckType(std::uint32_t colorType) {
    if (colorType != stroke::COLOR_RGB && colorType != stroke::COLOR_CMYK) {
        throw my::CException(IDS_ICM_COLOR_SPACE_UNKNOWN, colorType);
    }
}

} // namespace

bool ProfileMatchesType(const CColorProfile& profile, std::uint32_t colorType) {
    switch (colorType) {
    case stroke::COLOR_RGB:
        return profile.ColorSpace() == CColorProfile::kSignatureRgb;
    case stroke::COLOR_CMYK:
        return profile.ColorSpace() == CColorProfile::kSignatureCmyk;
    default:
        return false;
    }
}

struct CColorTransform::CImpl {
    CLcmsContext context; // declared first: the transform must be deleted before it goes
    TransformHandle transform;
    bool identity = false;
    unsigned inChannels = 3;
    unsigned outChannels = 3;
};

CColorTransform::CColorTransform(const CColorProfile& source, std::uint32_t sourceType,
                                 const CColorProfile& destination, std::uint32_t destinationType)
    : m_impl(std::make_unique<CImpl>()) {
    CheckType(sourceType);
    CheckType(destinationType);
    for (const auto& [profile, type, notRgb, notCmyk] :
         {std::tuple(&source, sourceType, IDS_REASON_SOURCE_NOT_RGB, IDS_REASON_SOURCE_NOT_CMYK),
          std::tuple(&destination, destinationType, IDS_REASON_DESTINATION_NOT_RGB,
                     IDS_REASON_DESTINATION_NOT_CMYK)}) {
        if (!ProfileMatchesType(*profile, type)) {
            throw my::CException(
                IDS_ICM_TRANSFORM_CREATE_FAILED,
                std::string(my::MessageText(type == stroke::COLOR_CMYK ? notCmyk : notRgb)));
        }
    }
    m_impl->inChannels = sourceType == stroke::COLOR_CMYK ? 4 : 3;
    m_impl->outChannels = destinationType == stroke::COLOR_CMYK ? 4 : 3;
    m_impl->identity = sourceType == destinationType && source.IsSame(destination);
    if (m_impl->identity) {
        return;
    }
    // Few colours go through here, so the unoptimised pipeline gives the most exact values.
    const CErrorScope errors(m_impl->context);
    m_impl->transform.reset(cmsCreateTransformTHR(
        m_impl->context.Get(), source.Handle(),
        sourceType == stroke::COLOR_CMYK ? TYPE_CMYK_16 : TYPE_RGB_16, destination.Handle(),
        destinationType == stroke::COLOR_CMYK ? TYPE_CMYK_16 : TYPE_RGB_16, kIntent,
        cmsFLAGS_NOOPTIMIZE));
    if (!m_impl->transform) {
        throw my::CException(IDS_ICM_TRANSFORM_CREATE_FAILED,
                             m_impl->context.TakeError(
                                 std::string(my::MessageText(IDS_REASON_PROFILES_INCOMPATIBLE))));
    }
}

CColorTransform::~CColorTransform() = default;

bool CColorTransform::IsIdentity() const {
    return m_impl->identity;
}

CColorTransform::Channels CColorTransform::Convert(const Channels& in) const {
    Channels out{};
    if (m_impl->identity) {
        std::copy_n(in.begin(), m_impl->outChannels, out.begin());
        return out;
    }
    cmsDoTransform(m_impl->transform.get(), in.data(), out.data(), 1);
    std::string error = m_impl->context.TakeError({});
    if (!error.empty()) {
        throw my::CException(IDS_ICM_TRANSLATE_FAILED, error);
    }
    return out;
}

} // namespace icm
