#include "output/codec_saver.h"

#include "common/error.h"
#include "common/message_ids.h"
#include "output/checked_cast.h"
#include "output/output_file.h"
#include "platform/color_profile.h"
#include "platform/img.h"

#include <algorithm>
#include <array>
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

struct CGifMapFree {
    void operator()(ColorMapObject* map) const noexcept { GifFreeMapObject(map); }
};
using CGifColorMap = std::unique_ptr<ColorMapObject, CGifMapFree>;

int WriteToFile(GifFileType* gif, const GifByteType* data, int size) {
    auto* file = static_cast<COutputFile*>(gif->UserData);
    return size >= 0 && file->Write(data, std::size_t(size)) ? size : 0;
}

// A giflib failure: the file's own error (the path and the system's reason) when writing
// failed, else the step's message with giflib's text.
template <class... A>
[[noreturn]] void GifFail(const COutputFile& file, int error, const char* call, std::uint32_t id,
                          const A&... args) {
    if (file.Failed()) {
        throw file.Failure();
    }
    const char* text = GifErrorString(error);
    throw my::CException(
        id, args..., std::string(call) + ": " + (text ? text : "error " + std::to_string(error)));
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

bool EmbedsProfile(const CImg& img, std::uint32_t options) {
    // Pixel type 0 is RGB: only an RGB profile describes it.
    return (options & OPTION_NO_COLOR_PROFILE) == 0 && img.m_profile && img.m_profile->HasData() &&
           img.m_profile->ColorSpace() == CColorProfile::kSignatureRgb;
}

} // namespace

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

bool CImgSaver::Save(const mrv::CAnimationHeader& header, const std::vector<mrv::CImgPtr>& frames,
                     const std::vector<mrv::CFrameRecord>& records, COutputFile& file) {
    if (frames.size() != records.size() || frames.empty()) {
        throw my::InternalError(
            "codec::CImgSaver::Save()\nFrames: " + std::to_string(frames.size()) +
            ", records: " + std::to_string(records.size()));
    }
    if (m_container == Container::Png) {
        m_mode = MODE_OTHER;
        return SavePng(frames, file);
    }
    m_mode = frames.size() > 1 ? MODE_GIF_ANIMATED : MODE_GIF_SINGLE;
    return SaveGif(header, frames, records, file);
}

bool CImgSaver::SavePng(const std::vector<mrv::CImgPtr>& frames, COutputFile& file) {
    if (frames.size() != 1) {
        throw my::InternalError("codec::CImgSaver::SavePng()\nA PNG file holds one frame, not " +
                                std::to_string(frames.size()));
    }
    if (CanTerminate()) {
        return false;
    }
    const CImg& img = *frames[0];
    CheckPngImage(img);
    if (!m_png) {
        m_png = std::make_unique<CPngImageEncoder>();
    }
    // An opaque frame (a painted background) needs no alpha channel: a quarter fewer bytes
    // to filter and compress.
    const bool alpha = !IsOpaque(img);
    CPngChunkWriter writer(file);
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
    if (!file.Commit()) {
        throw file.Failure();
    }
    return true;
}

