#include "render/cached_renderer.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace raster {

void CCachedRenderer::SetLineJoin(std::int32_t join) {
    if (join == JOIN_MITER || join == JOIN_ROUND || join == JOIN_BEVEL) {
        m_join = join;
    }
}

void CCachedRenderer::SetLineCap(std::int32_t cap) {
    if (cap == CAP_FLAT || cap == CAP_ROUND || cap == CAP_SQUARE) {
        m_cap = cap;
    }
}

void CCachedRenderer::SetRgb(CSideState& side, double r, double g, double b) {
    side.m_color[0] = r;
    side.m_color[1] = g;
    side.m_color[2] = b;
    side.m_color[3] = 0.0;
    side.m_cmyk = false;
}

void CCachedRenderer::SetCmyk(CSideState& side, double c, double m, double y, double k) {
    side.m_color[0] = c;
    side.m_color[1] = m;
    side.m_color[2] = y;
    side.m_color[3] = k;
    side.m_cmyk = true;
}

void CCachedRenderer::SetColorRef(CSideState& side, std::uint32_t bgr) {
    SetRgb(side, (bgr & 0xFF) / 255.0, ((bgr >> 8) & 0xFF) / 255.0, ((bgr >> 16) & 0xFF) / 255.0);
}

void CCachedRenderer::SetGradation(CSideState& side, const CGradationStop* stops, std::size_t count,
                                   double angle) const {
    side.m_stops.clear();
    if (stops != nullptr) {
        // A stop without a usable position cannot be ordered; it takes no part.
        std::copy_if(stops, stops + count, std::back_inserter(side.m_stops),
                     [](const CGradationStop& s) { return std::isfinite(s.m_position); });
    }
    std::stable_sort(side.m_stops.begin(), side.m_stops.end(),
                     [](const CGradationStop& a, const CGradationStop& b) {
                         return a.m_position < b.m_position;
                     });
    // The direction is given in model space; the page sees it turned by the transform.
    double rotation = std::atan2(m_transform.m_12, m_transform.m_11) * 180.0 / std::numbers::pi;
    if (!std::isfinite(rotation)) {
        rotation = 0.0;
    }
    side.m_gradationAngle = std::isfinite(angle) ? angle + rotation : rotation;
}

void CCachedRenderer::AddSquare(double cx, double cy, double halfSize) {
    AddRect(cx - halfSize, cy - halfSize, 2 * halfSize, 2 * halfSize);
}

void CCachedRenderer::AddRect(double x, double y, double w, double h) {
    MoveTo(x, y);
    LineTo(x, y + h);
    LineTo(x + w, y + h);
    LineTo(x + w, y);
    ClosePath();
}

void CCachedRenderer::AddCircle(double cx, double cy, double r) {
    AddEllipse(cx - r, cy - r, 2 * r, 2 * r);
}

void CCachedRenderer::AddEllipse(double x, double y, double w, double h) {
    // Control distance of a quarter arc as a cubic Bezier.
    const double kappa = 4.0 * (std::numbers::sqrt2 - 1.0) / 3.0;
    const double rx = w / 2, ry = h / 2;
    const double cx = x + rx, cy = y + ry;
    const double kx = kappa * rx, ky = kappa * ry;
    MoveTo(cx + rx, cy);
    CurveTo(cx + rx, cy + ky, cx + kx, cy + ry, cx, cy + ry);
    CurveTo(cx - kx, cy + ry, cx - rx, cy + ky, cx - rx, cy);
    CurveTo(cx - rx, cy - ky, cx - kx, cy - ry, cx, cy - ry);
    CurveTo(cx + kx, cy - ry, cx + rx, cy - ky, cx + rx, cy);
    ClosePath();
}

} // namespace raster
