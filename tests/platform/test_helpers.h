// Helper of the platform tests: a colour profile opened from bytes.
#pragma once

#include "platform/color_profile.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace morvane::test {

inline CColorProfile OpenProfile(std::vector<std::uint8_t> bytes) {
    CColorProfile profile;
    profile.LoadFromMemory(std::move(bytes));
    return profile;
}

} // namespace morvane::test
