// Time per 1920×1080 frame of the raster target: 500 paths of 20 cubic segments stroked with a
// solid pen, the same paths drawn by cairo directly (the floor), filled with a gradation, and
// stroked on a CMYK page.
#include "platform/img.h"
#include "render/img_renderer.h"

#include <benchmark/benchmark.h>
#include <cairo.h>
#include <cmath>
#include <random>
#include <vector>

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kPaths = 500;
constexpr int kSegments = 20;

struct CCurvePath {
    double m_start[2];
    std::vector<double> m_segments; // six numbers per segment
    double m_rgb[3];
};

// Paths like the lines of a drawing: smooth curves of 20 segments, each 20 to 60 pixels long,
// turning gently, anywhere on the page; the same every run.
const std::vector<CCurvePath>& Paths() {
    static const std::vector<CCurvePath> paths = [] {
        std::mt19937 random(20240611);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        std::normal_distribution<double> turn(0.0, 0.5);
        std::vector<CCurvePath> out(kPaths);
        for (CCurvePath& p : out) {
            double x = 100 + unit(random) * (kWidth - 200),
                   y = 100 + unit(random) * (kHeight - 200);
            double heading = unit(random) * 6.283185307179586;
            p.m_start[0] = x;
            p.m_start[1] = y;
            for (int s = 0; s < kSegments; ++s) {
                const double length = 20 + unit(random) * 40;
                const double h0 = heading;
                heading += turn(random);
                const double x1 = x + std::cos(h0) * length / 3, y1 = y + std::sin(h0) * length / 3;
                x += std::cos((h0 + heading) / 2) * length;
                y += std::sin((h0 + heading) / 2) * length;
                const double x2 = x - std::cos(heading) * length / 3,
                             y2 = y - std::sin(heading) * length / 3;
                p.m_segments.insert(p.m_segments.end(), {x1, y1, x2, y2, x, y});
            }
            for (double& c : p.m_rgb) {
                c = unit(random);
            }
        }
        return out;
    }();
    return paths;
}

void AddPath(raster::CImgRenderer& t, const CCurvePath& p) {
    t.NewPath();
    t.MoveTo(p.m_start[0], p.m_start[1]);
    const double* s = p.m_segments.data();
    for (int i = 0; i < kSegments; ++i, s += 6) {
        t.CurveTo(s[0], s[1], s[2], s[3], s[4], s[5]);
    }
}

void StrokeFrame(std::uint32_t pixelType) {
    raster::CImgRenderer t(pixelType);
    if (pixelType == CImg::PIXEL_CMYKA40) {
        t.SetBackgroundCmyk(0, 0, 0, 0, 1);
    } else {
        t.SetBackgroundRgb(1, 1, 1, 1);
    }
    t.BeginPage(kWidth, kHeight);
    t.SetLineWidth(3);
    t.SetLineCap(1);
    t.SetLineJoin(1);
    t.SetStrokeAlpha(1);
    for (const CCurvePath& p : Paths()) {
        if (pixelType == CImg::PIXEL_CMYKA40) {
            t.SetStrokeCmyk(p.m_rgb[0], p.m_rgb[1], p.m_rgb[2], 0);
        } else {
            t.SetStrokeRgb(p.m_rgb[0], p.m_rgb[1], p.m_rgb[2]);
        }
        AddPath(t, p);
        t.Stroke();
    }
    t.EndPage();
    benchmark::DoNotOptimize(t.TakeImage());
}

void BM_TargetStroke(benchmark::State& state) {
    for (auto _ : state) {
        StrokeFrame(CImg::PIXEL_BGRA32);
    }
}
BENCHMARK(BM_TargetStroke)->Unit(benchmark::kMillisecond);

// The floor: the same page, background and strokes through cairo alone.
void BM_CairoStroke(benchmark::State& state) {
    for (auto _ : state) {
        cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kWidth, kHeight);
        cairo_t* cr = cairo_create(surface);
        cairo_set_source_rgba(cr, 1, 1, 1, 1);
        cairo_paint(cr);
        cairo_set_antialias(cr, CAIRO_ANTIALIAS_GOOD);
        cairo_set_line_width(cr, 3);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_set_miter_limit(cr, 65535);
        for (const CCurvePath& p : Paths()) {
            cairo_set_source_rgba(cr, p.m_rgb[0], p.m_rgb[1], p.m_rgb[2], 1);
            cairo_new_path(cr);
            cairo_move_to(cr, p.m_start[0], p.m_start[1]);
            const double* s = p.m_segments.data();
            for (int i = 0; i < kSegments; ++i, s += 6) {
                cairo_curve_to(cr, s[0], s[1], s[2], s[3], s[4], s[5]);
            }
            cairo_stroke(cr);
        }
        cairo_surface_flush(surface);
        benchmark::DoNotOptimize(cairo_image_surface_get_data(surface));
        cairo_destroy(cr);
        cairo_surface_destroy(surface);
    }
}
BENCHMARK(BM_CairoStroke)->Unit(benchmark::kMillisecond);

// The fixed cost of a frame: the image, its background and the final straight-alpha pass.
void BM_TargetEmptyPage(benchmark::State& state) {
    for (auto _ : state) {
        raster::CImgRenderer t(CImg::PIXEL_BGRA32);
        t.SetBackgroundRgb(1, 1, 1, 1);
        t.BeginPage(kWidth, kHeight);
        t.EndPage();
        benchmark::DoNotOptimize(t.TakeImage());
    }
}
BENCHMARK(BM_TargetEmptyPage)->Unit(benchmark::kMillisecond);

void BM_TargetCmykStroke(benchmark::State& state) {
    for (auto _ : state) {
        StrokeFrame(CImg::PIXEL_CMYKA40);
    }
}
BENCHMARK(BM_TargetCmykStroke)->Unit(benchmark::kMillisecond);

// Every path closed and filled with a two-stop gradation (a fill image per path).
void BM_TargetGradationFill(benchmark::State& state) {
    CGradationStop stops[2];
    stops[0].m_position = 0;
    stops[0].m_color[2] = stops[0].m_color[3] = 255;
    stops[1].m_position = 1;
    stops[1].m_color[0] = stops[1].m_color[3] = 255;
    for (auto _ : state) {
        raster::CImgRenderer t(CImg::PIXEL_BGRA32);
        t.SetBackgroundRgb(1, 1, 1, 1);
        t.BeginPage(kWidth, kHeight);
        t.SetFillGradation(stops, 2, 30);
        for (const CCurvePath& p : Paths()) {
            AddPath(t, p);
            t.ClosePath();
            t.Fill();
        }
        t.EndPage();
        benchmark::DoNotOptimize(t.TakeImage());
    }
}
BENCHMARK(BM_TargetGradationFill)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
