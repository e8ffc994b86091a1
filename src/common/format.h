// Text forms shared by messages and settings: flag sets as their bit names, and values kept in
// hundredths (frame rates, delays) as short decimal numbers.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace my {

// The names of the set bits of value, in bit order (names[0] is bit 0), joined by "|"; 0 gives
// "". A set bit beyond the table raises the internal error "Unknown flags: <value>".
std::string FormatFlags(std::uint32_t value, std::span<const std::string_view> names);

// A value in units of 10^-decimals as text: the integer part, then, only when the remainder is
// not zero, "." and the remainder with trailing zeros removed; negative values get "-".
// FormatFixed(1050, 2) == "10.5", FormatFixed(1005, 2) == "10.05", FormatFixed(1000, 2) == "10".
std::string FormatFixed(std::int64_t value, int decimals = 2);

// A whole number of any size as digits, never in exponent form: a page side in pixels as the
// user reads it in a message. value is rounded to the nearest whole number (the caller rounds
// first when it counts sides another way).
std::string WholeNumberText(double value);

} // namespace my
