// What a text asks of the font engine: the face, the em height in font units, weight, slant,
// decorations and the character set, and the rule that turns a model font size into font units.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace font {

// The font units of a text: model lengths times m are font units, and h is the em height in
// those units. a is the font size rounded up to whole model units (a >= 1).
struct CFontScale {
    double m = 1.0;
    double a = 1.0;
    std::int32_t h = 1;
};

// Font units for a model font size. m is the power of ten that brings |size| into
// [1000, 10000]; h = ceil(a * m + 0.5) with a = ceil(|size| + 0.5), so a size of 12 gives
// m = 100, a = 13, h = 1301. A negative size counts by its magnitude. A size of (nearly) zero
// has nothing to scale: m = 1 and h = 1, the smallest em. Where a * m would not fit an int32
// (sizes far below 1), m is lowered by powers of ten until it does; h / m stays a. A NaN or
// infinite size fails with IDS_FONT_CREATE_FAILED.
CFontScale ComputeFontScale(double fontSize);

// Bits of a text's font style.
enum FontStyleBits : std::uint32_t {
    FONT_STYLE_BOLD = 1u << 0,
    FONT_STYLE_ITALIC = 1u << 1,
    FONT_STYLE_UNDERLINE = 1u << 2,
    FONT_STYLE_STRIKE_OUT = 1u << 3,
};

inline constexpr std::int32_t kWeightRegular = 400;
inline constexpr std::int32_t kWeightBold = 700;

struct CFontRequest {
    std::string face;          // family name, UTF-8; empty lets fontconfig choose sans-serif
    std::int32_t emHeight = 1; // h, font units per em (> 0)
    std::int32_t weight = kWeightRegular; // 400 or 700
    bool italic = false;
    bool underline = false;   // recorded only: texts are drawn from glyph outlines alone
    bool strikeOut = false;   // likewise
    std::uint8_t charSet = 0; // Windows character set number, a language hint only

    friend bool operator==(const CFontRequest&, const CFontRequest&) = default;
};

// The request of a text setting: face name as stored in a stroke file (cut to 31 UTF-16 units,
// the longest face name a stroke file's program could ask for), em height h, the style bits and
// the low byte of the character set.
CFontRequest MakeFontRequest(std::u16string_view face, std::int32_t emHeight, std::uint32_t style,
                             std::uint32_t charSet);

// The fontconfig language that a Windows character set stands for, or empty when it names no
// single language (ANSI, default, symbol, OEM, Baltic, Eastern European). It steers the choice
// of a substitute for a face that is not installed and the order of fallback faces for
// characters the face lacks (Han characters look different in Japanese and Chinese fonts).
std::string_view LanguageForCharSet(std::uint8_t charSet);

} // namespace font
