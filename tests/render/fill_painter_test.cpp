// Fills handed to a drawing target: colours by the model's colour space, gradation stops in the
// target's byte layout, texture placement, and the clearing of the other kinds.
#include "platform/img.h"
#include "render/fill_painter.h"
#include "render/model_builder.h"
#include "render/recording_target.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

using namespace model_test;
using render_test::CRecordingTarget;
using stroke::CVectorFillPainter;
using Calls = std::vector<std::string>;

TEST(FillPainterTest, MonoSetsColourAndAlphaAndClearsTheOtherKinds) {
    CRecordingTarget t;
    CVectorFillPainter painter(t, stroke::COLOR_RGB, CImg::PIXEL_BGRA32);
    auto fill =
        boost::make_shared<stroke::CMonoSetting>(stroke::CColor(65535, 0, 13107, 9999, 32768));
    painter.Apply(fill.get(), CVectorFillPainter::SIDE_FILL);
    EXPECT_EQ(t.m_calls, (Calls{"SetFillRgb 1 0 0.2", "SetFillAlpha 0.500008",
                                "SetFillGradation 0 0", "SetFillTexture 0"}));

    CRecordingTarget cmyk;
    CVectorFillPainter cmykPainter(cmyk, stroke::COLOR_CMYK, CImg::PIXEL_CMYKA40);
    cmykPainter.Apply(fill.get(), CVectorFillPainter::SIDE_STROKE | CVectorFillPainter::SIDE_FILL);
    EXPECT_EQ(cmyk.Only({"SetStrokeCmyk", "SetFillCmyk", "SetStrokeAlpha", "SetFillAlpha"}),
              (Calls{"SetStrokeCmyk 1 0 0.2 0.152575", "SetFillCmyk 1 0 0.2 0.152575",
                     "SetStrokeAlpha 0.500008", "SetFillAlpha 0.500008"}));
    EXPECT_EQ(cmyk.Count("SetFillRgb") + cmyk.Count("SetStrokeRgb"), 0);

    CRecordingTarget none;
    CVectorFillPainter(none, stroke::COLOR_RGB, 0).Apply(nullptr, CVectorFillPainter::SIDE_FILL);
    EXPECT_TRUE(none.m_calls.empty());
}

TEST(FillPainterTest, GradationHandsEnabledStopsSortedInTheTargetLayout) {
    auto g =
        Gradation(30, {Stop(1.0, 0, 0, 255), Stop(0.5, 9, 9, 9, false), Stop(0.0, 255, 128, 0)});
    g->m_colors[0].m_color.m_alpha = 32768;

    CRecordingTarget rgb;
    CVectorFillPainter(rgb, stroke::COLOR_RGB, CImg::PIXEL_BGRA32)
        .Apply(g.get(), CVectorFillPainter::SIDE_FILL);
    ASSERT_EQ(rgb.m_fillStops.size(), 2u);
    EXPECT_EQ(rgb.m_fillStops[0].m_position, 0.0);
    EXPECT_EQ(rgb.m_fillStops[1].m_position, 1.0);
    // B, G, R, A.
    const std::uint8_t first[8] = {0, 128, 255, 255}, second[8] = {255, 0, 0, 128};
    EXPECT_EQ(0, std::memcmp(rgb.m_fillStops[0].m_color, first, 8));
    EXPECT_EQ(0, std::memcmp(rgb.m_fillStops[1].m_color, second, 8));
    EXPECT_EQ(rgb.Only({"SetFillGradation", "SetFillTexture"}),
              (Calls{"SetFillGradation 2 30", "SetFillTexture 0"}));

    // C, M, Y, K, A: the channels in stored order.
    CRecordingTarget cmyk;
    CVectorFillPainter(cmyk, stroke::COLOR_CMYK, CImg::PIXEL_CMYKA40)
        .Apply(g.get(), CVectorFillPainter::SIDE_FILL);
    const std::uint8_t cmykFirst[8] = {255, 128, 0, 0, 255};
    EXPECT_EQ(0, std::memcmp(cmyk.m_fillStops[0].m_color, cmykFirst, 8));
}

TEST(FillPainterTest, TextureHandsItsPlacementAndClearsTheGradation) {
    auto texture = boost::make_shared<stroke::CTextureSetting>();
    texture->m_bitmap = boost::shared_ptr<CImg>(new CImg);
    texture->m_alpha = 13107;
    texture->m_angle = 45;
    texture->m_fitType = 2;
    texture->m_rateX = 0.75;
    texture->m_rateY = 3.0;
    texture->m_flip = 3;
    texture->m_offsetX = 4;
    texture->m_offsetY = -5;

    CRecordingTarget t;
    CVectorFillPainter painter(t, stroke::COLOR_RGB, CImg::PIXEL_BGRA32);
    painter.Apply(texture.get(), CVectorFillPainter::SIDE_STROKE);
    EXPECT_EQ(t.m_calls, (Calls{"SetStrokeGradation 0 0", "SetStrokeTexture 1"}));
    const CTextureParam& p = t.m_strokeTexture;
    EXPECT_EQ(p.m_image, texture->m_bitmap);
    EXPECT_DOUBLE_EQ(p.m_alpha, 0.2);
    EXPECT_EQ(p.m_angle, 45);
    EXPECT_EQ(p.m_fitType, 2);
    EXPECT_EQ(p.m_rateX, 0.75);
    EXPECT_EQ(p.m_rateY, 0.75); // one rate serves both directions
    EXPECT_EQ(p.m_flip, 3u);
    EXPECT_EQ(p.m_offsetX, 4);
    EXPECT_EQ(p.m_offsetY, -5);

    texture->m_sameRate = false;
    painter.Apply(texture.get(), CVectorFillPainter::SIDE_STROKE);
    EXPECT_EQ(t.m_strokeTexture.m_rateY, 3.0);

    // Without its image the texture paints nothing: transparent black, no texture.
    texture->m_bitmap.reset();
    CRecordingTarget missing;
    CVectorFillPainter(missing, stroke::COLOR_RGB, CImg::PIXEL_BGRA32)
        .Apply(texture.get(), CVectorFillPainter::SIDE_FILL);
    EXPECT_EQ(missing.m_calls, (Calls{"SetFillGradation 0 0", "SetFillTexture 0",
                                      "SetFillRgb 0 0 0", "SetFillAlpha 0"}));
}

} // namespace
