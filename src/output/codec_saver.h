// codec::CImgSaver: encodes output frames into one PNG or GIF file. PNG goes through our chunk
// writer and deflate encoder; GIF through libimagequant (palette) and giflib (container, LZW),
// with the loop, screen, frame control and image descriptor items of an animation.
#pragma once

#include "common/terminable.h"
#include "output/img_saver.h"
#include "output/png_encoder.h"
#include "output/quantizer.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace codec {

class COutputFile;

enum class Container { Png, Gif };

enum SaverOption : std::uint32_t {
    OPTION_NO_COLOR_PROFILE = 1, // never embed the frame's colour profile
    OPTION_TRANSPARENT = 2,      // always give the palette a transparent entry at index 0
};

// The pixel format written: the frame's own, or indexed with a palette of 2^bits colours.
enum class TargetFormat { Own, Indexed1, Indexed2, Indexed4, Indexed8 };

// Palette size of a target format; 0 for a format without palette.
std::size_t PaletteSize(TargetFormat format);

enum SaveMode : int {
    MODE_OTHER = 0,       // a container other than GIF
    MODE_GIF_SINGLE = 2,  // GIF with one frame: a plain image
    MODE_GIF_ANIMATED = 3 // GIF with more than one frame
};

class CImgSaver : public CCanTerminate {
public:
    CImgSaver(Container container, TargetFormat target, std::uint32_t options);
    ~CImgSaver() override;

    // Encodes frames (frames[i] placed by records[i]) and commits the file. False when the
    // terminator answered stop before a frame: nothing is committed and the file is dropped.
    // PNG takes exactly one frame. Failures raise my::CException; the file is dropped.
    [[nodiscard]] bool Save(const mrv::CAnimationHeader& header,
                            const std::vector<mrv::CImgPtr>& frames,
                            const std::vector<mrv::CFrameRecord>& records, COutputFile& file);

    std::uint32_t Options() const { return m_options; }
    void SetOptions(std::uint32_t options) { m_options = options; }
    // Mode of the last Save and the transparent flag of its last frame.
    int Mode() const { return m_mode; }
    bool IsTransparent() const { return m_transparent; }
    void SetQuantizerSpeed(int speed) { m_quantizer = CQuantizer(speed); }

private:
    [[nodiscard]] bool SavePng(const std::vector<mrv::CImgPtr>& frames, COutputFile& file);
    [[nodiscard]] bool SaveGif(const mrv::CAnimationHeader& header,
                               const std::vector<mrv::CImgPtr>& frames,
                               const std::vector<mrv::CFrameRecord>& records, COutputFile& file);

    Container m_container;
    TargetFormat m_target;
    std::uint32_t m_options;
    int m_mode = MODE_OTHER;
    bool m_transparent = false;

    // Reused over the files of a sequence: compressors, scratch buffers, palette output.
    std::unique_ptr<CPngImageEncoder> m_png;
    CQuantizer m_quantizer;
    CIndexedImage m_indexed;
};

} // namespace codec
