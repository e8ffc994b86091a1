// stroke::CModelRenderer and stroke::CImgRenderer: the entry point that draws a whole model into
// a pixel image of a page rectangle at a resolution over a background, and hands the image out
// in the colour space the output wants.
#pragma once

#include "common/color.h"
#include "render/renderer.h"

#include <boost/shared_ptr.hpp>
#include <cstdint>
#include <string>

struct CImg;
class CColorProfile;

namespace stroke {

class CModel;

// A rectangle of output pixels in the model's pixel space; right and bottom are exclusive.
struct CPageRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

// Sets a drawing target up for a model (page, transform from model units to pixels) and walks
// the model into it.
class CModelRenderer {
public:
    virtual ~CModelRenderer() = default;

    // BeginDocument and BeginPage, then the transform: model units to pixels by the model's unit,
    // the resolution and the scale, shifted by the offset. An unknown unit raises
    // IDS_UNKNOWN_UNIT.
    virtual void Begin(CRenderer& walker, const std::u16string& name);
    // EndDocument, then EndPage.
    virtual void End(CRenderer& walker);
    // Begin, the walk over the model, End.
    virtual void Draw(CRenderer& walker, const std::u16string& name);

    // Pixels per model unit on each axis for the model's unit; IDS_UNKNOWN_UNIT for an unknown
    // unit.
    static double PixelsPerUnit(std::uint32_t unit, double resolution, double scale);

    boost::shared_ptr<const CModel> m_model;
    double m_offsetX = 0.0; // pixels, added after scaling
    double m_offsetY = 0.0;
    double m_pageWidth = 0.0; // pixels
    double m_pageHeight = 0.0;
    double m_resolutionX = 72.0; // dots per inch
    double m_resolutionY = 72.0;
    double m_scale = 1.0;
};

class CImgRenderer : public CModelRenderer {
public:
    // Draws the model over the background (a colour of the model's colour type) into a new image
    // of the page rectangle: RGB models give pixel type 0 (B, G, R, A), CMYK models type 2
    // (C, M, Y, K, A). The image carries the resolution and the model's colour profile; when an
    // output profile is set and is not the model's colour space, the image is converted into
    // the output colour type and carries the output profile. Failures raise my::CException:
    // IDS_UNKNOWN_UNIT for an unknown unit, an internal error for a missing model, an unknown
    // colour type or an inverted rectangle, the target's and the colour engine's messages.
    boost::shared_ptr<CImg> Render(const CPageRect& page, const CColor& background,
                                   boost::shared_ptr<const CModel> model, double dpi);

    // The colour type of the converted image (ColorType: RGB gives pixel type 0, CMYK type 2).
    void SetOutputColorType(std::uint32_t colorType) { m_outputColorType = colorType; }
    // The profile the output wants; none keeps the image as rendered.
    void SetOutputProfile(boost::shared_ptr<CColorProfile> profile) {
        m_outputProfile = std::move(profile);
    }
    std::uint32_t OutputColorType() const { return m_outputColorType; }
    const boost::shared_ptr<CColorProfile>& OutputProfile() const { return m_outputProfile; }

private:
    // The rendered image as the output wants it (converted when the profiles differ).
    boost::shared_ptr<CImg> ToOutput(boost::shared_ptr<CImg> img, const CModel& model) const;

    std::uint32_t m_outputColorType = COLOR_RGB;
    boost::shared_ptr<CColorProfile> m_outputProfile;
};

} // namespace stroke
