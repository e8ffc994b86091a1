#include "output/webp_encoder.h"

#include "common/error.h"
#include "common/message_ids.h"
#include "common/messages.h"
#include "output/frame_region.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>
#include <webp/decode.h>
#include <webp/encode.h>
#include <webp/mux.h>

namespace codec {

namespace {

// Lossless frames: method 4 as libwebp's tools use it, and effort 50, chosen by measurement
// against img2webp on 100 rendered frames of the examples (bench/peers.sh): 0.4 % fewer bytes
// than libwebp's default effort 75 in a fifth less time; methods below 4 add 2 to 7 %, effort
// 100 saves 1.5 % at 15 % more time, method 6 saves 7 % at six times the time.
constexpr int kLosslessMethod = 4;
constexpr float kLosslessEffort = 50.0f;
// Lossy frames take method 5: 2 to 5 % fewer bytes than method 4 on the examples at quality 80,
// in about the same time (bench/peers.sh).
constexpr int kLossyMethod = 5;
// A lossy frame first takes libwebp's plain RGB to YUV conversion with its noise shaping; one
// whose changed pixels come out below quality / kFloorDivisor dB of PSNR (40 dB at quality 80),
// as a viewer sees the whole frame, is encoded again with the sharp conversion and no noise
// shaping. On drawings the plain way is 10 to 15 % smaller and enough for soft shapes; the sharp
// one keeps thin saturated lines from bleeding through the halved colour resolution (the line
// widths of the examples: 36.5 dB the plain way, 38 dB and more the sharp way).
constexpr double kFloorDivisor = 2.0;
// Lossy frames leave whole blocks of this size alone when they did not change.
constexpr std::int32_t kStillBlock = 8;

std::string EncodingErrorText(WebPEncodingError error) {
    switch (error) {
    case VP8_ENC_ERROR_OUT_OF_MEMORY:
        return "out of memory";
    case VP8_ENC_ERROR_BITSTREAM_OUT_OF_MEMORY:
        return "out of memory while writing the bitstream";
    case VP8_ENC_ERROR_NULL_PARAMETER:
        return "a required parameter is missing";
    case VP8_ENC_ERROR_INVALID_CONFIGURATION:
        return "invalid encoder configuration";
    case VP8_ENC_ERROR_BAD_DIMENSION:
        return "the picture is empty or larger than 16383 x 16383 pixels";
    case VP8_ENC_ERROR_PARTITION0_OVERFLOW:
        return "the first partition is larger than 512 KiB";
    case VP8_ENC_ERROR_PARTITION_OVERFLOW:
        return "a partition is larger than 16 MiB";
    case VP8_ENC_ERROR_BAD_WRITE:
        return "the encoded data could not be stored";
    case VP8_ENC_ERROR_FILE_TOO_BIG:
        return "the encoded picture is larger than 4 GiB";
    case VP8_ENC_ERROR_USER_ABORT:
        return "stopped";
    default:
        return "libwebp error " + std::to_string(int(error));
    }
}

std::string MuxErrorText(WebPMuxError error) {
    switch (error) {
    case WEBP_MUX_NOT_FOUND:
        return "a part of the file was not found";
    case WEBP_MUX_INVALID_ARGUMENT:
        return "invalid argument";
    case WEBP_MUX_BAD_DATA:
        return "invalid data";
    case WEBP_MUX_MEMORY_ERROR:
        return "out of memory";
    case WEBP_MUX_NOT_ENOUGH_DATA:
        return "not enough data";
    default:
        return "libwebpmux error " + std::to_string(int(error));
    }
}

my::CException EncodeFailure(CWebpFrameNumber number, const std::string& reason) {
    return my::CException(IDS_WEBP_ENCODE_FAILED, number.m_index + 1, number.m_count, reason);
}

// A WebPPicture that frees its pixels and a memory writer that frees its bytes on every way out.
struct CPicture {
    WebPPicture m_pic{};
    CPicture() = default;
    CPicture(const CPicture&) = delete;
    CPicture& operator=(const CPicture&) = delete;
    ~CPicture() { WebPPictureFree(&m_pic); }
};
struct CMemoryWriter {
    WebPMemoryWriter m_writer{};
    CMemoryWriter() { WebPMemoryWriterInit(&m_writer); }
    CMemoryWriter(const CMemoryWriter&) = delete;
    CMemoryWriter& operator=(const CMemoryWriter&) = delete;
    ~CMemoryWriter() { WebPMemoryWriterClear(&m_writer); }
};

// Pixel x of a 32-bit BGRA row as libwebp's ARGB word.
std::uint32_t Argb(const std::uint8_t* row, std::int32_t x) {
    const std::uint8_t* p = row + std::size_t(x) * 4;
    return std::uint32_t(p[3]) << 24 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 |
           std::uint32_t(p[0]);
}

struct CRect {
    std::int32_t m_left = 0;
    std::int32_t m_top = 0;
    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
};

// The rectangle of frame that is written: all of it, or what changed since previous.
CRect FrameRect(const CImg* previous, const CImg& frame) {
    if (previous == nullptr) {
        return CRect{0, 0, frame.m_width, frame.m_height};
    }
    const mrv::CFrameRecord changed =
        previous == &frame ? mrv::CFrameRecord{0, 0, 1, 1} : mrv::ChangedRegion(*previous, frame);
    // WebP stores half the offsets: an odd one moves a column or row out and the size grows.
    CRect rect{changed.m_left & ~1, changed.m_top & ~1, 0, 0};
    rect.m_width = changed.m_right - rect.m_left;
    rect.m_height = changed.m_bottom - rect.m_top;
    return rect;
}

// Blending shows the canvas through transparent pixels and puts opaque ones over it. So a frame
// can be blended when every pixel of its rectangle either did not change (it is made
// transparent) or is opaque (it replaces what was there exactly).
bool CanBlend(const CImg& previous, const CImg& frame, const CRect& rect) {
    for (std::int32_t y = rect.m_top; y < rect.m_top + rect.m_height; ++y) {
        const std::uint8_t* prev = previous.Row(y);
        const std::uint8_t* cur = frame.Row(y);
        for (std::int32_t x = rect.m_left; x < rect.m_left + rect.m_width; ++x) {
            const std::uint32_t p = Argb(cur, x);
            if (p >> 24 != 0xFF && p != Argb(prev, x)) {
                return false;
            }
        }
    }
    return true;
}

// Lossless: every pixel that did not change becomes transparent black.
void ClearStillPixels(const CImg& previous, const CRect& rect, WebPPicture& pic) {
    for (std::int32_t y = 0; y < rect.m_height; ++y) {
        const std::uint8_t* prev = previous.Row(rect.m_top + y);
        std::uint32_t* out = pic.argb + std::size_t(y) * std::size_t(pic.argb_stride);
        for (std::int32_t x = 0; x < rect.m_width; ++x) {
            if (out[x] == Argb(prev, rect.m_left + x)) {
                out[x] = 0;
            }
        }
    }
}

// Lossy: each 8 x 8 block of the canvas grid inside the rectangle whose pixels are all opaque
// and unchanged becomes transparent in their average colour. Single transparent pixels would
// cost more than they save in a lossy picture, and a flat block compresses to almost nothing.
void ClearStillBlocks(const CImg& previous, const CRect& rect, WebPPicture& pic) {
    const std::int32_t left = (rect.m_left + kStillBlock - 1) / kStillBlock * kStillBlock;
    const std::int32_t top = (rect.m_top + kStillBlock - 1) / kStillBlock * kStillBlock;
    const std::int32_t right = (rect.m_left + rect.m_width) / kStillBlock * kStillBlock;
    const std::int32_t bottom = (rect.m_top + rect.m_height) / kStillBlock * kStillBlock;
    const auto at = [&](std::int32_t x, std::int32_t y) -> std::uint32_t& {
        return pic.argb[std::size_t(y - rect.m_top) * std::size_t(pic.argb_stride) +
                        std::size_t(x - rect.m_left)];
    };
    for (std::int32_t by = top; by < bottom; by += kStillBlock) {
        for (std::int32_t bx = left; bx < right; bx += kStillBlock) {
            std::uint32_t sum[3] = {0, 0, 0};
            bool still = true;
            for (std::int32_t y = by; y < by + kStillBlock && still; ++y) {
                const std::uint8_t* prev = previous.Row(y);
                for (std::int32_t x = bx; x < bx + kStillBlock; ++x) {
                    const std::uint32_t p = at(x, y);
                    if (p >> 24 != 0xFF || p != Argb(prev, x)) {
                        still = false;
                        break;
                    }
                    sum[0] += (p >> 16) & 0xFF;
                    sum[1] += (p >> 8) & 0xFF;
                    sum[2] += p & 0xFF;
                }
            }
            if (!still) {
                continue;
            }
            constexpr std::uint32_t n = kStillBlock * kStillBlock;
            const std::uint32_t flat = (sum[0] / n) << 16 | (sum[1] / n) << 8 | (sum[2] / n);
            for (std::int32_t y = by; y < by + kStillBlock; ++y) {
                for (std::int32_t x = bx; x < bx + kStillBlock; ++x) {
                    at(x, y) = flat;
                }
            }
        }
    }
}

// The PSNR of a lossy frame's rectangle as a viewer sees the whole frame: the error of its
// visible pixels (`pixels`, ARGB as encoded; transparent ones show the canvas and are left out),
// colour weighted by alpha, over every colour sample of the frame.
double FramePsnr(const WebPMemoryWriter& encoded, const std::vector<std::uint32_t>& pixels,
                 const CRect& rect, const CImg& frame) {
    std::vector<std::uint8_t> decoded(pixels.size() * 4);
    if (WebPDecodeBGRAInto(encoded.mem, encoded.size, decoded.data(), decoded.size(),
                           std::size_t(rect.m_width) * 4) == nullptr) {
        return 0.0; // taken as too poor: the frame is encoded again the other way
    }
    double error = 0.0;
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        const std::uint32_t p = pixels[i];
        if (p >> 24 == 0) {
            continue;
        }
        const std::uint8_t* d = &decoded[i * 4];
        const int b = int(d[0]) - int(p & 0xFF);
        const int g = int(d[1]) - int(p >> 8 & 0xFF);
        const int r = int(d[2]) - int(p >> 16 & 0xFF);
        error += double(b * b + g * g + r * r) * double(p >> 24) / 255.0;
    }
    if (error == 0.0) {
        return std::numeric_limits<double>::infinity();
    }
    const double samples = 3.0 * double(frame.m_width) * double(frame.m_height);
    return 10.0 * std::log10(255.0 * 255.0 * samples / error);
}

int ProgressHook(int, const WebPPicture* pic) {
    const auto* terminator = static_cast<const CTerminable*>(pic->user_data);
    return terminator == nullptr || !terminator->IsTerminating();
}

} // namespace

