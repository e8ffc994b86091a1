#include "engine/task_setting_names.h"

#include "common/error.h"
#include "common/format.h"
#include "common/message_ids.h"

#include <array>

namespace mrv {

namespace {

constexpr std::array<std::string_view, 5> kDstFormat = {"PNG", "APNG", "GIF", "AGIF", "WEBP"};
constexpr std::array<std::string_view, 3> kRoundType = {"None", "Reverse", "Rotate"};
constexpr std::array<std::string_view, 4> kInterpolateType = {"LineLiner", "LineCircle", "Circle",
                                                              "Arc"};
constexpr std::array<std::string_view, 5> kRoundFlags = {
    "ReverseColor", "ReverseAlpha", "ReverseAngle", "ReverseRate", "ReverseOffset"};
constexpr std::array<std::string_view, 6> kTaskFlags = {
    "Resize", "KeepProportion", "AutoTrim", "AutoTrimFrames", "BkColor", "Phase"};

} // namespace

const CNameTable kDstFormatNames{"mrv::DstFormat", kDstFormat};
const CNameTable kRoundTypeNames{"mrv::RoundType", kRoundType};
const CNameTable kInterpolateTypeNames{"mrv::InterpolateType", kInterpolateType};
const CNameTable kRoundFlagNames{"mrv::RoundFlags", kRoundFlags};
const CNameTable kTaskFlagNames{"mrv::TaskFlags", kTaskFlags};

std::string CNameTable::ToName(std::int32_t value) const {
    if (value < 0 || static_cast<std::size_t>(value) >= m_names.size()) {
        throw my::CException(IDS_ENUM_VALUE_UNKNOWN, m_type, value);
    }
    return std::string(m_names[static_cast<std::size_t>(value)]);
}

std::int32_t CNameTable::FromName(std::string_view text) const {
    for (std::size_t i = 0; i < m_names.size(); ++i) {
        if (m_names[i] == text) {
            return static_cast<std::int32_t>(i);
        }
    }
    throw my::CException(IDS_ENUM_NAME_UNKNOWN, m_type, text);
}

std::string CNameTable::FlagsToText(std::uint32_t flags) const {
    for (std::size_t bit = m_names.size(); bit < 32; ++bit) {
        const std::uint32_t mask = std::uint32_t{1} << bit;
        if (flags & mask) {
            throw my::CException(IDS_ENUM_VALUE_UNKNOWN, m_type, mask);
        }
    }
    return my::FormatFlags(flags, m_names);
}

std::uint32_t CNameTable::FlagsFromText(std::string_view text) const {
    if (text.empty()) {
        return 0;
    }
    std::uint32_t flags = 0;
    while (true) {
        const std::size_t bar = text.find('|');
        const std::string_view piece = text.substr(0, bar);
        std::size_t bit = 0;
        while (bit < m_names.size() && m_names[bit] != piece) {
            ++bit;
        }
        if (bit == m_names.size()) {
            throw my::CException(IDS_ENUM_NAME_UNKNOWN, m_type, piece);
        }
        flags |= std::uint32_t{1} << bit;
        if (bar == std::string_view::npos) {
            return flags;
        }
        text.remove_prefix(bar + 1);
    }
}

} // namespace mrv
