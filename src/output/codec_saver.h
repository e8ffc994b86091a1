// codec::CImgSaver: encodes output frames into the bytes of PNG and GIF files. PNG goes through
// our chunk writer and deflate encoder; GIF through libimagequant (palette) and giflib
// (container, LZW), with the loop, screen, frame control and image descriptor items of an
// animation. Everything is encoded into memory, so one encoder per thread can work on frames
// at the same time while another thread writes their bytes to the files in order.
#pragma once

#include "output/img_saver.h"
#include "output/lzw_encoder.h"
#include "output/png_encoder.h"
#include "output/quantizer.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace codec {

enum class Container { Png, Gif };

enum SaverOption : std::uint32_t {
    OPTION_NO_COLOR_PROFILE = 1, // never embed the frame's colour profile
    OPTION_TRANSPARENT = 2,      // always give the palette a transparent entry at index 0
};

// The pixel format written: the frame's own, or indexed with a palette of 2^bits colours.
enum class TargetFormat { Own, Indexed1, Indexed2, Indexed4, Indexed8 };

// Palette size of a target format; 0 for a format without palette.
std::size_t PaletteSize(TargetFormat format);

// Whether a file of img carries its colour profile: an RGB profile with data, unless the
// options forbid it.
bool EmbedsProfile(const CImg& img, std::uint32_t options);

enum SaveMode : int {
    MODE_OTHER = 0,       // a container other than GIF
    MODE_GIF_SINGLE = 2,  // GIF with one frame: a plain image
    MODE_GIF_ANIMATED = 3 // GIF with more than one frame
};

// The last byte of every GIF file.
constexpr std::uint8_t kGifTrailer = 0x3B;
// The first byte of an image descriptor.
constexpr std::uint8_t kGifImageSeparator = 0x2C;

// The start of a GIF file: the GIF89a signature, the logical screen of width x height without a
// global colour table and, for an animation, the NETSCAPE2.0 loop extension with loopCount
// (0 = endless, above 65535 written as 65535). Failures raise the encoder messages
// IDS_WIC_ENCODER_CREATE_FAILED / IDS_WIC_ENCODER_INIT_FAILED and IDS_WIC_METADATA_WRITER_FAILED.
void GifHeader(std::uint32_t width, std::uint32_t height, bool animated, std::int32_t loopCount,
               std::vector<std::uint8_t>& out);

// Encoding state reused from frame to frame (compressors, quantiser, scratch buffers). One
// object serves one thread at a time.
class CImgSaver {
public:
    CImgSaver(Container container, TargetFormat target, std::uint32_t options);
    ~CImgSaver();
    CImgSaver(const CImgSaver&) = delete;
    CImgSaver& operator=(const CImgSaver&) = delete;

    // A whole PNG file of the frame in its own pixel format (RGB when opaque), with its
    // resolution and, unless the options forbid it, its RGB colour profile. Raises
    // IDS_IMAGE_FORMAT_UNSUPPORTED for other pixel types and IDS_LIBPNG_ERROR for an empty image.
    void EncodePngFile(const CImg& img, std::vector<std::uint8_t>& out);
    // The zlib stream of an APNG frame's scanlines, RGBA or (alpha false) RGB, compressed by
    // CPngImageEncoder::kAnimationCoder at its kAnimationLevel.
    void EncodePngData(const CImg& img, bool alpha, std::vector<std::uint8_t>& out);
    // A whole GIF file holding the frame as a plain image.
    void EncodeGifFile(const CImg& img, std::vector<std::uint8_t>& out);
    // One frame of a GIF with header.m_frameCount frames (an animation when more than one):
    // graphic control extension (animations, or a transparent plain image), image descriptor
    // with the local colour table, and the LZW image data. img is exactly the record's
    // rectangle; index is the frame's ordinal for messages.
    void EncodeGifFrame(const mrv::CAnimationHeader& header, const CImg& img,
                        const mrv::CFrameRecord& record, std::size_t index,
                        std::vector<std::uint8_t>& out);

    std::uint32_t Options() const { return m_options; }
    void SetOptions(std::uint32_t options) { m_options = options; }
    // Mode of the last GIF frame and its transparent flag.
    int Mode() const { return m_mode; }
    bool IsTransparent() const { return m_transparent; }
    // libimagequant's speed for GIF frames (see CQuantizer).
    void SetQuantizer(int speed) { m_quantizer = CQuantizer(speed); }
    // Whether one frame's work may spread over several threads (libimagequant's OpenMP
    // threads); encoders that already run one per thread switch it off, so that the frame
    // threads do not compete with threads of the quantiser. PNG frames take one thread either
    // way.
    void SetParallel(bool parallel) { m_parallel = parallel; }

private:
    // Writes the frame into an open giflib file that writes to `out`: the control extension
    // through giflib, the image (descriptor, colour table, LZW data) straight into `out`.
    void PutGifFrame(void* gifFile, std::vector<std::uint8_t>& out, const CImg& img,
                     const mrv::CFrameRecord& record, std::size_t index, bool animated);

    Container m_container;
    TargetFormat m_target;
    std::uint32_t m_options;
    int m_mode = MODE_OTHER;
    bool m_transparent = false;
    bool m_parallel = true;

    std::unique_ptr<CPngImageEncoder> m_png;
    CQuantizer m_quantizer;
    CIndexedImage m_indexed;
    CLzwEncoder m_lzw;
};

} // namespace codec
