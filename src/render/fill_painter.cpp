#include "render/fill_painter.h"

#include "platform/img.h"
#include "render/pixel_math.h"
#include "stroke/gradation.h"
#include "stroke/texture.h"

#include <algorithm>
#include <string>
#include <vector>

namespace stroke {
namespace {

constexpr double kFull = 65535.0;

// A 16-bit channel as a byte of a stop: trunc(value / 65535 · 255 + 0.5).
std::uint8_t StopByte(std::uint16_t v) {
    return raster::ToByte(v / kFull);
}

// The colour of a stop in the byte layout of a pixel type: B, G, R(, A) for RGB types, C, M, Y,
// K(, A) for CMYK types, one grey byte for grey types.
void StopBytes(const CColor& color, std::uint32_t pixelType, std::uint8_t out[8]) {
    const auto* c = color.m_channels;
    switch (pixelType) {
    case CImg::PIXEL_BGRA32:
    case CImg::PIXEL_BGR24:
        out[0] = StopByte(c[2]);
        out[1] = StopByte(c[1]);
        out[2] = StopByte(c[0]);
        if (pixelType == CImg::PIXEL_BGRA32) {
            out[3] = StopByte(color.m_alpha);
        }
        return;
    case CImg::PIXEL_CMYKA40:
    case CImg::PIXEL_CMYK32:
        for (int i = 0; i < 4; ++i) {
            out[i] = StopByte(c[i]);
        }
        if (pixelType == CImg::PIXEL_CMYKA40) {
            out[4] = StopByte(color.m_alpha);
        }
        return;
    default:
        out[0] = StopByte(c[0]);
        return;
    }
}

} // namespace

CVectorFillPainter::CVectorFillPainter(CVectorRenderer& target, std::uint32_t colorType,
                                       std::uint32_t pixelType)
    : m_target(target), m_colorType(colorType), m_pixelType(pixelType) {}

void CVectorFillPainter::Apply(const CFillSetting* fill, std::uint32_t sides) {
    if (fill == nullptr || (sides & (SIDE_STROKE | SIDE_FILL)) == 0) {
        return;
    }
    m_sides = sides;
    fill->Paint(*this);
}

void CVectorFillPainter::PaintMono(const CMonoSetting& fill) {
    SetColor(fill.m_color);
    SetGradation(nullptr, 0, 0.0);
    SetTexture(CTextureParam{});
}

void CVectorFillPainter::PaintGradation(const CGradationSetting& fill) {
    std::vector<CGradationStop> stops;
    stops.reserve(fill.m_colors.size());
    for (const CColorStop& s : fill.m_colors) {
        if (!s.m_enabled) {
            continue;
        }
        CGradationStop stop;
        stop.m_position = s.m_position;
        StopBytes(s.m_color, m_pixelType, stop.m_color);
        stops.push_back(stop);
    }
    std::stable_sort(stops.begin(), stops.end(),
                     [](const CGradationStop& a, const CGradationStop& b) {
                         return a.m_position < b.m_position;
                     });
    SetGradation(stops.data(), stops.size(), fill.m_angle);
    SetTexture(CTextureParam{});
    if (stops.empty()) {
        // A side without stops is painted with its plain colour, which still holds whatever
        // the fill before this one set: no stops paint nothing.
        SetColor(CColor(0, 0, 0, 0, 0));
    }
}

void CVectorFillPainter::PaintTexture(const CTextureSetting& fill) {
    SetGradation(nullptr, 0, 0.0);
    if (!fill.m_bitmap) {
        // Nothing to paint with: the side paints nothing at all.
        SetTexture(CTextureParam{});
        SetColor(CColor(0, 0, 0, 0, 0));
        return;
    }
    CTextureParam texture;
    texture.m_image = fill.m_bitmap;
    texture.m_alpha = fill.m_alpha / kFull;
    texture.m_angle = fill.m_angle;
    texture.m_fitType = static_cast<std::int32_t>(fill.m_fitType);
    texture.m_rateX = fill.m_rateX;
    texture.m_rateY = fill.EffectiveRateY();
    texture.m_flip = fill.m_flip;
    texture.m_offsetX = fill.m_offsetX;
    texture.m_offsetY = fill.m_offsetY;
    SetTexture(texture);
}

void CVectorFillPainter::SetColor(const CColor& color) {
    const auto* c = color.m_channels;
    if (m_colorType == COLOR_RGB) {
        if (Stroke()) {
            m_target.SetStrokeRgb(c[0] / kFull, c[1] / kFull, c[2] / kFull);
        }
        if (Fill()) {
            m_target.SetFillRgb(c[0] / kFull, c[1] / kFull, c[2] / kFull);
        }
    } else if (m_colorType == COLOR_CMYK) {
        if (Stroke()) {
            m_target.SetStrokeCmyk(c[0] / kFull, c[1] / kFull, c[2] / kFull, c[3] / kFull);
        }
        if (Fill()) {
            m_target.SetFillCmyk(c[0] / kFull, c[1] / kFull, c[2] / kFull, c[3] / kFull);
        }
    } else {
        throw my::InternalError("stroke::CVectorFillPainter::SetColor()\nunknown colorType: " +
                                std::to_string(m_colorType));
    }
    if (Stroke()) {
        m_target.SetStrokeAlpha(color.m_alpha / kFull);
    }
    if (Fill()) {
        m_target.SetFillAlpha(color.m_alpha / kFull);
    }
}

void CVectorFillPainter::SetGradation(const CGradationStop* stops, std::size_t count,
                                      double angle) {
    if (Stroke()) {
        m_target.SetStrokeGradation(stops, count, angle);
    }
    if (Fill()) {
        m_target.SetFillGradation(stops, count, angle);
    }
}

void CVectorFillPainter::SetTexture(const CTextureParam& texture) {
    if (Stroke()) {
        m_target.SetStrokeTexture(texture);
    }
    if (Fill()) {
        m_target.SetFillTexture(texture);
    }
}

} // namespace stroke
