#include "stroke/figure_type.h"

#include "common/color.h"
#include "common/error.h"
#include "common/format.h"

#include <array>

namespace stroke {

namespace {

constexpr std::array<std::string_view, 10> kFigureTypeNames = {
    "LAYER",         "LINE",  "CTRL",   "TANGENT", "PART",
    "BOUNDING_RECT", "SCALE", "ROTATE", "TEXT",    "CARET"};
constexpr std::array<std::string_view, 3> kLineCapNames = {"ROUND", "BUTT", "SQUARE"};
constexpr std::array<std::string_view, 3> kLineJoinNames = {"ROUND", "MITER", "BEVEL"};

} // namespace

std::span<const std::string_view> FigureTypeNames() {
    return kFigureTypeNames;
}
std::span<const std::string_view> LineCapNames() {
    return kLineCapNames;
}
std::span<const std::string_view> LineJoinNames() {
    return kLineJoinNames;
}

std::string FormatFigureType(std::uint32_t value) {
    return my::FormatFlags(value, kFigureTypeNames);
}
std::string FormatLineCap(std::uint32_t value) {
    return my::FormatFlags(value, kLineCapNames);
}
std::string FormatLineJoin(std::uint32_t value) {
    return my::FormatFlags(value, kLineJoinNames);
}

std::string_view ColorTypeName(std::uint32_t colorType) {
    switch (colorType) {
    case COLOR_RGB:
        return "RGB";
    case COLOR_CMYK:
        return "CMYK";
    default:
        throw my::InternalError("stroke::ColorTypeName()\nunknown colorType: " +
                                std::to_string(colorType));
    }
}

} // namespace stroke
