#include "thumbnail/thumbnail.h"

#include "common/error.h"
#include "common/message_ids.h"
#include "common/messages.h"
#include "engine/model_fit.h"
#include "output/output_file.h"
#include "output/png_encoder.h"
#include "platform/color_profile.h"
#include "platform/img.h"
#include "platform/input_stream.h"
#include "platform/read_file.h"
#include "render/model_renderer.h"
#include "settings/project_file.h"
#include "stroke/serializer.h"
#include "thumbnail/limits.h"

#include <algorithm>
#include <array>
#include <boost/make_shared.hpp>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <new>
#include <ostream>
#include <string_view>

#ifndef MORVANE_VERSION
#define MORVANE_VERSION "0"
#endif

namespace thumb {

namespace {

constexpr std::string_view kStrokeMagic = "stroke";
constexpr const char* kProgram = "morvane-thumbnail: ";

// Pages are refused outside this range of model units (millimetres or pixels): a page larger
// than a kilometre or smaller than a micrometre is not a drawing but a hostile header.
constexpr double kMinPageSide = 1e-3;
constexpr double kMaxPageSide = 1e6;

// Embedded bitmaps are decoded under limits a thumbnail can afford.
codec::CPngLimits BitmapLimits() {
    codec::CPngLimits limits;
    limits.m_maxWidth = 8192;
    limits.m_maxHeight = 8192;
    limits.m_maxPixelBytes = std::uint64_t{64} << 20;
    limits.m_maxChunkCache = 64;
    limits.m_maxChunkBytes = 1u << 20;
    return limits;
}

bool StartsWithStrokeMagic(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= kStrokeMagic.size() &&
           std::equal(kStrokeMagic.begin(), kStrokeMagic.end(), bytes.begin());
}

// XML after an optional UTF-8 byte order mark and white space.
bool LooksLikeXml(std::span<const std::uint8_t> bytes) {
    std::size_t i = 0;
    if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        i = 3;
    }
    while (i < bytes.size() &&
           (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n')) {
        ++i;
    }
    return i < bytes.size() && bytes[i] == '<';
}

stroke::ModelPtr ReadDrawing(std::vector<std::uint8_t> bytes) {
    io::CMemoryInputStream stream(std::move(bytes));
    return stroke::CSerializer::ReadModel(stream, BitmapLimits());
}

bool IsUsageError(const my::CException& e) {
    return e.m_id == IDS_THUMBNAIL_BAD_SIZE || e.m_id == IDS_THUMBNAIL_UNKNOWN_OPTION ||
           e.m_id == IDS_THUMBNAIL_ARGUMENTS;
}

// A page side as the header holds it, in six significant digits ("210", "1e+300", "nan").
std::string SideText(double side) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", side);
    return text;
}

int ParseSize(std::string_view text) {
    int size = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), size);
    if (text.empty() || ec != std::errc{} || end != text.data() + text.size() || size < 1 ||
        size > kMaxSize) {
        throw my::CException(IDS_THUMBNAIL_BAD_SIZE, kMaxSize, text);
    }
    return size;
}

} // namespace

std::vector<std::uint8_t> ReadInputFile(const std::string& path, std::uint64_t limit) {
    std::string data;
    const int error = io::ReadWholeFile(path, static_cast<std::size_t>(limit), data);
    if (error == EINVAL) {
        // A pipe, a device or a socket: never opened for reading, so nothing blocks.
        throw my::CException(IDS_FILE_OPEN_FAILED, path, my::MessageText(IDS_FILE_NOT_REGULAR));
    }
    if (error == EFBIG) {
        throw my::CException(IDS_THUMBNAIL_FILE_TOO_LARGE, limit >> 20, path);
    }
    if (error != 0) {
        throw my::CException::FromCode(IDS_FILE_OPEN_FAILED, error, path);
    }
    return {data.begin(), data.end()};
}

stroke::ModelPtr LoadThumbnailModel(const std::string& path) {
    std::vector<std::uint8_t> bytes = ReadInputFile(path, kMaxDrawingBytes);
    if (StartsWithStrokeMagic(bytes)) {
        return ReadDrawing(std::move(bytes));
    }
    if (!LooksLikeXml(bytes)) {
        throw my::CException(IDS_THUMBNAIL_NOT_DRAWING, path);
    }
    if (bytes.size() > kMaxProjectBytes) {
        throw my::CException(IDS_THUMBNAIL_FILE_TOO_LARGE, kMaxProjectBytes >> 20, path);
    }
    mrv::CTaskSetting task;
    CSimpleErr err;
    if (!LoadProject(path, task, err)) {
        throw my::CException(err);
    }
    const std::string& start = task.GetSrcPath0();
    if (start.empty()) {
        throw my::CException(IDS_THUMBNAIL_NO_START, path);
    }
    bytes = ReadInputFile(start, kMaxDrawingBytes);
    if (!StartsWithStrokeMagic(bytes)) {
        throw my::CException(IDS_THUMBNAIL_NOT_DRAWING, start);
    }
    return ReadDrawing(std::move(bytes));
}