bool CImgSaver::SaveGif(const mrv::CAnimationHeader& header,
                        const std::vector<mrv::CImgPtr>& frames,
                        const std::vector<mrv::CFrameRecord>& records, COutputFile& file) {
    const bool animated = m_mode == MODE_GIF_ANIMATED;
    const CImg& first = *frames[0];
    const auto screenWidth =
        CheckedCast<std::uint16_t>(animated ? header.m_width : std::uint32_t(first.m_width));
    const auto screenHeight =
        CheckedCast<std::uint16_t>(animated ? header.m_height : std::uint32_t(first.m_height));

    int error = 0;
    CGifFile gif(EGifOpen(&file, WriteToFile, &error));
    if (!gif) {
        GifFail(file, error, "EGifOpen()", IDS_WIC_ENCODER_CREATE_FAILED);
    }
    // Extensions (loop, frame control) need GIF89a; giflib would otherwise write GIF87a.
    EGifSetGifVersion(gif.get(), true);
    if (EGifPutScreenDesc(gif.get(), screenWidth, screenHeight, 8, 0, nullptr) == GIF_ERROR) {
        GifFail(file, gif->Error, "EGifPutScreenDesc()", IDS_WIC_ENCODER_INIT_FAILED);
    }
    if (animated) {
        // NETSCAPE2.0 application extension: sub-block 1 holds the loop count, 0 = endless.
        const auto loops =
            std::min<std::uint32_t>(CheckedCast<std::uint32_t>(header.m_loopCount), 65535u);
        const GifByteType loop[3] = {1, GifByteType(loops & 0xFF), GifByteType(loops >> 8)};
        if (EGifPutExtensionLeader(gif.get(), APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
            EGifPutExtensionBlock(gif.get(), 11, "NETSCAPE2.0") == GIF_ERROR ||
            EGifPutExtensionBlock(gif.get(), 3, loop) == GIF_ERROR ||
            EGifPutExtensionTrailer(gif.get()) == GIF_ERROR) {
            GifFail(file, gif->Error, "EGifPutExtension()", IDS_WIC_METADATA_WRITER_FAILED);
        }
    }

    const std::size_t paletteSize = PaletteSize(m_target);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        if (CanTerminate()) {
            return false;
        }
        const CImg& img = *frames[i];
        const mrv::CFrameRecord& record = records[i];
        if (img.m_pixelType != CImg::PIXEL_BGRA32) {
            throw my::CException(IDS_IMAGE_FORMAT_UNSUPPORTED);
        }
        if (img.m_width <= 0 || img.m_height <= 0 ||
            (animated && (img.m_width != record.Width() || img.m_height != record.Height()))) {
            throw my::CException(IDS_WIC_FRAME_SIZE_FAILED,
                                 "Frame " + std::to_string(i) + ": " + std::to_string(img.m_width) +
                                     " x " + std::to_string(img.m_height));
        }
        const auto width = CheckedCast<std::uint16_t>(img.m_width);
        const auto height = CheckedCast<std::uint16_t>(img.m_height);
        const auto left = animated ? CheckedCast<std::uint16_t>(record.m_left) : std::uint16_t(0);
        const auto top = animated ? CheckedCast<std::uint16_t>(record.m_top) : std::uint16_t(0);

        m_transparent = (m_options & OPTION_TRANSPARENT) != 0 || HasTranslucentPixel(img);
        m_quantizer.Quantize(img, m_transparent, paletteSize, m_indexed);

        std::vector<GifColorType> colors(std::size_t(ColorTableSize(m_indexed.m_palette.size())));
        for (std::size_t c = 0; c < m_indexed.m_palette.size(); ++c) {
            const CPaletteColor& p = m_indexed.m_palette[c];
            colors[c] = GifColorType{p.r, p.g, p.b};
        }
        CGifColorMap map(GifMakeMapObject(int(colors.size()), colors.data()));
        if (!map) {
            throw my::CException(IDS_WIC_PALETTE_WRITE_FAILED, "GifMakeMapObject() failed");
        }

        // A plain GIF carries no frame metadata, except that a transparent palette entry needs a
        // graphic control extension to be shown as transparent at all.
        if (animated || m_transparent) {
            const auto control =
                animated ? GraphicControl(record.m_disposal, record.m_delay, m_transparent)
                         : GraphicControl(0, 0, true);
            if (EGifPutExtension(gif.get(), GRAPHICS_EXT_FUNC_CODE, int(control.size()),
                                 control.data()) == GIF_ERROR) {
                GifFail(file, gif->Error, "EGifPutExtension()",
                        IDS_WIC_FRAME_METADATA_WRITER_FAILED, i + 1);
            }
        }
        if (EGifPutImageDesc(gif.get(), left, top, width, height, false, map.get()) == GIF_ERROR) {
            GifFail(file, gif->Error, "EGifPutImageDesc()", IDS_WIC_FRAME_CREATE_FAILED);
        }
        for (std::size_t y = 0; y < height; ++y) {
            if (EGifPutLine(gif.get(), m_indexed.m_indices.data() + y * width, width) ==
                GIF_ERROR) {
                GifFail(file, gif->Error, "EGifPutLine()", IDS_WIC_PIXELS_WRITE_FAILED);
            }
        }
    }

    error = 0;
    const int closed = EGifCloseFile(gif.release(), &error);
    // giflib ignores a failed write of the trailer; the file remembers it.
    if (closed == GIF_ERROR && !file.Failed()) {
        GifFail(file, error, "EGifCloseFile()", IDS_WIC_ENCODER_COMMIT_FAILED);
    }
    if (file.Failed() || !file.Commit()) {
        throw file.Failure();
    }
    return true;
}

} // namespace codec
