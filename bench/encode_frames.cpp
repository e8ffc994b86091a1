// encode_frames: our side of bench/peers.sh. It reads PNG frames from disk and writes them with
// the saver a project's generation task would use, so that its wall-clock time (decoding
// included) compares with other tools given the same files. It also measures how close the
// frames of a GIF or WebP animation, as a viewer shows them, are to those source frames.
//
//   encode_frames save PROJECT FORMAT DST_FOLDER DST_NAME FRAME.png...
//   encode_frames psnr PROJECT ANIMATION.gif|ANIMATION.webp FRAME.png...
//
// FORMAT is PNG, APNG, AGIF, WEBP (lossless) or WEBP:Q (lossy with quality Q, 0 to 99); for
// measurements, AGIF:S sets libimagequant's speed S (1 to 10).
#include "engine/frame_relay.h"
#include "engine/saver_factory.h"
#include "engine/task_setting_names.h"
#include "engine/worker_pool.h"
#include "frame_files.h"
#include "output/codec_saver.h"
#include "output/gif_saver.h"
#include "platform/file_input_stream.h"
#include "settings/project_file.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <gif_lib.h>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>
#include <webp/demux.h>

namespace {

constexpr int kExitUsage = 2;
constexpr int kExitFailed = 1;

// PSNR given to a frame decoded without any error, so that the mean stays finite.
constexpr double kLosslessPsnr = 100.0;

mrv::CTaskSetting LoadSetting(const std::string& project) {
    mrv::CTaskSetting setting;
    CSimpleErr err;
    if (!LoadProject(project, setting, err)) {
        throw std::runtime_error(project + ": " + err.m_text);
    }
    return setting;
}

// The format of FORMAT; WEBP:Q also sets the WebP quality.
void ParseFormat(const std::string& name, mrv::CTaskSetting& setting) {
    const std::string kind = name.substr(0, name.find(':'));
    if (kind == "WEBP") {
        setting.SetDstFormat(mrv::DstFormat::WEBP);
        setting.SetWebpQuality(mrv::CTaskSetting::kWebpLossless);
        if (kind.size() < name.size()) {
            const std::string quality = name.substr(kind.size() + 1);
            if (quality.empty() || quality.size() > 2 ||
                quality.find_first_not_of("0123456789") != std::string::npos) {
                throw std::invalid_argument("WEBP:Q takes a quality of 0 to 99, not " + quality);
            }
            setting.SetWebpQuality(std::stoi(quality));
        }
        return;
    }
    if (kind == "AGIF" && kind.size() < name.size()) {
        setting.SetDstFormat(mrv::DstFormat::AGIF);
        return;
    }
    if (kind == name && (name == "PNG" || name == "APNG" || name == "AGIF")) {
        setting.SetDstFormat(mrv::FromName<mrv::DstFormat>(name));
        return;
    }
    throw std::invalid_argument("unknown format " + name + " (PNG, APNG, AGIF, WEBP or WEBP:Q)");
}

// Signals that a frame needs what the first frame did not choose: the run starts again.
struct CRestartRun {};

// Writes the frames as a generation task does: every output frame decoded and encoded on the
// threads of a worker pool, each with an encoder of its own, handed to the next frame's job for
// its changed region, and appended in order on this thread. Only the frames in flight are in
// memory, as in a run that renders them.
void WriteFrames(mrv::CImgSaver& saver, const std::vector<std::string>& paths) {
    mrv::CWorkerPool pool(std::max(1u, std::thread::hardware_concurrency()));
    const std::size_t window = 2 * pool.Size();
    const mrv::CImgPtr first = bench::ReadFrame(paths.front());
    const auto read = [&](std::size_t index) {
        mrv::CImgPtr frame = index == 0 ? first : bench::ReadFrame(paths[index]);
        if (frame->m_width != first->m_width || frame->m_height != first->m_height) {
            throw std::runtime_error(paths[index] + ": the frames differ in size");
        }
        return frame;
    };
    try {
        for (bool translucent = false;; translucent = true) {
            const std::uint32_t count = saver.Begin(paths.size(), false, *first, translucent);
            const bool cut = saver.CutsRegions();
            mrv::CFrameRelay relay;
            std::vector<std::unique_ptr<codec::CImgSaver>> encoders(pool.Size());
            std::vector<mrv::CEncodedFrame> encoded(window);
            const auto job = [&](std::size_t j, std::size_t worker) {
                mrv::CRelayPut put(cut ? &relay : nullptr, j);
                const mrv::CImgPtr frame = read(saver.SourceIndex(std::uint32_t(j)));
                put.Put(frame);
                if (!saver.Admits(*frame)) {
                    throw CRestartRun{};
                }
                const mrv::CImgPtr previous = cut && j > 0 ? relay.Take(j - 1) : mrv::CImgPtr();
                std::unique_ptr<codec::CImgSaver>& encoder = encoders[worker];
                if (!encoder) {
                    encoder = saver.MakeEncoder();
                    encoder->SetParallel(false);
                }
                saver.Encode(std::uint32_t(j), previous.get(), frame, *encoder,
                             encoded[j % window]);
            };
            const auto consume = [&](std::size_t j) {
                saver.Append(encoded[j % window]);
                encoded[j % window].m_bytes.clear();
            };
            try {
                if (!pool.Run(count, window, job, consume, [] { return false; })) {
                    throw std::runtime_error("the run stopped");
                }
            } catch (const CRestartRun&) {
                continue;
            }
            break;
        }
        saver.Finish();
    } catch (...) {
        saver.Discard();
        throw;
    }
}

// The project's output settings with the format and place replaced. The frames on disk are
// the whole run already, so no return trip is added to them.
int Save(const std::vector<std::string>& args) {
    mrv::CTaskSetting setting = LoadSetting(args[0]);
    ParseFormat(args[1], setting);
    setting.SetDstFolder(args[2]);
    setting.SetDstName(args[3]);
    setting.SetRoundType(mrv::RoundType::None);
    const mrv::ImgSaverPtr saver = mrv::CreateSaver(setting);
    if (auto* gif = dynamic_cast<mrv::CAgifSaver*>(saver.get()); gif && args[1] != "AGIF") {
        // AGIF:SPEED, for measuring the quantiser's speed.
        gif->m_quantizerSpeed = std::stoi(args[1].substr(5));
    }
    WriteFrames(*saver, {args.begin() + 4, args.end()});
    return 0;
}

struct CGifClose {
    void operator()(GifFileType* gif) const noexcept {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};

std::string GifError(int error) {
    const char* text = GifErrorString(error);
    return text ? text : "giflib error " + std::to_string(error);
}

// A frame as a viewer shows it: RGBA of the whole screen, and how long it stays.
struct CShownFrame {
    std::vector<std::uint8_t> m_rgba;
    std::uint32_t m_delay = 0; // hundredths of a second
};

// Plays the animation onto a canvas that starts transparent: each image is drawn over it
// (its transparent index leaves the canvas alone), shown for its delay, then disposed of.
std::vector<CShownFrame> PlayGif(const std::string& path, std::int32_t& width,
                                 std::int32_t& height) {
    int error = 0;
    std::unique_ptr<GifFileType, CGifClose> gif(DGifOpenFileName(path.c_str(), &error));
    if (!gif) {
        throw std::runtime_error(path + ": " + GifError(error));
    }
    if (DGifSlurp(gif.get()) == GIF_ERROR) {
        throw std::runtime_error(path + ": " + GifError(gif->Error));
    }
    width = gif->SWidth;
    height = gif->SHeight;
    const std::size_t w = std::size_t(width);
    std::vector<std::uint8_t> canvas(w * std::size_t(height) * 4, 0);
    std::vector<CShownFrame> shown;
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& image = gif->SavedImages[i];
        const GifImageDesc& desc = image.ImageDesc;
        GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
        DGifSavedExtensionToGCB(gif.get(), i, &control);
        const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
        if (map == nullptr) {
            throw std::runtime_error(path + ": frame " + std::to_string(i) + " has no palette");
        }
        const std::vector<std::uint8_t> before =
            control.DisposalMode == DISPOSE_PREVIOUS ? canvas : std::vector<std::uint8_t>{};
        // Parts of the image beyond the screen are not shown.
        const int right = std::min(desc.Left + desc.Width, width);
        const int bottom = std::min(desc.Top + desc.Height, height);
        for (int y = std::max(desc.Top, 0); y < bottom; ++y) {
            for (int x = std::max(desc.Left, 0); x < right; ++x) {
                const int index =
                    image.RasterBits[std::size_t(y - desc.Top) * std::size_t(desc.Width) +
                                     std::size_t(x - desc.Left)];
                if (index == control.TransparentColor) {
                    continue;
                }
                if (index >= map->ColorCount) {
                    throw std::runtime_error(path + ": frame " + std::to_string(i) +
                                             " uses an index beyond its palette");
                }
                std::uint8_t* p = canvas.data() + (std::size_t(y) * w + std::size_t(x)) * 4;
                p[0] = map->Colors[index].Red;
                p[1] = map->Colors[index].Green;
                p[2] = map->Colors[index].Blue;
                p[3] = 255;
            }
        }
        shown.push_back(CShownFrame{canvas, std::uint32_t(control.DelayTime)});
        if (control.DisposalMode == DISPOSE_BACKGROUND) {
            for (int y = std::max(desc.Top, 0); y < bottom; ++y) {
                for (int x = std::max(desc.Left, 0); x < right; ++x) {
                    std::memset(canvas.data() + (std::size_t(y) * w + std::size_t(x)) * 4, 0, 4);
                }
            }
        } else if (control.DisposalMode == DISPOSE_PREVIOUS) {
            canvas = before;
        }
    }
    return shown;
}

struct CAnimDecoderDelete {
    void operator()(WebPAnimDecoder* decoder) const noexcept { WebPAnimDecoderDelete(decoder); }
};

// The same for an animated WebP, decoded by libwebp: the canvas after each frame and its
// duration in hundredths of a second.
std::vector<CShownFrame> PlayWebp(const std::string& path, std::int32_t& width,
                                  std::int32_t& height) {
    io::CFileInputStream in(path);
    if (in.Remaining() > (std::uint64_t(1) << 31)) {
        throw std::runtime_error(path + ": too large");
    }
    std::vector<std::uint8_t> bytes(std::size_t(in.Remaining()));
    in.ReadExactly(bytes.data(), bytes.size());
    const WebPData data{bytes.data(), bytes.size()};
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options)) {
        throw std::runtime_error("libwebp version mismatch");
    }
    options.color_mode = MODE_RGBA;
    const std::unique_ptr<WebPAnimDecoder, CAnimDecoderDelete> decoder(
        WebPAnimDecoderNew(&data, &options));
    WebPAnimInfo info;
    if (!decoder || !WebPAnimDecoderGetInfo(decoder.get(), &info)) {
        throw std::runtime_error(path + ": not an animated WebP libwebp can read");
    }
    width = std::int32_t(info.canvas_width);
    height = std::int32_t(info.canvas_height);
    const std::size_t size = std::size_t(width) * std::size_t(height) * 4;
    std::vector<CShownFrame> shown;
    int before = 0;
    while (WebPAnimDecoderHasMoreFrames(decoder.get())) {
        std::uint8_t* canvas = nullptr;
        int timestamp = 0;
        if (!WebPAnimDecoderGetNext(decoder.get(), &canvas, &timestamp)) {
            throw std::runtime_error(path + ": frame " + std::to_string(shown.size()) +
                                     " does not decode");
        }
        // Durations are milliseconds; the comparison counts in hundredths.
        shown.push_back(CShownFrame{std::vector<std::uint8_t>(canvas, canvas + size),
                                    std::uint32_t((timestamp - before) / 10)});
        before = timestamp;
    }
    return shown;
}

