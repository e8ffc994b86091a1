#include "engine/animate_item.h"

#include "common/error.h"
#include "common/text.h"

#include <array>
#include <bit>
#include <string_view>

namespace mrv {

namespace {

// The names of the FigureType bits in bit order, as the messages about pairing show them.
constexpr std::array<std::string_view, 10> kKindLabels = {
    "レイヤー",     "図形",         "制御点",   "接線ハンドル", "線要素", "バウンディングボックス",
    "拡縮ハンドル", "回転ハンドル", "テキスト", "キャレット",
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
    return std::string(kKindLabels[static_cast<std::size_t>(std::countr_zero(type))]);
}

std::string FigureKindLabel(const stroke::CFigure* figure) {
    return figure ? FigureKindLabel(figure->GetType()) : "(null)";
}

std::string FigureNameText(const stroke::CFigure* figure) {
    return figure ? my::ToUtf8(figure->GetName()) : "(null)";
}

} // namespace mrv
