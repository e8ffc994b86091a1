// Stored names of the task setting's enumerations and bit sets, and the conversions between a
// value and its text form used by the project and settings files.
#pragma once

#include "engine/task_setting.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace mrv {

// The names of one enumeration (in value order, from 0) or one bit set (in bit order, from bit
// 0), with the qualified type name that failures report ("mrv::DstFormat").
struct CNameTable {
    std::string_view m_type;
    std::span<const std::string_view> m_names;

    // The name of an enumeration value; a value without a name raises IDS_ENUM_VALUE_UNKNOWN
    // (type, value).
    std::string ToName(std::int32_t value) const;
    // The value of the first name equal to text (case-sensitive); else IDS_ENUM_NAME_UNKNOWN
    // (type, text).
    std::int32_t FromName(std::string_view text) const;

    // The names of the set bits, lowest first, joined by "|"; 0 gives "". A set bit without a
    // name raises IDS_ENUM_VALUE_UNKNOWN (type, the bit's value).
    std::string FlagsToText(std::uint32_t flags) const;
    // The OR of the bits named by the pieces of text split at "|"; "" gives 0. A piece that is
    // no name (an empty piece too) raises IDS_ENUM_NAME_UNKNOWN (type, piece).
    std::uint32_t FlagsFromText(std::string_view text) const;
};

extern const CNameTable kDstFormatNames;
extern const CNameTable kRoundTypeNames;
extern const CNameTable kInterpolateTypeNames;
extern const CNameTable kRoundFlagNames;
extern const CNameTable kTaskFlagNames;

// The name table of an enumeration of the task setting, by type.
template <class E> const CNameTable& NamesOf();
template <> inline const CNameTable& NamesOf<DstFormat>() {
    return kDstFormatNames;
}
template <> inline const CNameTable& NamesOf<RoundType>() {
    return kRoundTypeNames;
}
template <> inline const CNameTable& NamesOf<InterpolateType>() {
    return kInterpolateTypeNames;
}

template <class E> std::string ToName(E value) {
    return NamesOf<E>().ToName(static_cast<std::int32_t>(value));
}
template <class E> E FromName(std::string_view text) {
    return static_cast<E>(NamesOf<E>().FromName(text));
}

} // namespace mrv