void CheckWebpImage(const CImg& img) {
    if (img.m_pixelType != CImg::PIXEL_BGRA32) {
        throw my::CException(IDS_IMAGE_FORMAT_UNSUPPORTED);
    }
    if (img.m_width < 1 || img.m_height < 1 || img.m_width > kWebpMaxDimension ||
        img.m_height > kWebpMaxDimension) {
        throw my::CException(IDS_WEBP_TOO_LARGE, kWebpMaxDimension, kWebpMaxDimension, img.m_width,
                             img.m_height);
    }
    if (img.m_stride < std::size_t(img.m_width) * 4 ||
        img.m_bits.size() / img.m_stride < std::size_t(img.m_height)) {
        throw my::InternalError("codec::CheckWebpImage()\nPixel buffer smaller than its image: " +
                                std::to_string(img.m_width) + " x " + std::to_string(img.m_height));
    }
}

bool EncodeWebpFrame(const CImg* previous, const CImg& frame, std::int32_t quality,
                     CWebpFrameNumber number, const CTerminable* terminator, CWebpFrame& out) {
    CheckWebpImage(frame);
    if (previous != nullptr) {
        CheckWebpImage(*previous);
        if (previous->m_width != frame.m_width || previous->m_height != frame.m_height) {
            throw my::CException(IDS_IMAGE_FORMAT_UNSUPPORTED);
        }
    }
    const bool lossless = quality >= kWebpLossless;
    const CRect rect = FrameRect(previous, frame);
    const bool blend = previous != nullptr && CanBlend(*previous, frame, rect);

    WebPConfig config;
    if (!WebPConfigInit(&config)) {
        throw EncodeFailure(number, std::string(my::MessageText(IDS_REASON_WEBP_VERSION)));
    }
    config.method = lossless ? kLosslessMethod : kLossyMethod;
    config.lossless = lossless ? 1 : 0;
    config.quality = lossless ? kLosslessEffort : float(quality);
    // A replaced rectangle keeps the colour of its transparent pixels exactly, so that every
    // byte of the frame comes back; in a blended one they only let the canvas through, and the
    // encoder may give them whatever colour compresses best.
    config.exact = lossless && !blend ? 1 : 0;
    if (!WebPValidateConfig(&config)) {
        throw EncodeFailure(number, EncodingErrorText(VP8_ENC_ERROR_INVALID_CONFIGURATION));
    }

    // libwebp turns a lossy picture's ARGB into YUV in place, so each try fills its own.
    std::vector<std::uint32_t> pixels;
    const auto fill = [&](CPicture& picture) {
        WebPPicture& pic = picture.m_pic;
        if (!WebPPictureInit(&pic)) {
            throw EncodeFailure(number, std::string(my::MessageText(IDS_REASON_WEBP_VERSION)));
        }
        pic.use_argb = 1;
        pic.width = rect.m_width;
        pic.height = rect.m_height;
        if (!WebPPictureAlloc(&pic)) {
            throw EncodeFailure(number, EncodingErrorText(pic.error_code));
        }
        for (std::int32_t y = 0; y < rect.m_height; ++y) {
            const std::uint8_t* row = frame.Row(rect.m_top + y);
            std::uint32_t* argb = pic.argb + std::size_t(y) * std::size_t(pic.argb_stride);
            for (std::int32_t x = 0; x < rect.m_width; ++x) {
                argb[x] = Argb(row, rect.m_left + x);
            }
        }
        if (blend) {
            if (lossless) {
                ClearStillPixels(*previous, rect, pic);
            } else {
                ClearStillBlocks(*previous, rect, pic);
            }
        }
        if (!lossless && pixels.empty()) {
            for (std::int32_t y = 0; y < rect.m_height; ++y) {
                const std::uint32_t* argb =
                    pic.argb + std::size_t(y) * std::size_t(pic.argb_stride);
                pixels.insert(pixels.end(), argb, argb + rect.m_width);
            }
        }
    };
    const auto encode = [&](const WebPConfig& settings, CMemoryWriter& memory) {
        CPicture picture;
        fill(picture);
        WebPPicture& pic = picture.m_pic;
        pic.writer = WebPMemoryWrite;
        pic.custom_ptr = &memory.m_writer;
        pic.progress_hook = ProgressHook;
        pic.user_data = const_cast<CTerminable*>(terminator);
        if (!WebPEncode(&settings, &pic)) {
            if (pic.error_code == VP8_ENC_ERROR_USER_ABORT) {
                return false;
            }
            throw EncodeFailure(number, EncodingErrorText(pic.error_code));
        }
        return true;
    };

    CMemoryWriter plain;
    if (!encode(config, plain)) {
        return false;
    }
    CMemoryWriter sharp;
    CMemoryWriter* memory = &plain;
    if (!lossless && FramePsnr(plain.m_writer, pixels, rect, frame) < quality / kFloorDivisor) {
        config.use_sharp_yuv = 1;
        config.sns_strength = 0;
        if (!encode(config, sharp)) {
            return false;
        }
        memory = &sharp;
    }
    out.m_image.assign(memory->m_writer.mem, memory->m_writer.mem + memory->m_writer.size);
    out.m_left = rect.m_left;
    out.m_top = rect.m_top;
    out.m_width = rect.m_width;
    out.m_height = rect.m_height;
    out.m_blend = blend;
    return true;
}

