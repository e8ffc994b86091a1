// encode_frames: our side of bench/peers.sh. It reads PNG frames from disk and writes them with
// the saver a project's generation task would use, so that its wall-clock time (decoding
// included) compares with other tools given the same files. It also measures how close the
// frames of a GIF or WebP animation, as a viewer shows them, are to those source frames.
//
//   encode_frames save PROJECT FORMAT DST_FOLDER DST_NAME FRAME.png...
//   encode_frames psnr PROJECT ANIMATION.gif|ANIMATION.webp FRAME.png...
//
// FORMAT is PNG, APNG, AGIF, WEBP (lossless) or WEBP:Q (lossy with quality Q, 0 to 99).
#include "engine/saver_factory.h"
#include "engine/task_setting_names.h"
#include "platform/file_input_stream.h"
#include "platform/png_decoder.h"
#include "settings/project_file.h"

#include <algorithm>
#include <array>
#include <boost/make_shared.hpp>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <gif_lib.h>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>
#include <webp/demux.h>

namespace {

constexpr int kExitUsage = 2;
constexpr int kExitFailed = 1;

// PSNR given to a frame decoded without any error, so that the mean stays finite.
constexpr double kLosslessPsnr = 100.0;

std::uint32_t BigEndian32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 |
           std::uint32_t(p[3]);
}

// What DecodePng needs to know before it decodes: the size from IHDR, and the resolution from
// pHYs so that a saved frame carries the same one as a freshly rendered frame.
struct CPngHeader {
    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
    double m_dpiX = 0.0;
    double m_dpiY = 0.0;
};

CPngHeader ReadPngHeader(io::CInputStream& in, const std::string& path) {
    static constexpr std::array<std::uint8_t, 8> kSignature = {0x89, 'P',  'N',  'G',
                                                               '\r', '\n', 0x1A, '\n'};
    std::array<std::uint8_t, 8> signature{};
    in.ReadExactly(signature.data(), signature.size());
    if (signature != kSignature) {
        throw std::runtime_error(path + ": not a PNG file");
    }
    CPngHeader header;
    bool first = true;
    for (;;) {
        std::array<std::uint8_t, 8> chunk{};
        in.ReadExactly(chunk.data(), chunk.size());
        const std::uint32_t length = BigEndian32(chunk.data());
        const std::string type(reinterpret_cast<const char*>(chunk.data() + 4), 4);
        if (std::uint64_t(length) + 4 > in.Remaining()) {
            throw std::runtime_error(path + ": chunk " + type + " runs past the end of the file");
        }
        if (first != (type == "IHDR")) {
            throw std::runtime_error(path + ": IHDR is not the first chunk");
        }
        if (type == "IDAT" || type == "IEND") {
            break;
        }
        if (type == "IHDR" || type == "pHYs") {
            std::array<std::uint8_t, 13> data{};
            if (length < (type == "IHDR" ? 13u : 9u)) {
                throw std::runtime_error(path + ": chunk " + type + " is too short");
            }
            in.ReadExactly(data.data(), type == "IHDR" ? 13 : 9);
            in.Seek(in.Position() + length - (type == "IHDR" ? 13 : 9) + 4);
            if (type == "IHDR") {
                const std::uint32_t width = BigEndian32(data.data());
                const std::uint32_t height = BigEndian32(data.data() + 4);
                if (width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF) {
                    throw std::runtime_error(path + ": invalid image size");
                }
                header.m_width = std::int32_t(width);
                header.m_height = std::int32_t(height);
            } else if (data[8] == 1) {
                // Pixels per metre, back to dots per inch at the precision a DPI setting has.
                header.m_dpiX = std::round(BigEndian32(data.data()) * 25.4) / 1000.0;
                header.m_dpiY = std::round(BigEndian32(data.data() + 4) * 25.4) / 1000.0;
            }
        } else {
            in.Seek(in.Position() + length + 4);
        }
        first = false;
    }
    in.Seek(0);
    return header;
}

// One frame as the renderer hands it over: BGRA rows with the PNG's resolution.
mrv::CImgPtr ReadFrame(const std::string& path) {
    io::CFileInputStream in(path);
    const CPngHeader header = ReadPngHeader(in, path);
    auto img = boost::make_shared<CImg>();
    img->m_pixelType = CImg::PIXEL_BGRA32;
    img->m_width = header.m_width;
    img->m_height = header.m_height;
    img->m_dpiX = header.m_dpiX;
    img->m_dpiY = header.m_dpiY;
    codec::DecodePng(in, *img);
    return img;
}

std::vector<mrv::CImgPtr> ReadFrames(const std::vector<std::string>& paths) {
    std::vector<mrv::CImgPtr> frames;
    frames.reserve(paths.size());
    for (const std::string& path : paths) {
        frames.push_back(ReadFrame(path));
        if (frames.back()->m_width != frames.front()->m_width ||
            frames.back()->m_height != frames.front()->m_height) {
            throw std::runtime_error(path + ": the frames differ in size");
        }
    }
    return frames;
}

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
    if (kind == name && (name == "PNG" || name == "APNG" || name == "AGIF")) {
        setting.SetDstFormat(mrv::FromName<mrv::DstFormat>(name));
        return;
    }
    throw std::invalid_argument("unknown format " + name + " (PNG, APNG, AGIF, WEBP or WEBP:Q)");
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

    mrv::CFrameList list;
    list.m_images = ReadFrames({args.begin() + 4, args.end()});
    return saver->Save(list) ? 0 : kExitFailed;
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
        const mrv::CImgPtr source = ReadFrame(args[i + 2]);
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
