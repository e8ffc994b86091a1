#include "platform/default_font.h"

#include "common/text.h"

#include <fontconfig/fontconfig.h>
#include <memory>

namespace my {

namespace {

constexpr char kFallbackFace[] = "DejaVu Sans";

struct PatternDeleter {
    void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
using PatternPtr = std::unique_ptr<FcPattern, PatternDeleter>;

struct ConfigDeleter {
    void operator()(FcConfig* config) const { FcConfigDestroy(config); }
};
using ConfigPtr = std::unique_ptr<FcConfig, ConfigDeleter>;

std::u16string LookUpSansSerif() {
    // A configuration of our own, released after the lookup, rather than fontconfig's
    // process-wide default, which is never freed.
    ConfigPtr config(FcInitLoadConfigAndFonts());
    PatternPtr pattern(FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif")));
    if (!config || !pattern) {
        return ToUtf16(kFallbackFace);
    }
    FcConfigSubstitute(config.get(), pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    PatternPtr match(FcFontMatch(config.get(), pattern.get(), &result));
    FcChar8* family = nullptr;
    if (!match || FcPatternGetString(match.get(), FC_FAMILY, 0, &family) != FcResultMatch ||
        family == nullptr || *family == 0) {
        return ToUtf16(kFallbackFace);
    }
    return ToUtf16(reinterpret_cast<const char*>(family));
}

} // namespace

const std::u16string& DefaultFontFace() {
    static const std::u16string face = LookUpSansSerif();
    return face;
}

} // namespace my
