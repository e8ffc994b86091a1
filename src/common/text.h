// Conversions between the UTF-16 strings of stroke models and the UTF-8 strings of the system.
// Malformed input never throws: unpaired surrogates and bad bytes become U+FFFD.
#pragma once

#include <string>
#include <string_view>

namespace my {

std::string ToUtf8(std::u16string_view s);
std::u16string ToUtf16(std::string_view s);
std::u32string ToUtf32(std::u16string_view s);
// Appends one code point (at most U+10FFFF, no surrogate) as UTF-8.
void AppendUtf8(std::string& out, char32_t c);

} // namespace my
