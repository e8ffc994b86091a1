#include "webp_reader.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <sys/wait.h>
#include <webp/demux.h>

namespace outtest {

namespace {

struct CDemuxDelete {
    void operator()(WebPDemuxer* demux) const { WebPDemuxDelete(demux); }
};
struct CDecoderDelete {
    void operator()(WebPAnimDecoder* decoder) const { WebPAnimDecoderDelete(decoder); }
};

std::string Quoted(const std::filesystem::path& path) {
    std::string quoted = "'";
    for (const char c : path.string()) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

} // namespace

CWebpAnimationRead ReadWebp(const std::filesystem::path& path) {
    CWebpAnimationRead read;
    std::ifstream in(path, std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                          std::istreambuf_iterator<char>());
    if (bytes.empty()) {
        read.m_error = "cannot read " + path.string();
        return read;
    }
    const WebPData data{bytes.data(), bytes.size()};
    const std::unique_ptr<WebPDemuxer, CDemuxDelete> demux(WebPDemux(&data));
    if (!demux) {
        read.m_error = "WebPDemux refused the file";
        return read;
    }
    read.m_width = int(WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_WIDTH));
    read.m_height = int(WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_HEIGHT));
    read.m_loopCount = int(WebPDemuxGetI(demux.get(), WEBP_FF_LOOP_COUNT));
    read.m_background = WebPDemuxGetI(demux.get(), WEBP_FF_BACKGROUND_COLOR);
    WebPChunkIterator chunk;
    if (WebPDemuxGetChunk(demux.get(), "ICCP", 1, &chunk)) {
        read.m_icc.assign(chunk.chunk.bytes, chunk.chunk.bytes + chunk.chunk.size);
        WebPDemuxReleaseChunkIterator(&chunk);
    }
    WebPIterator frame;
    if (WebPDemuxGetFrame(demux.get(), 1, &frame)) {
        do {
            CWebpFrameInfo info;
            info.m_x = frame.x_offset;
            info.m_y = frame.y_offset;
            info.m_width = frame.width;
            info.m_height = frame.height;
            info.m_duration = frame.duration;
            info.m_blend = frame.blend_method == WEBP_MUX_BLEND;
            info.m_disposeToBackground = frame.dispose_method == WEBP_MUX_DISPOSE_BACKGROUND;
            WebPBitstreamFeatures features;
            if (WebPGetFeatures(frame.fragment.bytes, frame.fragment.size, &features) ==
                VP8_STATUS_OK) {
                info.m_lossless = features.format == 2;
            }
            read.m_frames.push_back(info);
        } while (WebPDemuxNextFrame(&frame));
        WebPDemuxReleaseIterator(&frame);
    }

    WebPAnimDecoderOptions options;
    WebPAnimDecoderOptionsInit(&options);
    options.color_mode = MODE_RGBA;
    options.use_threads = 0;
    const std::unique_ptr<WebPAnimDecoder, CDecoderDelete> decoder(
        WebPAnimDecoderNew(&data, &options));
    if (!decoder) {
        read.m_error = "WebPAnimDecoderNew refused the file";
        return read;
    }
    const std::size_t canvasBytes = std::size_t(read.m_width) * std::size_t(read.m_height) * 4;
    while (WebPAnimDecoderHasMoreFrames(decoder.get())) {
        std::uint8_t* canvas = nullptr;
        int timestamp = 0;
        if (!WebPAnimDecoderGetNext(decoder.get(), &canvas, &timestamp)) {
            read.m_error = "frame " + std::to_string(read.m_canvases.size()) + " does not decode";
            return read;
        }
        read.m_canvases.emplace_back(canvas, canvas + canvasBytes);
    }
    return read;
}

bool HasWebpmux() {
    return std::system("command -v webpmux >/dev/null 2>&1") == 0;
}

int RunWebpmuxInfo(const std::filesystem::path& file, std::string& output) {
    output.clear();
    FILE* pipe = popen(("webpmux -info " + Quoted(file) + " 2>&1").c_str(), "r");
    if (pipe == nullptr) {
        return -1;
    }
    char buffer[4096];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) {
        output.append(buffer, n);
    }
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

double RgbPsnr(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
    if (a.size() != b.size() || a.empty()) {
        return 0.0;
    }
    double sum = 0.0;
    std::size_t samples = 0;
    for (std::size_t i = 0; i < a.size(); i += 4) {
        for (std::size_t c = 0; c < 3; ++c) {
            const double d = double(a[i + c]) - double(b[i + c]);
            sum += d * d;
            ++samples;
        }
    }
    if (sum == 0.0) {
        return 100.0;
    }
    return 10.0 * std::log10(255.0 * 255.0 / (sum / double(samples)));
}

} // namespace outtest
