// libFuzzer target: ICC profile bytes opened as an embedded colour profile is, then used the
// way the model conversion and the renderer use one (a colour and a small image through it).
#include "common/color.h"
#include "common/error.h"
#include "platform/color_profile.h"
#include "platform/color_transform.h"
#include "platform/image_transform.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CColorProfile profile;
    try {
        profile.LoadFromMemory({data, data + size});
    } catch (const my::CException&) {
        return 0;
    }
    const bool cmyk = profile.ColorSpace() == CColorProfile::kSignatureCmyk;
    if (!cmyk && profile.ColorSpace() != CColorProfile::kSignatureRgb) {
        return 0;
    }
    const std::uint32_t type = cmyk ? stroke::COLOR_CMYK : stroke::COLOR_RGB;
    const CColorProfile working;
    try {
        const icm::CColorTransform transform(profile, type, working, stroke::COLOR_RGB);
        transform.Convert({0, 30000, 65535, 1000});
    } catch (const my::CException&) {
    }
    try {
        CImg src;
        src.Allocate(cmyk ? CImg::PIXEL_CMYKA40 : CImg::PIXEL_BGRA32, 3, 2);
        for (std::size_t i = 0; i < src.m_bits.size(); ++i) {
            src.m_bits[i] = std::uint8_t(i * 37);
        }
        CImg dst;
        dst.Allocate(CImg::PIXEL_BGRA32, 3, 2);
        icm::TransformImage(src, profile, dst, working);
    } catch (const my::CException&) {
    }
    return 0;
}
