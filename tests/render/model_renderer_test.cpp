// Models drawn into pixels: shapes at known places and colours, variable-width strokes, the
// page transform and units, colour conversion of the finished image, and bad
// geometry that must neither crash nor hang.
#include "platform/color_profile.h"
#include "render/model_builder.h"
#include "render/model_renderer.h"
#include "render/recording_target.h"
#include "render/render_test_util.h"
#include "stroke/tree_builder.h"
#include "support/icc_fixture.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

using namespace model_test;
using render_test::Rgba;
using render_test::Rgba4;

constexpr stroke::CColor kWhite(65535, 65535, 65535, 0, 65535);

boost::shared_ptr<CImg> Draw(const stroke::ModelPtr& model, stroke::CPageRect page,
                             stroke::CColor background = kWhite) {
    stroke::CImgRenderer renderer;
    return renderer.Render(page, background, model, 96.0);
}

// True when every channel is within tolerance of the expected value.
bool Near(const Rgba4& got, const Rgba4& want, int tolerance = 3) {
    for (int i = 0; i < 4; ++i) {
        if (std::abs(got[i] - want[i]) > tolerance) {
            return false;
        }
    }
    return true;
}

std::string Show(const Rgba4& p) {
    return std::to_string(p[0]) + "," + std::to_string(p[1]) + "," + std::to_string(p[2]) + "," +
           std::to_string(p[3]);
}

#define EXPECT_PIXEL(img, x, y, ...)                                                               \
    EXPECT_TRUE(Near(Rgba(*(img), x, y), Rgba4{__VA_ARGS__}))                                      \
        << "pixel (" << (x) << ", " << (y) << ") is " << Show(Rgba(*(img), x, y))

const Rgba4 kPaper{255, 255, 255, 255};

TEST(ModelRendererTest, ShapesLandWhereThePageRectanglePutsThem) {
    auto model = Model({Line({Rect(10, 10, 30, 20)}, {}, Mono(255, 0, 0))});
    auto img = Draw(model, {0, 0, 40, 30});
    ASSERT_EQ(img->m_width, 40);
    ASSERT_EQ(img->m_height, 30);
    EXPECT_PIXEL(img, 10, 10, 255, 0, 0, 255);
    EXPECT_PIXEL(img, 29, 19, 255, 0, 0, 255);
    EXPECT_PIXEL(img, 9, 15, 255, 255, 255, 255);
    EXPECT_PIXEL(img, 20, 20, 255, 255, 255, 255);

    // The page rectangle moves the drawing: its corner is the image's origin.
    auto shifted = Draw(model, {10, 10, 50, 40}, stroke::CColor(0, 0, 65535, 0, 32768));
    EXPECT_PIXEL(shifted, 0, 0, 255, 0, 0, 255);
    EXPECT_PIXEL(shifted, 19, 9, 255, 0, 0, 255);
    // The background, alpha included, is in every pixel left unpainted.
    EXPECT_PIXEL(shifted, 39, 29, 0, 0, 255, 128);
}

TEST(ModelRendererTest, CmykModelIsConvertedForAnRgbOutputProfile) {
    auto cmykProfile = boost::make_shared<CColorProfile>();
    cmykProfile->LoadFromMemory(morvane::test::MakeCmykProfile("test CMYK"));
    // Full cyan over white paper.
    auto model = Model({Line({Rect(10, 10, 30, 30)}, {}, Mono(255, 0, 0, 0))}, stroke::COLOR_CMYK);
    model->m_colorProfile = cmykProfile;
    const stroke::CColor paper(0, 0, 0, 0, 65535);

    stroke::CImgRenderer asRendered;
    auto cmyk = asRendered.Render({0, 0, 40, 40}, paper, model, 72);
    EXPECT_EQ(render_test::At(*cmyk, 20, 20), (render_test::Pixel{255, 0, 0, 0, 255}));
    EXPECT_EQ(cmyk->m_profile, cmykProfile);

    stroke::CImgRenderer renderer;
    auto srgb = boost::make_shared<CColorProfile>();
    renderer.SetOutputColorType(stroke::COLOR_RGB);
    renderer.SetOutputProfile(srgb);
    auto rgb = renderer.Render({0, 0, 40, 40}, paper, model, 72);
    ASSERT_EQ(rgb->m_pixelType, CImg::PIXEL_BGRA32);
    EXPECT_EQ(rgb->m_profile, srgb);
    const Rgba4 ink = Rgba(*rgb, 20, 20);
    EXPECT_LT(ink[0], 60) << Show(ink); // cyan: little red, much green and blue
    EXPECT_GT(ink[2], 200) << Show(ink);
    EXPECT_TRUE(Near(Rgba(*rgb, 2, 2), kPaper, 6)) << Show(Rgba(*rgb, 2, 2));
}

