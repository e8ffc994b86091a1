#include "common/units.h"

#include "common/error.h"
#include "common/message_ids.h"

namespace stroke {

namespace {
constexpr double kMillimetresPerInch = 25.4;
}

double ToPixels(double length, std::uint32_t unit, double dpi) {
    switch (unit) {
    case UNIT_MM:
        return length * dpi / kMillimetresPerInch;
    case UNIT_PIXEL:
        return length;
    default:
        throw my::CException(IDS_UNKNOWN_UNIT);
    }
}

double FromPixels(double pixels, std::uint32_t unit, double dpi) {
    switch (unit) {
    case UNIT_MM:
        return pixels * kMillimetresPerInch / dpi;
    case UNIT_PIXEL:
        return pixels;
    default:
        throw my::CException(IDS_UNKNOWN_UNIT);
    }
}

} // namespace stroke
