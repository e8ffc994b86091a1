// One drawing with gradations and a turned, translucent texture, painted on an RGB page and on
// a CMYK page: the two must look alike. (Solid colours on CMYK pages have exact tests of their
// own.)
#include "render/render_test_util.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>

namespace {

using raster::CImgRenderer;
using render_test::At;

// Colours whose plain CMYK reading has no black, so that blending commutes with the conversion.
struct CInk {
    double c, m, y;
};
constexpr CInk kRed{0, 1, 1}, kBlue{1, 1, 0}, kYellow{0, 0, 1};

CGradationStop Stop(bool cmyk, double position, CInk ink) {
    CGradationStop s;
    s.m_position = position;
    const std::uint8_t c = static_cast<std::uint8_t>(ink.c * 255),
                       m = static_cast<std::uint8_t>(ink.m * 255),
                       y = static_cast<std::uint8_t>(ink.y * 255);
    if (cmyk) {
        const std::uint8_t bytes[] = {c, m, y, 0, 255};
        std::memcpy(s.m_color, bytes, 5);
    } else {
        const std::uint8_t bytes[] = {static_cast<std::uint8_t>(255 - y),
                                      static_cast<std::uint8_t>(255 - m),
                                      static_cast<std::uint8_t>(255 - c), 255};
        std::memcpy(s.m_color, bytes, 4);
    }
    return s;
}

boost::shared_ptr<CImg> Checker() {
    auto img = boost::shared_ptr<CImg>(new CImg);
    img->Allocate(CImg::PIXEL_BGRA32, 8, 8);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const std::uint8_t v = (x / 2 + y / 2) % 2 ? 255 : 40;
            const std::uint8_t px[] = {v, 40, 255, 255}; // red at full: no black in CMYK
            std::memcpy(img->Row(y) + x * 4, px, 4);
        }
    }
    return img;
}

boost::shared_ptr<CImg> DrawScene(bool cmyk) {
    CImgRenderer t(cmyk ? CImg::PIXEL_CMYKA40 : CImg::PIXEL_BGRA32);
    if (cmyk) {
        t.SetBackgroundCmyk(0, 0, 0, 0, 1);
    } else {
        t.SetBackgroundRgb(1, 1, 1, 1);
    }
    t.BeginDocument(u"scene");
    t.BeginPage(240, 160);
    t.SetTransform({2, 0, 0, 2, 0, 0, 2}); // model units of two pixels

    const CGradationStop stops[] = {Stop(cmyk, 0, kRed), Stop(cmyk, 0.5, kYellow),
                                    Stop(cmyk, 1, kBlue)};
    t.SetFillGradation(stops, 3, 30);
    t.AddRect(60, 5, 55, 30);
    t.Fill();
    t.SetFillGradation(nullptr, 0, 0);

    CTextureParam texture;
    texture.m_image = Checker();
    texture.m_alpha = 0.8;
    texture.m_angle = 30;
    texture.m_fitType = CTextureParam::FIT_WIDTH;
    texture.m_rateX = texture.m_rateY = 1;
    t.SetFillTexture(texture);
    t.AddCircle(30, 58, 18);
    t.Fill();
    t.SetFillTexture(CTextureParam{});

    // A curve graded across its width.
    t.SetStrokeGradation(stops, 3, 90);
    t.SetLineCap(CImgRenderer::CAP_ROUND);
    t.SetLineWidth(8);
    t.MoveTo(60, 55);
    t.CurveTo(75, 45, 95, 65, 110, 55);
    t.Stroke();

    t.EndDocument();
    t.EndPage();
    return t.TakeImage();
}

TEST(Scene, CmykPageLooksLikeTheRgbPage) {
    const auto rgb = DrawScene(false);
    const auto cmyk = DrawScene(true);
    int worst = 0, painted = 0;
    for (int y = 0; y < rgb->m_height; ++y) {
        for (int x = 0; x < rgb->m_width; ++x) {
            const auto a = At(*rgb, x, y);
            const auto c = At(*cmyk, x, y);
            ASSERT_EQ(a[3], 255);
            ASSERT_EQ(c[4], 255);
            const int k = 255 - c[3];
            const int asRgb[3] = {(255 - c[2]) * k / 255, (255 - c[1]) * k / 255,
                                  (255 - c[0]) * k / 255}; // B, G, R
            int diff = 0;
            for (int i = 0; i < 3; ++i) {
                diff = std::max(diff, std::abs(asRgb[i] - a[i]));
            }
            worst = std::max(worst, diff);
            painted += a[0] != 255 || a[1] != 255 || a[2] != 255;
        }
    }
    EXPECT_GT(painted, 10000);
    // Rounding of the premultiplied steps only.
    EXPECT_LE(worst, 2);
}

} // namespace
