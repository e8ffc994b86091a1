// stroke::CVectorFillPainter: hands the fill settings of a model to a drawing target, for the
// stroke side, the fill side or both: colours in the model's colour space, gradation stops in the
// byte layout of the target's pixels, texture placement.
#pragma once

#include "render/vector_renderer.h"
#include "stroke/fill_setting.h"

#include <cstdint>

namespace stroke {

class CVectorFillPainter : public CFillPainter {
public:
    // The sides a fill is applied to.
    enum Side : std::uint32_t { SIDE_STROKE = 1, SIDE_FILL = 2 };

    // colorType: the model's ColorType (how the four channels of a colour are read);
    // pixelType: the CImg pixel type of the target (the layout of gradation stop bytes).
    // Another colour type raises an internal error when a colour is applied.
    CVectorFillPainter(CVectorRenderer& target, std::uint32_t colorType, std::uint32_t pixelType);

    // Applies a fill to the sides of the mask: the fill's own kind is set and the other kinds are
    // cleared, so that exactly this fill paints. No fill applies nothing.
    void Apply(const CFillSetting* fill, std::uint32_t sides);

    void PaintMono(const CMonoSetting& fill) override;
    void PaintGradation(const CGradationSetting& fill) override;
    void PaintTexture(const CTextureSetting& fill) override;

private:
    bool Stroke() const { return (m_sides & SIDE_STROKE) != 0; }
    bool Fill() const { return (m_sides & SIDE_FILL) != 0; }
    void SetColor(const CColor& color);
    void SetGradation(const CGradationStop* stops, std::size_t count, double angle);
    void SetTexture(const CTextureParam& texture);

    CVectorRenderer& m_target;
    std::uint32_t m_colorType;
    std::uint32_t m_pixelType;
    std::uint32_t m_sides = 0;
};

} // namespace stroke
