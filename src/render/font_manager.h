// CMultipliedFontManager: the font of one text layout. Model lengths are multiplied by a power
// of ten m so that the font works at an em of 1000 to 10000 font units; results come back / m.
#pragma once

#include "platform/font_engine.h"
#include "platform/font_request.h"

#include <memory>

namespace stroke {

class CTextSetting;

// Made per layout on the thread that lays out (the platform font belongs to that thread's
// engine). Widths, metrics and outlines are in font units; Scale() turns them into model units.
class CMultipliedFontManager {
public:
    // The font of a text setting; a null setting stands for a default one (the default face,
    // size 13, regular, spacings 1, 1 and 4). IDS_FONT_CREATE_FAILED / IDS_TEXT_METRICS_FAILED when
    // the font cannot be made.
    explicit CMultipliedFontManager(const CTextSetting* setting);
    ~CMultipliedFontManager();
    CMultipliedFontManager(const CMultipliedFontManager&) = delete;
    CMultipliedFontManager& operator=(const CMultipliedFontManager&) = delete;

    // m: font units per model unit.
    double Scale() const { return m_scale.m; }
    // The em height h in font units.
    std::int32_t EmHeight() const { return m_scale.h; }
    const font::CTextMetrics& Metrics() const { return m_font->Metrics(); }
    const font::CFontRequest& Request() const { return m_font->Request(); }

    // The spacing values of the setting; a value that is not finite reads as its default.
    double CharSpacing() const { return m_charSpacing; }
    double LineSpacing() const { return m_lineSpacing; }
    // Width of a tab in widths of the space character.
    double TabWidth() const { return m_tabWidth; }
    // The font value stored beside the character set (it turns the line step of a text whose
    // baseline has no length).
    std::uint32_t FontValue() const { return m_fontValue; }

    // IDS_CHAR_WIDTH_FAILED when the character has neither outline nor advance.
    font::CAbcWidths GetAbcWidths(char32_t c) const { return m_font->GetAbcWidths(c); }
    // Cubic form, font units, y up, origin at the pen position on the baseline;
    // IDS_GLYPH_OUTLINE_FAILED.
    font::CGlyphOutline GetGlyphOutline(char32_t c) const { return m_font->GetGlyphOutline(c); }

private:
    font::CFontScale m_scale;
    std::unique_ptr<font::CFont> m_font;
    double m_charSpacing = 1.0;
    double m_lineSpacing = 1.0;
    double m_tabWidth = 4.0;
    std::uint32_t m_fontValue = 0;
};

} // namespace stroke
