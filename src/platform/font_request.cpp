#include "platform/font_request.h"

#include "common/error.h"
#include "common/message_ids.h"
#include "common/text.h"

#include <cmath>
#include <limits>

namespace font {

namespace {

// Below the smallest normal float a size is taken as zero.
constexpr double kSmallestSize = 1.1754943508222875e-38;
constexpr std::size_t kMaxFaceUnits = 31;

} // namespace

CFontScale ComputeFontScale(double fontSize) {
    if (!std::isfinite(fontSize)) {
        throw my::CException(IDS_FONT_CREATE_FAILED);
    }
    const double size = std::fabs(fontSize);
    CFontScale scale;
    if (size <= kSmallestSize) {
        return scale;
    }
    double m = 1.0;
    while (size * m > 10000.0) {
        m /= 10.0;
    }
    while (size * m < 1000.0) {
        m *= 10.0;
    }
    // a >= 1, so a * m >= m; for sizes far below 1 the multiplier alone could overflow h.
    const double a = std::ceil(size + 0.5);
    constexpr double maxHeight = std::numeric_limits<std::int32_t>::max();
    while (std::ceil(a * m + 0.5) > maxHeight) {
        m /= 10.0;
    }
    scale.m = m;
    scale.a = a;
    scale.h = static_cast<std::int32_t>(std::ceil(a * m + 0.5));
    return scale;
}

CFontRequest MakeFontRequest(std::u16string_view face, std::int32_t emHeight, std::uint32_t style,
                             std::uint32_t charSet) {
    if (face.size() > kMaxFaceUnits) {
        std::size_t keep = kMaxFaceUnits;
        // Never keep half of a surrogate pair.
        if (face[keep - 1] >= 0xD800 && face[keep - 1] <= 0xDBFF) {
            --keep;
        }
        face = face.substr(0, keep);
    }
    CFontRequest request;
    request.face = my::ToUtf8(face);
    request.emHeight = emHeight;
    request.weight = (style & FONT_STYLE_BOLD) ? kWeightBold : kWeightRegular;
    request.italic = (style & FONT_STYLE_ITALIC) != 0;
    request.underline = (style & FONT_STYLE_UNDERLINE) != 0;
    request.strikeOut = (style & FONT_STYLE_STRIKE_OUT) != 0;
    request.charSet = static_cast<std::uint8_t>(charSet & 0xFF);
    return request;
}

std::string_view LanguageForCharSet(std::uint8_t charSet) {
    switch (charSet) {
    case 128: // SHIFTJIS
        return "ja";
    case 129: // HANGUL
    case 130: // JOHAB
        return "ko";
    case 134: // GB2312
        return "zh-cn";
    case 136: // CHINESEBIG5
        return "zh-tw";
    case 161: // GREEK
        return "el";
    case 162: // TURKISH
        return "tr";
    case 163: // VIETNAMESE
        return "vi";
    case 177: // HEBREW
        return "he";
    case 178: // ARABIC
        return "ar";
    case 204: // RUSSIAN
        return "ru";
    case 222: // THAI
        return "th";
    default:
        return {};
    }
}

} // namespace font
