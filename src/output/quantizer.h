// CQuantizer: the palette of a GIF frame. Up to 256 colours per frame without dithering, from
// libimagequant (refined in RGB for frames of up to 1024 colours), or taken exactly when the
// frame has few enough colours; when the frame is to be transparent, transparent black is always
// index 0 and pixels below 50 % alpha map to it.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

struct CImg;
struct liq_attr;

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
    // Speed of libimagequant (1 slowest and best .. 10 fastest; see kDefaultSpeed) and its
    // dithering level (0 none .. 1 full) for the frames it reduces. Raises
    // IDS_WIC_PALETTE_CREATE_FAILED for values libimagequant does not take.
    explicit CQuantizer(int speed = kDefaultSpeed, float dithering = kDefaultDithering);
    ~CQuantizer();
    CQuantizer(CQuantizer&&) noexcept;
    CQuantizer& operator=(CQuantizer&&) noexcept;

    // Indexes a frame of pixel type 0 with at most maxColors (2 to 256) palette entries.
    // Failures raise IDS_WIC_PALETTE_CREATE_FAILED (palette cannot be made),
    // IDS_WIC_PALETTE_INIT_FAILED (quantisation failed) or IDS_WIC_CONVERTER_INIT_FAILED (remapping
    // failed).
    void Quantize(const CImg& img, bool transparent, std::size_t maxColors, CIndexedImage& out);

    // Chosen by measurement on rendered example animations (bench/peers.sh): from speed 8 up
    // libimagequant posterises its input, which costs flat art with antialiased edges about
    // 10 dB of PSNR (57 against 66 dB on 100 frames of 640 x 480); speed 7 keeps the full
    // input at 10 to 30 % more time and 2 % more bytes. Lower speeds gain nothing more there.
    static constexpr int kDefaultSpeed = 7;
    static constexpr float kDefaultDithering = 0.0f;

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
    void Refine(std::size_t pixelCount, std::size_t maxColors, CIndexedImage& out);
    // Sum over the pixels of the squared RGB distance to their palette entries.
    std::uint64_t SquaredError(const CIndexedImage& indexed) const;
    void Reduce(std::int32_t width, std::int32_t height, std::size_t maxColors, CIndexedImage& out);

    // Settings of libimagequant, made once for all frames.
    std::unique_ptr<liq_attr, CAttrFree> m_attr;
    float m_dithering;
    std::vector<std::uint8_t> m_rgba; // the frame as straight RGBA, alpha 0 or 255
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
