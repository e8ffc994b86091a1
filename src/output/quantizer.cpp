#include "output/quantizer.h"

#include "common/error.h"
#include "common/message_ids.h"
#include "common/messages.h"
#include "output/color_counter.h"
#include "output/palette_merge.h"
#include "platform/img.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <dlfcn.h>
#include <libimagequant.h>
#include <memory>
#include <string>
#include <utility>

namespace codec {

namespace {

struct CLiqFree {
    void operator()(liq_histogram* p) const noexcept { liq_histogram_destroy(p); }
    void operator()(liq_result* p) const noexcept { liq_result_destroy(p); }
};
using CLiqHistogram = std::unique_ptr<liq_histogram, CLiqFree>;
using CLiqResult = std::unique_ptr<liq_result, CLiqFree>;

std::string LiqErrorText(liq_error e) {
    switch (e) {
    case LIQ_QUALITY_TOO_LOW:
        return "quality too low";
    case LIQ_VALUE_OUT_OF_RANGE:
        return "value out of range";
    case LIQ_OUT_OF_MEMORY:
        return "out of memory";
    case LIQ_ABORTED:
        return "aborted";
    case LIQ_BUFFER_TOO_SMALL:
        return "buffer too small";
    case LIQ_INVALID_POINTER:
        return "invalid pointer";
    case LIQ_UNSUPPORTED:
        return "unsupported";
    default:
        return "error " + std::to_string(int(e));
    }
}

// With transparency, pixels below 50 % alpha become transparent black; the others keep their
// straight colour and become opaque, since a GIF pixel is either transparent or opaque.
void ToThresholdedRgba(const CImg& img, bool transparent, std::vector<std::uint8_t>& rgba) {
    const std::uint8_t threshold = transparent ? 128 : 0;
    const std::size_t width = std::size_t(img.m_width);
    rgba.resize(width * std::size_t(img.m_height) * 4);
    std::uint8_t* dst = rgba.data();
    for (std::int32_t y = 0; y < img.m_height; ++y) {
        const std::uint8_t* src = img.Row(y);
        for (std::size_t x = 0; x < width; ++x, src += 4, dst += 4) {
            if (src[3] < threshold) {
                std::memset(dst, 0, 4);
            } else {
                dst[0] = src[2];
                dst[1] = src[1];
                dst[2] = src[0];
                dst[3] = 255;
            }
        }
    }
}

// Open-addressing set of at most 256 colours (RGBA as one word) with their palette index.
class CColorTable {
public:
    // Index of the colour, adding it when new; -1 when the table is full.
    int Find(std::uint32_t key, std::vector<CPaletteColor>& palette, std::size_t limit) {
        std::size_t slot = (key * 2654435761u) >> (32 - kBits);
        for (;; slot = (slot + 1) & (kSize - 1)) {
            if (m_index[slot] < 0) {
                if (palette.size() >= limit) {
                    return -1;
                }
                m_keys[slot] = key;
                m_index[slot] = std::int16_t(palette.size());
                palette.push_back(CPaletteColor{std::uint8_t(key), std::uint8_t(key >> 8),
                                                std::uint8_t(key >> 16), 255});
                return m_index[slot];
            }
            if (m_keys[slot] == key) {
                return m_index[slot];
            }
        }
    }

private:
    static constexpr unsigned kBits = 10; // 1024 slots for 256 colours keeps probes short
    static constexpr std::size_t kSize = std::size_t{1} << kBits;
    std::array<std::uint32_t, kSize> m_keys{};
    std::array<std::int16_t, kSize> m_index = [] {
        std::array<std::int16_t, kSize> a{};
        a.fill(-1);
        return a;
    }();
};

// Frames of up to this many colours get their palette refined in RGB, in this many rounds.
constexpr std::size_t kMaxRefinedColors = 1024;
constexpr int kRefineRounds = 3;

std::uint32_t RgbKey(const std::uint8_t* rgba) {
    return std::uint32_t(rgba[0]) | std::uint32_t(rgba[1]) << 8 | std::uint32_t(rgba[2]) << 16;
}

// Squared RGB distance between straight RGB(A) bytes and a palette entry; a transparent pixel
// (alpha 0) and the transparent entry are equal.
std::uint32_t ColorDistance(const std::uint8_t* rgb, const CPaletteColor& c) {
    const int r = int(rgb[0]) - c.r;
    const int g = int(rgb[1]) - c.g;
    const int b = int(rgb[2]) - c.b;
    return std::uint32_t(r * r + g * g + b * b);
}

// Gives each colour the index of its nearest entry from `first` on (the first of equals);
// returns the sum of squared distances over the pixels. The entries are searched in the order
// of their green, outwards from the colour's: once the green difference alone is beyond the
// nearest distance found, no entry further out can be nearer. A frame with a photograph in it
// has hundreds of thousands of colours; this looks at a few entries of 256 for each.
std::uint64_t AssignNearest(const std::vector<CPaletteColor>& palette, std::size_t first,
                            std::vector<CColorCount>& colors) {
    struct CEntry {
        int g;
        std::uint8_t index;
    };
    std::vector<CEntry> entries;
    for (std::size_t e = first; e < palette.size(); ++e) {
        entries.push_back(CEntry{palette[e].g, std::uint8_t(e)});
    }
    std::sort(entries.begin(), entries.end(), [](const CEntry& a, const CEntry& b) {
        return a.g != b.g ? a.g < b.g : a.index < b.index;
    });
    std::uint64_t error = 0;
    for (CColorCount& c : colors) {
        const std::uint8_t rgb[3] = {std::uint8_t(c.m_key), std::uint8_t(c.m_key >> 8),
                                     std::uint8_t(c.m_key >> 16)};
        const int g = rgb[1];
        std::uint32_t nearest = UINT32_MAX;
        const auto consider = [&](const CEntry& e) {
            const std::uint32_t d = ColorDistance(rgb, palette[e.index]);
            if (d < nearest || (d == nearest && e.index < c.m_index)) {
                nearest = d;
                c.m_index = e.index;
            }
        };
        const auto start = std::lower_bound(entries.begin(), entries.end(), g,
                                            [](const CEntry& e, int v) { return e.g < v; });
        for (auto up = start; up != entries.end(); ++up) {
            const std::uint32_t dg = std::uint32_t(up->g - g);
            if (dg * dg > nearest) {
                break;
            }
            consider(*up);
        }
        for (auto down = start; down != entries.begin();) {
            --down;
            const std::uint32_t dg = std::uint32_t(g - down->g);
            if (dg * dg > nearest) {
                break;
            }
            consider(*down);
        }
        error += std::uint64_t(nearest) * c.m_count;
    }
    return error;
}

// Moves every entry that colours are assigned to onto their mean, rounded.
void MoveToMeans(const std::vector<CColorCount>& colors, std::size_t first,
                 std::vector<CPaletteColor>& palette) {
    std::vector<std::array<std::uint64_t, 4>> sums(palette.size(), {0, 0, 0, 0});
    for (const CColorCount& c : colors) {
        std::array<std::uint64_t, 4>& s = sums[c.m_index];
        s[0] += std::uint64_t(c.m_key & 0xFF) * c.m_count;
        s[1] += std::uint64_t((c.m_key >> 8) & 0xFF) * c.m_count;
        s[2] += std::uint64_t((c.m_key >> 16) & 0xFF) * c.m_count;
        s[3] += c.m_count;
    }
    for (std::size_t e = first; e < palette.size(); ++e) {
        const std::array<std::uint64_t, 4>& s = sums[e];
        if (s[3] != 0) {
            palette[e] = CPaletteColor{std::uint8_t((s[0] + s[3] / 2) / s[3]),
                                       std::uint8_t((s[1] + s[3] / 2) / s[3]),
                                       std::uint8_t((s[2] + s[3] / 2) / s[3]), 255};
        }
    }
}

} // namespace

void QuantizeOnCallingThreadOnly() {
    // libimagequant brings its OpenMP runtime in; asking for the symbol avoids building
    // against OpenMP only to set one number. The setting belongs to the calling thread.
    using SetThreads = void (*)(int);
    static const auto setThreads =
        reinterpret_cast<SetThreads>(::dlsym(RTLD_DEFAULT, "omp_set_num_threads"));
    if (setThreads != nullptr) {
        setThreads(1);
    }
}

bool HasTranslucentPixel(const CImg& img) {
    if (img.m_pixelType != CImg::PIXEL_BGRA32) {
        return false;
    }
    for (std::int32_t y = 0; y < img.m_height; ++y) {
        const std::uint8_t* row = img.Row(y);
        for (std::int32_t x = 0; x < img.m_width; ++x) {
            if (row[4 * std::size_t(x) + 3] != 255) {
                return true;
            }
        }
    }
    return false;
}

bool MoveTransparentToFront(std::vector<CPaletteColor>& palette,
                            std::vector<std::uint8_t>& indices) {
    std::size_t k = 0;
    while (k < palette.size() && palette[k].a != 0) {
        ++k;
    }
    if (k == palette.size()) {
        return false;
    }
    if (k == 0) {
        palette[0] = CPaletteColor{};
        return true;
    }
    std::array<std::uint8_t, 256> lookup{};
    for (std::size_t i = 0; i < 256; ++i) {
        lookup[i] = std::uint8_t(i < k ? i + 1 : i);
    }
    lookup[k] = 0;
    for (std::size_t i = k; i > 0; --i) {
        palette[i] = palette[i - 1];
    }
    palette[0] = CPaletteColor{};
    for (std::uint8_t& index : indices) {
        index = lookup[index];
    }
    return true;
}

void CQuantizer::CAttrFree::operator()(liq_attr* attr) const noexcept {
    liq_attr_destroy(attr);
}

CQuantizer::CQuantizer(int speed) : m_attr(liq_attr_create()) {
    if (!m_attr) {
        throw my::CException(IDS_WIC_PALETTE_CREATE_FAILED,
                             std::string(my::MessageText(IDS_REASON_QUANTISER_MEMORY)));
    }
    if (liq_set_speed(m_attr.get(), speed) != LIQ_OK) {
        throw my::CException(IDS_WIC_PALETTE_CREATE_FAILED,
                             "Invalid quantiser speed: " + std::to_string(speed));
    }
}

CQuantizer::~CQuantizer() = default;
CQuantizer::CQuantizer(CQuantizer&&) noexcept = default;
CQuantizer& CQuantizer::operator=(CQuantizer&&) noexcept = default;

void CQuantizer::Quantize(const CImg& img, bool transparent, std::size_t maxColors,
                          CIndexedImage& out) {
    maxColors = std::clamp<std::size_t>(maxColors, 2, 256);
    ToThresholdedRgba(img, transparent, m_rgba);
    out.m_transparent = transparent;
    const std::size_t pixelCount = std::size_t(img.m_width) * std::size_t(img.m_height);
    if (TryExact(pixelCount, maxColors, out)) {
        return;
    }
    // The palette is made from the frame's colours and their counts, and each colour, not each
    // pixel, is given its nearest entry: a frame of drawings has a few thousand colours.
    m_counter.Clear();
    const std::uint8_t* p = m_rgba.data();
    for (std::size_t i = 0; i < pixelCount; ++i, p += 4) {
        if (p[3] != 0) {
            m_counter.Add(RgbKey(p));
        }
    }
    std::vector<CColorCount> colors = m_counter.Sorted();
    Reduce(colors, maxColors, out);
    if (colors.size() <= kMaxRefinedColors) {
        Refine(colors, maxColors, out);
    }
    p = m_rgba.data();
    std::uint32_t lastKey = 0xFFFFFFFF;
    std::uint8_t lastIndex = 0;
    for (std::size_t i = 0; i < pixelCount; ++i, p += 4) {
        if (p[3] == 0) {
            out.m_indices[i] = 0;
            continue;
        }
        // Neighbouring pixels mostly share their colour.
        if (const std::uint32_t key = RgbKey(p); key != lastKey) {
            lastKey = key;
            lastIndex = colors[m_counter.PlaceOf(key)].m_index;
        }
        out.m_indices[i] = lastIndex;
    }
    out.m_exact = false;
}

void CQuantizer::Refine(std::vector<CColorCount>& colors, std::size_t maxColors,
                        CIndexedImage& out) {
    const std::size_t first = out.m_transparent ? 1 : 0;

    std::vector<CPaletteColor> best = out.m_palette;
    std::uint64_t bestError = AssignNearest(best, first, colors);
    bool improved = false;
    // Every colour at its nearest entry of the candidate, then, `rounds` times, the entries
    // moved to the means of their colours; the palette of least error so far is kept.
    const auto consider = [&](std::vector<CPaletteColor> candidate, int rounds) {
        for (int round = 0;; ++round) {
            if (const std::uint64_t error = AssignNearest(candidate, first, colors);
                error < bestError) {
                bestError = error;
                best = candidate;
                improved = true;
            }
            if (round == rounds) {
                return;
            }
            MoveToMeans(colors, first, candidate);
        }
    };
    const std::vector<CPaletteColor> head(out.m_palette.begin(),
                                          out.m_palette.begin() + std::ptrdiff_t(first));
    // libimagequant's palette.
    consider(out.m_palette, kRefineRounds);
    // The most frequent colours exactly, the rare ones at their nearest: best for a frame only
    // a few colours over the limit (antialiased edges of flat art).
    std::vector<CColorCount> byCount = colors;
    std::stable_sort(
        byCount.begin(), byCount.end(),
        [](const CColorCount& a, const CColorCount& b) { return a.m_count > b.m_count; });
    std::vector<CPaletteColor> palette = head;
    for (std::size_t k = 0; k < byCount.size() && palette.size() < maxColors; ++k) {
        const std::uint32_t key = byCount[k].m_key;
        palette.push_back(
            CPaletteColor{std::uint8_t(key), std::uint8_t(key >> 8), std::uint8_t(key >> 16), 255});
    }
    consider(palette, 0);
    // Groups of colours merged at least cost: best where the rare colours lie between frequent
    // ones (the dots of phased_dots: 2 to 8 dB more than the palettes above on most frames).
    std::vector<CWeightedColor> weighted;
    weighted.reserve(colors.size());
    for (const CColorCount& c : colors) {
        weighted.push_back(CWeightedColor{std::uint8_t(c.m_key), std::uint8_t(c.m_key >> 8),
                                          std::uint8_t(c.m_key >> 16), c.m_count});
    }
    palette = head;
    for (const CWeightedColor& c : MergeColors(weighted, maxColors - first)) {
        palette.push_back(CPaletteColor{c.r, c.g, c.b, 255});
    }
    consider(palette, kRefineRounds);
    if (improved) {
        AssignNearest(best, first, colors);
        out.m_palette = best;
    }
}

bool CQuantizer::TryExact(std::size_t pixelCount, std::size_t maxColors, CIndexedImage& out) {
    out.m_palette.clear();
    out.m_indices.resize(pixelCount);
    if (out.m_transparent) {
        out.m_palette.push_back(CPaletteColor{});
    }
    auto table = std::make_unique<CColorTable>();
    const std::uint8_t* p = m_rgba.data();
    for (std::size_t i = 0; i < pixelCount; ++i, p += 4) {
        if (p[3] == 0) {
            // Only a transparent frame has such pixels, and its index 0 holds them.
            out.m_indices[i] = 0;
            continue;
        }
        const std::uint32_t key =
            std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16;
        const int index = table->Find(key, out.m_palette, maxColors);
        if (index < 0) {
            return false;
        }
        out.m_indices[i] = std::uint8_t(index);
    }
    out.m_exact = true;
    return true;
}

void CQuantizer::Reduce(std::vector<CColorCount>& colors, std::size_t maxColors,
                        CIndexedImage& out) {
    const bool transparent = out.m_transparent;
    liq_attr* attr = m_attr.get();
    if (liq_set_max_colors(attr, int(maxColors)) != LIQ_OK) {
        throw my::CException(IDS_WIC_PALETTE_CREATE_FAILED,
                             "Invalid palette size: " + std::to_string(maxColors));
    }
    CLiqHistogram histogram(liq_histogram_create(attr));
    if (!histogram) {
        throw my::CException(IDS_WIC_PALETTE_CREATE_FAILED,
                             std::string(my::MessageText(IDS_REASON_QUANTISER_MEMORY)));
    }
    m_entries.clear();
    for (const CColorCount& c : colors) {
        m_entries.push_back(
            liq_histogram_entry{liq_color{std::uint8_t(c.m_key), std::uint8_t(c.m_key >> 8),
                                          std::uint8_t(c.m_key >> 16), 255},
                                c.m_count});
    }
    // A gamma of 0 is libimagequant's default, that of sRGB.
    liq_error e = liq_histogram_add_colors(histogram.get(), attr, m_entries.data(),
                                           int(m_entries.size()), 0.0);
    if (e == LIQ_OK && transparent) {
        // libimagequant keeps a fixed colour but does not say at which index.
        e = liq_histogram_add_fixed_color(histogram.get(), liq_color{0, 0, 0, 0}, 0.0);
    }
    if (e != LIQ_OK) {
        throw my::CException(IDS_WIC_PALETTE_CREATE_FAILED,
                             "liq_histogram_add_colors(): " + LiqErrorText(e));
    }
    liq_result* raw = nullptr;
    e = liq_histogram_quantize(histogram.get(), attr, &raw);
    CLiqResult result(raw);
    if (e != LIQ_OK || !result) {
        throw my::CException(IDS_WIC_PALETTE_INIT_FAILED,
                             "liq_histogram_quantize(): " + LiqErrorText(e));
    }
    const liq_palette* palette = liq_get_palette(result.get());
    out.m_palette.clear();
    for (unsigned i = 0; i < palette->count && i < 256; ++i) {
        const liq_color& c = palette->entries[i];
        out.m_palette.push_back(CPaletteColor{c.r, c.g, c.b, c.a});
    }
    std::vector<std::uint8_t> noIndices;
    if (transparent && !MoveTransparentToFront(out.m_palette, noIndices)) {
        throw my::CException(IDS_WIC_PALETTE_INIT_FAILED,
                             std::string(my::MessageText(IDS_REASON_PALETTE_NO_TRANSPARENT)));
    }
    const std::size_t first = transparent ? 1 : 0;
    if (out.m_palette.size() <= first) {
        throw my::CException(IDS_WIC_PALETTE_INIT_FAILED,
                             std::string(my::MessageText(IDS_REASON_PALETTE_EMPTY)));
    }
    AssignNearest(out.m_palette, first, colors);
}

} // namespace codec
