#include "common/error.h"
#include "common/message_ids.h"
#include "render/render_test_util.h"
#include "stroke/tree_builder.h"
#include "support/failure.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

using morvane::test::FailureId;
using morvane::test::FailureOf;
using raster::CImgRenderer;
using render_test::At;
using render_test::Render;
using render_test::Rgba;

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();

using render_test::Rgba4;
const Rgba4 kWhite{255, 255, 255, 255};
const Rgba4 kRed{255, 0, 0, 255};

bool Dark(const CImg& img, int x, int y) {
    return Rgba(img, x, y)[0] < 60;
}
bool Light(const CImg& img, int x, int y) {
    return Rgba(img, x, y)[0] > 200;
}

void BlackPen(CImgRenderer& t, double width) {
    t.SetStrokeRgb(0, 0, 0);
    t.SetStrokeAlpha(1);
    t.SetLineWidth(width);
}

TEST(ImgRenderer, UnknownPixelTypesAreRefusedAndUnknownPenShapesIgnored) {
    for (std::uint32_t type : {4u, 5u, 99u}) {
        EXPECT_EQ(FailureId([type] { CImgRenderer t(type); }), IDS_IMAGE_FORMAT_UNSUPPORTED)
            << type;
    }
    CImgRenderer t(CImg::PIXEL_BGRA32);
    t.SetLineJoin(CImgRenderer::JOIN_BEVEL);
    t.SetLineJoin(7);
    t.SetLineCap(CImgRenderer::CAP_ROUND);
    t.SetLineCap(-1);
    EXPECT_EQ(t.LineJoinValue(), CImgRenderer::JOIN_BEVEL);
    EXPECT_EQ(t.LineCapValue(), CImgRenderer::CAP_ROUND);
}

TEST(ImgRenderer, BackgroundIsWrittenIntoEveryPixelExactly) {
    struct Case {
        std::array<double, 4> rgba;
        Rgba4 expected;
    };
    // trunc(v · 255 + 0.5): 0.2 → 51, 0.4 → 102, 0.6 → 153, 0.5 → 128, 0.01 → 3.
    for (const Case& c : {Case{{0.2, 0.4, 0.6, 0.5}, {51, 102, 153, 128}},
                          Case{{0.2, 0.4, 0.6, 0.01}, {51, 102, 153, 3}}}) {
        auto img = Render(
            CImg::PIXEL_BGRA32, 7, 5,
            [](CImgRenderer& t) {
                t.SetFillRgb(1, 0, 0);
                t.SetFillAlpha(1);
                t.AddRect(0, 0, 2, 2);
                t.Fill();
            },
            c.rgba);
        ASSERT_EQ(img->m_width, 7);
        EXPECT_EQ(Rgba(*img, 0, 0), kRed);
        for (int y = 0; y < 5; ++y) {
            for (int x = 0; x < 7; ++x) {
                if (x >= 2 || y >= 2) {
                    EXPECT_EQ(Rgba(*img, x, y), c.expected) << x << "," << y;
                }
            }
        }
    }

    CImgRenderer cmyk(CImg::PIXEL_CMYKA40);
    cmyk.SetBackgroundCmyk(0.1, 0.2, 0.3, 0.4, 0.5);
    cmyk.BeginPage(3, 2);
    auto img = cmyk.TakeImage();
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(At(*img, x, y), (render_test::Pixel{26, 51, 77, 102, 128}));
        }
    }
}

TEST(ImgRenderer, ImageAlphaIsStraightNotPremultiplied) {
    auto img = Render(CImg::PIXEL_BGRA32, 20, 20,
                      [](CImgRenderer& t) {
                          t.SetFillRgb(1, 0, 0);
                          t.SetFillAlpha(0.5);
                          t.AddRect(0, 0, 10, 20);
                          t.Fill();
                      },
                      {0, 0, 0, 0});
    EXPECT_EQ(Rgba(*img, 5, 5), (Rgba4{255, 0, 0, 128}));
    EXPECT_EQ(Rgba(*img, 15, 5), (Rgba4{0, 0, 0, 0}));
}

