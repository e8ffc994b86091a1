#include "common/error.h"
#include "common/message_ids.h"
#include "render/font_manager.h"
#include "render/model_builder.h"
#include "render/text_baseline.h"
#include "render/text_layout.h"
#include "stroke/figures.h"
#include "stroke/tree_builder.h"

#include <boost/make_shared.hpp>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <limits>

namespace {

using model_test::Part;
using model_test::Pt;
using model_test::PtH;
using my::pointd;
using stroke::CCharLayout;
using stroke_test::ErrorId;

constexpr double kTol = 1e-9;

// A quarter circle of radius 100 round the origin, from (100, 0) to (0, 100): clockwise on the
// page, which has y pointing down.
stroke::LinePartPtr QuarterCircle() {
    const double k = 100 * 4.0 / 3.0 * (std::sqrt(2.0) - 1.0);
    return Part({PtH(100, 0, 0, {100, 0}, {100, k}), PtH(0, 100, 0, {k, 100}, {0, 100})});
}

// A text in DejaVu Sans 12 on a straight baseline from `from` to `to`.
stroke::TextPtr MakeText(const std::u16string& s, pointd from = {10, 50}, pointd to = {110, 50},
                         const std::function<void(stroke::CTextSetting&)>& adjust = {}) {
    auto text = boost::make_shared<stroke::CText>();
    text->m_text = s;
    text->m_name = u"caption";
    text->m_width = 0.1;
    text->m_textSetting = boost::make_shared<stroke::CTextSetting>();
    text->m_textSetting->m_fontFace = u"DejaVu Sans";
    text->m_textSetting->m_fontSize = 12.0;
    if (adjust) {
        adjust(*text->m_textSetting);
    }
    text->InsertChild(0, Part({Pt(from.x, from.y), Pt(to.x, to.y)}));
    return text;
}

struct Fonts {
    explicit Fonts(const stroke::CText& text) : manager(text.m_textSetting.get()) {}
    double m() const { return manager.Scale(); }
    font::CAbcWidths Abc(char32_t c) const { return manager.GetAbcWidths(c); }
    double Advance(char32_t c) const {
        const auto abc = Abc(c);
        return (abc.a + abc.b + abc.c) / m();
    }
    // The advance of the first character of a text line, which loses a positive A.
    double FirstAdvance(char32_t c) const {
        const auto abc = Abc(c);
        return (std::min(abc.a, 0.0) + abc.b + abc.c) / m();
    }
    stroke::CMultipliedFontManager manager;
};

// Every point of a figure (line points and handles) below a holder of parts.
std::vector<pointd> PointsOf(const stroke::CPartHolder& holder) {
    std::vector<pointd> out;
    for (const auto& part : holder.m_parts) {
        for (const auto& p : part->m_points) {
            out.push_back(p->Position());
            out.push_back(p->InHandle());
            out.push_back(p->OutHandle());
        }
    }
    return out;
}

stroke::CLine& LineAt(const stroke::CLayer& layer, std::size_t i) {
    return dynamic_cast<stroke::CLine&>(*layer.m_children.at(i));
}

TEST(FontManager, SizeTwelveWorksAtAHundredFontUnitsPerModelUnit) {
    const auto text = MakeText(u"H");
    const stroke::CMultipliedFontManager fonts(text->m_textSetting.get());
    EXPECT_EQ(fonts.Scale(), 100.0);
    EXPECT_EQ(fonts.EmHeight(), 1301);
    EXPECT_EQ(fonts.Request().emHeight, 1301);

    text->m_textSetting->m_charSpacing = std::numeric_limits<double>::quiet_NaN();
    text->m_textSetting->m_thirdSpacing = std::numeric_limits<double>::infinity();
    const stroke::CMultipliedFontManager fallback(text->m_textSetting.get());
    EXPECT_EQ(fallback.CharSpacing(), 1.0);
    EXPECT_EQ(fallback.TabWidth(), 4.0);

    // Without a setting the default one serves.
    const stroke::CMultipliedFontManager defaults(nullptr);
    EXPECT_EQ(defaults.Scale(), 100.0); // size 13
    EXPECT_EQ(defaults.EmHeight(), 1401);
}

TEST(TextLayout, LeadingSpaceIsDroppedOnlyAtLineStartAndAfterATab) {
    const auto text = MakeText(u"HH\tH");
    const Fonts f(*text);
    const auto h = f.Abc(U'H');
    ASSERT_GT(h.a, 0); // DejaVu's H stands off its origin
    const double m = f.m();
    const auto records = stroke::LayoutText(*text, nullptr);
    ASSERT_EQ(records.size(), 4u);

    // First H: no A; the black box middle sits B/2 from the start.
    EXPECT_NEAR(records[0].m_point.x, 10 + h.b / (2 * m), kTol);
    EXPECT_NEAR(records[0].m_left, h.b / (2 * m), kTol);
    // Second H keeps its A.
    const double x1 = (h.b + h.c) / m;
    EXPECT_NEAR(records[1].m_point.x, 10 + x1 + h.a / m + h.b / (2 * m), kTol);
    EXPECT_NEAR(records[1].m_left, (h.a + h.b / 2) / m, kTol);
    EXPECT_NEAR(records[1].m_right, (h.b / 2 + h.c) / m, kTol);
    EXPECT_NEAR(records[1].m_blackWidth, h.b / m, kTol);
    // After the tab the A is dropped again, at the first stop after the second H.
    const double tab = f.Advance(U' ') * 4;
    const double x2 = x1 + (h.a + h.b + h.c) / m;
    const double stop = std::ceil(x2 / tab) * tab;
    EXPECT_NEAR(records[3].m_point.x, 10 + stop + h.b / (2 * m), 1e-9);
    EXPECT_EQ(records[3].m_column, 3);

    // The tab's own record spans the gap; it has no glyph.
    EXPECT_TRUE(records[2].m_valid);
    EXPECT_NEAR(records[2].m_blackWidth, stop - x2, 1e-9);
    EXPECT_NEAR(records[2].m_point.x, 10 + (x2 + stop) / 2, 1e-9);
    for (const auto& r : records) {
        EXPECT_NEAR(r.m_point.y, 50, kTol);
        EXPECT_NEAR(r.m_direction.x, 1.0, kTol);
        EXPECT_NEAR(r.m_direction.y, 0.0, kTol);
    }
}

TEST(TextLayout, TabsOnAStopMoveToTheNextOne) {
    // Tab width 1: stops one space apart; two spaces end exactly on the second stop.
    const auto text =
        MakeText(u"\t\t  \tH", {0, 0}, {100, 0}, [](auto& s) { s.m_thirdSpacing = 1.0; });
    const Fonts f(*text);
    const double w = f.Advance(U' ');
    const auto records = stroke::LayoutText(*text, nullptr);
    EXPECT_NEAR(records[0].m_point.x, 0.5 * w, 1e-9);
    EXPECT_NEAR(records[1].m_point.x, 1.5 * w, 1e-9);
    EXPECT_NEAR(records[4].m_point.x, 4.5 * w, 1e-9);
    EXPECT_NEAR(records[5].m_point.x, 5 * w + f.Abc(U'H').b / (2 * f.m()), 1e-9);

    // A tab width of zero gives no stops: tabs take no room, nothing divides by zero.
    const auto flat = MakeText(u"\tH", {0, 0}, {100, 0}, [](auto& s) { s.m_thirdSpacing = 0; });
    const auto r = stroke::LayoutText(*flat, nullptr);
    EXPECT_NEAR(r[1].m_point.x, f.Abc(U'H').b / (2 * f.m()), 1e-9);
}

TEST(TextLayout, LineBreakStartsOverOneLineStepAlongTheChordNormal) {
    for (const double spacing : {1.0, 2.0}) {
        const auto adjust = [spacing](stroke::CTextSetting& s) { s.m_lineSpacing = spacing; };
        const auto text = MakeText(u"AB\r\nCD", {10, 50}, {110, 50}, adjust);
        const auto alone = MakeText(u"CD", {10, 50}, {110, 50}, adjust);
        const Fonts f(*text);
        const auto& metrics = f.manager.Metrics();
        const double step =
            (static_cast<double>(metrics.height) * spacing + metrics.externalLeading) / f.m();
        const auto records = stroke::LayoutText(*text, nullptr);
        const auto single = stroke::LayoutText(*alone, nullptr);
        ASSERT_EQ(records.size(), 6u);
        EXPECT_FALSE(records[2].m_valid);
        EXPECT_FALSE(records[3].m_valid);
        EXPECT_EQ(records[4].m_column, 0);
        EXPECT_EQ(records[5].m_column, 1);
        // Below on the page: +y for a baseline running in +x.
        EXPECT_NEAR(records[4].m_point.x, single[0].m_point.x, kTol);
        EXPECT_NEAR(records[4].m_point.y, single[0].m_point.y + step, kTol);
        EXPECT_NEAR(records[5].m_point.y, single[1].m_point.y + step, kTol);
    }

    // The chord decides, not the curve: a baseline from (0, 0) down to (0, 100) steps to -x.
    const auto down = MakeText(u"A\nB", {0, 0}, {0, 100});
    const auto records = stroke::LayoutText(*down, nullptr);
    EXPECT_LT(records[2].m_point.x, -1.0);
    EXPECT_NEAR(records[2].m_point.y, records[0].m_point.y, 1.0);
}

TEST(TextLayout, ZeroChordStepsDownOrLeftByTheFontValue) {
    const auto text = MakeText(u"A\nA", {5, 5}, {5, 5});
    auto records = stroke::LayoutText(*text, nullptr);
    EXPECT_NEAR(records[2].m_point.x, records[0].m_point.x, kTol);
    EXPECT_GT(records[2].m_point.y, records[0].m_point.y + 1);
    EXPECT_EQ(records[0].m_direction, (pointd{1, 0}));

    text->m_textSetting->m_fontValue = 1;
    records = stroke::LayoutText(*text, nullptr);
    EXPECT_LT(records[2].m_point.x, records[0].m_point.x - 1);
    EXPECT_NEAR(records[2].m_point.y, records[0].m_point.y, kTol);
    EXPECT_EQ(records[0].m_direction, (pointd{0, 1}));
}

TEST(TextLayout, CharacterSpacingAddsTheAverageWidthTimesSpacingMinusOne) {
    const auto normal = MakeText(u"HH");
    const auto wide = MakeText(u"HH", {10, 50}, {110, 50}, [](auto& s) { s.m_charSpacing = 2.0; });
    const Fonts f(*normal);
    const double ave = static_cast<double>(f.manager.Metrics().aveCharWidth) / f.m();
    const auto a = stroke::LayoutText(*normal, nullptr);
    const auto b = stroke::LayoutText(*wide, nullptr);
    EXPECT_NEAR(b[0].m_point.x, a[0].m_point.x, kTol);
    EXPECT_NEAR(b[1].m_point.x - a[1].m_point.x, ave, kTol);
    EXPECT_NEAR(b[1].m_right - a[1].m_right, ave, kTol);

    // Spacing so tight that advances turn negative never moves the pen back.
    const auto tight =
        MakeText(u"HHH", {10, 50}, {110, 50}, [](auto& s) { s.m_charSpacing = -20.0; });
    const auto c = stroke::LayoutText(*tight, nullptr);
    EXPECT_NEAR(c[2].m_point.x, c[1].m_point.x, kTol);
}

TEST(TextLayout, TextLongerThanTheBaselineGoesOnStraight) {
    // 50 units at (0.6, 0.8); forty characters of about 8 units reach far past its end.
    const auto text = MakeText(std::u16string(40, u'W'), {0, 0}, {30, 40});
    const auto records = stroke::LayoutText(*text, nullptr);
    const Fonts f(*text);
    const double advance = f.Advance(U'W');
    ASSERT_GT(advance * 40, 200.0);
    for (std::size_t i = 1; i < records.size(); ++i) {
        const pointd p = records[i].m_point;
        EXPECT_NEAR(p.x * 0.8 - p.y * 0.6, 0.0, 1e-6) << i; // on the line's extension
        EXPECT_NEAR(std::hypot(p.x, p.y) -
                        std::hypot(records[i - 1].m_point.x, records[i - 1].m_point.y),
                    advance, 1e-6)
            << i;
        EXPECT_NEAR(records[i].m_direction.x, 0.6, 1e-9);
        EXPECT_NEAR(records[i].m_direction.y, 0.8, 1e-9);
    }
}

TEST(TextLayout, LettersFollowACurvedBaseline) {
    auto text = MakeText(u"Around");
    text->m_parts.clear();
    text->InsertChild(0, QuarterCircle());

    EXPECT_NEAR(stroke::CTextBaseline(*text->m_parts[0], {1, 0}).Length(), 50 * M_PI, 0.05);
    const auto layer = stroke::MakeTextLayer(*text);
    const auto records = stroke::LayoutText(*text, nullptr);
    ASSERT_EQ(layer->m_children.size(), 6u);
    for (std::size_t i = 0; i < records.size(); ++i) {
        const pointd p = records[i].m_point;
        const pointd t = records[i].m_direction;
        EXPECT_NEAR(std::hypot(p.x, p.y), 100.0, 0.05) << i;
        EXPECT_NEAR(std::hypot(t.x, t.y), 1.0, 1e-9) << i;
        EXPECT_NEAR((t.x * p.x + t.y * p.y) / 100, 0.0, 0.01) << i; // tangent
        if (i > 0) {
            EXPECT_LT(std::atan2(records[i - 1].m_point.y, records[i - 1].m_point.x),
                      std::atan2(p.y, p.x));
        }
        // The baseline bends under the glyphs: they stand outside the circle.
        for (const pointd& q : PointsOf(LineAt(*layer, i))) {
            EXPECT_GT(std::hypot(q.x, q.y), 100.0 - 0.5) << i;
        }
    }
}

TEST(TextLayout, LayerCarriesTheTextNameFillsAndStyle) {
    auto text = MakeText(u"A b");
    text->m_lineFill = boost::make_shared<stroke::CMonoSetting>();
    text->m_lineCap = stroke::CAP_BUTT;
    const auto layer = stroke::MakeTextLayer(*text);
    EXPECT_EQ(layer->m_name, u"caption");
    EXPECT_EQ(layer->m_lineFill, text->m_lineFill);
    EXPECT_EQ(layer->m_areaFill, text->m_areaFill);
    // The space has no contours and adds no line.
    ASSERT_EQ(layer->m_children.size(), 2u);
    const auto& line = LineAt(*layer, 0);
    EXPECT_EQ(line.m_lineFill, text->m_lineFill);
    EXPECT_EQ(line.m_lineCap, stroke::CAP_BUTT);
    EXPECT_EQ(line.m_lineJoin, text->m_lineJoin);
    EXPECT_NEAR(line.GetWidth(), 0.1, kTol);
    EXPECT_NO_THROW(layer->CheckParents());
}

TEST(TextLayout, EmptyTextAndMissingBaseline) {
    auto text = MakeText(u"");
    text->m_parts.clear();
    const auto layer = stroke::MakeTextLayer(*text);
    EXPECT_TRUE(layer->m_children.empty());
    EXPECT_TRUE(stroke::LayoutText(*text, nullptr).empty());

    text->m_text = u"A";
    EXPECT_EQ(ErrorId([&] { stroke::LayoutText(*text, nullptr); }), IDS_TEXT_HAS_NO_BASELINE);
    EXPECT_EQ(ErrorId([&] { stroke::MakeTextLayer(*text); }), IDS_TEXT_HAS_NO_BASELINE);

    // A baseline part without points still places the text (at the origin).
    text->InsertChild(0, boost::make_shared<stroke::CLinePart>());
    const auto records = stroke::LayoutText(*text, nullptr);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_NEAR(records[0].m_point.y, 0.0, kTol);
}

TEST(TextLayout, SurrogatePairIsOneCharacter) {
    // U+1D400 MATHEMATICAL BOLD CAPITAL A, then a lone high surrogate.
    const auto text = MakeText(u"x\U0001D400y\xD835z");
    const Fonts f(*text);
    const auto records = stroke::LayoutText(*text, nullptr);
    ASSERT_EQ(records.size(), 6u);
    EXPECT_TRUE(records[1].m_valid);
    EXPECT_FALSE(records[2].m_valid);
    EXPECT_EQ(records[3].m_column, 2);
    EXPECT_EQ(records[5].m_column, 4);
    const auto wide = f.Abc(U'\U0001D400');
    EXPECT_NEAR(records[1].m_blackWidth, wide.b / f.m(), kTol);
    const auto y = f.Abc(U'y');
    const double xEnd = f.FirstAdvance(U'x') + (wide.a + wide.b + wide.c) / f.m();
    EXPECT_NEAR(records[3].m_point.x, 10 + xEnd + y.a / f.m() + y.b / (2 * f.m()), 1e-9);

    const auto layer = stroke::MakeTextLayer(*text);
    EXPECT_EQ(layer->m_children.size(), 5u); // x, the pair, y, the replacement, z
}

TEST(TextLayout, JapaneseDrawsThroughAFallbackFace) {
    const auto text = MakeText(u"日本語");
    const auto layer = stroke::MakeTextLayer(*text);
    ASSERT_EQ(layer->m_children.size(), 3u);
    const auto records = stroke::LayoutText(*text, nullptr);
    for (std::size_t i = 0; i < 3; ++i) {
        const auto& line = LineAt(*layer, i);
        EXPECT_FALSE(line.m_parts.empty());
        EXPECT_GT(records[i].m_blackWidth, 8.0); // nearly a full em of 13
    }
}

TEST(TextLayout, UnderlineAndStrikeOutFollowEachTextLine) {
    const auto both = [](stroke::CTextSetting& s) {
        s.m_fontStyle = font::FONT_STYLE_UNDERLINE | font::FONT_STYLE_STRIKE_OUT;
    };
    const auto text = MakeText(u"ab\n\ncd ", {10, 50}, {110, 50}, both);
    const Fonts f(*text);
    const auto layer = stroke::MakeTextLayer(*text);
    ASSERT_EQ(layer->m_children.size(), 5u); // four letters, then the strips
    const auto& strips = LineAt(*layer, 4);
    EXPECT_EQ(strips.m_lineFill, text->m_lineFill);
    // Underline and strike-out for the two text lines that hold characters.
    ASSERT_EQ(strips.m_parts.size(), 4u);
    const auto records = stroke::LayoutText(*text, nullptr);
    const double ends[] = {f.FirstAdvance(U'a') + f.Advance(U'b'),
                           f.FirstAdvance(U'c') + f.Advance(U'd') + f.Advance(U' ')};
    for (std::size_t i = 0; i < 4; ++i) {
        const auto& part = *strips.m_parts[i];
        EXPECT_TRUE(part.IsClosed());
        const double baseY = i < 2 ? 50.0 : records[4].m_point.y;
        const auto& band = (i % 2 == 0) ? f.manager.Underline() : f.manager.StrikeOut();
        double minX = 1e9, maxX = -1e9, minY = 1e9, maxY = -1e9;
        for (const auto& p : part.m_points) {
            minX = std::min(minX, p->x);
            maxX = std::max(maxX, p->x);
            minY = std::min(minY, p->y);
            maxY = std::max(maxY, p->y);
        }
        EXPECT_NEAR(minX, 10.0, 1e-9);
        EXPECT_NEAR(maxX, 10.0 + ends[i / 2], 1e-9);
        EXPECT_NEAR(maxY - minY, band.thickness / f.m(), 1e-9);
        EXPECT_NEAR(baseY - (minY + maxY) / 2, band.position / f.m(), 1e-9);
    }
    // The underline lies below the baseline, the strike-out above it.
    EXPECT_GT(strips.m_parts[0]->m_points[0]->y, 50.0);
    EXPECT_LT(strips.m_parts[1]->m_points[0]->y, 50.0);

    // Without the bits, and in measuring mode, no strips.
    EXPECT_EQ(stroke::MakeTextLayer(*MakeText(u"ab"))->m_children.size(), 2u);
}

TEST(TextLayout, BadValuesNeverMakeNaNPositions) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const auto text = MakeText(u"A\tB\nC", {0, 0}, {nan, 0}, [nan](auto& s) {
        s.m_charSpacing = nan;
        s.m_lineSpacing = nan;
        s.m_thirdSpacing = nan;
    });
    for (const auto& r : stroke::LayoutText(*text, nullptr)) {
        EXPECT_TRUE(std::isfinite(r.m_point.x) && std::isfinite(r.m_point.y));
        EXPECT_TRUE(std::isfinite(r.m_direction.x) && std::isfinite(r.m_direction.y));
    }
    text->m_textSetting->m_fontSize = nan;
    EXPECT_EQ(ErrorId([&] { stroke::LayoutText(*text, nullptr); }), IDS_FONT_CREATE_FAILED);
}

} // namespace
