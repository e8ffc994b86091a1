// The two halves of the animated WebP writer. EncodeWebpFrame turns one output frame into a
// WebP image of what changed since the frame before; it shares nothing, so frames can be encoded
// on several threads at once. CWebpAnimation takes those images in order and builds the file
// with libwebpmux: canvas, loop count, ICC profile, and per frame its offset, duration and
// blending.
#pragma once

#include "common/terminable.h"
#include "platform/img.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

struct WebPMux;

namespace codec {

// Largest width and height of a WebP frame (its size is stored in 14 bits).
constexpr std::int32_t kWebpMaxDimension = 16383;
// Quality that writes lossless frames; 0 to 99 write lossy frames of that quality.
constexpr std::int32_t kWebpLossless = 100;
// WebP stores the loop count in 16 bits; larger counts are written as this.
constexpr std::uint32_t kWebpMaxLoopCount = 65535;

// A frame on its way into the file: a WebP image of its rectangle on the canvas, as WebPEncode
// writes it, and how it goes over what the canvas shows.
struct CWebpFrame {
    std::vector<std::uint8_t> m_image;
    std::int32_t m_left = 0; // even, as WebP stores half the offset
    std::int32_t m_top = 0;  // even
    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
    // Drawn over the canvas: its transparent pixels keep what the canvas shows. Otherwise the
    // rectangle replaces the canvas, alpha included.
    bool m_blend = false;
};

// The position of a frame in its animation, for messages: index from 0, of count frames.
struct CWebpFrameNumber {
    std::size_t m_index = 0;
    std::size_t m_count = 0;
};

// Raises 58965 for a pixel type other than 32-bit BGRA, 60142 for a size WebP cannot hold
// (empty, or wider or taller than kWebpMaxDimension), and an internal error for pixel bytes
// that do not cover the image.
void CheckWebpImage(const CImg& img);

// Encodes frame: whole when previous is null, else the rectangle of the pixels that differ from
// previous (a 1 x 1 frame when none do), its offsets made even. When every pixel of the
// rectangle that differs is opaque, the frame is blended and the pixels that did not change
// become transparent (lossless) or, in lossy frames, whole 8 x 8 blocks of them do, which keeps
// lossy noise off still parts. Quality kWebpLossless gives exact pixels, alpha included; lossy
// frames keep their alpha channel exact. Both frames must pass CheckWebpImage and have the same
// size. Returns false when terminator asked to stop while the frame was encoded; failures raise
// 60143 with the frame's number and libwebp's reason.
bool EncodeWebpFrame(const CImg* previous, const CImg& frame, std::int32_t quality,
                     CWebpFrameNumber number, const CTerminable* terminator, CWebpFrame& out);

// The container of an animation, filled frame by frame in order and written at the end.
class CWebpAnimation {
public:
    // A canvas of width x height (each 1 to kWebpMaxDimension), played loopCount times (0 =
    // endless, at most kWebpMaxLoopCount), with an ICC profile when icc is not empty. The
    // background colour is transparent: disposed and uncovered parts of the canvas show what is
    // behind the picture, as the frames' own alpha does.
    CWebpAnimation(std::int32_t width, std::int32_t height, std::uint32_t loopCount,
                   const std::vector<std::uint8_t>& icc);
    ~CWebpAnimation();
    CWebpAnimation(const CWebpAnimation&) = delete;
    CWebpAnimation& operator=(const CWebpAnimation&) = delete;

    // Appends the WebP image of a frame placed at (left, top), both even, drawn over the canvas
    // when blend is set, and shown for durationMs milliseconds; failures raise 60144.
    void Add(std::span<const std::uint8_t> image, std::int32_t left, std::int32_t top, bool blend,
             std::uint32_t durationMs, CWebpFrameNumber number);
    // The bytes of the whole file; failures raise 60145 naming path, where it goes.
    void Assemble(const std::string& path, std::vector<std::uint8_t>& out);

private:
    WebPMux* m_mux = nullptr;
};

} // namespace codec
