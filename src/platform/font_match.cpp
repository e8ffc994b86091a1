#include "platform/font_match.h"

#include "common/error.h"
#include "common/message_ids.h"

namespace font::fc {

namespace {

const FcChar8* Text(const std::string& s) {
    return reinterpret_cast<const FcChar8*>(s.c_str());
}

} // namespace

ft::CPattern PreparePattern(const CQuery& query) {
    ft::CPattern pattern(FcPatternCreate());
    if (!pattern) {
        throw my::CException(IDS_FONT_CREATE_FAILED);
    }
    bool ok = true;
    if (!query.family.empty()) {
        ok &= FcPatternAddString(pattern.get(), FC_FAMILY, Text(query.family)) != 0;
    }
    ok &= FcPatternAddInteger(pattern.get(), FC_WEIGHT,
                              query.bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR) != 0;
    ok &= FcPatternAddInteger(pattern.get(), FC_SLANT,
                              query.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN) != 0;
    if (!query.lang.empty()) {
        ok &= FcPatternAddString(pattern.get(), FC_LANG, Text(query.lang)) != 0;
    }
    ok &= FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue) != 0;
    ok &= FcPatternAddBool(pattern.get(), FC_OUTLINE, FcTrue) != 0;
    if (!ok || !FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern)) {
        throw my::CException(IDS_FONT_CREATE_FAILED);
    }
    FcDefaultSubstitute(pattern.get());
    return pattern;
}

std::optional<CFontFile> BestMatch(FcPattern* pattern) {
    FcResult result = FcResultNoMatch;
    const ft::CPattern match(FcFontMatch(nullptr, pattern, &result));
    if (!match || result != FcResultMatch) {
        return std::nullopt;
    }
    return OutlineFileOf(match.get());
}

ft::CFontSet SortedFonts(FcPattern* pattern) {
    FcResult result = FcResultNoMatch;
    // Trimming drops faces that add no characters to the ones before them.
    ft::CFontSet set(FcFontSort(nullptr, pattern, FcTrue, nullptr, &result));
    if (set && result != FcResultMatch) {
        set.reset();
    }
    return set;
}

std::optional<CFontFile> OutlineFileOf(const FcPattern* font) {
    FcBool outline = FcTrue;
    if (FcPatternGetBool(font, FC_OUTLINE, 0, &outline) == FcResultMatch && !outline) {
        return std::nullopt;
    }
    FcChar8* file = nullptr;
    if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch || !file) {
        return std::nullopt;
    }
    CFontFile result;
    result.file = reinterpret_cast<const char*>(file);
    if (FcPatternGetInteger(font, FC_INDEX, 0, &result.index) != FcResultMatch) {
        result.index = 0;
    }
    return result;
}

bool Covers(const FcPattern* font, char32_t c) {
    FcCharSet* charset = nullptr;
    return FcPatternGetCharSet(font, FC_CHARSET, 0, &charset) == FcResultMatch && charset &&
           FcCharSetHasChar(charset, c);
}

} // namespace font::fc
