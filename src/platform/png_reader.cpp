#include "platform/png_reader.h"

#include "common/error.h"
#include "common/message_ids.h"
#include "common/messages.h"

#include <csetjmp>
#include <cstring>
#include <string>
#include <vector>

namespace codec {

namespace {

// Deflate cannot expand data more than 1032 times; a stream shorter than its pixels need at
// that rate is damaged, and is refused before its rows are allocated.
constexpr std::uint64_t kMaxInflateRatio = 1032;
constexpr std::uint64_t kInflateSlack = 64 * 1024;

// Chunks we never use: libpng treats them as unknown and skips them without keeping them.
constexpr png_byte kIgnoredChunks[] = {
    'i', 'C', 'C', 'P', '\0', 'i', 'T', 'X', 't', '\0', 's', 'P', 'L', 'T', '\0',
    't', 'E', 'X', 't', '\0', 't', 'I', 'M', 'E', '\0', 'z', 'T', 'X', 't', '\0',
    'e', 'X', 'I', 'f', '\0', 'h', 'I', 'S', 'T', '\0', 'p', 'C', 'A', 'L', '\0',
    's', 'C', 'A', 'L', '\0', 's', 'B', 'I', 'T', '\0', 'o', 'F', 'F', 's', '\0',
};

// "400 MiB", "3.8 MiB": tenths of a mebibyte, the zero tenth left out.
std::string MebibytesText(std::uint64_t bytes) {
    constexpr std::uint64_t kMiB = 1u << 20;
    const std::uint64_t tenths = bytes / kMiB * 10 + ((bytes % kMiB) * 10 + kMiB / 2) / kMiB;
    std::string text = std::to_string(tenths / 10);
    if (tenths % 10 != 0) {
        text += "." + std::to_string(tenths % 10);
    }
    return text + " MiB";
}

} // namespace

my::CException TooLargeError(const std::string& size, const std::string& limit) {
    return my::CException(IDS_IMAGE_TOO_LARGE, size, limit);
}

std::string PixelsText(std::uint64_t width, std::uint64_t height) {
    return my::FormatMessage(IDS_SIZE_PIXELS,
                             std::vector{std::to_string(width), std::to_string(height)});
}

std::string PixelBytesText(std::uint64_t width, std::uint64_t height, std::uint64_t bytes) {
    return PixelsText(width, height) + " (" + MebibytesText(bytes) + ")";
}

std::string ByteLimitText(std::uint64_t bytes) {
    return my::FormatMessage(IDS_PIXEL_BYTES, std::vector{MebibytesText(bytes)});
}

CPngReader::CHandles::CHandles() {
    // The error callbacks are set per reader below; until then libpng's defaults stand.
    png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        throw my::CException(IDS_WIC_PIXEL_FORMAT_FAILED,
                             std::string(my::MessageText(IDS_REASON_PNG_START_FAILED)));
    }
}

CPngReader::CHandles::~CHandles() {
    png_destroy_read_struct(&png, &info, nullptr);
}

CPngReader::CPngReader(io::CInputStream& stream, const CPngLimits& limits)
    : m_stream(stream), m_limits(limits), m_png(m_handles.png), m_info(m_handles.info) {
    png_set_error_fn(m_png, this, &OnError, &OnWarning);
    if (!ReadInfo()) {
        Fail();
    }
    // Checked here rather than by libpng, whose refusal reads "Invalid IHDR data" as if the
    // stream were damaged.
    if (m_width > m_limits.m_maxWidth || m_height > m_limits.m_maxHeight) {
        throw TooLargeError(PixelsText(m_width, m_height),
                            PixelsText(m_limits.m_maxWidth, m_limits.m_maxHeight));
    }
    const std::uint64_t channels = png_get_channels(m_png, m_info);
    const std::uint64_t rawRow = (std::uint64_t{m_width} * channels * unsigned(m_bitDepth) + 7) / 8;
    const std::uint64_t rawBytes = (rawRow + 1) * m_height;
    const std::uint64_t size = m_stream.Size();
    if (size < (UINT64_MAX - kInflateSlack) / kMaxInflateRatio &&
        rawBytes > size * kMaxInflateRatio + kInflateSlack) {
        Fail(my::FormatMessage(IDS_REASON_PNG_TOO_SHORT,
                               std::vector{std::to_string(m_width), std::to_string(m_height)})
                 .c_str());
    }
}

