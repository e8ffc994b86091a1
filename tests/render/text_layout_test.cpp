#include "common/error.h"
#include "common/message_ids.h"
#include "render/font_manager.h"
#include "render/model_builder.h"
#include "render/text_layout.h"
#include "stroke/figures.h"
#include "stroke/tree_builder.h"
#include "support/failure.h"

#include <boost/make_shared.hpp>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <limits>

namespace {

using model_test::Part;
using model_test::Pt;
using model_test::PtH;
using morvane::test::FailureId;
using my::pointd;

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
    // Second H keeps its A.
    const double x1 = (h.b + h.c) / m;
    EXPECT_NEAR(records[1].m_point.x, 10 + x1 + h.a / m + h.b / (2 * m), kTol);
    EXPECT_NEAR(records[1].m_left, (h.a + h.b / 2) / m, kTol);
    // After the tab the A is dropped again, at the first stop after the second H.
    const double tab = f.Advance(U' ') * 4;
    const double x2 = x1 + (h.a + h.b + h.c) / m;
    const double stop = std::ceil(x2 / tab) * tab;
    EXPECT_NEAR(records[3].m_point.x, 10 + stop + h.b / (2 * m), 1e-9);
    // The tab's own record spans the gap.
    EXPECT_NEAR(records[2].m_blackWidth, stop - x2, 1e-9);
}

TEST(TextLayout, LineBreakStartsOverOneLineStepAlongTheChordNormal) {
    const auto adjust = [](stroke::CTextSetting& s) { s.m_lineSpacing = 2.0; };
    const auto text = MakeText(u"AB\r\nCD", {10, 50}, {110, 50}, adjust);
    const auto alone = MakeText(u"CD", {10, 50}, {110, 50}, adjust);
    const Fonts f(*text);
    const auto& metrics = f.manager.Metrics();
    const double step =
        (static_cast<double>(metrics.height) * 2.0 + metrics.externalLeading) / f.m();
    const auto records = stroke::LayoutText(*text, nullptr);
    const auto single = stroke::LayoutText(*alone, nullptr);
    ASSERT_EQ(records.size(), 6u);
    EXPECT_FALSE(records[2].m_valid);
    EXPECT_FALSE(records[3].m_valid);
    EXPECT_EQ(records[4].m_column, 0);
    // Below on the page: +y for a baseline running in +x.
    EXPECT_NEAR(records[4].m_point.x, single[0].m_point.x, kTol);
    EXPECT_NEAR(records[4].m_point.y, single[0].m_point.y + step, kTol);

    // The chord decides, not the curve: a baseline from (0, 0) down to (0, 100) steps to -x.
    const auto down = MakeText(u"A\nB", {0, 0}, {0, 100});
    EXPECT_LT(stroke::LayoutText(*down, nullptr)[2].m_point.x, -1.0);
}

TEST(TextLayout, CharacterSpacingAddsTheAverageWidthTimesSpacingMinusOne) {
    const auto normal = MakeText(u"HH");
    const auto wide = MakeText(u"HH", {10, 50}, {110, 50}, [](auto& s) { s.m_charSpacing = 2.0; });
    const Fonts f(*normal);
    const double ave = static_cast<double>(f.manager.Metrics().aveCharWidth) / f.m();
    const auto a = stroke::LayoutText(*normal, nullptr);
    const auto b = stroke::LayoutText(*wide, nullptr);
    EXPECT_NEAR(b[1].m_point.x - a[1].m_point.x, ave, kTol);

    // Spacing so tight that advances turn negative never moves the pen back.
    const auto tight =
        MakeText(u"HHH", {10, 50}, {110, 50}, [](auto& s) { s.m_charSpacing = -20.0; });
    const auto c = stroke::LayoutText(*tight, nullptr);
    EXPECT_NEAR(c[2].m_point.x, c[1].m_point.x, kTol);
}

