#include "gif_reader.h"

#include "output_test_util.h"

#include <cstring>
#include <gif_lib.h>

namespace outtest {

CGif ReadGif(const std::filesystem::path& path) {
    CGif out;
    const auto bytes = ReadFile(path);
    if (bytes.size() >= 6) {
        out.m_version.assign(bytes.begin(), bytes.begin() + 6);
    }
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    if (!gif) {
        out.m_error = GifErrorString(error);
        return out;
    }
    if (DGifSlurp(gif) == GIF_ERROR) {
        out.m_error = GifErrorString(gif->Error);
        DGifCloseFile(gif, &error);
        return out;
    }
    out.m_width = gif->SWidth;
    out.m_height = gif->SHeight;
    out.m_background = gif->SBackGroundColor;
    out.m_extensionCount = gif->ExtensionBlockCount;
    std::vector<std::uint8_t> canvas(std::size_t(out.m_width) * out.m_height * 4, 0);
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& image = gif->SavedImages[i];
        CGifFrame f;
        f.m_left = image.ImageDesc.Left;
        f.m_top = image.ImageDesc.Top;
        f.m_width = image.ImageDesc.Width;
        f.m_height = image.ImageDesc.Height;
        const ColorMapObject* map =
            image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
        for (int c = 0; map && c < map->ColorCount; ++c) {
            f.m_palette.insert(f.m_palette.end(),
                               {map->Colors[c].Red, map->Colors[c].Green, map->Colors[c].Blue});
        }
        f.m_indices.assign(image.RasterBits,
                           image.RasterBits + std::size_t(f.m_width) * f.m_height);
        out.m_extensionCount += image.ExtensionBlockCount;
        for (int e = 0; e < image.ExtensionBlockCount; ++e) {
            const ExtensionBlock& block = image.ExtensionBlocks[e];
            if (block.Function == APPLICATION_EXT_FUNC_CODE && block.ByteCount == 11 &&
                std::memcmp(block.Bytes, "NETSCAPE2.0", 11) == 0) {
                out.m_hasLoop = true;
                if (e + 1 < image.ExtensionBlockCount) {
                    const ExtensionBlock& data = image.ExtensionBlocks[e + 1];
                    out.m_loopBlock.assign(data.Bytes, data.Bytes + data.ByteCount);
                }
            }
            if (block.Function == GRAPHICS_EXT_FUNC_CODE && block.ByteCount == 4) {
                GraphicsControlBlock gcb;
                DGifExtensionToGCB(block.ByteCount, block.Bytes, &gcb);
                f.m_hasControl = true;
                f.m_delay = gcb.DelayTime;
                f.m_disposal = gcb.DisposalMode;
                f.m_transparent = gcb.TransparentColor;
                f.m_transparentIndexByte = block.Bytes[3];
            }
        }
        for (int y = 0; y < f.m_height; ++y) {
            for (int x = 0; x < f.m_width; ++x) {
                const int index = f.m_indices[std::size_t(y) * f.m_width + x];
                if (index == f.m_transparent) {
                    continue;
                }
                std::uint8_t* p =
                    &canvas[((std::size_t(f.m_top) + y) * out.m_width + f.m_left + x) * 4];
                if (std::size_t(index) * 3 + 2 < f.m_palette.size()) {
                    std::memcpy(p, &f.m_palette[std::size_t(index) * 3], 3);
                }
                p[3] = 255;
            }
        }
        out.m_canvases.push_back(canvas);
        if (f.m_disposal == DISPOSE_BACKGROUND) {
            for (int y = 0; y < f.m_height; ++y) {
                std::memset(&canvas[((std::size_t(f.m_top) + y) * out.m_width + f.m_left) * 4], 0,
                            std::size_t(f.m_width) * 4);
            }
        }
        out.m_frames.push_back(std::move(f));
    }
    DGifCloseFile(gif, &error);
    return out;
}

} // namespace outtest