TEST(ImgRenderer, CmykPagesFillAndStrokeLikeRgbPages) {
    CImgRenderer t(CImg::PIXEL_CMYKA40);
    t.SetBackgroundCmyk(0, 0, 0, 0, 1);
    t.BeginPage(60, 40);
    t.SetFillCmyk(1, 0, 0, 0);
    t.SetFillAlpha(1);
    t.AddRect(10.5, 5, 20, 10); // left edge through the middle of column 10
    t.Fill();
    t.SetStrokeCmyk(0, 0, 0, 1);
    t.SetStrokeAlpha(0.5);
    t.SetLineWidth(4);
    t.MoveTo(0, 30);
    t.LineTo(60, 30);
    t.Stroke();
    t.EndPage();
    auto img = t.TakeImage();
    using P = render_test::Pixel;
    EXPECT_EQ(At(*img, 20, 10), (P{255, 0, 0, 0, 255}));
    EXPECT_EQ(At(*img, 20, 20), (P{0, 0, 0, 0, 255}));
    const P edge = At(*img, 10, 10);
    EXPECT_NEAR(edge[0], 128, 2);
    EXPECT_EQ(edge[4], 255);
    // Half-opaque black over opaque white: K at half, still opaque.
    const P stroke = At(*img, 30, 29);
    EXPECT_EQ(stroke[0], 0);
    EXPECT_NEAR(stroke[3], 128, 1);
    EXPECT_EQ(stroke[4], 255);
}

TEST(ImgRenderer, PaintsEmptyThePathListAndNeedAPage) {
    CImgRenderer t(CImg::PIXEL_BGRA32);
    t.BeginPage(10, 10);
    t.AddRect(0, 0, 5, 5);
    t.Fill();
    EXPECT_EQ(t.Paths().Count(), 0u);
    EXPECT_EQ(FailureId([&] { t.ClosePath(); }), IDS_PATH_NOT_BEGUN);

    CImgRenderer early(CImg::PIXEL_BGRA32);
    early.AddRect(0, 0, 1, 1);
    EXPECT_EQ(FailureId([&] { early.Fill(); }), IDS_INTERNAL_ERROR);
    EXPECT_EQ(early.Paths().Count(), 0u);
}

TEST(ImgRenderer, LongEdgesThroughThePageLandWhereTheyShould) {
    // Lines through (25, 25) whose ends lie far away: stroked 4 wide with a solid colour, and
    // filled as 4-wide bands through a fill image.
    for (double angle : {0.3, 1.2}) {
        for (double reach : {1e6, 1e9}) {
            const double dx = std::cos(angle), dy = std::sin(angle);
            const double nx = -dy * 2, ny = dx * 2;
            auto check = [&](const CImg& img, const char* what) {
                int wrong = 0;
                for (int y = 0; y < 50; ++y) {
                    for (int x = 0; x < 50; ++x) {
                        const double d = std::abs((x + 0.5 - 25) * dy - (y + 0.5 - 25) * dx);
                        wrong += (d < 1 && !Dark(img, x, y)) || (d > 3 && !Light(img, x, y));
                    }
                }
                EXPECT_EQ(wrong, 0) << what << " angle " << angle << " reach " << reach;
            };
            check(*Render(CImg::PIXEL_BGRA32, 50, 50,
                          [&](CImgRenderer& t) {
                              BlackPen(t, 4);
                              t.MoveTo(25 - reach * dx, 25 - reach * dy);
                              t.LineTo(25 + reach * dx, 25 + reach * dy);
                              t.Stroke();
                          }),
                  "stroke");
            check(*Render(CImg::PIXEL_BGRA32, 50, 50,
                          [&](CImgRenderer& t) {
                              CGradationStop black;
                              black.m_color[3] = 255;
                              t.SetFillGradation(&black, 1, 0);
                              t.MoveTo(25 - reach * dx + nx, 25 - reach * dy + ny);
                              t.LineTo(25 + reach * dx + nx, 25 + reach * dy + ny);
                              t.LineTo(25 + reach * dx - nx, 25 + reach * dy - ny);
                              t.LineTo(25 - reach * dx - nx, 25 - reach * dy - ny);
                              t.ClosePath();
                              t.Fill();
                          }),
                  "band");
        }
    }
}

