#include "render/render_test_util.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

using raster::CImgRenderer;
using render_test::At;
using render_test::Render;
using render_test::Rgba;
using render_test::Rgba4;

// Stops for RGB pages: bytes B, G, R, A.
CGradationStop Bgra(double position, int r, int g, int b, int a = 255) {
    CGradationStop s;
    s.m_position = position;
    s.m_color[0] = static_cast<std::uint8_t>(b);
    s.m_color[1] = static_cast<std::uint8_t>(g);
    s.m_color[2] = static_cast<std::uint8_t>(r);
    s.m_color[3] = static_cast<std::uint8_t>(a);
    return s;
}

boost::shared_ptr<CImg> FillRect(const std::vector<CGradationStop>& stops, double angle, double x,
                                 double y, double w, double h, int pageW, int pageH) {
    return Render(CImg::PIXEL_BGRA32, pageW, pageH, [&](CImgRenderer& t) {
        t.SetFillGradation(stops.data(), stops.size(), angle);
        t.AddRect(x, y, w, h);
        t.Fill();
    });
}

TEST(Gradation, ColoursAtBothEndsAndTheMiddleFollowTheTruncatedBlend) {
    // x from 5 to 105: pixel x has t = (x + 0.5 − 5) / 100.
    auto img = FillRect({Bgra(0, 255, 0, 0), Bgra(1, 0, 0, 255)}, 0, 5, 0, 100, 10, 110, 10);
    EXPECT_EQ(Rgba(*img, 5, 5), (Rgba4{253, 0, 1, 255}));    // t 0.005
    EXPECT_EQ(Rgba(*img, 54, 5), (Rgba4{128, 0, 126, 255})); // t 0.495: 128.775, 126.225
    EXPECT_EQ(Rgba(*img, 105, 5), (Rgba4{255, 255, 255, 255}));

    // Top to bottom at 90 degrees, through a middle stop.
    auto vertical = FillRect({Bgra(0, 255, 0, 0), Bgra(0.5, 0, 255, 0), Bgra(1, 0, 0, 255)}, 90, 0,
                             0, 4, 200, 4, 200);
    EXPECT_EQ(Rgba(*vertical, 2, 49), (Rgba4{128, 126, 0, 255})); // t 0.2475 → f 0.495
    EXPECT_EQ(Rgba(*vertical, 2, 100), (Rgba4{0, 253, 1, 255}));  // t 0.5025 → f 0.005
}

TEST(Gradation, StrokesAreGradedAcrossTheirWidenedOutline) {
    // A horizontal stroke 10 wide from y 15 to 25, graded from top to bottom.
    auto img = Render(CImg::PIXEL_BGRA32, 100, 40, [](CImgRenderer& t) {
        const CGradationStop stops[] = {Bgra(0, 255, 0, 0), Bgra(1, 0, 0, 255)};
        t.SetStrokeGradation(stops, 2, 90);
        t.SetLineWidth(10);
        t.MoveTo(10, 20);
        t.LineTo(90, 20);
        t.Stroke();
    });
    EXPECT_EQ(Rgba(*img, 50, 15), (Rgba4{242, 0, 12, 255})); // t 0.05
    EXPECT_EQ(Rgba(*img, 50, 24), (Rgba4{12, 0, 242, 255})); // t 0.95
    EXPECT_EQ(Rgba(*img, 50, 14), (Rgba4{255, 255, 255, 255}));
}

TEST(Gradation, CmykStopsPaintCmykPages) {
    CImgRenderer t(CImg::PIXEL_CMYKA40);
    t.SetBackgroundCmyk(0, 0, 0, 0, 1);
    t.BeginPage(100, 4);
    CGradationStop stops[2];
    stops[0].m_position = 0;
    stops[0].m_color[0] = 255; // cyan
    stops[0].m_color[4] = 255;
    stops[1].m_position = 1;
    stops[1].m_color[3] = 255; // black
    stops[1].m_color[4] = 255;
    t.SetFillGradation(stops, 2, 0);
    t.AddRect(0, 0, 100, 4);
    t.Fill();
    auto img = t.TakeImage();
    EXPECT_EQ(At(*img, 0, 1), (render_test::Pixel{253, 0, 0, 1, 255}));
    EXPECT_EQ(At(*img, 99, 1), (render_test::Pixel{1, 0, 0, 253, 255}));
}

} // namespace