CWebpAnimation::CWebpAnimation(std::int32_t width, std::int32_t height, std::uint32_t loopCount,
                               const std::vector<std::uint8_t>& icc) {
    m_mux = WebPMuxNew();
    if (m_mux == nullptr) {
        throw my::InternalError("codec::CWebpAnimation\n" + MuxErrorText(WEBP_MUX_MEMORY_ERROR));
    }
    WebPMuxAnimParams params{};
    params.bgcolor = 0; // transparent
    params.loop_count = int(std::min(loopCount, kWebpMaxLoopCount));
    WebPMuxError error = WebPMuxSetCanvasSize(m_mux, width, height);
    if (error == WEBP_MUX_OK) {
        error = WebPMuxSetAnimationParams(m_mux, &params);
    }
    if (error == WEBP_MUX_OK && !icc.empty()) {
        const WebPData data{icc.data(), icc.size()};
        error = WebPMuxSetChunk(m_mux, "ICCP", &data, 1);
    }
    if (error != WEBP_MUX_OK) {
        WebPMuxDelete(m_mux);
        throw my::InternalError("codec::CWebpAnimation\n" + MuxErrorText(error) + " (canvas " +
                                std::to_string(width) + " x " + std::to_string(height) + ")");
    }
}

CWebpAnimation::~CWebpAnimation() {
    WebPMuxDelete(m_mux);
}

