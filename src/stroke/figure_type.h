// The flag vocabularies of the figure tree: the kind of a figure (FigureType), line caps and
// joins, the state bits, and their text forms as used in messages.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace stroke {

// Each figure reports exactly one kind; walks and checks take a mask of them.
enum FigureType : std::uint32_t {
    FIGURE_LAYER = 0x001, // stroke::CLayer and stroke::CModel
    FIGURE_LINE = 0x002,
    FIGURE_CTRL = 0x004, // stroke::CLinePoint
    FIGURE_TANGENT = 0x008,
    FIGURE_PART = 0x010,
    FIGURE_BOUNDING_RECT = 0x020, // editing handles, never in a stroke file
    FIGURE_SCALE = 0x040,
    FIGURE_ROTATE = 0x080,
    FIGURE_TEXT = 0x100,
    FIGURE_CARET = 0x200,
    FIGURE_ALL = 0x3FF,
};

enum LineCap : std::uint32_t { CAP_ROUND = 1, CAP_BUTT = 2, CAP_SQUARE = 4 };
enum LineJoin : std::uint32_t { JOIN_ROUND = 1, JOIN_MITER = 2, JOIN_BEVEL = 4 };

// Bits of a figure's m_state.
enum FigureState : std::uint32_t {
    STATE_SELECTED = 0x01,
    STATE_HIDDEN = 0x02,      // hidden layers, lines and texts are neither drawn nor hit
    STATE_PERSISTENT = 0x3F,  // what a stroke file stores and structural comparison looks at
    STATE_TRANSFORMED = 0x40, // set by the visitors that changed the figure
};

// Name tables in bit order (names[0] is bit 0).
std::span<const std::string_view> FigureTypeNames();
std::span<const std::string_view> LineCapNames();
std::span<const std::string_view> LineJoinNames();

// The names of the set bits joined by "|"; a bit beyond the table raises the internal error
// "Unknown flags: <value>".
std::string FormatFigureType(std::uint32_t value);
std::string FormatLineCap(std::uint32_t value);
std::string FormatLineJoin(std::uint32_t value);

// "RGB" or "CMYK"; any other colour type raises an internal error.
std::string_view ColorTypeName(std::uint32_t colorType);

} // namespace stroke
