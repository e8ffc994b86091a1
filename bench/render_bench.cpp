// Time per 1920×1080 frame of the raster target: 500 paths of 20 cubic segments stroked with a
// solid pen, the same paths drawn by cairo directly (the floor), filled with a gradation, and
// stroked on a CMYK page. Then whole models of 500 lines × 20 points through the model renderer:
// one width (against the same curves stroked by cairo alone), widths that change from point to
// point, closed lines filled with a gradation, and one text of 200 characters.
#include "common/units.h"
#include "platform/img.h"
#include "render/img_renderer.h"
#include "render/model_renderer.h"
#include "stroke/figures.h"
#include "stroke/gradation.h"

#include <benchmark/benchmark.h>
#include <boost/make_shared.hpp>
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

// The floor: the same page, background and strokes (the first `segments` segments of every
// path) through cairo alone.
void CairoStrokeFrame(int segments) {
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
        for (int i = 0; i < segments; ++i, s += 6) {
            cairo_curve_to(cr, s[0], s[1], s[2], s[3], s[4], s[5]);
        }
        cairo_stroke(cr);
    }
    cairo_surface_flush(surface);
    benchmark::DoNotOptimize(cairo_image_surface_get_data(surface));
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}

void BM_CairoStroke(benchmark::State& state) {
    for (auto _ : state) {
        CairoStrokeFrame(kSegments);
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

// Models of 500 lines of 20 points (19 of the curves' segments each), in pixel units.
constexpr int kModelPoints = 20;

enum class Kind { ConstantWidth, VariableWidth, GradationFill };

stroke::LinePointPtr ModelPoint(double x, double y, double width, double inX, double inY,
                                double outX, double outY) {
    auto p = boost::make_shared<stroke::CLinePoint>(x, y, width);
    p->InsertChild(0, boost::make_shared<stroke::CTangentPoint>(inX, inY));
    p->InsertChild(1, boost::make_shared<stroke::CTangentPoint>(outX, outY));
    return p;
}

boost::shared_ptr<const stroke::CModel> MakeModel(Kind kind) {
    auto model = boost::make_shared<stroke::CModel>();
    model->m_unit = stroke::UNIT_PIXEL;
    model->m_width = kWidth;
    model->m_height = kHeight;
    for (const CCurvePath& path : Paths()) {
        auto part = boost::make_shared<stroke::CLinePart>();
        const double* s = path.m_segments.data();
        double x = path.m_start[0], y = path.m_start[1];
        double inX = x, inY = y;
        for (int i = 0; i < kModelPoints; ++i, s += 6) {
            // Variable widths swell and thin along the line, 1 to 7 pixels.
            const double width = kind == Kind::VariableWidth ? 4.0 + 3.0 * std::sin(i * 0.7) : 3.0;
            const bool last = i + 1 == kModelPoints;
            part->InsertChild(part->GetChildCount(),
                              ModelPoint(x, y, width, inX, inY, last ? x : s[0], last ? y : s[1]));
            inX = s[2];
            inY = s[3];
            x = s[4];
            y = s[5];
        }
        auto line = boost::make_shared<stroke::CLine>();
        line->InsertChild(0, part);
        const auto channel = [](double v) { return static_cast<std::uint16_t>(v * 65535); };
        if (kind == Kind::GradationFill) {
            part->m_partFlags = stroke::CLinePart::PART_CLOSED;
            auto g = boost::make_shared<stroke::CGradationSetting>();
            g->m_angle = 30;
            g->m_colors = {{true, stroke::CColor(65535, 0, 0, 0, 65535), 0.0},
                           {true, stroke::CColor(0, 0, 65535, 0, 65535), 1.0}};
            line->m_areaFill = g;
        } else {
            line->m_lineFill = boost::make_shared<stroke::CMonoSetting>(stroke::CColor(
                channel(path.m_rgb[0]), channel(path.m_rgb[1]), channel(path.m_rgb[2]), 0, 65535));
        }
        model->InsertChild(model->GetChildCount(), line);
    }
    return model;
}

void RenderModel(benchmark::State& state, Kind kind) {
    const auto model = MakeModel(kind);
    const stroke::CColor white(65535, 65535, 65535, 0, 65535);
    for (auto _ : state) {
        stroke::CImgRenderer renderer;
        benchmark::DoNotOptimize(renderer.Render({0, 0, kWidth, kHeight}, white, model, 96.0));
    }
}

void BM_ModelConstantWidth(benchmark::State& state) {
    RenderModel(state, Kind::ConstantWidth);
}
BENCHMARK(BM_ModelConstantWidth)->Unit(benchmark::kMillisecond);

// The floor of the model above: its curves stroked by cairo alone.
void BM_CairoStrokeModelCurves(benchmark::State& state) {
    for (auto _ : state) {
        CairoStrokeFrame(kModelPoints - 1);
    }
}
BENCHMARK(BM_CairoStrokeModelCurves)->Unit(benchmark::kMillisecond);

void BM_ModelVariableWidth(benchmark::State& state) {
    RenderModel(state, Kind::VariableWidth);
}
BENCHMARK(BM_ModelVariableWidth)->Unit(benchmark::kMillisecond);

void BM_ModelGradationFill(benchmark::State& state) {
    RenderModel(state, Kind::GradationFill);
}
BENCHMARK(BM_ModelGradationFill)->Unit(benchmark::kMillisecond);

// One text of 200 characters in four text lines of 50, 40 pixels high, filled and outlined.
void BM_ModelText(benchmark::State& state) {
    auto model = boost::make_shared<stroke::CModel>();
    model->m_unit = stroke::UNIT_PIXEL;
    auto text = boost::make_shared<stroke::CText>();
    const std::u16string words = u"The quick brown fox jumps over the lazy dog, 0123456789. ";
    for (int i = 0; text->m_text.size() < 200; ++i) {
        text->m_text += (i + 1) % 50 == 0 ? u'\n' : words[i % words.size()];
    }
    text->m_textSetting = boost::make_shared<stroke::CTextSetting>();
    text->m_textSetting->m_fontFace = u"DejaVu Sans";
    text->m_textSetting->m_fontSize = 40.0;
    text->m_width = 1.0;
    text->m_areaFill =
        boost::make_shared<stroke::CMonoSetting>(stroke::CColor(0, 0, 40000, 0, 65535));
    text->m_lineFill = boost::make_shared<stroke::CMonoSetting>(stroke::CColor(0, 0, 0, 0, 65535));
    auto baseline = boost::make_shared<stroke::CLinePart>();
    baseline->InsertChild(0, ModelPoint(40, 200, 0, 40, 200, 40, 200));
    baseline->InsertChild(1, ModelPoint(1880, 200, 0, 1880, 200, 1880, 200));
    text->InsertChild(0, baseline);
    model->InsertChild(0, text);
    const stroke::CColor white(65535, 65535, 65535, 0, 65535);
    for (auto _ : state) {
        stroke::CImgRenderer renderer;
        benchmark::DoNotOptimize(renderer.Render(
            {0, 0, kWidth, kHeight}, white, boost::shared_ptr<const stroke::CModel>(model), 96.0));
    }
}
BENCHMARK(BM_ModelText)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
