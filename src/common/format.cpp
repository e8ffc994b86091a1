#include "common/format.h"

#include "common/error.h"

#include <cstdio>

namespace my {

std::string FormatFlags(std::uint32_t value, std::span<const std::string_view> names) {
    if (names.size() < 32 && (value >> names.size()) != 0) {
        throw InternalError("Unknown flags: " + std::to_string(value));
    }
    std::string out;
    for (std::size_t bit = 0; bit < names.size() && bit < 32; ++bit) {
        if (value & (std::uint32_t{1} << bit)) {
            if (!out.empty()) {
                out += '|';
            }
            out += names[bit];
        }
    }
    return out;
}

std::string WholeNumberText(double value) {
    char text[400]; // DBL_MAX has 309 digits
    std::snprintf(text, sizeof text, "%.0f", value);
    return text;
}

std::string FormatFixed(std::int64_t value, int decimals) {
    std::int64_t scale = 1;
    for (int i = 0; i < decimals; ++i) {
        scale *= 10;
    }
    // Work on the magnitude as unsigned so that the smallest int64 does not overflow.
    const bool negative = value < 0;
    const std::uint64_t magnitude =
        negative ? std::uint64_t{0} - static_cast<std::uint64_t>(value) : std::uint64_t(value);
    const std::uint64_t whole = magnitude / std::uint64_t(scale);
    std::uint64_t fraction = magnitude % std::uint64_t(scale);
    std::string out = negative ? "-" : "";
    out += std::to_string(whole);
    if (fraction != 0) {
        std::string digits = std::to_string(fraction);
        digits.insert(0, static_cast<std::size_t>(decimals) - digits.size(), '0');
        digits.erase(digits.find_last_not_of('0') + 1);
        out += '.';
        out += digits;
    }
    return out;
}

} // namespace my
