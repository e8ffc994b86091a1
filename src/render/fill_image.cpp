#include "render/fill_image.h"

#include "render/pixel_math.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace raster {

CRect CRect::Intersect(const CRect& o) const {
    CRect r{std::max(m_x0, o.m_x0), std::max(m_y0, o.m_y0), std::min(m_x1, o.m_x1),
            std::min(m_y1, o.m_y1)};
    if (r.Empty()) {
        return CRect{};
    }
    return r;
}

CFillImage::CFillImage(const CRect& area, bool cmyk) : m_area(area), m_cmyk(cmyk) {
    const std::size_t pixels = std::size_t(std::max(0, area.Width())) * std::max(0, area.Height());
    if (cmyk) {
        m_cmyk5.assign(pixels * 5, 0);
    } else {
        m_rgb.assign(pixels, 0);
    }
}

namespace {

// A stop in the working layout: straight bytes B, G, R, A or C, M, Y, K, A.
struct CStop {
    double m_position;
    double m_bytes[5];
};

std::vector<CStop> ReadStops(const std::vector<CGradationStop>& stops, CStopLayout layout) {
    const int colorChannels = layout.m_cmyk ? 4 : 3;
    std::vector<CStop> out;
    out.reserve(stops.size());
    for (const CGradationStop& s : stops) {
        CStop w{s.m_position, {}};
        for (int i = 0; i < colorChannels; ++i) {
            w.m_bytes[i] = s.m_color[i];
        }
        w.m_bytes[colorChannels] = layout.m_alpha ? s.m_color[colorChannels] : 255;
        out.push_back(w);
    }
    return out;
}

} // namespace

namespace {

template <int Channels>
void PaintRows(CFillImage& image, const std::vector<CStop>& w, double dirX, double dirY,
               double start, double length, const CCoverageView& coverage) {
    const CRect& area = image.Area();
    const CStop& first = w.front();
    const CStop& last = w.back();
    std::size_t hint = 0; // interval of the previous pixel; neighbours mostly share it
    for (int row = 0; row < area.Height(); ++row) {
        const std::uint8_t* covered = coverage.Row(row);
        const double yTerm = (area.m_y0 + row + 0.5) * dirY;
        for (int col = 0; col < area.Width(); ++col) {
            if (covered != nullptr && covered[col] == 0) {
                continue; // never shows
            }
            double t = ((area.m_x0 + col + 0.5) * dirX + yTerm - start) / length;
            // Pixels whose centre lies just outside the extent are the antialiased rim of the
            // shape; they take the colour of the nearer end.
            t = std::clamp(t, 0.0, 1.0);
            std::uint8_t px[Channels];
            if (t < first.m_position || t >= last.m_position) {
                const CStop& end = t < first.m_position ? first : last;
                for (int i = 0; i < Channels; ++i) {
                    px[i] = static_cast<std::uint8_t>(end.m_bytes[i]);
                }
            } else {
                if (!(w[hint].m_position <= t && t < w[hint + 1].m_position)) {
                    // The first stop above t, and the one before it.
                    const auto above =
                        std::upper_bound(w.begin(), w.end(), t,
                                         [](double v, const CStop& s) { return v < s.m_position; });
                    hint = std::size_t(above - w.begin()) - 1;
                }
                const CStop& a = w[hint];
                const CStop& b = w[hint + 1];
                // (c1 (p2 − t) + c2 (t − p1)) / (p2 − p1), truncated; the allowance keeps
                // equal stop bytes from falling one short through rounding of the reals.
                const double f = (t - a.m_position) / (b.m_position - a.m_position);
                for (int i = 0; i < Channels; ++i) {
                    const double c = a.m_bytes[i] + (b.m_bytes[i] - a.m_bytes[i]) * f;
                    px[i] = static_cast<std::uint8_t>(std::clamp(c + 1e-9, 0.0, 255.0));
                }
            }
            const std::uint8_t alpha = px[Channels - 1];
            if (alpha != 255) {
                for (int i = 0; i < Channels - 1; ++i) {
                    px[i] = Premultiply(px[i], alpha);
                }
            }
            image.Store<Channels>(row, col, px);
        }
    }
}

} // namespace

void PaintGradation(CFillImage& image, const std::vector<CGradationStop>& stops, CStopLayout layout,
                    double angleDegrees, double start, double length,
                    const CCoverageView& coverage) {
    const std::vector<CStop> w = ReadStops(stops, layout);
    const double theta = angleDegrees * std::numbers::pi / 180.0;
    if (layout.m_cmyk) {
        PaintRows<5>(image, w, std::cos(theta), std::sin(theta), start, length, coverage);
    } else {
        PaintRows<4>(image, w, std::cos(theta), std::sin(theta), start, length, coverage);
    }
}

} // namespace raster
