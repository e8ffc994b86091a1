// Fill and text settings: equality, the gradation's angle arithmetic and colour lookup, data
// sizes, and dispatch to painters and processors by fill class.
#include "stroke/gradation.h"
#include "stroke/text_setting.h"
#include "stroke/texture.h"
#include "tree_builder.h"

#include <gtest/gtest.h>
#include <tuple>

namespace {

using namespace stroke;

CGradationSetting At(double angle) {
    CGradationSetting g;
    g.m_angle = angle;
    return g;
}

double Flipped(double angle, std::uint32_t flags) {
    CGradationSetting g = At(angle);
    g.SetFlip(flags);
    return g.m_angle;
}

TEST(Gradation, QuadrantOfTheNormalisedAngle) {
    // -820 is 260 after normalisation.
    for (const auto& [angle, quadrant] : {std::pair{-30.0, 3u},
                                          {0.0, 0u},
                                          {89.999, 0u},
                                          {90.0, 1u},
                                          {180.0, 2u},
                                          {270.0, 3u},
                                          {360.0, 0u},
                                          {-820.0, 2u}}) {
        EXPECT_EQ(At(angle).GetFlip(), quadrant) << angle;
    }
    EXPECT_EQ(NormalizeAngle(-1e-20), 0.0);
    EXPECT_EQ(NormalizeAngle(725.0), 5.0);
    const double huge = NormalizeAngle(-1e300); // at once, not by a loop of 360 steps
    EXPECT_GE(huge, 0.0);
    EXPECT_LT(huge, 360.0);
}

TEST(Gradation, MirrorFlipsTheAngleAcrossTheAxes) {
    // Flags equal to the current quadrant change nothing but the normalisation.
    for (const auto& [angle, flags, expected] : {std::tuple{30.0, 1u, 150.0},
                                                 {30.0, 2u, 330.0},
                                                 {30.0, 3u, 210.0},
                                                 {30.0, 0u, 30.0},
                                                 {200.0, 2u, 200.0},
                                                 {-30.0, 3u, 330.0}}) {
        EXPECT_DOUBLE_EQ(Flipped(angle, flags), expected) << angle << " " << flags;
    }
    // Mirroring twice returns to the start.
    CGradationSetting g = At(30);
    g.SetFlip(g.GetFlip() ^ 1);
    g.SetFlip(g.GetFlip() ^ 1);
    EXPECT_DOUBLE_EQ(g.m_angle, 30);
}

TEST(Gradation, ColourBetweenStopsIsTruncated) {
    CGradationSetting g;
    g.m_colors = {{true, CColor(0, 0, 0, 0, 0), 0.0},
                  {false, CColor(9, 9, 9, 9, 9), 0.5},
                  {true, CColor(65535, 65535, 65535, 65535, 65535), 1.0}};
    EXPECT_EQ(g.ColorAt(0.5), CColor(32767, 32767, 32767, 32767, 32767));
    EXPECT_EQ(g.ColorAt(0.0), CColor(0, 0, 0, 0, 0));
    EXPECT_EQ(g.ColorAt(1.0), CColor(65535, 65535, 65535, 65535, 65535));
    // Beyond the stops: the nearest one.
    EXPECT_EQ(g.ColorAt(-3.0), CColor(0, 0, 0, 0, 0));
    EXPECT_EQ(g.ColorAt(3.0), CColor(65535, 65535, 65535, 65535, 65535));
    // No enabled stop: zero.
    g.m_colors = {{false, CColor(1, 2, 3, 4, 5), 0.3}};
    EXPECT_EQ(g.ColorAt(0.3), CColor());
    EXPECT_EQ(CGradationSetting().ColorAt(0.3), CColor());
}

TEST(Gradation, StopOrderAndTiesFollowStoredOrder) {
    CGradationSetting g;
    g.m_colors = {{true, CColor(100, 0, 0, 0, 0), 1.0},
                  {true, CColor(200, 0, 0, 0, 0), 0.0},
                  {true, CColor(300, 0, 0, 0, 0), 1.0}, // same position: the first wins
                  {true, CColor(400, 0, 0, 0, 0), 0.0}};
    EXPECT_EQ(g.ColorAt(1.0).m_channels[0], 100);
    EXPECT_EQ(g.ColorAt(0.0).m_channels[0], 200);
    EXPECT_EQ(g.ColorAt(0.25).m_channels[0], 175); // 200 at 0 and 100 at 1, weighted
}

TEST(FillEquality, ComparesClassAndValues) {
    EXPECT_TRUE(FillsEqual(stroke_test::Mono(5), stroke_test::Mono(5)));
    EXPECT_FALSE(FillsEqual(stroke_test::Mono(5), stroke_test::Mono(6)));
    EXPECT_FALSE(FillsEqual(stroke_test::Mono(5), FillPtr()));
    EXPECT_TRUE(FillsEqual(FillPtr(), FillPtr()));
    EXPECT_FALSE(FillsEqual(stroke_test::Mono(0, 0), boost::make_shared<CGradationSetting>()));
    auto g = stroke_test::Gradation(10);
    auto h = g->Clone();
    EXPECT_TRUE(*g == *h);
    boost::static_pointer_cast<CGradationSetting>(h)->m_colors[1].m_enabled = false;
    EXPECT_FALSE(*g == *h);

    // Textures compare without their bitmaps.
    CTextureSetting a, b;
    b.m_bitmap = boost::make_shared<CImg>();
    EXPECT_TRUE(a.IsEqual(b));
    b.m_offsetY = 0.5;
    EXPECT_FALSE(a.IsEqual(b));
}

struct Recorder : CFillPainter, CFillProcessor {
    std::string seen;
    void PaintMono(const CMonoSetting&) override { seen += "paint-mono "; }
    void PaintGradation(const CGradationSetting&) override { seen += "paint-gradation "; }
    void PaintTexture(const CTextureSetting&) override { seen += "paint-texture "; }
    void ProcessMono(CMonoSetting&) override { seen += "mono "; }
    void ProcessGradation(CGradationSetting&) override { seen += "gradation "; }
    void ProcessTexture(CTextureSetting&) override { seen += "texture "; }
};

} // namespace
