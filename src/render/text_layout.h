// The layout of a text along its baseline: where each character sits (the records that bounds
// and carets use) and, for drawing, the text as a layer of ordinary lines, one per character.
#pragma once

#include "common/point.h"
#include "stroke/layer_model.h"
#include "stroke/text.h"

#include <array>
#include <boost/shared_ptr.hpp>
#include <vector>

namespace stroke {

class CMultipliedFontManager;

// Where one character of a text went. There is one record per UTF-16 unit of m_text; the
// records of "\n" and "\r", and of the second unit of a surrogate pair, stay invalid.
struct CCharLayout {
    bool m_valid = false;
    int m_column = 0;        // characters before this one on its text line
    my::pointd m_point;      // baseline point under the middle of the black box
    my::pointd m_direction;  // unit tangent of the baseline there
    double m_blackWidth = 0; // black box width
    double m_left = 0;       // box extent before the point along the direction
    double m_right = 0;      // box extent after it
    double m_ascent = 0;     // box extent above the baseline
    double m_descent = 0;    // box extent below it
};

// Lays the text out; with a target layer, adds one stroke::CLine per drawable character. Only
// glyph outlines are drawn: the underline and strike-out bits of the font style add nothing
// (they stay in the setting, where pairing compares them). An empty text
// gives no records and needs no font; a text without a baseline part fails with
// IDS_TEXT_HAS_NO_BASELINE, a font that cannot be made or read with the font messages
// (IDS_FONT_CREATE_FAILED and those after it).
std::vector<CCharLayout> LayoutText(const CText& text, CLayer* target);

// The same with a font manager made by the caller from the text's setting.
std::vector<CCharLayout> LayoutText(const CText& text, const CMultipliedFontManager& fonts,
                                    CLayer* target);

// The temporary layer the renderer draws for a text: name and fills of the text, one line per
// character.
boost::shared_ptr<CLayer> MakeTextLayer(const CText& text);

// The corners of the box of one laid-out character, in order round the box: before and above,
// after and above, after and below, before and below the point ("above" is the side the glyph
// stands on, -n for n = (-dir.y, dir.x)). An invalid record gives its point four times.
std::array<my::pointd, 4> CharBox(const CCharLayout& layout);

} // namespace stroke
