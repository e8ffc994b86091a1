#include "output/codec_saver.h"

#include "common/error.h"
#include "common/message_ids.h"
#include "output/checked_cast.h"
#include "platform/color_profile.h"
#include "platform/img.h"

#include <algorithm>
#include <array>
#include <bit>
#include <gif_lib.h>
#include <string>

namespace codec {

namespace {

struct CGifClose {
    void operator()(GifFileType* gif) const noexcept {
        int error = 0;
        EGifCloseFile(gif, &error);
    }
};
using CGifFile = std::unique_ptr<GifFileType, CGifClose>;

int WriteToMemory(GifFileType* gif, const GifByteType* data, int size) {
    if (size < 0) {
        return 0;
    }
    auto* out = static_cast<std::vector<std::uint8_t>*>(gif->UserData);
    out->insert(out->end(), data, data + size);
    return size;
}

// The reason of a giflib failure: its own text, else its error number.
std::string GifFailure(int error, const char* call) {
    const char* text = GifErrorString(error);
    return std::string(call) + ": " + (text ? text : "error " + std::to_string(error));
}

// A giflib stream into out, with the GIF89a signature and a logical screen of width x height
// already written.
CGifFile OpenGif(std::uint16_t width, std::uint16_t height, std::vector<std::uint8_t>& out) {
    int error = 0;
    CGifFile gif(EGifOpen(&out, WriteToMemory, &error));
    if (!gif) {
        throw my::CException(IDS_WIC_ENCODER_CREATE_FAILED, GifFailure(error, "EGifOpen()"));
    }
    // Extensions (loop, frame control) need GIF89a; giflib would otherwise write GIF87a.
    EGifSetGifVersion(gif.get(), true);
    if (EGifPutScreenDesc(gif.get(), width, height, 8, 0, nullptr) == GIF_ERROR) {
        throw my::CException(IDS_WIC_ENCODER_INIT_FAILED,
                             GifFailure(gif->Error, "EGifPutScreenDesc()"));
    }
    return gif;
}

// Closes the stream; giflib then writes its trailer, which the callers place themselves.
void CloseGif(CGifFile gif, std::vector<std::uint8_t>& out) {
    int error = 0;
    if (EGifCloseFile(gif.release(), &error) == GIF_ERROR) {
        throw my::CException(IDS_WIC_ENCODER_COMMIT_FAILED, GifFailure(error, "EGifCloseFile()"));
    }
    if (out.empty() || out.back() != kGifTrailer) {
        throw my::InternalError("codec::CloseGif()\nThe GIF stream does not end in its trailer");
    }
    out.pop_back();
}

// Smallest power of two from 2 up holding n entries: the GIF colour table size.
int ColorTableSize(std::size_t n) {
    int size = 2;
    while (std::size_t(size) < n) {
        size *= 2;
    }
    return size;
}

// Graphic control extension: disposal, delay (hundredths of a second), transparent flag and
// index 0 as the transparent colour.
std::array<GifByteType, 4> GraphicControl(std::uint32_t disposal, std::uint32_t delay,
                                          bool transparent) {
    const auto dispose = CheckedCast<std::uint8_t>(disposal);
    const auto hundredths = CheckedCast<std::uint16_t>(delay);
    return {GifByteType(((dispose & 0x07) << 2) | (transparent ? 1 : 0)),
            GifByteType(hundredths & 0xFF), GifByteType(hundredths >> 8), 0};
}

} // namespace

bool EmbedsProfile(const CImg& img, std::uint32_t options) {
    // Pixel type 0 is RGB: only an RGB profile describes it.
    return (options & OPTION_NO_COLOR_PROFILE) == 0 && img.m_profile && img.m_profile->HasData() &&
           img.m_profile->ColorSpace() == CColorProfile::kSignatureRgb;
}

void GifHeader(std::uint32_t width, std::uint32_t height, bool animated, std::int32_t loopCount,
               std::vector<std::uint8_t>& out) {
    const auto screenWidth = CheckedCast<std::uint16_t>(width);
    const auto screenHeight = CheckedCast<std::uint16_t>(height);
    CGifFile gif = OpenGif(screenWidth, screenHeight, out);
    if (animated) {
        // NETSCAPE2.0 application extension: sub-block 1 holds the loop count, 0 = endless.
        const auto loops = std::min<std::uint32_t>(CheckedCast<std::uint32_t>(loopCount), 65535u);
        const GifByteType loop[3] = {1, GifByteType(loops & 0xFF), GifByteType(loops >> 8)};
        if (EGifPutExtensionLeader(gif.get(), APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
            EGifPutExtensionBlock(gif.get(), 11, "NETSCAPE2.0") == GIF_ERROR ||
            EGifPutExtensionBlock(gif.get(), 3, loop) == GIF_ERROR ||
            EGifPutExtensionTrailer(gif.get()) == GIF_ERROR) {
            throw my::CException(IDS_WIC_METADATA_WRITER_FAILED,
                                 GifFailure(gif->Error, "EGifPutExtension()"));
        }
    }
    CloseGif(std::move(gif), out);
}

std::size_t PaletteSize(TargetFormat format) {
    switch (format) {
    case TargetFormat::Indexed1:
        return 2;
    case TargetFormat::Indexed2:
        return 4;
    case TargetFormat::Indexed4:
        return 16;
    case TargetFormat::Indexed8:
        return 256;
    default:
        return 0;
    }
}

CImgSaver::CImgSaver(Container container, TargetFormat target, std::uint32_t options)
    : m_container(container), m_target(target), m_options(options) {
    if ((container == Container::Png) != (target == TargetFormat::Own)) {
        throw my::InternalError("codec::CImgSaver()\nPNG takes the frame's own pixel format, "
                                "GIF an indexed one");
    }
}

CImgSaver::~CImgSaver() = default;

void CImgSaver::EncodePngFile(const CImg& img, std::vector<std::uint8_t>& out) {
    CheckPngImage(img);
    if (!m_png) {
        m_png = std::make_unique<CPngImageEncoder>();
    }
    m_mode = MODE_OTHER;
    // An opaque frame (a painted background) needs no alpha channel: a quarter fewer bytes
    // to filter and compress.
    const bool alpha = !IsOpaque(img);
    CPngChunkWriter writer(out);
    writer.Signature();
    writer.Ihdr(std::uint32_t(img.m_width), std::uint32_t(img.m_height), alpha);
    if (EmbedsProfile(img, m_options)) {
        writer.Iccp("ICC Profile", img.m_profile->Data(), m_png->SideDeflater());
    }
    if (img.m_dpiX > 0 && img.m_dpiY > 0) {
        writer.Phys(PixelsPerMetre(img.m_dpiX), PixelsPerMetre(img.m_dpiY));
    }
    writer.Idat(m_png->Encode(img, alpha));
    writer.Iend();
}

void CImgSaver::EncodePngData(const CImg& img, bool alpha, std::vector<std::uint8_t>& out) {
    CheckPngImage(img);
    if (!m_png) {
        m_png = std::make_unique<CPngImageEncoder>(CPngImageEncoder::kAnimationLevel,
                                                   CPngImageEncoder::kAnimationCoder);
    }
    m_mode = MODE_OTHER;
    const auto data = m_png->Encode(img, alpha);
    out.insert(out.end(), data.begin(), data.end());
}

void CImgSaver::EncodeGifFile(const CImg& img, std::vector<std::uint8_t>& out) {
    const auto width = CheckedCast<std::uint16_t>(std::uint32_t(img.m_width));
    const auto height = CheckedCast<std::uint16_t>(std::uint32_t(img.m_height));
    GifHeader(width, height, false, 0, out);
    const mrv::CAnimationHeader header{width, height, 1, 0};
    // (giflib defines a macro of the name of the unspecified disposal, so it is written as 0.)
    const mrv::CFrameRecord record{0, 0, img.m_width, img.m_height, 0, 0};
    EncodeGifFrame(header, img, record, 0, out);
    out.push_back(kGifTrailer);
}

void CImgSaver::EncodeGifFrame(const mrv::CAnimationHeader& header, const CImg& img,
                               const mrv::CFrameRecord& record, std::size_t index,
                               std::vector<std::uint8_t>& out) {
    if (m_container != Container::Gif) {
        throw my::InternalError("codec::CImgSaver::EncodeGifFrame()\nNot a GIF encoder");
    }
    const bool animated = header.m_frameCount > 1;
    m_mode = animated ? MODE_GIF_ANIMATED : MODE_GIF_SINGLE;
    const auto screenWidth =
        CheckedCast<std::uint16_t>(animated ? header.m_width : std::uint32_t(img.m_width));
    const auto screenHeight =
        CheckedCast<std::uint16_t>(animated ? header.m_height : std::uint32_t(img.m_height));
    // The frame is written into a stream of its own after a screen of the animation's size;
    // giflib codes each image on its own, so its bytes are those of the whole file.
    std::vector<std::uint8_t> stream;
    CGifFile gif = OpenGif(screenWidth, screenHeight, stream);
    const std::size_t start = stream.size();
    PutGifFrame(gif.get(), stream, img, record, index, animated);
    CloseGif(std::move(gif), stream);
    out.insert(out.end(), stream.begin() + std::ptrdiff_t(start), stream.end());
}

void CImgSaver::PutGifFrame(void* gifFile, std::vector<std::uint8_t>& out, const CImg& img,
                            const mrv::CFrameRecord& record, std::size_t i, bool animated) {
    auto* gif = static_cast<GifFileType*>(gifFile);
    if (img.m_pixelType != CImg::PIXEL_BGRA32) {
        throw my::CException(IDS_IMAGE_FORMAT_UNSUPPORTED);
    }
    if (img.m_width <= 0 || img.m_height <= 0 ||
        (animated && (img.m_width != record.Width() || img.m_height != record.Height()))) {
        throw my::CException(IDS_WIC_FRAME_SIZE_FAILED, "Frame " + std::to_string(i) + ": " +
                                                            std::to_string(img.m_width) + " x " +
                                                            std::to_string(img.m_height));
    }
    const auto width = CheckedCast<std::uint16_t>(img.m_width);
    const auto height = CheckedCast<std::uint16_t>(img.m_height);
    const auto left = animated ? CheckedCast<std::uint16_t>(record.m_left) : std::uint16_t(0);
    const auto top = animated ? CheckedCast<std::uint16_t>(record.m_top) : std::uint16_t(0);

    m_transparent = (m_options & OPTION_TRANSPARENT) != 0 || HasTranslucentPixel(img);
    if (!m_parallel) {
        QuantizeOnCallingThreadOnly();
    }
    m_quantizer.Quantize(img, m_transparent, PaletteSize(m_target), m_indexed);

    // A plain GIF carries no frame metadata, except that a transparent palette entry needs a
    // graphic control extension to be shown as transparent at all.
    if (animated || m_transparent) {
        const auto control = animated
                                 ? GraphicControl(record.m_disposal, record.m_delay, m_transparent)
                                 : GraphicControl(0, 0, true);
        if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(control.size()), control.data()) ==
            GIF_ERROR) {
            throw my::CException(IDS_WIC_FRAME_METADATA_WRITER_FAILED, i + 1,
                                 GifFailure(gif->Error, "EGifPutExtension()"));
        }
    }
    // The image itself is written here rather than by giflib, whose LZW coder parses greedily:
    // descriptor, local colour table, LZW data.
    const int tableSize = ColorTableSize(m_indexed.m_palette.size());
    out.push_back(kGifImageSeparator);
    for (const std::uint16_t field : {left, top, width, height}) {
        out.push_back(std::uint8_t(field & 0xFF));
        out.push_back(std::uint8_t(field >> 8));
    }
    // Local colour table present, of 2 ^ (n + 1) entries; not interlaced, not sorted.
    out.push_back(std::uint8_t(0x80 | (std::countr_zero(unsigned(tableSize)) - 1)));
    for (int c = 0; c < tableSize; ++c) {
        const bool used = std::size_t(c) < m_indexed.m_palette.size();
        const CPaletteColor p = used ? m_indexed.m_palette[std::size_t(c)] : CPaletteColor{};
        out.insert(out.end(), {p.r, p.g, p.b});
    }
    m_lzw.Encode(m_indexed.m_indices, CLzwEncoder::MinCodeSize(std::size_t(tableSize)), out);
}

} // namespace codec
