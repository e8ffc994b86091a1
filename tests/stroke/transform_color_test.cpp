// Colour conversion of a model: which fills are converted and how colours and texture bitmaps
// come out, through identity and real transforms.
#include "stroke/figures.h"
#include "stroke/gradation.h"
#include "stroke/serializer.h"
#include "stroke/texture.h"
#include "stroke/transform_color.h"
#include "support/failure.h"
#include "support/icc_fixture.h"
#include "support/strk_writer.h"

#include <boost/make_shared.hpp>
#include <gtest/gtest.h>

namespace {

using namespace morvane::test;
using stroke::CColor;
using stroke::CTransformColor;

stroke::ModelPtr Read(const StrkWriter& writer) {
    io::CMemoryInputStream stream(writer.Bytes());
    return stroke::CSerializer::ReadModel(stream);
}

template <class T> T& FillOf(const stroke::FillPtr& fill) {
    return dynamic_cast<T&>(*fill);
}

TEST(TransformColorTest, IdentityKeepsEveryValueAndMarksWhatItVisited) {
    const CColor odd{65535, 0, 0, 12345, 40000};
    StrkWriter writer;
    auto& m = writer.Model();
    m.Stroke(Mono({1, 1, 1, 1, 1}));
    auto& layer = m.Layer(u"layer");
    layer.Stroke(Mono(odd));
    layer.Fill(Gradation(10.0, {{false, {100, 200, 300, 400, 500}, 0.0}, {true, odd, 1.0}}));
    layer.Line(u"line").Fill(Mono(odd)).Part().Point(0, 0);
    m.Text(u"text", u"abc").Stroke(Mono(odd));
    const auto model = Read(writer);
    auto srgb = boost::make_shared<CColorProfile>();

    CTransformColor::Convert(*model, stroke::COLOR_RGB, srgb, srgb);

    EXPECT_EQ(model->m_state & stroke::STATE_TRANSFORMED, 0u);
    EXPECT_EQ(FillOf<stroke::CMonoSetting>(model->m_lineFill).m_color, (CColor{1, 1, 1, 1, 1}));
    const auto& l = dynamic_cast<stroke::CLayer&>(*model->GetChild(0));
    EXPECT_NE(l.m_state & stroke::STATE_TRANSFORMED, 0u);
    EXPECT_EQ(FillOf<stroke::CMonoSetting>(l.m_lineFill).m_color, odd);
    const auto& stops = FillOf<stroke::CGradationSetting>(l.m_areaFill).m_colors;
    EXPECT_EQ(stops[0].m_color, (CColor{100, 200, 300, 400, 500}));
    EXPECT_EQ(stops[1].m_color, odd);
    const auto& line = dynamic_cast<stroke::CLine&>(*l.GetChild(0));
    EXPECT_NE(line.m_state & stroke::STATE_TRANSFORMED, 0u);
    EXPECT_EQ(line.m_parts[0]->m_state, 0u); // parts are not visited
    EXPECT_EQ(FillOf<stroke::CMonoSetting>(line.m_areaFill).m_color, odd);
    EXPECT_NE(model->GetChild(1)->m_state & stroke::STATE_TRANSFORMED, 0u);
}

TEST(TransformColorTest, CmykColoursBecomeRgbWithAlphaAndChannel3Kept) {
    StrkWriter writer;
    writer.Model().colorType = stroke::COLOR_CMYK;
    writer.Model().Profile(MakeCmykProfile("Test CMYK"));
    // No ink, then full black, in a disabled stop too.
    writer.Model().Line().Fill(
        Gradation(0.0, {{true, {0, 0, 0, 0, 1111}, 0.0}, {false, {0, 0, 0, 65535, 2222}, 1.0}}));
    const auto model = Read(writer);

    CTransformColor::Convert(*model, model->m_colorType, model->m_colorProfile,
                             boost::make_shared<CColorProfile>());

    const auto& stops =
        FillOf<stroke::CGradationSetting>(model->GetChild(0)->GetAreaFill()).m_colors;
    const CColor& paper = stops[0].m_color;
    const CColor& black = stops[1].m_color;
    for (int c = 0; c < 3; ++c) {
        EXPECT_GT(paper.m_channels[c], 60000) << c;
        EXPECT_LT(black.m_channels[c], 6000) << c;
    }
    EXPECT_EQ(paper.m_channels[3], 0);
    EXPECT_EQ(black.m_channels[3], 65535); // channel 3 is not an RGB channel: kept
    EXPECT_EQ(paper.m_alpha, 1111);
    EXPECT_EQ(black.m_alpha, 2222);
}

TEST(TransformColorTest, CmykTextureWithAlphaBecomesAnRgbCopy) {
    StrkWriter writer;
    writer.Model().colorType = stroke::COLOR_CMYK;
    writer.Model().Profile(MakeCmykProfile("Test CMYK"));
    StrkTexture texture;
    texture.bitmap = SolidBitmap(CImg::PIXEL_CMYKA40, 3, 2, {0, 0, 0, 0, 77});
    texture.angle = 15.0;
    writer.Model().Line().Fill(texture);
    const auto model = Read(writer);
    auto& fill = FillOf<stroke::CTextureSetting>(model->GetChild(0)->GetAreaFill());
    const auto original = fill.m_bitmap;
    ASSERT_TRUE(original);
    EXPECT_EQ(original->m_pixelType, CImg::PIXEL_CMYKA40);

    CTransformColor::Convert(*model, stroke::COLOR_CMYK, model->m_colorProfile,
                             boost::make_shared<CColorProfile>());

    ASSERT_NE(fill.m_bitmap, original); // replaced, the old bitmap is untouched
    EXPECT_EQ(original->m_pixelType, CImg::PIXEL_CMYKA40);
    const CImg& rgb = *fill.m_bitmap;
    EXPECT_EQ(rgb.m_pixelType, CImg::PIXEL_BGRA32);
    EXPECT_EQ(rgb.m_width, 3);
    EXPECT_EQ(rgb.m_height, 2);
    const std::uint8_t* pixel = rgb.Row(1) + 2 * 4;
    EXPECT_GT(pixel[0], 235);
    EXPECT_GT(pixel[1], 235);
    EXPECT_GT(pixel[2], 235);
    EXPECT_EQ(pixel[3], 77);
    EXPECT_EQ(fill.m_angle, 15.0);
}

TEST(TransformColorTest, BadColourTypesAndProfilesAreRefused) {
    StrkWriter writer;
    writer.Model().Line().Fill(Mono({1, 2, 3, 4, 5}));
    const auto model = Read(writer);
    auto srgb = boost::make_shared<CColorProfile>();
    const CSimpleErr err = FailureOf([&] { CTransformColor::Convert(*model, 2, srgb, srgb); });
    EXPECT_EQ(err.m_id, 10148);
    // An RGB profile cannot describe CMYK colours.
    EXPECT_EQ(FailureId([&] { CTransformColor::Convert(*model, stroke::COLOR_CMYK, srgb, srgb); }),
              58996u);
    EXPECT_EQ(FillOf<stroke::CMonoSetting>(model->GetChild(0)->GetAreaFill()).m_color,
              (CColor{1, 2, 3, 4, 5}));
}

} // namespace
