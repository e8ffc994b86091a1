#include "render/model_renderer.h"

#include "common/error.h"
#include "common/units.h"
#include "platform/default_profiles.h"
#include "platform/image_transform.h"
#include "platform/img.h"
#include "render/img_renderer.h"
#include "stroke/layer_model.h"

#include <cmath>
#include <limits>

namespace stroke {
namespace {

std::uint32_t PixelTypeOf(std::uint32_t colorType) {
    switch (colorType) {
    case COLOR_RGB:
        return CImg::PIXEL_BGRA32;
    case COLOR_CMYK:
        return CImg::PIXEL_CMYKA40;
    default:
        throw my::InternalError("stroke::CImgRenderer::Render()\nunknown colorType: " +
                                std::to_string(colorType));
    }
}

// The profile the model's colours are in: its own, else the default of its colour space.
boost::shared_ptr<CColorProfile> SourceProfileOf(const CModel& model) {
    if (model.m_colorProfile) {
        return model.m_colorProfile;
    }
    return icm::CDefaultProfiles::System().Get(model.m_colorType);
}

} // namespace

double CModelRenderer::PixelsPerUnit(std::uint32_t unit, double resolution, double scale) {
    return ToPixels(scale, unit, resolution);
}

void CModelRenderer::Begin(CRenderer& walker, const std::u16string& name) {
    if (!m_model) {
        throw my::InternalError("stroke::CModelRenderer::Begin()\nNo model to draw");
    }
    CVectorRenderer& target = walker.Target();
    target.BeginDocument(name);
    target.BeginPage(m_pageWidth, m_pageHeight);
    const double px = PixelsPerUnit(m_model->m_unit, m_resolutionX, m_scale);
    const double py = PixelsPerUnit(m_model->m_unit, m_resolutionY, m_scale);
    ::CTransform transform;
    transform.m_11 = px;
    transform.m_12 = 0.0;
    transform.m_21 = 0.0;
    transform.m_22 = py;
    transform.m_dx = m_offsetX;
    transform.m_dy = m_offsetY;
    // One pen width for both axes, even when they scale differently.
    transform.m_widthScale = std::sqrt((px * px + py * py) / 2.0);
    target.SetTransform(transform);
    walker.SetPixelSize(1.0 / px, 1.0 / py);
}

void CModelRenderer::End(CRenderer& walker) {
    walker.Target().EndDocument();
    walker.Target().EndPage();
}

void CModelRenderer::Draw(CRenderer& walker, const std::u16string& name) {
    Begin(walker, name);
    walker.VisitModel(*m_model);
    End(walker);
}

boost::shared_ptr<CImg> CImgRenderer::Render(const CPageRect& page, const CColor& background,
                                             boost::shared_ptr<const CModel> model, double dpi) {
    if (!model) {
        throw my::InternalError("stroke::CImgRenderer::Render()\nNo model to draw");
    }
    // Widths in 64 bits: right - left of two 32-bit values may not fit in 32.
    const std::int64_t width = std::int64_t(page.right) - page.left;
    const std::int64_t height = std::int64_t(page.bottom) - page.top;
    if (width < 0 || height < 0) {
        throw my::InternalError("stroke::CImgRenderer::Render()\nInvalid page rectangle: " +
                                std::to_string(page.left) + ", " + std::to_string(page.top) + ", " +
                                std::to_string(page.right) + ", " + std::to_string(page.bottom));
    }
    m_model = model;
    m_resolutionX = m_resolutionY = dpi;
    m_scale = 1.0;
    m_offsetX = -static_cast<double>(page.left);
    m_offsetY = -static_cast<double>(page.top);
    m_pageWidth = static_cast<double>(width);
    m_pageHeight = static_cast<double>(height);

    const std::uint32_t pixelType = PixelTypeOf(model->m_colorType);
    raster::CImgRenderer target(pixelType);
    background.SetBkColorTo(target, model->m_colorType);
    CRenderer walker(target, model->m_colorType, pixelType);
    Draw(walker, u"");
    boost::shared_ptr<CImg> img = target.TakeImage();
    img->m_dpiX = img->m_dpiY = dpi;
    return ToOutput(std::move(img), *model);
}

boost::shared_ptr<CImg> CImgRenderer::ToOutput(boost::shared_ptr<CImg> img,
                                               const CModel& model) const {
    img->m_profile = model.m_colorProfile;
    if (!m_outputProfile) {
        return img;
    }
    const boost::shared_ptr<CColorProfile> source = SourceProfileOf(model);
    if (m_outputProfile->IsSame(*source)) {
        return img;
    }
    auto out = boost::shared_ptr<CImg>(new CImg);
    out->Allocate(PixelTypeOf(m_outputColorType), img->m_width, img->m_height);
    icm::TransformImage(*img, *source, *out, *m_outputProfile);
    out->m_dpiX = img->m_dpiX;
    out->m_dpiY = img->m_dpiY;
    out->m_profile = m_outputProfile;
    return out;
}

} // namespace stroke
