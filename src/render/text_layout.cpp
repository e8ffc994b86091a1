#include "render/text_layout.h"

#include "common/error.h"
#include "common/message_ids.h"
#include "render/font_manager.h"
#include "render/text_baseline.h"
#include "render/text_glyph.h"
#include "stroke/line_part.h"

#include <boost/make_shared.hpp>
#include <cmath>
#include <utility>

namespace stroke {

namespace {

// A tab at a distance from a stop below this share of the tab width stands on the stop: the
// stops are multiples of an inexact width, and a pen that reached a stop by one tab must move
// on to the next one with the following tab.
constexpr double kStopTolerance = 1e-9;

bool IsHighSurrogate(char16_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}

bool IsLowSurrogate(char16_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}

// The character starting at unit i and the number of units it takes; a surrogate without its
// partner is drawn as the replacement character.
std::pair<char32_t, std::size_t> CharAt(const std::u16string& text, std::size_t i) {
    const char16_t u = text[i];
    if (IsHighSurrogate(u) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
        const char32_t c =
            0x10000 + ((char32_t(u) - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00);
        return {c, 2};
    }
    if (IsHighSurrogate(u) || IsLowSurrogate(u)) {
        return {U'\uFFFD', 1};
    }
    return {u, 1};
}

// The line step runs along the normal of the baseline's chord, so text lines stack the same way
// however the baseline bends; a baseline without a chord stacks its lines downwards, or
// leftwards (lines of vertical writing) when the setting's font value says so.
my::pointd LineNormal(const my::pointd& chord, std::uint32_t fontValue) {
    if (chord == my::pointd{}) {
        return fontValue != 0 ? my::pointd{-1.0, 0.0} : my::pointd{0.0, 1.0};
    }
    return {-chord.y, chord.x};
}

class CLayouter {
public:
    CLayouter(const CText& text, const CMultipliedFontManager& fonts, CLayer* target)
        : m_text(text), m_fonts(fonts), m_target(target), m_m(fonts.Scale()),
          m_metrics(fonts.Metrics()),
          m_normal(
              LineNormal(CTextBaseline::ChordDirection(*text.m_parts.front()), fonts.FontValue())),
          // The direction of travel whose normal is m_normal.
          m_baseline(*text.m_parts.front(), {m_normal.y, -m_normal.x}) {
        const font::CAbcWidths space = fonts.GetAbcWidths(U' ');
        m_tabWidth = (space.b + space.c) * fonts.TabWidth() / m_m;
        const double step = static_cast<double>(m_metrics.height) * fonts.LineSpacing() +
                            static_cast<double>(m_metrics.externalLeading);
        m_lineStep = m_normal * (step / m_m);
    }

    std::vector<CCharLayout> Run() {
        const std::u16string& s = m_text.m_text;
        std::vector<CCharLayout> records(s.size());
        for (std::size_t i = 0; i < s.size();) {
            const auto [c, units] = CharAt(s, i);
            if (c == U'\n') {
                EndLine();
            } else if (c != U'\r') {
                records[i] = Place(c);
            }
            i += units;
        }
        return records;
    }

private:
    CCharLayout Place(char32_t c) {
        font::CAbcWidths abc;
        // Where the black box starts in the glyph's own units. Dropping A moves the pen only:
        // the glyph is still shifted by its own A, so that its black box middle lands on the
        // point the record gives.
        double glyphA = 0.0;
        if (c == U'\t') {
            abc.b = (NextTabStop() - m_x) * m_m;
        } else {
            abc = m_fonts.GetAbcWidths(c);
            glyphA = abc.a;
            if (m_fonts.CharSpacing() != 1.0) {
                abc.c += static_cast<double>(m_metrics.aveCharWidth) * (m_fonts.CharSpacing() - 1);
            }
            if (m_atLineStart && abc.a > 0) {
                abc.a = 0;
            }
        }
        const double s = m_x + abc.a / m_m + abc.b / (2 * m_m);
        CBaselinePoint at = m_baseline.At(s);
        at.point += LineOffset();
        if (m_target && c != U'\t') {
            const LinePtr line =
                MakeGlyphLine(m_fonts.GetGlyphOutline(c),
                              PlaceGlyph(at.point, at.direction, glyphA, abc.b, m_m), m_text);
            if (!line->m_parts.empty()) {
                Add(line);
            }
        }

        CCharLayout record;
        record.m_valid = true;
        record.m_column = m_column++;
        record.m_point = at.point;
        record.m_direction = at.direction;
        record.m_blackWidth = abc.b / m_m;
        record.m_left = abc.b / (2 * m_m) + (abc.a > 0 ? abc.a / m_m : 0.0);
        record.m_right = abc.b / (2 * m_m) + (abc.c > 0 ? abc.c / m_m : 0.0);
        record.m_ascent = static_cast<double>(m_metrics.ascent) / m_m;
        record.m_descent = static_cast<double>(m_metrics.descent) / m_m;

        // A negative or NaN sum (spacing far below 1, a bad spacing value) does not move back.
        const double advance = abc.a + abc.b + abc.c;
        m_x += advance > 0 ? advance / m_m : 0.0;
        m_atLineStart = c == U'\t';
        return record;
    }

    double NextTabStop() const {
        if (!(m_tabWidth > 0) || !std::isfinite(m_tabWidth)) {
            return m_x; // no stops: a tab takes no room
        }
        const double stop = (std::floor(m_x / m_tabWidth + kStopTolerance) + 1) * m_tabWidth;
        return std::isfinite(stop) ? stop : m_x;
    }

    my::pointd LineOffset() const {
        // Zero times an overflowing step would be NaN on the first line.
        return m_line == 0 ? my::pointd{} : m_lineStep * static_cast<double>(m_line);
    }

    void EndLine() {
        ++m_line;
        m_x = 0.0;
        m_column = 0;
        m_atLineStart = true;
    }

    void Add(const LinePtr& line) { m_target->InsertChild(m_target->GetChildCount(), line); }

    const CText& m_text;
    const CMultipliedFontManager& m_fonts;
    CLayer* m_target;
    double m_m;
    font::CTextMetrics m_metrics;
    my::pointd m_normal;
    CTextBaseline m_baseline;
    double m_tabWidth = 0.0;
    my::pointd m_lineStep;

    int m_line = 0;
    int m_column = 0;
    double m_x = 0.0;
    bool m_atLineStart = true;
};

void CheckBaseline(const CText& text) {
    if (text.m_parts.empty() || !text.m_parts.front()) {
        throw my::CException(IDS_TEXT_HAS_NO_BASELINE);
    }
}

} // namespace

std::vector<CCharLayout> LayoutText(const CText& text, CLayer* target) {
    if (text.m_text.empty()) {
        return {};
    }
    CheckBaseline(text);
    const CMultipliedFontManager fonts(text.m_textSetting.get());
    return LayoutText(text, fonts, target);
}

std::vector<CCharLayout> LayoutText(const CText& text, const CMultipliedFontManager& fonts,
                                    CLayer* target) {
    if (text.m_text.empty()) {
        return {};
    }
    CheckBaseline(text);
    return CLayouter(text, fonts, target).Run();
}

boost::shared_ptr<CLayer> MakeTextLayer(const CText& text) {
    auto layer = boost::make_shared<CLayer>();
    layer->m_name = text.m_name;
    layer->m_lineFill = text.m_lineFill;
    layer->m_areaFill = text.m_areaFill;
    LayoutText(text, layer.get());
    return layer;
}

std::array<my::pointd, 4> CharBox(const CCharLayout& layout) {
    const my::pointd p = layout.m_point;
    if (!layout.m_valid) {
        return {p, p, p, p};
    }
    const my::pointd t = layout.m_direction;
    const my::pointd up{t.y, -t.x};
    const my::pointd before = p - t * layout.m_left;
    const my::pointd after = p + t * layout.m_right;
    return {before + up * layout.m_ascent, after + up * layout.m_ascent,
            after - up * layout.m_descent, before - up * layout.m_descent};
}

} // namespace stroke
