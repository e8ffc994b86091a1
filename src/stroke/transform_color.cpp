#include "stroke/transform_color.h"

#include "common/error.h"
#include "common/message_ids.h"
#include "platform/default_profiles.h"
#include "platform/image_transform.h"
#include "stroke/figures.h"
#include "stroke/gradation.h"
#include "stroke/texture.h"

#include <boost/make_shared.hpp>

namespace stroke {

namespace {

void CheckColorType(std::uint32_t colorType) {
    if (colorType != COLOR_RGB && colorType != COLOR_CMYK) {
        throw my::CException(IDS_COLOR_SPACE_INVALID);
    }
}

// The profile that stands for a missing one of a colour space.
boost::shared_ptr<CColorProfile> ProfileOrDefault(boost::shared_ptr<CColorProfile> profile,
                                                  std::uint32_t colorType) {
    if (profile) {
        return profile;
    }
    return icm::CDefaultProfiles::System().Get(colorType);
}

// Pixel type of a converted bitmap: the destination space, with alpha when the source had it.
std::uint32_t ConvertedPixelType(std::uint32_t dstColorType, bool alpha) {
    if (dstColorType == COLOR_CMYK) {
        return alpha ? CImg::PIXEL_CMYKA40 : CImg::PIXEL_CMYK32;
    }
    return alpha ? CImg::PIXEL_BGRA32 : CImg::PIXEL_BGR24;
}

} // namespace

CTransformFillColor::~CTransformFillColor() = default;

void CTransformFillColor::Setup(std::uint32_t srcColorType,
                                boost::shared_ptr<CColorProfile> srcProfile,
                                std::uint32_t dstColorType,
                                boost::shared_ptr<CColorProfile> dstProfile) {
    CheckColorType(srcColorType);
    CheckColorType(dstColorType);
    auto src = ProfileOrDefault(std::move(srcProfile), srcColorType);
    auto dst = ProfileOrDefault(std::move(dstProfile), dstColorType);
    auto transform = std::make_unique<icm::CColorTransform>(*src, srcColorType, *dst, dstColorType);
    m_srcColorType = srcColorType;
    m_dstColorType = dstColorType;
    m_srcProfile = std::move(src);
    m_dstProfile = std::move(dst);
    m_transform = std::move(transform);
}

void CTransformFillColor::ConvertColor(CColor& color) const {
    if (!m_transform) {
        throw my::InternalError("CTransformFillColor::ConvertColor()\nnot set up");
    }
    icm::CColorTransform::Channels in{};
    const std::size_t inCount = m_srcColorType == COLOR_CMYK ? 4 : 3;
    for (std::size_t i = 0; i < inCount; ++i) {
        in[i] = color.m_channels[i];
    }
    const icm::CColorTransform::Channels out = m_transform->Convert(in);
    const std::size_t outCount = m_dstColorType == COLOR_CMYK ? 4 : 3;
    for (std::size_t i = 0; i < outCount; ++i) {
        color.m_channels[i] = out[i];
    }
}

void CTransformFillColor::ProcessMono(CMonoSetting& fill) {
    ConvertColor(fill.m_color);
}

void CTransformFillColor::ProcessGradation(CGradationSetting& fill) {
    // Disabled stops too: enabling one later must not bring back colours of the old space.
    for (CColorStop& stop : fill.m_colors) {
        ConvertColor(stop.m_color);
    }
}

void CTransformFillColor::ProcessTexture(CTextureSetting& fill) {
    if (!fill.m_bitmap) {
        return;
    }
    const CImg& source = *fill.m_bitmap;
    const bool grey =
        source.m_pixelType == CImg::PIXEL_GREY8 || source.m_pixelType == CImg::PIXEL_MONO1;
    const CImg widened = grey ? icm::WidenGrey(source, m_srcColorType) : CImg{};
    const CImg& input = grey ? widened : source;

    auto converted = boost::make_shared<CImg>();
    converted->Allocate(ConvertedPixelType(m_dstColorType, input.HasAlpha()), input.m_width,
                        input.m_height);
    converted->m_dpiX = source.m_dpiX;
    converted->m_dpiY = source.m_dpiY;
    converted->m_profile = m_dstProfile;
    icm::TransformImage(input, *m_srcProfile, *converted, *m_dstProfile);
    // The bitmap may be shared with clones made before the conversion: it is replaced, never
    // changed in place.
    fill.m_bitmap = converted;
}

CTransformColor::CTransformColor() : CEnumerator(kMask) {}

void CTransformColor::Convert(CModel& model, std::uint32_t srcColorType,
                              boost::shared_ptr<CColorProfile> srcProfile,
                              boost::shared_ptr<CColorProfile> dstProfile) {
    CTransformColor walker;
    walker.m_worker.Setup(srcColorType, std::move(srcProfile), COLOR_RGB, std::move(dstProfile));
    walker.VisitFigure(model);
}

void CTransformColor::VisitModel(CModel& model) {
    // The model's own fills stay as they are; only what it holds is converted.
    VisitChildren(model);
}

void CTransformColor::VisitLayer(CLayer& layer) {
    ConvertFills(layer);
    VisitChildren(layer);
}

void CTransformColor::VisitLine(CLine& line) {
    ConvertFills(line);
}

void CTransformColor::VisitText(CText& text) {
    ConvertFills(text);
}

void CTransformColor::ConvertFills(CFigure& figure) {
    if (const FillPtr fill = figure.GetLineFill()) {
        m_worker.Process(*fill);
    }
    if (const FillPtr fill = figure.GetAreaFill()) {
        m_worker.Process(*fill);
    }
    figure.m_state |= STATE_TRANSFORMED;
}

} // namespace stroke