TEST(TextLayout, LettersFollowACurvedBaseline) {
    auto text = MakeText(u"Around");
    text->m_parts.clear();
    text->InsertChild(0, QuarterCircle());

    const auto layer = stroke::MakeTextLayer(*text);
    const auto records = stroke::LayoutText(*text, nullptr);
    ASSERT_EQ(layer->m_children.size(), 6u);
    for (std::size_t i = 0; i < records.size(); ++i) {
        const pointd p = records[i].m_point;
        const pointd t = records[i].m_direction;
        EXPECT_NEAR(std::hypot(p.x, p.y), 100.0, 0.05) << i;
        EXPECT_NEAR((t.x * p.x + t.y * p.y) / 100, 0.0, 0.01) << i; // tangent
        // The baseline bends under the glyphs: they stand outside the circle.
        for (const pointd& q : PointsOf(LineAt(*layer, i))) {
            EXPECT_GT(std::hypot(q.x, q.y), 100.0 - 0.5) << i;
        }
    }
}

TEST(TextLayout, EmptyTextAndMissingBaseline) {
    auto text = MakeText(u"");
    text->m_parts.clear();
    const auto layer = stroke::MakeTextLayer(*text);
    EXPECT_TRUE(layer->m_children.empty());
    EXPECT_TRUE(stroke::LayoutText(*text, nullptr).empty());

    text->m_text = u"A";
    EXPECT_EQ(FailureId([&] { stroke::MakeTextLayer(*text); }), IDS_TEXT_HAS_NO_BASELINE);

    // A baseline part without points still places the text (at the origin).
    text->InsertChild(0, boost::make_shared<stroke::CLinePart>());
    const auto records = stroke::LayoutText(*text, nullptr);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_NEAR(records[0].m_point.y, 0.0, kTol);
}

TEST(TextLayout, UnderlineAndStrikeOutBitsDrawNoBands) {
    const auto both = [](stroke::CTextSetting& s) {
        s.m_fontStyle = font::FONT_STYLE_UNDERLINE | font::FONT_STYLE_STRIKE_OUT;
    };
    // Only the glyph outlines are drawn: the same lines as without the bits, point for point.
    const auto styled = stroke::MakeTextLayer(*MakeText(u"ab\n\ncd ", {10, 50}, {110, 50}, both));
    const auto plain = stroke::MakeTextLayer(*MakeText(u"ab\n\ncd ", {10, 50}, {110, 50}));
    ASSERT_EQ(styled->m_children.size(), 4u);
    ASSERT_EQ(plain->m_children.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(PointsOf(LineAt(*styled, i)), PointsOf(LineAt(*plain, i))) << i;
    }
    // Spaces have no outline, so a text of spaces draws nothing at all.
    EXPECT_TRUE(
        stroke::MakeTextLayer(*MakeText(u"  \n ", {10, 50}, {110, 50}, both))->m_children.empty());
}

TEST(TextLayout, BadValuesNeverMakeNaNPositions) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* what;
        pointd to;      // end of the baseline from (0, 0)
        double spacing; // character, line and tab spacing
    };
    for (const Case& c :
         {Case{"NaN baseline end", {nan, 0}, 1.0}, Case{"infinite baseline end", {inf, -inf}, 1.0},
          Case{"baseline without length", {0, 0}, 1.0}, Case{"NaN spacings", {100, 0}, nan},
          Case{"infinite spacings", {100, 0}, inf}, Case{"huge spacings", {100, 0}, 1e308},
          Case{"huge negative spacings", {100, 0}, -1e308}}) {
        SCOPED_TRACE(c.what);
        const auto text = MakeText(u"A\tB\nC", {0, 0}, c.to, [&](auto& s) {
            s.m_charSpacing = c.spacing;
            s.m_lineSpacing = c.spacing;
            s.m_thirdSpacing = c.spacing;
        });
        const auto records = stroke::LayoutText(*text, nullptr);
        ASSERT_EQ(records.size(), 5u);
        int checked = 0;
        for (const auto& r : records) {
            if (r.m_valid) {
                EXPECT_TRUE(std::isfinite(r.m_point.x) && std::isfinite(r.m_point.y));
                EXPECT_TRUE(std::isfinite(r.m_direction.x) && std::isfinite(r.m_direction.y));
                ++checked;
            }
        }
        EXPECT_EQ(checked, 4) << "A, the tab, B and C";
    }
    const auto text = MakeText(u"A", {0, 0}, {100, 0}, [nan](auto& s) { s.m_fontSize = nan; });
    EXPECT_EQ(FailureId([&] { stroke::LayoutText(*text, nullptr); }), IDS_FONT_CREATE_FAILED);
}

} // namespace
