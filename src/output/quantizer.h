// CQuantizer: the palette of a GIF frame. Up to 256 colours per frame without dithering, from
// libimagequant's palette for the frame's colours (refined in RGB for frames of up to 1024
// colours) with every colour at its nearest entry, or taken exactly when the frame has few
// enough colours; when the frame is to be transparent, transparent black is always
// index 0 and pixels below 50 % alpha map to it.
#pragma once

#include "output/color_counter.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

struct CImg;
struct liq_attr;
struct liq_histogram_entry;

namespace codec {

struct CPaletteColor {
    std::uint8_t r = 0, g = 0, b = 0, a = 0;
    friend bool operator==(const CPaletteColor&, const CPaletteColor&) = default;
};

struct CIndexedImage {
    std::vector<CPaletteColor> m_palette; // 1 to 256 entries
    std::vector<std::uint8_t> m_indices;  // width * height, rows top-down
    bool m_transparent = false;           // index 0 is transparent black
    bool m_exact = false;                 // every colour of the frame is in the palette
};

class CQuantizer {
public:
    // Speed of libimagequant (1 slowest and best .. 10 fastest; see kDefaultSpeed) for the
    // frames it reduces. Raises IDS_WIC_PALETTE_CREATE_FAILED for a speed libimagequant does
    // not take.
    explicit CQuantizer(int speed = kDefaultSpeed);
    ~CQuantizer();
    CQuantizer(CQuantizer&&) noexcept;
    CQuantizer& operator=(CQuantizer&&) noexcept;

    // Indexes a frame of pixel type 0 with at most maxColors (2 to 256) palette entries.
    // Failures raise IDS_WIC_PALETTE_CREATE_FAILED (palette cannot be made) or
    // IDS_WIC_PALETTE_INIT_FAILED (quantisation failed).
    void Quantize(const CImg& img, bool transparent, std::size_t maxColors, CIndexedImage& out);

    // Chosen by measurement on rendered example animations (bench/encode_frames AGIF:S): from
    // speed 8 up libimagequant posterises the colours, 0.4 to 0.5 dB less on morph for no time
    // saved; speed 5 gains 0.2 dB at 1.4 times the time. Phased_dots comes out the same.
    static constexpr int kDefaultSpeed = 7;

private:
    struct CAttrFree {
        void operator()(liq_attr* attr) const noexcept;
    };

    bool TryExact(std::size_t pixelCount, std::size_t maxColors, CIndexedImage& out);
    // For a frame of up to 1024 colours, replaces libimagequant's palette and indices by the
    // one of least squared RGB error among: its palette refined by a few rounds of moving each
    // entry to the mean of the colours nearest to it, the most frequent colours taken exactly,
    // and the colours merged at least cost (MergeColors) then refined the same way. libimagequant
    // weighs errors as the eye does and spreads a small error over many pixels; the frames are
    // judged by their RGB error.
    void Refine(std::vector<CColorCount>& colors, std::size_t maxColors, CIndexedImage& out);
    // libimagequant's palette for the frame's colours, each colour given its nearest entry.
    void Reduce(std::vector<CColorCount>& colors, std::size_t maxColors, CIndexedImage& out);

    // Settings of libimagequant, made once for all frames.
    std::unique_ptr<liq_attr, CAttrFree> m_attr;
    std::vector<std::uint8_t> m_rgba; // the frame as straight RGBA, alpha 0 or 255
    CColorCounter m_counter;          // its colours
    std::vector<liq_histogram_entry> m_entries;
};

// libimagequant parallelises with OpenMP threads of its own. A thread that is one of several
// encoding frames at once calls this first, so that its quantisation stays on itself and the
// threads do not compete for the cores (the palette is the same either way). It affects the
// calling thread only; without OpenMP it does nothing.
void QuantizeOnCallingThreadOnly();

// True when some pixel's alpha is not 255 (pixel type 0; other types count as opaque).
bool HasTranslucentPixel(const CImg& img);

// Moves the first fully transparent palette entry to index 0, shifting the entries before it
// up by one and remapping the indices; false when the palette has no transparent entry.
bool MoveTransparentToFront(std::vector<CPaletteColor>& palette,
                            std::vector<std::uint8_t>& indices);

} // namespace codec