std::pair<int, int> ThumbnailSize(double width, double height, int size) {
    const auto usable = [](double side) {
        return std::isfinite(side) && side >= kMinPageSide && side <= kMaxPageSide;
    };
    if (!usable(width) || !usable(height)) {
        throw my::CException(IDS_THUMBNAIL_PAGE_INVALID, SideText(width), SideText(height));
    }
    const auto shorter = [size](double part, double whole) {
        return std::clamp(static_cast<int>(std::lround(size * (part / whole))), 1, size);
    };
    if (width >= height) {
        return {size, shorter(height, width)};
    }
    return {shorter(width, height), size};
}

boost::shared_ptr<CImg> RenderThumbnail(const stroke::ModelPtr& model, int size) {
    const auto [width, height] = ThumbnailSize(model->m_width, model->m_height, size);
    // Resize scales each axis to fill width x height, which keep the page's proportion.
    mrv::CTaskSetting fit;
    fit.SetFlags(mrv::TaskFlags::Resize);
    fit.SetWidth(width);
    fit.SetHeight(height);
    fit.SetDpi(96.0);
    mrv::FitToOutput(*model, fit, mrv::CTrimRect{});

    // A white page: all channels full in RGB, no ink in CMYK.
    const stroke::CColor white = model->m_colorType == stroke::COLOR_CMYK
                                     ? stroke::CColor(0, 0, 0, 0, 65535)
                                     : stroke::CColor(65535, 65535, 65535, 0, 65535);
    stroke::CImgRenderer renderer;
    renderer.SetOutputColorType(stroke::COLOR_RGB);
    renderer.SetOutputProfile(boost::make_shared<CColorProfile>());
    return renderer.Render(stroke::CPageRect{0, 0, width, height}, white, model,
                           model->m_resolution);
}

void WritePng(const CImg& img, const std::string& path) {
    codec::CheckPngImage(img);
    codec::COutputFile file(path);
    codec::CPngImageEncoder encoder;
    codec::CPngChunkWriter writer(file);
    writer.Signature();
    // The page is opaque, so the picture needs no alpha channel.
    writer.Ihdr(static_cast<std::uint32_t>(img.m_width), static_cast<std::uint32_t>(img.m_height),
                false);
    const std::uint8_t perceptual = 0;
    writer.Chunk("sRGB", std::span<const std::uint8_t>(&perceptual, 1));
    writer.Idat(encoder.Encode(img, false));
    writer.Iend();
    if (file.Failed() || !file.Commit()) {
        throw file.Failure();
    }
}

COptions ParseArguments(const std::vector<std::string>& args) {
    COptions options;
    std::vector<std::string> positional;
    bool optionsEnded = false;
    bool sized = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (optionsEnded || word.size() < 2 || word[0] != '-') {
            positional.push_back(word);
        } else if (word == "--") {
            optionsEnded = true;
        } else if (word == "-s" || word == "--size") {
            if (i + 1 == args.size()) {
                throw my::CException(IDS_THUMBNAIL_ARGUMENTS);
            }
            options.m_size = ParseSize(args[++i]);
            sized = true;
        } else if (word.starts_with("--size=")) {
            options.m_size = ParseSize(std::string_view(word).substr(7));
            sized = true;
        } else if (word.starts_with("-s")) {
            options.m_size = ParseSize(std::string_view(word).substr(2));
            sized = true;
        } else if (word == "--help" || word == "-h") {
            options.m_help = true;
        } else if (word == "--version") {
            options.m_version = true;
        } else {
            throw my::CException(IDS_THUMBNAIL_UNKNOWN_OPTION, word);
        }
    }
    if (options.m_help || options.m_version) {
        return options;
    }
    if (!sized || positional.size() != 2) {
        throw my::CException(IDS_THUMBNAIL_ARGUMENTS);
    }
    options.m_input = positional[0];
    options.m_output = positional[1];
    return options;
}

int RunThumbnailer(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    try {
        const COptions options = ParseArguments(args);
        if (options.m_help) {
            out << my::MessageText(IDS_THUMBNAIL_USAGE) << "\n";
            return kExitDone;
        }
        if (options.m_version) {
            out << "morvane-thumbnail " << MORVANE_VERSION << "\n";
            return kExitDone;
        }
        const stroke::ModelPtr model = LoadThumbnailModel(options.m_input);
        WritePng(*RenderThumbnail(model, options.m_size), options.m_output);
        return kExitDone;
    } catch (const my::CException& e) {
        err << kProgram << e.m_text << "\n";
        if (IsUsageError(e)) {
            err << my::MessageText(IDS_THUMBNAIL_USAGE_HINT) << "\n";
            return kExitUsage;
        }
    } catch (const std::bad_alloc&) {
        const std::uint64_t limit = AppliedAddressSpaceLimit();
        err << kProgram
            << (limit != 0 ? my::FormatMessage(IDS_THUMBNAIL_MEMORY_LIMIT,
                                               std::array{std::to_string(limit >> 20)})
                           : my::SystemErrorText(ENOMEM))
            << "\n";
    } catch (const std::exception& e) {
        err << kProgram << e.what() << "\n";
    }
    return kExitFailed;
}

} // namespace thumb
