// ICC profiles for tests and seed corpora, made in memory with Little CMS.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace morvane::test {

// The sRGB space under a description of our own, as ICC version 2 (a "desc" text tag) or 4
// (a multi-localised "desc" tag).
std::vector<std::uint8_t> MakeSrgbProfile(const std::string& description, double version = 2.1);

// A CMYK output profile of simple inks: CMYK goes to Lab through 1 - (1 - ink)(1 - black) per
// RGB channel, and back with grey component replacement (full black generation). The grid
// sizes of the two tables set the size and the precision of the profile.
std::vector<std::uint8_t> MakeCmykProfile(const std::string& description, unsigned cmykPoints = 9,
                                          unsigned labPoints = 17);

// A grey (one-channel) display profile with gamma 2.2.
std::vector<std::uint8_t> MakeGreyProfile(const std::string& description);

// Offset and size of a tag in ICC bytes, from the tag table; {0, 0} when absent.
struct TagPlace {
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
};
TagPlace FindTag(const std::vector<std::uint8_t>& icc, const char signature[4]);

} // namespace morvane::test
