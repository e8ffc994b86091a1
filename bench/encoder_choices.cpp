// encoder_choices: the measurements behind the fixed choices of our PNG encoder, on rendered
// frames from disk. For each way of choosing the scanline filters and each level of libdeflate
// (and of zlib for our own choice) it prints the bytes of all frames and the CPU time filtering
// and compressing took.
//
//   encoder_choices png[:LEVEL] FRAME.png...   (LEVEL: that level only)
#include "frame_files.h"
#include "output/deflater.h"
#include "output/png_encoder.h"
#include "output/png_filter.h"

#include <cstdio>
#include <exception>
#include <string>
#include <time.h>
#include <vector>

namespace {

// CPU time of this thread: the machine may be busy with other work while we measure.
double ThreadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

struct CTotals {
    std::size_t m_bytes = 0;
    double m_seconds = 0.0;
};

// Each frame filtered by `strategy` and compressed at `level`: "none" and "minsad" filter the
// whole frame one way, "both" compresses both and keeps the smaller stream, "ours" is our
// encoder over libdeflate and "ours-zlib" the same over zlib (levels 1 to 9).
CTotals Measure(const std::vector<mrv::CImgPtr>& frames, const std::string& strategy, int level) {
    codec::CDeflater deflater(level);
    codec::CPngImageEncoder encoder(level, strategy == "ours-zlib"
                                               ? codec::DeflateCoder::Zlib
                                               : codec::DeflateCoder::Libdeflate);
    std::vector<std::uint8_t> rows;
    std::vector<std::uint8_t> other;
    CTotals totals;
    for (const mrv::CImgPtr& frame : frames) {
        const bool alpha = !codec::IsOpaque(*frame);
        const double start = ThreadSeconds();
        std::size_t bytes = 0;
        if (strategy == "none" || strategy == "minsad") {
            codec::FilterScanlines(*frame,
                                   strategy == "none" ? codec::PngFilterChoice::None
                                                      : codec::PngFilterChoice::MinSumAbsDiff,
                                   rows, alpha);
            bytes = deflater.Compress(rows).size();
        } else if (strategy == "both") {
            codec::FilterScanlines(*frame, codec::PngFilterChoice::None, rows, alpha);
            const std::size_t none = deflater.Compress(rows).size();
            codec::FilterScanlines(*frame, codec::PngFilterChoice::MinSumAbsDiff, other, alpha);
            bytes = std::min(none, deflater.Compress(other).size());
        } else { // "ours", "ours-zlib": CPngImageEncoder, which filters the way a sample says
            bytes = encoder.Encode(*frame, alpha).size();
        }
        totals.m_seconds += ThreadSeconds() - start;
        totals.m_bytes += bytes;
    }
    return totals;
}

int Png(const std::vector<std::string>& paths, int onlyLevel) {
    const std::vector<mrv::CImgPtr> frames = bench::ReadFrames(paths);
    std::printf("%-8s %5s %12s %9s\n", "filters", "level", "bytes", "seconds");
    for (const char* strategy : {"none", "minsad", "both", "ours", "ours-zlib"}) {
        // The slowest levels only for the plain and our own choice: the others never beat them.
        const std::string name = strategy;
        const bool all = name == "none" || name == "ours";
        for (int level = 1; level <= (all ? 12 : 9); ++level) {
            if (onlyLevel != 0 && level != onlyLevel) {
                continue;
            }
            const CTotals t = Measure(frames, strategy, level);
            std::printf("%-8s %5d %12zu %9.3f\n", strategy, level, t.m_bytes, t.m_seconds);
            std::fflush(stdout);
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() < 2 || args[0].substr(0, 3) != "png") {
        std::fputs("usage: encoder_choices png[:LEVEL] FRAME.png...\n", stderr);
        return 2;
    }
    try {
        const int level = args[0].size() > 4 ? std::stoi(args[0].substr(4)) : 0;
        return Png({args.begin() + 1, args.end()}, level);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "encoder_choices: %s\n", e.what());
        return 1;
    }
}
