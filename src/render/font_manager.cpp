#include "render/font_manager.h"

#include "stroke/text_setting.h"

#include <cmath>

namespace stroke {

namespace {

// A spacing read from a file may be anything; NaN or infinity would carry into every position
// after it, so such a value falls back to its default.
double FiniteOr(double value, double fallback) {
    return std::isfinite(value) ? value : fallback;
}

} // namespace

CMultipliedFontManager::CMultipliedFontManager(const CTextSetting* setting) {
    const CTextSetting defaults;
    const CTextSetting& s = setting ? *setting : defaults;
    m_scale = font::ComputeFontScale(s.m_fontSize);
    m_font = std::make_unique<font::CFont>(
        font::MakeFontRequest(s.m_fontFace, m_scale.h, s.m_fontStyle, s.m_charSet));
    m_charSpacing = FiniteOr(s.m_charSpacing, defaults.m_charSpacing);
    m_lineSpacing = FiniteOr(s.m_lineSpacing, defaults.m_lineSpacing);
    m_tabWidth = FiniteOr(s.m_thirdSpacing, defaults.m_thirdSpacing);
    m_fontValue = s.m_fontValue;
}

CMultipliedFontManager::~CMultipliedFontManager() = default;

} // namespace stroke
