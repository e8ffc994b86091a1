#include "render/font_manager.h"

#include "stroke/text_setting.h"

#include <algorithm>
#include <cmath>

namespace stroke {

namespace {

// Spacing factors beyond this put the next character or line far off any drawing surface
// already; larger ones would only overflow the positions after them.
constexpr double kMaxSpacing = 1e6;

// A spacing read from a file may be anything. NaN or infinity would carry into every position
// after it, so such a value falls back to its default; a huge one is held at kMaxSpacing, since
// its products with the font's widths and heights would overflow to infinity.
double SpacingOr(double value, double fallback) {
    return std::isfinite(value) ? std::clamp(value, -kMaxSpacing, kMaxSpacing) : fallback;
}

} // namespace

CMultipliedFontManager::CMultipliedFontManager(const CTextSetting* setting) {
    const CTextSetting defaults;
    const CTextSetting& s = setting ? *setting : defaults;
    m_scale = font::ComputeFontScale(s.m_fontSize);
    m_font = std::make_unique<font::CFont>(
        font::MakeFontRequest(s.m_fontFace, m_scale.h, s.m_fontStyle, s.m_charSet));
    m_charSpacing = SpacingOr(s.m_charSpacing, defaults.m_charSpacing);
    m_lineSpacing = SpacingOr(s.m_lineSpacing, defaults.m_lineSpacing);
    m_tabWidth = SpacingOr(s.m_thirdSpacing, defaults.m_thirdSpacing);
    m_fontValue = s.m_fontValue;
}

CMultipliedFontManager::~CMultipliedFontManager() = default;

} // namespace stroke