TEST(ImgRenderer, BadNumbersNeverCrashOrSpoilTheRest) {
    auto img = Render(CImg::PIXEL_BGRA32, 50, 50, [](CImgRenderer& t) {
        t.SetFillRgb(kNan, 0, 0); // a colour value that is not a number reads as 0
        t.SetFillAlpha(1);
        // A rectangle far larger than the rasteriser's range still covers exactly the page.
        t.AddRect(-1e30, -1e30, 2e30, 2e30);
        t.Fill();
        t.SetFillRgb(1, 1, 1);
        t.AddRect(-1e12, 10, 2e12, 5); // rows 10 to 14 across the page
        t.Fill();
        BlackPen(t, 4);
        t.SetStrokeRgb(1, 0, 0);
        t.MoveTo(-1e15, 40);
        t.LineTo(1e15, 40);
        t.Stroke();
        // A curve swinging far beyond the rasteriser's range comes back through (6.25, 10)
        // along x + y = 16.25.
        t.MoveTo(0, 40);
        t.CurveTo(1e9, -1e9, -1e9, 1e9, 50, 40);
        t.Stroke();
        // Non-finite transforms, widths and points paint nothing.
        t.SetLineWidth(kNan);
        t.MoveTo(0, 0);
        t.LineTo(50, 50);
        t.Stroke();
        t.SetLineWidth(-3);
        t.MoveTo(0, 0);
        t.LineTo(50, 50);
        t.Stroke();
        t.SetTransform({kNan, 0, 0, 1, 0, 0, 1});
        t.AddRect(0, 0, 50, 50);
        t.Fill();
        t.SetTransform({});
        t.NewPath();
        t.Fill(); // an empty path
        t.MoveTo(3, 3);
        t.Fill(); // a lone point
    });
    // The curve leaves the page along x + y = 40, comes back along x + y = 16.25 and ends
    // along x + y = 90.
    const Rgba4 black{0, 0, 0, 255};
    for (auto [x, y] : {std::pair{0, 0}, {49, 49}, {4, 4}, {35, 20}}) {
        EXPECT_EQ(Rgba(*img, x, y), black) << x << "," << y;
    }
    EXPECT_EQ(Rgba(*img, 49, 14), kWhite);
    for (auto [x, y] : {std::pair{2, 39}, {49, 40}, {8, 8}, {46, 43}}) {
        EXPECT_EQ(Rgba(*img, x, y), kRed) << x << "," << y;
    }

    // Numbers so large that only their order of magnitude survives still draw in bounded time.
    Render(CImg::PIXEL_BGRA32, 20, 20, [](CImgRenderer& t) {
        BlackPen(t, 2);
        t.MoveTo(0, 0);
        t.CurveTo(1e300, -1e300, -1e300, 1e300, 10, 10);
        t.LineTo(-1e300, 1e308);
        t.ClosePath();
        t.FillStroke();
    });

    // A pen far wider than the page covers all of it.
    auto wide = Render(CImg::PIXEL_BGRA32, 20, 20, [](CImgRenderer& t) {
        BlackPen(t, 1e30);
        t.SetLineCap(CImgRenderer::CAP_ROUND);
        t.MoveTo(10, 10);
        t.LineTo(11, 10);
        t.Stroke();
    });
    EXPECT_TRUE(Dark(*wide, 0, 0));
    EXPECT_TRUE(Dark(*wide, 19, 19));

    CImgRenderer t(CImg::PIXEL_BGRA32);
    EXPECT_THROW(t.BeginPage(kNan, 10), my::CException);
    t.BeginPage(0, 0);
    t.AddRect(0, 0, 1, 1);
    t.Fill();
    EXPECT_EQ(t.TakeImage()->m_width, 0);
}

TEST(ImgRenderer, PagesBeyondTheSurfaceLimitNameTheirSizeAndTheLimit) {
    CImgRenderer t(CImg::PIXEL_BGRA32);
    EXPECT_EQ(FailureOf([&] { t.BeginPage(40000, 1); }).m_text,
              "The image is too large to draw\nSize: 40000 x 1 pixels\nLimit: 32767 pixels per "
              "side\nMake the page or the output size smaller.");
    // Sides beyond 32 bits are still a size the user chose, not an internal fault.
    const CSimpleErr huge = FailureOf([&] { t.BeginPage(5, 3e9); });
    EXPECT_EQ(huge.m_id, IDS_IMAGE_TOO_LARGE_TO_DRAW);
    EXPECT_NE(huge.m_text.find("5 x 3000000000 pixels"), std::string::npos) << huge.m_text;
    EXPECT_EQ(FailureId([] { CImgRenderer(CImg::PIXEL_CMYKA40).BeginPage(1, 32768); }),
              IDS_IMAGE_TOO_LARGE_TO_DRAW);
    t.BeginPage(32767, 1); // the limit itself is drawn
    EXPECT_EQ(t.TakeImage()->m_width, 32767);
}

} // namespace
