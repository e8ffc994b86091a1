// Cost of one in-between frame model: 1000 animate items over 100 frames, against the floor of
// cloning START once per frame. Two drawings: 1000 lines whose colour changes, and 500 lines
// whose two points move (1000 point items). And the cost of checking a pair of 10,000 lines for
// every difference (both walks of pairing, without reading the files). Then a frame of the
// morph example at 1920 x 1080 made and rendered, against keeping it compressed: what a
// replayed frame of a mirrored return trip costs when it is rendered again, and what it would
// hold in memory if it were kept.
#include "common/units.h"
#include "engine/extract_items.h"
#include "engine/interpolator.h"
#include "engine/model_fit.h"
#include "engine/normalize_model.h"
#include "engine/pairing.h"
#include "engine/task_setting.h"
#include "output/deflater.h"
#include "platform/img.h"
#include "render/model_renderer.h"
#include "stroke/figures.h"
#include "stroke/serializer.h"

#include <benchmark/benchmark.h>
#include <boost/make_shared.hpp>
#include <ctime>

namespace {

constexpr int kFrames = 100;

stroke::LinePointPtr Point(double x, double y) {
    auto p = boost::make_shared<stroke::CLinePoint>(x, y, 2.0);
    p->InsertChild(0, boost::make_shared<stroke::CTangentPoint>(x - 4, y));
    p->InsertChild(1, boost::make_shared<stroke::CTangentPoint>(x + 4, y));
    return p;
}

// lines lines of two points each; shift moves every point, red sets the colour's red channel.
stroke::ModelPtr MakeModel(int lines, double shift, std::uint16_t red) {
    auto model = boost::make_shared<stroke::CModel>();
    model->m_unit = stroke::UNIT_PIXEL;
    model->m_width = 1920;
    model->m_height = 1080;
    for (int i = 0; i < lines; ++i) {
        const double x = 20 + (i % 40) * 45 + shift;
        const double y = 20 + (i / 40) * 20;
        auto part = boost::make_shared<stroke::CLinePart>();
        part->InsertChild(0, Point(x, y));
        part->InsertChild(1, Point(x + 30, y + 10));
        auto line = boost::make_shared<stroke::CLine>();
        line->InsertChild(0, part);
        line->m_lineFill =
            boost::make_shared<stroke::CMonoSetting>(stroke::CColor(red, 0, 20000, 0, 65535));
        model->InsertChild(model->GetChildCount(), line);
    }
    return model;
}

struct CPair {
    stroke::ModelPtr start;
    stroke::ModelPtr end;
    mrv::AnimateItemList items;
    mrv::InterpolatorPtr interpolator;
};

CPair MakePair(bool colours) {
    mrv::CTaskSetting setting;
    CPair pair;
    const int lines = colours ? 1000 : 500;
    pair.start = MakeModel(lines, 0, 0);
    pair.end = colours ? MakeModel(lines, 0, 65535) : MakeModel(lines, 12, 0);
    mrv::CNormalizeModel().Walk(*pair.start, *pair.end);
    mrv::CExtractItems(setting).Extract(pair.items, *pair.start, *pair.end);
    pair.interpolator = mrv::CreateInterpolator(setting);
    return pair;
}

void CloneStart(benchmark::State& state, bool colours) {
    const CPair pair = MakePair(colours);
    for (auto _ : state) {
        for (int i = 0; i < kFrames; ++i) {
            benchmark::DoNotOptimize(pair.start->Clone());
        }
    }
    state.counters["frame_us"] = benchmark::Counter(
        kFrames, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void CreateFrames(benchmark::State& state, bool colours) {
    CPair pair = MakePair(colours);
    state.counters["items"] = double(pair.items.size());
    for (auto _ : state) {
        for (int i = 0; i < kFrames; ++i) {
            benchmark::DoNotOptimize(
                pair.interpolator->CreateFrame(*pair.start, *pair.end, pair.items, i, kFrames));
        }
    }
    state.counters["frame_us"] = benchmark::Counter(
        kFrames, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// CPU seconds of the calling thread, so that the figures hold on a busy machine.
double ThreadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// Frames of the morph example fitted to 1920 x 1080: model and render per frame (ms; the CPU
// column is the one to read on a busy machine), and the frame's pixels deflated at level 1
// (KiB, and CPU ms to do so), the cheapest compact form.
void MorphFrame(benchmark::State& state) {
    mrv::CTaskSetting setting;
    setting.SetFlags(mrv::TaskFlags::Resize | mrv::TaskFlags::KeepProportion);
    setting.SetWidth(1920);
    setting.SetHeight(1080);
    const stroke::ModelPtr start = stroke::CSerializer::ReadModel(EXAMPLES_DIR "/morph_start.strk");
    const stroke::ModelPtr end = stroke::CSerializer::ReadModel(EXAMPLES_DIR "/morph_end.strk");
    mrv::AnimateItemList items;
    mrv::CNormalizeModel().Walk(*start, *end);
    mrv::CExtractItems(setting).Extract(items, *start, *end);
    mrv::FitToOutput(*start, setting, mrv::CTrimRect{});
    mrv::FitToOutput(*end, setting, mrv::CTrimRect{});
    const mrv::InterpolatorPtr interpolator = mrv::CreateInterpolator(setting);
    const stroke::CColor white(65535, 65535, 65535, 0, 65535);
    const stroke::CPageRect page{0, 0, 1920, 1080};
    codec::CDeflater deflater(1);
    double compactBytes = 0;
    double compactSeconds = 0;
    int frame = 0;
    for (auto _ : state) {
        const stroke::ModelPtr model =
            interpolator->CreateFrame(*start, *end, items, frame % kFrames, kFrames);
        stroke::CImgRenderer renderer;
        const auto img = renderer.Render(page, white, model, model->m_resolution);
        state.PauseTiming();
        const double before = ThreadCpuSeconds();
        compactBytes += double(deflater.Compress(img->m_bits).size());
        compactSeconds += ThreadCpuSeconds() - before;
        state.ResumeTiming();
        ++frame;
    }
    state.counters["compact_KiB"] = compactBytes / 1024.0 / frame;
    state.counters["compact_ms"] = compactSeconds * 1000.0 / frame;
}

BENCHMARK(MorphFrame)->Unit(benchmark::kMillisecond);

// 10,000 lines whose points all move; the last one has another cap, the one difference.
void CheckPair(benchmark::State& state) {
    constexpr int kLines = 10000;
    const stroke::ModelPtr start = MakeModel(kLines, 0, 0);
    const stroke::ModelPtr end = MakeModel(kLines, 12, 0);
    static_cast<stroke::CLine&>(*end->GetChild(kLines - 1)).m_lineCap = stroke::CAP_BUTT;
    const mrv::CTaskSetting setting;
    for (auto _ : state) {
        const mrv::CPairingCheck check = mrv::CheckPairing(setting, start, end);
        if (check.m_differences.size() != 1) {
            state.SkipWithError("expected one difference");
            break;
        }
    }
}

BENCHMARK(CheckPair)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(CloneStart, colours, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(CloneStart, points, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(CreateFrames, colours, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(CreateFrames, points, false)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
