// How the colour dialog reads and writes text: the named colours of its code box, the
// hexadecimal codes and the channel values 0 to 255.
#pragma once

#include "common/color.h"

#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace mrv {

struct CNamedColor {
    std::uint32_t label; // message ID of the Japanese label
    int r, g, b;
};

// The named colours in the order the code box lists them.
std::span<const CNamedColor> NamedColors();
QString NamedColorLabel(const CNamedColor& named);

// A value 0..1 as a channel 0..255, rounded; values outside are clamped.
int ToByte(double value);
// A value clamped to 0..1; NaN, as a hand-edited project file may hold, reads as 0.
double ClampUnit(double value);

// A channel as the edit boxes take it: a whole number 0 to 255, full-width digits allowed.
std::optional<int> ParseChannelText(const QString& text);

// "#" and the first `channels` channels as two upper-case hexadecimal digits each.
QString FormatColorCode(const my::colord& color, int channels);
// The byte values of a code of exactly `channels` digit pairs; the "#" may be left out,
// case, full-width characters and surrounding spaces do not matter.
std::optional<std::array<int, 4>> ParseHexCode(const QString& text, int channels);

// The text with full-width characters, as a Japanese input method types them, made plain and
// spaces around it removed.
QString NormalizedText(const QString& text);

} // namespace mrv
