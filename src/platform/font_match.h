// Face choice through fontconfig: the installed face or substitute for a requested family, and
// the ordered list of faces that may hold the characters the chosen face lacks.
#pragma once

#include "platform/font_freetype.h"

#include <compare>
#include <optional>
#include <string>

namespace font::fc {

// What fontconfig is asked; also the key under which the engine keeps its answer.
struct CQuery {
    std::string family; // UTF-8; empty for the configured default (sans-serif)
    bool bold = false;
    bool italic = false;
    std::string lang; // fontconfig language hint, may be empty

    friend auto operator<=>(const CQuery&, const CQuery&) = default;
};

// A face of a font file as fontconfig names it.
struct CFontFile {
    std::string file;
    int index = 0;

    friend auto operator<=>(const CFontFile&, const CFontFile&) = default;
};

// The query as a pattern with the configuration's substitutions and defaults applied
// (aliases such as "MS Gothic" to an installed Japanese face, sans-serif for an empty family).
// Scalable faces are asked for, since only outlines can be drawn. IDS_FONT_CREATE_FAILED when
// fontconfig fails.
ft::CPattern PreparePattern(const CQuery& query);

// fontconfig's best face for a prepared pattern; nothing when no font is configured at all.
std::optional<CFontFile> BestMatch(FcPattern* pattern);

// All faces in fontconfig's order of preference for a prepared pattern (may be empty).
ft::CFontSet SortedFonts(FcPattern* pattern);

// The file of one entry of a sorted set, when it has outlines.
std::optional<CFontFile> OutlineFileOf(const FcPattern* font);

// Whether an entry of a sorted set claims a glyph for the character.
bool Covers(const FcPattern* font, char32_t c);

} // namespace font::fc
