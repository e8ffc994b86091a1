// stroke::CTransformColor brings the colours of a model into another colour space (the working
// RGB space of a generation): the fills of its layers, lines and texts, colour by colour, and
// texture bitmaps as converted copies. stroke::CTransformFillColor converts one fill.
#pragma once

#include "platform/color_profile.h"
#include "platform/color_transform.h"
#include "stroke/enumerator.h"
#include "stroke/fill_setting.h"

#include <boost/shared_ptr.hpp>
#include <cstdint>
#include <memory>

namespace stroke {

class CTransformFillColor : public CFillProcessor {
public:
    CTransformFillColor() = default;
    ~CTransformFillColor() override;

    // Builds the colour transform between the two profiles. Colour types other than RGB and
    // CMYK raise IDS_COLOR_SPACE_INVALID; profiles that do not fit their types or do not
    // combine raise IDS_ICM_TRANSFORM_CREATE_FAILED.
    // An empty source profile stands for the default profile of the source type (the working
    // space for RGB, the installed CMYK profile for CMYK), an empty destination profile for
    // the working space.
    void Setup(std::uint32_t srcColorType, boost::shared_ptr<CColorProfile> srcProfile,
               std::uint32_t dstColorType, boost::shared_ptr<CColorProfile> dstProfile);

    void ProcessMono(CMonoSetting& fill) override;
    void ProcessGradation(CGradationSetting& fill) override;
    // Replaces the bitmap with a converted copy in the destination layout (alpha kept when the
    // bitmap had one); grey bitmaps are widened to the source type first.
    void ProcessTexture(CTextureSetting& fill) override;

    // Converts one colour in place: the destination type's channels are overwritten, the
    // others and the alpha are kept. IDS_ICM_TRANSLATE_FAILED when the engine fails.
    void ConvertColor(CColor& color) const;

private:
    std::uint32_t m_srcColorType = COLOR_RGB;
    std::uint32_t m_dstColorType = COLOR_RGB;
    boost::shared_ptr<CColorProfile> m_srcProfile;
    boost::shared_ptr<CColorProfile> m_dstProfile;
    std::unique_ptr<icm::CColorTransform> m_transform;
};

class CTransformColor : public CEnumerator {
public:
    // Every kind of figure but line parts.
    static constexpr std::uint32_t kMask = FIGURE_ALL & ~std::uint32_t{FIGURE_PART};

    CTransformColor();

    // Converts the fills of every layer, line and text below the model (not the model's own)
    // from the source colour space to RGB under dstProfile, and marks each visited figure
    // with STATE_TRANSFORMED. The model's colour type, profile and resolution stay as they
    // are: the caller updates them. Failures raise my::CException and leave the fills
    // converted so far changed, so the caller discards the model.
    static void Convert(CModel& model, std::uint32_t srcColorType,
                        boost::shared_ptr<CColorProfile> srcProfile,
                        boost::shared_ptr<CColorProfile> dstProfile);

    void VisitModel(CModel& model) override;
    void VisitLayer(CLayer& layer) override;
    void VisitLine(CLine& line) override;
    void VisitText(CText& text) override;

private:
    void ConvertFills(CFigure& figure);

    CTransformFillColor m_worker;
};

} // namespace stroke
