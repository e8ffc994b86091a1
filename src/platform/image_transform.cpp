#include "platform/image_transform.h"

#include "common/color.h"
#include "common/error.h"
#include "common/message_ids.h"
#include "common/messages.h"
#include "platform/color_transform.h"
#include "platform/lcms_support.h"

#include <cstring>
#include <string>

namespace icm {

namespace {

bool IsGrey(std::uint32_t type) {
    return type == CImg::PIXEL_GREY8 || type == CImg::PIXEL_MONO1;
}

std::uint32_t ColorTypeOf(std::uint32_t pixelType) {
    return pixelType == CImg::PIXEL_CMYKA40 || pixelType == CImg::PIXEL_CMYK32 ? stroke::COLOR_CMYK
                                                                               : stroke::COLOR_RGB;
}

cmsUInt32Number EngineFormat(std::uint32_t pixelType) {
    switch (pixelType) {
    case CImg::PIXEL_BGRA32:
        return TYPE_BGRA_8;
    case CImg::PIXEL_BGR24:
        return TYPE_BGR_8;
    case CImg::PIXEL_CMYKA40:
        return TYPE_CMYKA_8;
    default:
        return TYPE_CMYK_8;
    }
}

// Rows must be as long as the type and width need, and all present.
void CheckRows(const CImg& img, const char* role) {
    const std::size_t stride = CImg::StrideOf(img.m_pixelType, img.m_width);
    if (img.m_height < 0 || img.m_stride < stride ||
        img.m_bits.size() < img.m_stride * std::size_t(img.m_height)) {
        throw my::InternalError(std::string("icm::TransformImage()\nthe ") + role +
                                " image's rows do not match its size");
    }
}

// notRgb and notCmyk: the messages that name the profile's role.
void CheckProfile(const CColorProfile& profile, std::uint32_t pixelType, std::uint32_t notRgb,
                  std::uint32_t notCmyk) {
    if (!ProfileMatchesType(profile, ColorTypeOf(pixelType))) {
        throw my::CException(IDS_WIC_TRANSFORM_CREATE_FAILED,
                             std::string(my::MessageText(
                                 ColorTypeOf(pixelType) == stroke::COLOR_CMYK ? notCmyk : notRgb)));
    }
}

// Calls f(source pixel, target pixel) for each pixel of two images of the same size whose
// pixels are whole bytes.
template <class F> void ForEachPixelPair(const CImg& src, CImg& dst, F f) {
    const std::size_t srcStep = CImg::BitsPerPixel(src.m_pixelType) / 8;
    const std::size_t dstStep = CImg::BitsPerPixel(dst.m_pixelType) / 8;
    for (std::int32_t y = 0; y < src.m_height; ++y) {
        const std::uint8_t* in = src.Row(y);
        std::uint8_t* out = dst.Row(y);
        for (std::int32_t x = 0; x < src.m_width; ++x) {
            f(in + std::size_t(x) * srcStep, out + std::size_t(x) * dstStep);
        }
    }
}

// Same colour space on both sides: the colour bytes of each pixel are copied.
void CopyColors(const CImg& src, CImg& dst) {
    const std::size_t channels = ColorTypeOf(src.m_pixelType) == stroke::COLOR_CMYK ? 4 : 3;
    ForEachPixelPair(src, dst, [channels](const std::uint8_t* in, std::uint8_t* out) {
        std::memcpy(out, in, channels);
    });
}

// Alpha is the last byte of a pixel in both alpha layouts.
void CarryAlpha(const CImg& src, CImg& dst) {
    if (!dst.HasAlpha()) {
        return;
    }
    const std::size_t srcLast = CImg::BitsPerPixel(src.m_pixelType) / 8 - 1;
    const std::size_t dstLast = CImg::BitsPerPixel(dst.m_pixelType) / 8 - 1;
    const bool srcAlpha = src.HasAlpha();
    ForEachPixelPair(src, dst, [=](const std::uint8_t* in, std::uint8_t* out) {
        out[dstLast] = srcAlpha ? in[srcLast] : 0xFF;
    });
}

} // namespace

CImg WidenGrey(const CImg& grey, std::uint32_t colorType) {
    if (!IsGrey(grey.m_pixelType)) {
        throw my::CException(IDS_IMAGE_FORMAT_UNSUPPORTED);
    }
    if (colorType != stroke::COLOR_RGB && colorType != stroke::COLOR_CMYK) {
        throw my::CException(IDS_ICM_COLOR_SPACE_UNKNOWN, colorType);
    }
    CheckRows(grey, "grey");
    CImg wide;
    wide.m_dpiX = grey.m_dpiX;
    wide.m_dpiY = grey.m_dpiY;
    wide.m_profile = grey.m_profile;
    wide.m_context = grey.m_context;
    const bool cmyk = colorType == stroke::COLOR_CMYK;
    wide.Allocate(cmyk ? CImg::PIXEL_CMYK32 : CImg::PIXEL_BGR24, grey.m_width, grey.m_height);
    for (std::int32_t y = 0; y < grey.m_height; ++y) {
        const std::uint8_t* in = grey.Row(y);
        std::uint8_t* out = wide.Row(y);
        for (std::int32_t x = 0; x < grey.m_width; ++x) {
            const std::uint8_t value = grey.m_pixelType == CImg::PIXEL_GREY8 ? in[x]
                                       : (in[x / 8] >> (7 - x % 8) & 1) != 0 ? 0xFF
                                                                             : 0x00;
            if (cmyk) {
                out[4 * std::size_t(x) + 3] = std::uint8_t(0xFF - value);
            } else {
                std::memset(out + 3 * std::size_t(x), value, 3);
            }
        }
    }
    return wide;
}

void TransformImage(const CImg& src, const CColorProfile& srcProfile, CImg& dst,
                    const CColorProfile& dstProfile) {
    if (CImg::BitsPerPixel(src.m_pixelType) == 0 || CImg::BitsPerPixel(dst.m_pixelType) == 0 ||
        IsGrey(dst.m_pixelType)) {
        throw my::CException(IDS_IMAGE_FORMAT_UNSUPPORTED);
    }
    if (src.m_width != dst.m_width || src.m_height != dst.m_height) {
        throw my::InternalError("icm::TransformImage()\nthe images differ in size");
    }
    if (IsGrey(src.m_pixelType)) {
        const bool cmykSource = srcProfile.ColorSpace() == CColorProfile::kSignatureCmyk;
        TransformImage(WidenGrey(src, cmykSource ? stroke::COLOR_CMYK : stroke::COLOR_RGB),
                       srcProfile, dst, dstProfile);
        return;
    }
    CheckRows(src, "source");
    CheckRows(dst, "target");
    CheckProfile(srcProfile, src.m_pixelType, IDS_REASON_SOURCE_NOT_RGB,
                 IDS_REASON_SOURCE_NOT_CMYK);
    CheckProfile(dstProfile, dst.m_pixelType, IDS_REASON_TARGET_NOT_RGB,
                 IDS_REASON_TARGET_NOT_CMYK);
    if (src.m_width == 0 || src.m_height == 0) {
        return;
    }
    if (ColorTypeOf(src.m_pixelType) == ColorTypeOf(dst.m_pixelType) &&
        srcProfile.IsSame(dstProfile)) {
        CopyColors(src, dst);
    } else {
        CLcmsContext context;
        const CErrorScope errors(context);
        const TransformHandle transform(
            cmsCreateTransformTHR(context.Get(), srcProfile.Handle(), EngineFormat(src.m_pixelType),
                                  dstProfile.Handle(), EngineFormat(dst.m_pixelType), kIntent, 0));
        if (!transform) {
            throw my::CException(
                IDS_WIC_TRANSFORM_CREATE_FAILED,
                context.TakeError(std::string(my::MessageText(IDS_REASON_PROFILES_INCOMPATIBLE))));
        }
        cmsDoTransformLineStride(transform.get(), src.m_bits.data(), dst.m_bits.data(),
                                 cmsUInt32Number(src.m_width), cmsUInt32Number(src.m_height),
                                 cmsUInt32Number(src.m_stride), cmsUInt32Number(dst.m_stride), 0,
                                 0);
    }
    CarryAlpha(src, dst);
}

} // namespace icm
