// Length units of a model and their conversion to device pixels.
// A model measures either in millimetres or in pixels; the resolution is in dots per inch.
#pragma once

#include <cstdint>

namespace stroke {

enum Unit : std::uint32_t { UNIT_MM = 0, UNIT_PIXEL = 1 };

// Length in the given unit to pixels at dpi; an unknown unit raises IDS_UNKNOWN_UNIT.
double ToPixels(double length, std::uint32_t unit, double dpi);
// Pixels back to the given unit; an unknown unit raises IDS_UNKNOWN_UNIT.
double FromPixels(double pixels, std::uint32_t unit, double dpi);

} // namespace stroke