// PSNR over the R, G and B samples of a shown frame against an opaque source frame; a pixel
// the animation left transparent counts as black.
double FramePsnr(const std::vector<std::uint8_t>& rgba, const CImg& source) {
    std::uint64_t sum = 0;
    for (std::int32_t y = 0; y < source.m_height; ++y) {
        const std::uint8_t* src = source.Row(y);
        const std::uint8_t* p = rgba.data() + std::size_t(y) * std::size_t(source.m_width) * 4;
        for (std::int32_t x = 0; x < source.m_width; ++x, src += 4, p += 4) {
            const bool visible = p[3] != 0;
            for (int c = 0; c < 3; ++c) {
                const int d = int(visible ? p[c] : 0) - int(src[2 - c]);
                sum += std::uint64_t(d * d);
            }
        }
    }
    if (sum == 0) {
        return kLosslessPsnr;
    }
    const double mse = double(sum) / (3.0 * source.m_width * source.m_height);
    return std::min(kLosslessPsnr, 10.0 * std::log10(255.0 * 255.0 / mse));
}

// Source frame i is due at i times the project's frame delay. It is compared with the frame
// the animation shows halfway through that frame's time, so a peer that merges equal frames
// into one longer frame, or rounds delays, is compared fairly.
int Psnr(const std::vector<std::string>& args) {
    const mrv::CTaskSetting setting = LoadSetting(args[0]);
    const double delay = mrv::FrameDelay(setting.GetFrameRate());
    std::int32_t width = 0;
    std::int32_t height = 0;
    const bool webp = args[1].size() > 5 && args[1].ends_with(".webp");
    const std::vector<CShownFrame> shown =
        webp ? PlayWebp(args[1], width, height) : PlayGif(args[1], width, height);
    if (shown.empty()) {
        throw std::runtime_error(args[1] + ": no frames");
    }
    const std::size_t count = args.size() - 2;
    std::uint64_t total = 0;
    for (const CShownFrame& frame : shown) {
        total += frame.m_delay;
    }
    const double expected = delay * double(count);
    if (std::abs(double(total) - expected) > delay / 2) {
        std::fprintf(stderr, "%s: plays %llu/100 s, the source frames %.0f/100 s\n",
                     args[1].c_str(), static_cast<unsigned long long>(total), expected);
    }

    double sum = 0.0;
    double lowest = std::numeric_limits<double>::infinity();
    std::size_t k = 0;
    std::uint64_t shownUntil = shown[0].m_delay;
    // Source frames are read one at a time: with the shown frames, all of them would need
    // twice the memory of the animation.
    for (std::size_t i = 0; i < count; ++i) {
        const mrv::CImgPtr source = bench::ReadFrame(args[i + 2]);
        if (source->m_width != width || source->m_height != height) {
            throw std::runtime_error(args[i + 2] + ": " + std::to_string(source->m_width) + " x " +
                                     std::to_string(source->m_height) + " pixels, the animation " +
                                     std::to_string(width) + " x " + std::to_string(height));
        }
        const double due = (double(i) + 0.5) * delay;
        while (k + 1 < shown.size() && double(shownUntil) <= due) {
            shownUntil += shown[++k].m_delay;
        }
        const double psnr = FramePsnr(shown[k].m_rgba, *source);
        sum += psnr;
        lowest = std::min(lowest, psnr);
    }
    std::printf("mean %.2f min %.2f frames %zu shown %zu\n", sum / double(count), lowest, count,
                shown.size());
    return 0;
}

void PrintUsage() {
    std::fputs("usage: encode_frames save PROJECT PNG|APNG|AGIF|WEBP|WEBP:Q DST_FOLDER DST_NAME "
               "FRAME.png...\n"
               "       encode_frames psnr PROJECT ANIMATION.gif|ANIMATION.webp FRAME.png...\n",
               stderr);
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const bool save = !args.empty() && args[0] == "save" && args.size() >= 6;
    const bool psnr = !args.empty() && args[0] == "psnr" && args.size() >= 4;
    if (!save && !psnr) {
        PrintUsage();
        return kExitUsage;
    }
    try {
        const std::vector<std::string> rest(args.begin() + 1, args.end());
        return save ? Save(rest) : Psnr(rest);
    } catch (const std::invalid_argument& e) {
        std::fprintf(stderr, "encode_frames: %s\n", e.what());
        PrintUsage();
        return kExitUsage;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "encode_frames: %s\n", e.what());
        return kExitFailed;
    }
}
