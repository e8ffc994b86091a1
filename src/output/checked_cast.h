// Range-checked conversions of counts, sizes and file fields into their target integer types.
// A value that does not fit raises the shared exception naming the value and the target type.
#pragma once

#include "common/error.h"

#include <cmath>
#include <concepts>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <utility>

namespace codec {

// Readable name of an integer type, as the range messages show it.
template <std::integral T> constexpr std::string_view IntegerTypeName() {
    constexpr bool sign = std::is_signed_v<T>;
    switch (sizeof(T)) {
    case 1:
        return sign ? "signed 8-bit integer" : "unsigned 8-bit integer";
    case 2:
        return sign ? "signed 16-bit integer" : "unsigned 16-bit integer";
    case 4:
        return sign ? "signed 32-bit integer" : "unsigned 32-bit integer";
    default:
        return sign ? "signed 64-bit integer" : "unsigned 64-bit integer";
    }
}

// The exception for a value below (tooLarge false) or above the range of the named type.
my::CException OutOfRange(const std::string& value, std::string_view typeName, bool tooLarge);

template <std::integral To, std::integral From> To CheckedCast(From value) {
    if (!std::in_range<To>(value)) {
        throw OutOfRange(std::to_string(value), IntegerTypeName<To>(), value > From{0});
    }
    return static_cast<To>(value);
}

// trunc(value) as To; NaN counts as too small.
template <std::integral To>
requires(sizeof(To) <= 4) To CheckedTrunc(double value) {
    const double t = std::trunc(value);
    // Both bounds are exact in a double for every type up to 32 bits.
    if (!(t >= double(std::numeric_limits<To>::min()))) {
        throw OutOfRange(std::to_string(value), IntegerTypeName<To>(), false);
    }
    if (t > double(std::numeric_limits<To>::max())) {
        throw OutOfRange(std::to_string(value), IntegerTypeName<To>(), true);
    }
    return static_cast<To>(t);
}

} // namespace codec
