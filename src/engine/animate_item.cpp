#include "engine/animate_item.h"

#include "common/error.h"
#include "common/message_ids.h"
#include "common/messages.h"
#include "common/text.h"

#include <array>
#include <bit>
#include <string_view>

namespace mrv {

namespace {

// The names of the FigureType bits in bit order, as the messages about pairing show them.
constexpr std::array<std::uint32_t, 10> kKindLabels = {
    IDS_KIND_LAYER,        IDS_KIND_FIGURE,       IDS_KIND_CONTROL_POINT, IDS_KIND_TANGENT_HANDLE,
    IDS_KIND_LINE_ELEMENT, IDS_KIND_BOUNDING_BOX, IDS_KIND_SCALE_HANDLE,  IDS_KIND_ROTATE_HANDLE,
    IDS_KIND_TEXT,         IDS_KIND_CARET,
};

} // namespace

std::string FormatTreePath(const TreePath& path) {
    std::string text;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (i != 0) {
            text += '-';
        }
        text += std::to_string(path[i] + 1);
    }
    return text;
}

stroke::CFigure& FigureAt(stroke::CFigure& root, const TreePath& path) {
    stroke::CFigure* figure = &root;
    for (const std::size_t index : path) {
        if (index >= figure->GetChildCount()) {
            throw my::InternalError("mrv::FigureAt()\nno figure at " + FormatTreePath(path));
        }
        figure = figure->GetChild(index).get();
        if (figure == nullptr) {
            throw my::InternalError("mrv::FigureAt()\nno figure at " + FormatTreePath(path));
        }
    }
    return *figure;
}

std::string FigureKindLabel(std::uint32_t type) {
    if (type == 0 || !std::has_single_bit(type) || std::countr_zero(type) >= 10) {
        return std::to_string(type);
    }
    // In Japanese, as the pairing messages that show them always are.
    return std::string(my::MessageText(
        kKindLabels[static_cast<std::size_t>(std::countr_zero(type))], my::Language::Japanese));
}

std::string FigureKindLabel(const stroke::CFigure* figure) {
    return figure ? FigureKindLabel(figure->GetType()) : "(null)";
}

std::string FigureNameText(const stroke::CFigure* figure) {
    return figure ? my::ToUtf8(figure->GetName()) : "(null)";
}

} // namespace mrv
