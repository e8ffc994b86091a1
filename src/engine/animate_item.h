// mrv::CAnimateItem: one paired START/END figure whose animatable values differ, with the path
// that finds the same figure in a frame model (a copy of START) and the phase it runs with.
#pragma once

#include "stroke/figure.h"

#include <boost/shared_ptr.hpp>
#include <cstddef>
#include <string>
#include <vector>

namespace mrv {

// Child indices from the root (GetChild order: children, parts, points, tangent handles).
using TreePath = std::vector<std::size_t>;
using TreePathPtr = boost::shared_ptr<const TreePath>;

// Both figures belong to models that the task keeps alive as long as the item.
struct CAnimateItem {
    stroke::CFigure* m_start = nullptr;
    stroke::CFigure* m_end = nullptr;
    TreePathPtr m_path;
    double m_phase = 0.0;
};

using AnimateItemPtr = boost::shared_ptr<CAnimateItem>;
using AnimateItemList = std::vector<AnimateItemPtr>;

// 1-based indices joined by "-" ("1-2-3"); empty for the root.
std::string FormatTreePath(const TreePath& path);

// The figure at path below root; an internal error when the path leads nowhere.
stroke::CFigure& FigureAt(stroke::CFigure& root, const TreePath& path);

// The label of a figure kind in messages ("レイヤー", "図形", ...); "(null)" without a figure.
std::string FigureKindLabel(const stroke::CFigure* figure);
std::string FigureKindLabel(std::uint32_t type);
// The figure's name in messages; "(null)" without a figure.
std::string FigureNameText(const stroke::CFigure* figure);

} // namespace mrv