TEST(ModelRendererTest, GradationWithoutEnabledStopsPaintsNothingWhateverCameBefore) {
    // A red square first, so that the target's plain colours are red when the gradations come.
    const auto red = Line({Rect(0, 0, 10, 10, 2)}, Mono(255, 0, 0), Mono(255, 0, 0));
    const auto none = Gradation(0, {Stop(0, 0, 255, 0, false), Stop(1, 0, 0, 255, false)});
    const auto empty = Gradation(90, {});
    auto model = Model({
        red, Line({Rect(20, 0, 30, 10, 2)}, none, none), // one width: stroked and filled by a pen
        Line({Rect(40, 0, 50, 10, 2)}, {}, empty),
        Line({Part({Pt(0, 20, 2), Pt(25, 20, 4), Pt(50, 20, 2)})}, empty), // an outline
    });
    const auto img = Draw(model, {0, 0, 60, 30});
    EXPECT_PIXEL(img, 5, 5, 255, 0, 0, 255);
    for (const auto& [x, y] : {std::pair{25, 5}, {20, 5}, {45, 5}, {25, 20}}) {
        EXPECT_PIXEL(img, x, y, 255, 255, 255, 255);
    }

    // A CMYK page blends the stops' absence through its own path.
    auto cmyk = Model({Line({Rect(0, 0, 10, 10)}, {}, Mono(0, 255, 0, 0)),
                       Line({Rect(20, 0, 30, 10)}, {}, empty)},
                      stroke::COLOR_CMYK);
    stroke::CImgRenderer renderer;
    const auto page = renderer.Render({0, 0, 40, 10}, stroke::CColor(0, 0, 0, 0, 65535), cmyk, 96);
    EXPECT_EQ(render_test::At(*page, 5, 5), (render_test::Pixel{0, 255, 0, 0, 255}));
    EXPECT_EQ(render_test::At(*page, 25, 5), (render_test::Pixel{0, 0, 0, 0, 255}));
}

TEST(ModelRendererTest, BadGeometryIsSkippedWithoutHarmToTheRest) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    auto good = Line({Rect(40, 40, 50, 50, 2)}, Mono(255, 0, 0), Mono(0, 0, 255));
    auto model = Model({
        Line({Part({Pt(0, 0, 2), Pt(nan, 5, 2), Pt(10, 10, 2)})}, Mono(0, 0, 0), Mono(0, 0, 0)),
        Line({Part({Pt(0, 0, 1), Pt(inf, 5, 3), Pt(10, -inf, 2)})}, Mono(0, 0, 0)),
        Line({Part({Pt(-1e300, 0, 2), Pt(1e300, 1e300, 4), Pt(5, 5, 1e300)})}, Mono(0, 0, 0)),
        Line({Part({Pt(0, 20, -5), Pt(30, 20, -5)})}, Mono(0, 0, 0)),
        Line({Part({Pt(0, 25, nan), Pt(30, 25, 4)})}, Mono(0, 0, 0)),
        Line({Part({}), Part({Pt(3, 3, 3)})}, Mono(0, 0, 0), Mono(0, 0, 0)),
        good,
    });
    boost::shared_ptr<CImg> img;
    ASSERT_NO_THROW(img = Draw(model, {0, 0, 60, 60}));
    EXPECT_PIXEL(img, 45, 45, 0, 0, 255, 255);
    EXPECT_PIXEL(img, 40, 45, 255, 0, 0, 255);
    // Negative widths draw no stroke.
    EXPECT_PIXEL(img, 15, 20, 255, 255, 255, 255);

    // A resolution that is not a number draws nothing of a millimetre model; an empty page is an
    // empty image.
    model->m_unit = stroke::UNIT_MM;
    stroke::CImgRenderer renderer;
    ASSERT_NO_THROW(renderer.Render({0, 0, 20, 20}, kWhite, model, nan));
    auto empty = renderer.Render({5, 5, 5, 5}, kWhite, model, 96);
    EXPECT_EQ(empty->m_width, 0);
}

} // namespace
