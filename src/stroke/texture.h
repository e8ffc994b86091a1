// stroke::CTextureSetting: a fill painted with an image carried inside the stroke file, placed
// by its fit type, scale rates, rotation, mirror flags and offset.
#pragma once

#include "platform/img.h"
#include "stroke/fill_setting.h"

#include <string>

namespace stroke {

class CTextureSetting : public CFillSetting {
public:
    CTextureSetting() = default;

    // Equal when every field but the bitmap is equal.
    bool IsEqual(const CFillSetting& other) const override;
    // The copy shares the bitmap: pixels are never changed in place (the colour conversion
    // replaces the pointer).
    FillPtr Clone() const override;
    double GetAngle() const override { return m_angle; }
    void SetAngle(double angle) override { m_angle = angle; }
    std::uint32_t GetFlip() const override { return m_flip; }
    void SetFlip(std::uint32_t flags) override { m_flip = flags; }
    void Paint(CFillPainter& painter) const override { painter.PaintTexture(*this); }
    std::size_t GetDataSize() const override;
    void CheckSame(const CFillSetting& other) const override;

    // The vertical rate in effect: m_rateX when one rate serves both directions.
    double EffectiveRateY() const { return m_sameRate ? m_rateX : m_rateY; }

    std::u16string m_path;            // path of the texture image when it was chosen
    boost::shared_ptr<CImg> m_bitmap; // the pixels, may be empty
    std::uint16_t m_alpha = 65535;    // opacity, 65535 = opaque
    double m_angle = 0.0;             // rotation in degrees
    std::uint32_t m_fitType = 0;      // how the texture is fitted to the figure
    double m_rateX = 1.0;
    double m_rateY = 1.0;
    bool m_sameRate = true;   // m_rateX serves both directions
    std::uint32_t m_flip = 0; // bit 0 horizontal, bit 1 vertical mirror
    double m_offsetX = 0.0;
    double m_offsetY = 0.0;
};

} // namespace stroke
