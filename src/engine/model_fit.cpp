#include "engine/model_fit.h"

#include "common/error.h"
#include "common/message_ids.h"
#include "common/units.h"
#include "stroke/transform.h"

#include <algorithm>
#include <cmath>

namespace mrv {

CTrimRect CTrimRect::Intersect(const CTrimRect& other) const {
    const double left = std::max(m_x, other.m_x);
    const double top = std::max(m_y, other.m_y);
    const double right = std::min(m_x + m_width, other.m_x + other.m_width);
    const double bottom = std::min(m_y + m_height, other.m_y + other.m_height);
    if (!(right > left) || !(bottom > top)) {
        return {};
    }
    return {left, top, right - left, bottom - top};
}

CTrimRect CTrimRect::Unite(const CTrimRect& other) const {
    if (IsEmpty()) {
        return other;
    }
    if (other.IsEmpty()) {
        return *this;
    }
    const double left = std::min(m_x, other.m_x);
    const double top = std::min(m_y, other.m_y);
    const double right = std::max(m_x + m_width, other.m_x + other.m_width);
    const double bottom = std::max(m_y + m_height, other.m_y + other.m_height);
    return {left, top, right - left, bottom - top};
}

double LargestScale(double target, double size) {
    double scale = target / size;
    // The quotient may round up; step down until the product stays within the target.
    while (scale > 0.0 && scale * size > target) {
        scale = std::nextafter(scale, 0.0);
    }
    return scale;
}

std::pair<double, double> PagePixels(const stroke::CModel& model, double dpi) {
    if (model.m_unit == stroke::UNIT_PIXEL) {
        return {model.m_width, model.m_height};
    }
    return {std::ceil(stroke::ToPixels(model.m_width, model.m_unit, dpi)),
            std::ceil(stroke::ToPixels(model.m_height, model.m_unit, dpi))};
}

namespace {

void Resize(stroke::CModel& model, double sx, double sy, double dx, double dy, double width,
            double height, double dpi) {
    stroke::CTransformSize(sx, sy, dx, dy).Transform(model);
    model.m_unit = stroke::UNIT_PIXEL;
    model.m_resolution = dpi;
    model.m_width = width;
    model.m_height = height;
}

} // namespace

void FitToOutput(stroke::CModel& model, const CTaskSetting& setting, const CTrimRect& trim) {
    const double dpi = setting.GetDpi();
    if (!(dpi > 0.0)) {
        throw my::CException(IDS_RESOLUTION_INVALID);
    }
    const bool resize = setting.HasFlags(TaskFlags::Resize);
    const bool keep = setting.HasFlags(TaskFlags::KeepProportion);
    const double targetW = resize ? setting.GetWidth() : PagePixels(model, dpi).first;
    const double targetH = resize ? setting.GetHeight() : PagePixels(model, dpi).second;

    if (!trim.IsEmpty()) {
        double sx = 1.0;
        double sy = 1.0;
        if (resize) {
            sx = LargestScale(targetW, trim.m_width);
            sy = LargestScale(targetH, trim.m_height);
            if (keep) {
                sx = sy = std::min(sx, sy);
            }
        } else if (model.m_unit != stroke::UNIT_PIXEL) {
            // Millimetres become pixels at the requested resolution, so that the output is the
            // drawn area as it would be rendered untrimmed.
            sx = sy = stroke::ToPixels(1.0, model.m_unit, dpi);
        }
        Resize(model, sx, sy, -trim.m_x * sx, -trim.m_y * sy, trim.m_width * sx, trim.m_height * sy,
               dpi);
        model.m_state |= stroke::STATE_TRANSFORMED;
        return;
    }

    const bool inPixels = model.m_unit == stroke::UNIT_PIXEL;
    if (inPixels && (!resize || (model.m_width == targetW && model.m_height == targetH))) {
        model.m_resolution = dpi;
        return;
    }
    if (!(model.m_width > 0.0) || !(model.m_height > 0.0)) {
        // Nothing to scale: the page only takes the target size.
        Resize(model, 1.0, 1.0, 0.0, 0.0, targetW, targetH, dpi);
        return;
    }
    double sx = LargestScale(targetW, model.m_width);
    double sy = LargestScale(targetH, model.m_height);
    double dx = 0.0;
    double dy = 0.0;
    if (keep) {
        sx = sy = std::min(sx, sy);
        dx = (targetW - model.m_width * sx) / 2.0;
        dy = (targetH - model.m_height * sy) / 2.0;
    }
    Resize(model, sx, sy, dx, dy, targetW, targetH, dpi);
}

void ScaleFitted(stroke::CModel& model, double scale) {
    Resize(model, scale, scale, 0.0, 0.0, model.m_width * scale, model.m_height * scale,
           model.m_resolution);
}

} // namespace mrv
