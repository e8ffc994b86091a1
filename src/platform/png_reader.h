// codec::CPngReader: one libpng read of one PNG stream, for the bitmap decoder of this folder.
// It owns the libpng structures, keeps every libpng call behind its own error return and turns
// failures into messages; rows come out in one of the layouts the decoder asks for.
#pragma once

#include "common/error.h"
#include "platform/input_stream.h"
#include "platform/png_decoder.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <png.h>
#include <string>

namespace codec {

// The failure of a stream over the decoder's limits: IDS_IMAGE_TOO_LARGE with the image's size and
// the limit it exceeds, both as texts ("20000 x 20 pixels", "16384 x 16384 pixels").
my::CException TooLargeError(const std::string& size, const std::string& limit);
// "W x H pixels".
std::string PixelsText(std::uint64_t width, std::uint64_t height);
// "W x H pixels (N MiB)" for an image held in `bytes`, and "N MiB of pixels" for a byte limit.
std::string PixelBytesText(std::uint64_t width, std::uint64_t height, std::uint64_t bytes);
std::string ByteLimitText(std::uint64_t bytes);

class CPngReader {
public:
    // Shapes of the rows handed out after Prepare().
    enum class Layout {
        Bgra,     // 4 bytes B, G, R, A
        Bgr,      // 3 bytes B, G, R
        Raw32,    // the 4 bytes of an 8-bit RGBA stream, in B, G, R, A order
        Grey,     // 1 byte
        Mono,     // 1 bit, packed, first pixel in the high bit (1-bit grey streams only)
        Channels, // all channels at 8 bits, colour in B, G, R order; first byte is channel 0
    };

    // Reads the signature and header; failure raises IDS_WIC_PIXEL_FORMAT_FAILED (or the stream's
    // own read message), an image wider or taller than the limits IDS_IMAGE_TOO_LARGE.
    CPngReader(io::CInputStream& stream, const CPngLimits& limits);
    CPngReader(const CPngReader&) = delete;
    CPngReader& operator=(const CPngReader&) = delete;

    std::uint32_t Width() const { return m_width; }
    std::uint32_t Height() const { return m_height; }
    int ColorType() const { return m_colorType; }
    int BitDepth() const { return m_bitDepth; }
    bool IsGrey() const { return (m_colorType & PNG_COLOR_MASK_COLOR) == 0; }

    // Sets up the conversion into a layout; returns the bytes per pixel of the rows (0 for
    // Mono). Call once.
    unsigned Prepare(Layout layout);
    // Decodes the image and hands each row to sink(y, row), top-down.
    void ForEachRow(const std::function<void(std::uint32_t, const std::uint8_t*)>& sink);

private:
    static void OnError(png_structp png, png_const_charp message);
    static void OnWarning(png_structp png, png_const_charp message);
    static void OnRead(png_structp png, png_bytep data, std::size_t length);

    // Each of these wraps libpng calls that may end in a longjmp back here; they hold no
    // object with a destructor, and answer false when libpng gave up.
    [[nodiscard]] bool ReadInfo();
    [[nodiscard]] bool ApplyTransforms(Layout layout);
    [[nodiscard]] bool ReadRow(png_bytep row);
    [[nodiscard]] bool ReadImage(png_bytepp rows);

    // Raises the failure recorded by the callbacks.
    [[noreturn]] void Fail();
    [[noreturn]] void Fail(const char* reason);

    // Owns libpng's structures; a member, so that they go even when the constructor throws.
    struct CHandles {
        CHandles();
        ~CHandles();
        CHandles(const CHandles&) = delete;
        CHandles& operator=(const CHandles&) = delete;
        png_structp png = nullptr;
        png_infop info = nullptr;
    };

    io::CInputStream& m_stream;
    const CPngLimits m_limits;
    CHandles m_handles;
    png_structp m_png = nullptr;      // m_handles.png
    png_infop m_info = nullptr;       // m_handles.info
    char m_reason[200] = {};          // libpng's last error text
    std::exception_ptr m_streamError; // a failure of the stream itself
    std::uint32_t m_width = 0;
    std::uint32_t m_height = 0;
    int m_colorType = 0;
    int m_bitDepth = 0;
    bool m_interlaced = false;
    std::size_t m_rowBytes = 0;
};

} // namespace codec
