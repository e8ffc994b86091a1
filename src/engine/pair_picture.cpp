#include "engine/pair_picture.h"

#include "engine/frame_source.h"
#include "render/calc_bounds.h"

namespace mrv {

namespace {

std::optional<CTrimRect> MarkOf(stroke::CModel& model, const stroke::CFigure* figure,
                                const TreePath& path) {
    if (figure == nullptr) {
        return std::nullopt;
    }
    for (std::size_t depth = path.size() + 1; depth-- > 0;) {
        const stroke::CFigure& around =
            depth == path.size()
                ? *figure
                : FigureAt(model, TreePath(path.begin(), path.begin() + std::ptrdiff_t(depth)));
        stroke::CCalcBounds bounds;
        const stroke::CBoundsRect& r = bounds.Calc(around);
        if (!r.empty) {
            return CTrimRect{r.left, r.top, r.Width(), r.Height()};
        }
    }
    return CTrimRect{0.0, 0.0, model.m_width, model.m_height};
}

} // namespace

CPairPicture DrawPairCheck(CPairingCheck& check, const CTaskSetting& setting, int width,
                           int height) {
    CTaskSetting fit;
    fit.SetFlags(TaskFlags::Resize | TaskFlags::KeepProportion |
                 (setting.GetFlags() & TaskFlags::BkColor));
    fit.SetBkColor(setting.GetBkColor());
    fit.SetWidth(width);
    fit.SetHeight(height);
    fit.SetDpi(setting.GetDpi());
    FitToOutput(*check.m_start, fit, {});
    FitToOutput(*check.m_end, fit, {});
    CPairPicture picture{RenderFitted(check.m_start, fit), RenderFitted(check.m_end, fit), {}};
    for (const CPairDifference& d : check.m_differences) {
        picture.m_marks.push_back(
            {MarkOf(*check.m_start, d.m_start, d.m_path), MarkOf(*check.m_end, d.m_end, d.m_path)});
    }
    return picture;
}

} // namespace mrv
