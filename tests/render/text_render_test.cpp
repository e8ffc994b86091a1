// Texts drawn through the walk and measured by the bounds visitor: glyphs stand on their
// baseline in the text's fills (or a layer's), hidden texts are skipped, and the bounds hold
// every painted pixel.
#include "render/calc_bounds.h"
#include "render/model_builder.h"
#include "render/model_renderer.h"
#include "render/render_test_util.h"

#include <gtest/gtest.h>

namespace {

using namespace model_test;
using render_test::Rgba;

constexpr stroke::CColor kWhite(65535, 65535, 65535, 0, 65535);

// "HHHH" in DejaVu Sans 40 on a straight baseline at y = 60, filled blue.
stroke::TextPtr Caption(const std::u16string& s = u"HHHH") {
    auto text = boost::make_shared<stroke::CText>();
    text->m_text = s;
    text->m_textSetting = boost::make_shared<stroke::CTextSetting>();
    text->m_textSetting->m_fontFace = u"DejaVu Sans";
    text->m_textSetting->m_fontSize = 40.0;
    text->InsertChild(0, Part({Pt(10, 60), Pt(300, 60)}));
    text->m_areaFill = Mono(0, 0, 255);
    return text;
}

boost::shared_ptr<CImg> Draw(const stroke::ModelPtr& model) {
    stroke::CImgRenderer renderer;
    return renderer.Render({0, 0, 320, 90}, kWhite, model, 96.0);
}

// The box of the pixels that differ from white; empty when none does.
stroke::CBoundsRect InkBox(const CImg& img) {
    stroke::CBoundsRect box;
    for (int y = 0; y < img.m_height; ++y) {
        for (int x = 0; x < img.m_width; ++x) {
            const auto p = Rgba(img, x, y);
            if (p[0] < 250 || p[1] < 250 || p[2] < 250) {
                box.Add(my::pointd{double(x), double(y)});
                box.Add(my::pointd{x + 1.0, y + 1.0});
            }
        }
    }
    return box;
}

TEST(TextRenderTest, GlyphsStandOnTheirBaselineInTheTextsFill) {
    auto img = Draw(Model({Caption()}));
    const stroke::CBoundsRect ink = InkBox(*img);
    ASSERT_FALSE(ink.empty);
    // Capital letters: everything above the baseline, about three quarters of the size high.
    EXPECT_NEAR(ink.bottom, 60, 1);
    EXPECT_NEAR(ink.top, 60 - 0.73 * 40, 2);
    // The first letter's leading space is dropped: its black box starts on the baseline's start.
    EXPECT_NEAR(ink.left, 10, 1);
    // The left stem of the first H is solid blue.
    const auto stem = Rgba(*img, static_cast<int>(ink.left) + 2, 45);
    EXPECT_EQ(stem, (render_test::Rgba4{0, 0, 255, 255}));
}

TEST(TextRenderTest, LayersAndStatesRuleTextsLikeLines) {
    // A layer with both fills draws the text with its fills, never the text's own.
    auto layered = Draw(Model({Layer({Caption()}, Mono(255, 0, 0), Mono(0, 255, 0))}));
    const stroke::CBoundsRect ink = InkBox(*layered);
    ASSERT_FALSE(ink.empty);
    const auto stem = Rgba(*layered, static_cast<int>(ink.left) + 2, 45);
    EXPECT_EQ(stem[1], 255);
    EXPECT_EQ(stem[2], 0);

    auto hidden = Caption();
    hidden->m_state |= stroke::STATE_HIDDEN;
    EXPECT_TRUE(InkBox(*Draw(Model({hidden}))).empty);
    EXPECT_TRUE(InkBox(*Draw(Model({Layer({hidden}, Mono(255, 0, 0), Mono(0, 255, 0))}))).empty);

    // A text without a baseline is an error of the frame, not a silent gap.
    auto noBaseline = Caption();
    noBaseline->RemoveChildAt(0);
    try {
        Draw(Model({noBaseline}));
        ADD_FAILURE() << "no error";
    } catch (const my::CException& e) {
        EXPECT_EQ(e.m_id, 10063);
    }
}

TEST(TextRenderTest, BoundsHoldEveryPaintedPixelOfAText) {
    for (const std::u16string s : {u"HHHH", u"gjpq", u"Wy\tA"}) {
        auto text = Caption(s);
        text->m_lineFill = Mono(0, 0, 0);
        text->m_width = 2;
        auto model = Model({text});
        const stroke::CBoundsRect ink = InkBox(*Draw(model));
        const stroke::CBoundsRect bounds = stroke::CCalcBounds().Calc(*model);
        ASSERT_FALSE(ink.empty);
        ASSERT_FALSE(bounds.empty);
        // The character boxes leave out only the antialiased rim of the stroke.
        EXPECT_LE(bounds.left, ink.left + 2);
        EXPECT_LE(bounds.top, ink.top + 2);
        EXPECT_GE(bounds.right, ink.right - 2);
        EXPECT_GE(bounds.bottom, ink.bottom - 2);
        EXPECT_LT(bounds.Width(), ink.Width() + 20);
    }
}

} // namespace
