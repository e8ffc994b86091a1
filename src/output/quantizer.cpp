#include "output/quantizer.h"

#include "common/error.h"
#include "common/message_ids.h"
#include "platform/img.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <dlfcn.h>
#include <libimagequant.h>
#include <memory>
#include <string>

namespace codec {

namespace {

struct CLiqFree {
    void operator()(liq_image* p) const noexcept { liq_image_destroy(p); }
    void operator()(liq_result* p) const noexcept { liq_result_destroy(p); }
};
using CLiqImage = std::unique_ptr<liq_image, CLiqFree>;
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

CQuantizer::CQuantizer(int speed, float dithering)
    : m_attr(liq_attr_create()), m_dithering(dithering) {
    if (!m_attr) {
        throw my::CException(IDS_WIC_PALETTE_CREATE_FAILED, "Out of memory for the quantiser");
    }
    if (liq_set_speed(m_attr.get(), speed) != LIQ_OK || !(dithering >= 0.0f && dithering <= 1.0f)) {
        throw my::CException(IDS_WIC_PALETTE_CREATE_FAILED,
                             "Invalid quantiser speed or dithering: " + std::to_string(speed) +
                                 ", " + std::to_string(dithering));
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
    if (!TryExact(pixelCount, maxColors, out)) {
        Reduce(img.m_width, img.m_height, maxColors, out);
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

void CQuantizer::Reduce(std::int32_t width, std::int32_t height, std::size_t maxColors,
                        CIndexedImage& out) {
    const bool transparent = out.m_transparent;
    liq_attr* attr = m_attr.get();
    if (liq_set_max_colors(attr, int(maxColors)) != LIQ_OK) {
        throw my::CException(IDS_WIC_PALETTE_CREATE_FAILED,
                             "Invalid palette size: " + std::to_string(maxColors));
    }
    CLiqImage image(liq_image_create_rgba(attr, m_rgba.data(), width, height, 0.0));
    if (!image) {
        throw my::CException(IDS_WIC_PALETTE_CREATE_FAILED, "liq_image_create_rgba() failed for " +
                                                                std::to_string(width) + " x " +
                                                                std::to_string(height) + " pixels");
    }
    if (transparent) {
        // libimagequant keeps a fixed colour but does not say at which index.
        const liq_error e = liq_image_add_fixed_color(image.get(), liq_color{0, 0, 0, 0});
        if (e != LIQ_OK) {
            throw my::CException(IDS_WIC_PALETTE_CREATE_FAILED,
                                 "liq_image_add_fixed_color(): " + LiqErrorText(e));
        }
    }
    liq_result* raw = nullptr;
    const liq_error e = liq_image_quantize(image.get(), attr, &raw);
    CLiqResult result(raw);
    if (e != LIQ_OK || !result) {
        throw my::CException(IDS_WIC_PALETTE_INIT_FAILED,
                             "liq_image_quantize(): " + LiqErrorText(e));
    }
    liq_set_dithering_level(result.get(), m_dithering);
    const liq_error remap = liq_write_remapped_image(result.get(), image.get(),
                                                     out.m_indices.data(), out.m_indices.size());
    if (remap != LIQ_OK) {
        throw my::CException(IDS_WIC_CONVERTER_INIT_FAILED,
                             "liq_write_remapped_image(): " + LiqErrorText(remap));
    }
    const liq_palette* palette = liq_get_palette(result.get());
    out.m_palette.clear();
    for (unsigned i = 0; i < palette->count && i < 256; ++i) {
        const liq_color& c = palette->entries[i];
        out.m_palette.push_back(CPaletteColor{c.r, c.g, c.b, c.a});
    }
    if (transparent && !MoveTransparentToFront(out.m_palette, out.m_indices)) {
        throw my::CException(IDS_WIC_PALETTE_INIT_FAILED, "The palette has no transparent entry");
    }
    if (out.m_palette.empty()) {
        throw my::CException(IDS_WIC_PALETTE_INIT_FAILED, "The palette is empty");
    }
    out.m_exact = false;
}

} // namespace codec
