// Fitting a START or END model to the output: to the requested size and resolution, centred
// when the aspect ratio is kept, or cropped to the area drawn in any frame (trimming).
#pragma once

#include "engine/task_setting.h"
#include "stroke/layer_model.h"

namespace mrv {

// A rectangle in model units; empty when it has no width or no height.
struct CTrimRect {
    double m_x = 0.0;
    double m_y = 0.0;
    double m_width = 0.0;
    double m_height = 0.0;

    bool IsEmpty() const { return !(m_width > 0.0) || !(m_height > 0.0); }
    // The part of this rectangle inside other (empty when they do not meet).
    CTrimRect Intersect(const CTrimRect& other) const;
    // The smallest rectangle holding both; an empty side is ignored.
    CTrimRect Unite(const CTrimRect& other) const;
    friend bool operator==(const CTrimRect&, const CTrimRect&) = default;
};

// The largest double s with s * size <= target (size > 0).
double LargestScale(double target, double size);

// The model's page size in pixels at dpi, each side rounded up.
std::pair<double, double> PagePixels(const stroke::CModel& model, double dpi);

// Fits the model to the output of setting (Resize, KeepProportion, Width, Height, Dpi). With a
// trim rectangle that is not empty, the model is cropped to it. Raises the invalid-resolution
// message for Dpi <= 0. Afterwards the model is in pixels at Dpi.
void FitToOutput(stroke::CModel& model, const CTaskSetting& setting, const CTrimRect& trim);

// Scales a fitted model (in pixels) by scale about its page's corner; the page scales with it.
void ScaleFitted(stroke::CModel& model, double scale);

} // namespace mrv
