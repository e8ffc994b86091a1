// The font and spacing of a text: stroke::CFontSetting (character set, face, size, style) and
// stroke::CTextSetting, which adds the character, line and third spacing values.
#pragma once

#include <boost/shared_ptr.hpp>
#include <cstddef>
#include <cstdint>
#include <string>

namespace stroke {

class CFontSetting {
public:
    // The face defaults to the desktop's user-interface font.
    CFontSetting();

    // Compares m_charSet, m_fontValue, m_fontFace, m_fontSize and m_fontStyle.
    friend bool operator==(const CFontSetting&, const CFontSetting&) = default;

    std::uint32_t m_charSet = 128; // character set number
    // Kept beside the character set and compared; when non-zero, the text lines of a text with
    // a zero-length baseline follow each other towards -x instead of +y.
    std::uint32_t m_fontValue = 0;
    std::u16string m_fontFace;
    double m_fontSize = 13.0;
    std::uint32_t m_fontStyle = 0; // style bits, passed to the text layout

protected:
    // The font fields of CheckSame, in order: m_charSet, m_fontFace, m_fontSize, m_fontStyle.
    void CheckSameFont(const CFontSetting& other) const;
};

class CTextSetting;
using TextSettingPtr = boost::shared_ptr<CTextSetting>;

class CTextSetting : public CFontSetting {
public:
    CTextSetting() = default;
    virtual ~CTextSetting() = default;

    // Every font field, then the three spacing values.
    virtual bool IsEqual(const CTextSetting& other) const;
    virtual TextSettingPtr Clone() const;
    // Raises an internal error naming the first differing field of m_charSet, m_fontFace,
    // m_fontSize, m_fontStyle, m_charSpacing and m_lineSpacing.
    virtual void CheckSame(const CTextSetting& other) const;

    std::size_t GetDataSize() const;

    double m_charSpacing = 1.0;  // character spacing factor
    double m_lineSpacing = 1.0;  // line spacing factor
    double m_thirdSpacing = 4.0; // a third value stored with the spacings, compared in equality

protected:
    CTextSetting(const CTextSetting&) = default;
    CTextSetting& operator=(const CTextSetting&) = default;
};

inline bool operator==(const CTextSetting& a, const CTextSetting& b) {
    return a.IsEqual(b);
}

// Equality of two optional text settings: both empty, the same object, or equal values.
bool TextSettingsEqual(const TextSettingPtr& a, const TextSettingPtr& b);

} // namespace stroke
