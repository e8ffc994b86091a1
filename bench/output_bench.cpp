// Encode time per frame of the savers on flat vector art (plain background, filled shapes with
// antialiased edges): PNG sequence, APNG with and without changed regions, animated GIF, and
// the parts of each (row filters, deflate, quantisation) to show where the time goes.
#include "output/apng_saver.h"
#include "output/deflater.h"
#include "output/gif_saver.h"
#include "output/png_filter.h"
#include "output/png_saver.h"
#include "output/quantizer.h"
#include "output_test_util.h"
#include "platform/img.h"
#include "support/temp_folder.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <filesystem>
#include <map>
#include <sys/resource.h>

namespace {

using namespace outtest;

constexpr int kFrames = 8;

// Frames of a short animation, made once per size.
const std::vector<boost::shared_ptr<CImg>>& Animation(int width, int height) {
    static std::map<std::pair<int, int>, std::vector<boost::shared_ptr<CImg>>> cache;
    auto& frames = cache[{width, height}];
    if (frames.empty()) {
        frames = ArtFrames(kFrames, width, height, true);
    }
    return frames;
}

std::uintmax_t FolderBytes(const CTempFolder& dir) {
    std::uintmax_t total = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        total += entry.file_size();
    }
    return total;
}

// CPU seconds of the whole process (all threads), so that the figures hold on a busy machine.
double ProcessCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void Configure(mrv::CImgSaver& saver, const CTempFolder& dir, bool regions) {
    saver.m_dstFolder = dir.Str();
    saver.m_dstName = "bench";
    saver.m_regionFrames = regions;
}

// Runs a saver over the animation; reports frames per second and bytes per frame.
template <class Saver> void SaveAnimation(benchmark::State& state, bool regions) {
    const auto& frames = Animation(int(state.range(0)), int(state.range(1)));
    CTempFolder dir;
    Saver saver;
    Configure(saver, dir, regions);
    const double cpuBefore = ProcessCpuSeconds();
    for (auto _ : state) {
        benchmark::DoNotOptimize(saver.Save(Frames(frames)));
    }
    const double cpu = ProcessCpuSeconds() - cpuBefore;
    state.counters["cpu_ms/frame"] = cpu * 1000.0 / double(state.iterations() * kFrames);
    state.counters["bytes/frame"] = double(FolderBytes(dir)) / kFrames;
}

void BM_PngSequence(benchmark::State& state) {
    SaveAnimation<mrv::CPngSaver>(state, false);
}
void BM_Apng(benchmark::State& state) {
    SaveAnimation<mrv::CApngSaver>(state, state.range(2));
}
void BM_AnimatedGif(benchmark::State& state) {
    SaveAnimation<mrv::CAgifSaver>(state, state.range(2));
}

// The parts of one PNG frame.
void BM_PngFilter(benchmark::State& state) {
    const CImg& img = *Animation(int(state.range(0)), int(state.range(1)))[3];
    const auto choice =
        state.range(2) ? codec::PngFilterChoice::MinSumAbsDiff : codec::PngFilterChoice::None;
    std::vector<std::uint8_t> rows;
    for (auto _ : state) {
        codec::FilterScanlines(img, choice, rows);
        benchmark::DoNotOptimize(rows.data());
    }
}

void BM_PngDeflate(benchmark::State& state) {
    const CImg& img = *Animation(int(state.range(0)), int(state.range(1)))[3];
    const auto choice =
        state.range(2) ? codec::PngFilterChoice::MinSumAbsDiff : codec::PngFilterChoice::None;
    std::vector<std::uint8_t> rows;
    codec::FilterScanlines(img, choice, rows);
    codec::CDeflater deflater(9);
    std::size_t size = 0;
    for (auto _ : state) {
        size = deflater.Compress(rows).size();
    }
    state.counters["bytes"] = double(size);
}

// A harder frame for the palette: smooth gradients in all channels, opaque.
const CImg& GradientFrame(int width, int height) {
    static std::map<std::pair<int, int>, boost::shared_ptr<CImg>> cache;
    auto& img = cache[{width, height}];
    if (!img) {
        img = Gradient(width, height, 1);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                Bgra p = PixelAt(*img, x, y);
                p.a = 255;
                SetPixel(*img, x, y, p);
            }
        }
    }
    return *img;
}

// Quantisation and remapping of one frame at a libimagequant speed, with the PSNR of the result;
// range(3) picks flat art (0) or gradients (1).
void BM_Quantize(benchmark::State& state) {
    const int width = int(state.range(0));
    const int height = int(state.range(1));
    const CImg& img = state.range(3) ? GradientFrame(width, height) : *Animation(width, height)[3];
    codec::CQuantizer quantizer(int(state.range(2)));
    codec::CIndexedImage indexed;
    const double cpuBefore = ProcessCpuSeconds();
    for (auto _ : state) {
        quantizer.Quantize(img, false, 256, indexed);
    }
    state.counters["cpu_ms"] =
        (ProcessCpuSeconds() - cpuBefore) * 1000.0 / double(state.iterations());
    double squared = 0;
    std::size_t i = 0;
    for (int y = 0; y < img.m_height; ++y) {
        for (int x = 0; x < img.m_width; ++x, ++i) {
            const Bgra p = PixelAt(img, x, y);
            const codec::CPaletteColor& q = indexed.m_palette[indexed.m_indices[i]];
            const double d[] = {double(p.r) - q.r, double(p.g) - q.g, double(p.b) - q.b};
            squared += d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
        }
    }
    const double mse = squared / (3.0 * double(i));
    state.counters["PSNR_dB"] = mse > 0 ? 10 * std::log10(255.0 * 255.0 / mse) : 99.0;
    state.counters["colours"] = double(indexed.m_palette.size());
    state.counters["exact"] = indexed.m_exact;
}

// Savers and the PNG encoder use a second thread for large frames: wall-clock time counts.
void Sizes(benchmark::internal::Benchmark* b) {
    b->Unit(benchmark::kMillisecond)->UseRealTime();
    for (auto size : {std::pair{1920, 1080}, std::pair{640, 480}}) {
        b->Args({size.first, size.second});
    }
}

void SizesAndFlag(benchmark::internal::Benchmark* b) {
    b->Unit(benchmark::kMillisecond)->UseRealTime();
    for (auto size : {std::pair{1920, 1080}, std::pair{640, 480}}) {
        for (int flag : {0, 1}) {
            b->Args({size.first, size.second, flag});
        }
    }
}

void Speeds(benchmark::internal::Benchmark* b) {
    b->Unit(benchmark::kMillisecond);
    for (int kind : {0, 1}) {
        for (int speed : {1, 3, 4, 6, 8, 10}) {
            b->Args({1920, 1080, speed, kind});
        }
    }
}

BENCHMARK(BM_PngSequence)->Apply(Sizes);
BENCHMARK(BM_Apng)->Apply(SizesAndFlag);
BENCHMARK(BM_AnimatedGif)->Apply(SizesAndFlag);
BENCHMARK(BM_PngFilter)->Apply(SizesAndFlag);
BENCHMARK(BM_PngDeflate)->Apply(SizesAndFlag);
BENCHMARK(BM_Quantize)->Apply(Speeds);

} // namespace

BENCHMARK_MAIN();
