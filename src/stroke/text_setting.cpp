#include "stroke/text_setting.h"

#include "platform/default_font.h"
#include "stroke/check_same.h"

namespace stroke {

CFontSetting::CFontSetting() : m_fontFace(my::DefaultFontFace()) {}

void CFontSetting::CheckSameFont(const CFontSetting& other) const {
    using detail::CheckField;
    CheckField(m_charSet, other.m_charSet, "stroke::CFontSetting::m_charSet");
    CheckField(m_fontFace, other.m_fontFace, "stroke::CFontSetting::m_fontFace");
    CheckField(m_fontSize, other.m_fontSize, "stroke::CFontSetting::m_fontSize");
    CheckField(m_fontStyle, other.m_fontStyle, "stroke::CFontSetting::m_fontStyle");
}

bool CTextSetting::IsEqual(const CTextSetting& other) const {
    return static_cast<const CFontSetting&>(*this) == static_cast<const CFontSetting&>(other) &&
           m_charSpacing == other.m_charSpacing && m_lineSpacing == other.m_lineSpacing &&
           m_thirdSpacing == other.m_thirdSpacing;
}

TextSettingPtr CTextSetting::Clone() const {
    return TextSettingPtr(new CTextSetting(*this));
}

void CTextSetting::CheckSame(const CTextSetting& other) const {
    CheckSameFont(other);
    using detail::CheckField;
    CheckField(m_charSpacing, other.m_charSpacing, "stroke::CTextSetting::m_charSpacing");
    CheckField(m_lineSpacing, other.m_lineSpacing, "stroke::CTextSetting::m_lineSpacing");
}

std::size_t CTextSetting::GetDataSize() const {
    // The stored record: character set, font value, face, size, style and three spacings.
    return 4 + 4 + 4 + 2 * m_fontFace.size() + 8 + 4 + 8 + 8 + 8;
}

bool TextSettingsEqual(const TextSettingPtr& a, const TextSettingPtr& b) {
    if (a == b) {
        return true;
    }
    return a && b && a->IsEqual(*b);
}

} // namespace stroke