void CPngReader::OnError(png_structp png, png_const_charp message) {
    auto* self = static_cast<CPngReader*>(png_get_error_ptr(png));
    std::strncpy(self->m_reason, message ? message : "unknown error", sizeof self->m_reason - 1);
    png_longjmp(png, 1);
}

void CPngReader::OnWarning(png_structp, png_const_charp) {
    // Warnings concern chunks that libpng skips; the image itself is still sound.
}

void CPngReader::OnRead(png_structp png, png_bytep data, std::size_t length) {
    auto* self = static_cast<CPngReader*>(png_get_io_ptr(png));
    std::size_t got = 0;
    bool failed = false;
    try {
        got = self->m_stream.Read(data, length);
    } catch (...) {
        self->m_streamError = std::current_exception();
        failed = true;
    }
    // png_error leaves by longjmp, which must not happen inside a handler.
    if (failed) {
        png_error(png, "the stream could not be read");
    }
    if (got != length) {
        png_error(png, "the PNG stream ends early");
    }
}

bool CPngReader::ReadInfo() {
    if (setjmp(png_jmpbuf(m_png))) {
        return false;
    }
    png_set_read_fn(m_png, this, &OnRead);
    // libpng's own bound on the size is lifted to the format's; the constructor applies ours.
    png_set_user_limits(m_png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
    png_set_chunk_cache_max(m_png, m_limits.m_maxChunkCache);
    png_set_chunk_malloc_max(m_png, m_limits.m_maxChunkBytes);
    png_set_keep_unknown_chunks(m_png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
    png_set_keep_unknown_chunks(m_png, PNG_HANDLE_CHUNK_NEVER, kIgnoredChunks,
                                sizeof kIgnoredChunks / 5);
    png_read_info(m_png, m_info);
    m_width = png_get_image_width(m_png, m_info);
    m_height = png_get_image_height(m_png, m_info);
    m_colorType = png_get_color_type(m_png, m_info);
    m_bitDepth = png_get_bit_depth(m_png, m_info);
    m_interlaced = png_get_interlace_type(m_png, m_info) != PNG_INTERLACE_NONE;
    return true;
}

bool CPngReader::ApplyTransforms(Layout layout) {
    if (setjmp(png_jmpbuf(m_png))) {
        return false;
    }
    if (layout != Layout::Mono && layout != Layout::Raw32) {
        png_set_scale_16(m_png);
        png_set_expand_gray_1_2_4_to_8(m_png);
        png_set_palette_to_rgb(m_png);
    }
    switch (layout) {
    case Layout::Bgra:
        png_set_tRNS_to_alpha(m_png);
        png_set_gray_to_rgb(m_png);
        png_set_add_alpha(m_png, 0xFF, PNG_FILLER_AFTER);
        png_set_bgr(m_png);
        break;
    case Layout::Bgr:
        png_set_gray_to_rgb(m_png);
        png_set_strip_alpha(m_png);
        png_set_bgr(m_png);
        break;
    case Layout::Raw32:
        png_set_bgr(m_png);
        break;
    case Layout::Grey:
        if (!IsGrey()) {
            png_set_rgb_to_gray_fixed(m_png, PNG_ERROR_ACTION_NONE, -1, -1);
        }
        png_set_strip_alpha(m_png);
        break;
    case Layout::Mono:
        break;
    case Layout::Channels:
        png_set_bgr(m_png);
        break;
    }
    if (m_interlaced) {
        png_set_interlace_handling(m_png);
    }
    png_read_update_info(m_png, m_info);
    m_rowBytes = png_get_rowbytes(m_png, m_info);
    return true;
}

bool CPngReader::ReadRow(png_bytep row) {
    if (setjmp(png_jmpbuf(m_png))) {
        return false;
    }
    png_read_row(m_png, row, nullptr);
    return true;
}

bool CPngReader::ReadImage(png_bytepp rows) {
    if (setjmp(png_jmpbuf(m_png))) {
        return false;
    }
    png_read_image(m_png, rows);
    return true;
}

unsigned CPngReader::Prepare(Layout layout) {
    if (layout == Layout::Raw32 && (m_colorType != PNG_COLOR_TYPE_RGB_ALPHA || m_bitDepth != 8)) {
        throw my::InternalError("CPngReader::Prepare()\nnot an 8-bit RGBA stream");
    }
    if (layout == Layout::Mono && (m_colorType != PNG_COLOR_TYPE_GRAY || m_bitDepth != 1)) {
        throw my::InternalError("CPngReader::Prepare()\nnot a 1-bit grey stream");
    }
    if (!ApplyTransforms(layout)) {
        Fail();
    }
    const unsigned channels = png_get_channels(m_png, m_info);
    const unsigned depth = png_get_bit_depth(m_png, m_info);
    const unsigned expected = layout == Layout::Bgra                             ? 4
                              : layout == Layout::Bgr                            ? 3
                              : layout == Layout::Raw32                          ? 4
                              : layout == Layout::Grey || layout == Layout::Mono ? 1
                                                                                 : channels;
    const unsigned expectedDepth = layout == Layout::Mono ? 1 : 8;
    const std::uint64_t rowBytes = (std::uint64_t{m_width} * channels * depth + 7) / 8;
    if (channels != expected || depth != expectedDepth || rowBytes != m_rowBytes) {
        throw my::InternalError(
            "CPngReader::Prepare()\nunexpected row layout: " + std::to_string(channels) +
            " channels of " + std::to_string(depth) + " bits");
    }
    return layout == Layout::Mono ? 0 : channels;
}

void CPngReader::ForEachRow(const std::function<void(std::uint32_t, const std::uint8_t*)>& sink) {
    if (m_rowBytes == 0) {
        throw my::InternalError("CPngReader::ForEachRow()\nPrepare() was not called");
    }
    if (!m_interlaced) {
        // Row by row: only one row is held besides the image.
        std::vector<std::uint8_t> row(m_rowBytes);
        for (std::uint32_t y = 0; y < m_height; ++y) {
            if (!ReadRow(row.data())) {
                Fail();
            }
            sink(y, row.data());
        }
        return;
    }
    // Adam7 passes fill every row several times, so the whole stream is held while it decodes.
    if (const std::uint64_t bytes = std::uint64_t{m_rowBytes} * m_height;
        bytes > m_limits.m_maxPixelBytes) {
        throw TooLargeError(PixelBytesText(m_width, m_height, bytes),
                            ByteLimitText(m_limits.m_maxPixelBytes));
    }
    std::vector<std::uint8_t> pixels(m_rowBytes * std::size_t{m_height});
    std::vector<png_bytep> rows(m_height);
    for (std::uint32_t y = 0; y < m_height; ++y) {
        rows[y] = pixels.data() + m_rowBytes * std::size_t{y};
    }
    if (!ReadImage(rows.data())) {
        Fail();
    }
    for (std::uint32_t y = 0; y < m_height; ++y) {
        sink(y, rows[y]);
    }
}

void CPngReader::Fail() {
    if (m_streamError) {
        std::rethrow_exception(m_streamError);
    }
    Fail(m_reason);
}

void CPngReader::Fail(const char* reason) {
    throw my::CException(IDS_WIC_PIXEL_FORMAT_FAILED, std::string("PNG: ") + reason);
}

} // namespace codec
