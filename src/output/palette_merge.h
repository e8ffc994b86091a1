// codec::MergeColors: a palette for a frame a little over the limit of colours, made by merging
// the pair of colour groups that adds the least squared error (Ward's method) until it fits.
#pragma once

#include <cstdint>
#include <vector>

namespace codec {

struct CWeightedColor {
    std::uint8_t r = 0, g = 0, b = 0;
    std::uint32_t count = 0; // pixels of the colour
};

// The means of at most `entries` groups of the colours (rounded), in the order of the first
// colour of each group. The colours come in a fixed order, so the result is the same on every
// run. Meant for up to a few thousand colours: time grows with the square of their number.
std::vector<CWeightedColor> MergeColors(const std::vector<CWeightedColor>& colors,
                                        std::size_t entries);

} // namespace codec