void CWebpAnimation::Add(std::span<const std::uint8_t> image, std::int32_t left, std::int32_t top,
                         bool blend, std::uint32_t durationMs, CWebpFrameNumber number) {
    WebPMuxFrameInfo info{};
    info.bitstream = WebPData{image.data(), image.size()};
    info.x_offset = left;
    info.y_offset = top;
    info.duration = int(durationMs);
    info.id = WEBP_CHUNK_ANMF;
    info.dispose_method = WEBP_MUX_DISPOSE_NONE;
    info.blend_method = blend ? WEBP_MUX_BLEND : WEBP_MUX_NO_BLEND;
    const WebPMuxError error = WebPMuxPushFrame(m_mux, &info, 1);
    if (error != WEBP_MUX_OK) {
        throw my::CException(IDS_WEBP_ADD_FRAME_FAILED, number.m_index + 1, number.m_count,
                             MuxErrorText(error));
    }
}

void CWebpAnimation::Assemble(const std::string& path, std::vector<std::uint8_t>& out) {
    WebPData data;
    WebPDataInit(&data);
    const WebPMuxError error = WebPMuxAssemble(m_mux, &data);
    if (error != WEBP_MUX_OK) {
        WebPDataClear(&data);
        throw my::CException(IDS_WEBP_ASSEMBLE_FAILED, path, MuxErrorText(error));
    }
    out.assign(data.bytes, data.bytes + data.size);
    WebPDataClear(&data);
}

} // namespace codec
