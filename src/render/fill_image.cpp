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

void PaintGradation(CFillImage& image, const std::vector<CGradationStop>& stops, CStopLayout layout,
                    double angleDegrees, double start, double length) {
    const std::vector<CStop> w = ReadStops(stops, layout);
    const int channels = layout.m_cmyk ? 5 : 4;
    const double theta = angleDegrees * std::numbers::pi / 180.0;
    const double dirX = std::cos(theta), dirY = std::sin(theta);
    const CRect& area = image.Area();
    const CStop& first = w.front();
    const CStop& last = w.back();
    std::size_t hint = 0; // interval of the previous pixel; neighbours mostly share it

    for (int y = area.m_y0; y < area.m_y1; ++y) {
        for (int x = area.m_x0; x < area.m_x1; ++x) {
            double t = ((x + 0.5) * dirX + (y + 0.5) * dirY - start) / length;
            // Pixels whose centre lies just outside the extent are the antialiased rim of the
            // shape; they take the colour of the nearer end.
            t = std::clamp(t, 0.0, 1.0);
            std::uint8_t straight[5];
            const CStop* a = nullptr;
            const CStop* b = nullptr;
            if (t < first.m_position) {
                a = &first;
            } else if (t >= last.m_position) {
                a = &last;
            } else {
                if (hint + 1 >= w.size() ||
                    !(w[hint].m_position <= t && t < w[hint + 1].m_position)) {
                    // The first stop above t, and the one before it.
                    const auto above =
                        std::upper_bound(w.begin(), w.end(), t,
                                         [](double v, const CStop& s) { return v < s.m_position; });
                    hint = std::size_t(above - w.begin()) - 1;
                }
                a = &w[hint];
                b = &w[hint + 1];
            }
            if (b == nullptr) {
                for (int i = 0; i < channels; ++i) {
                    straight[i] = static_cast<std::uint8_t>(a->m_bytes[i]);
                }
            } else {
                // (c1 (p2 − t) + c2 (t − p1)) / (p2 − p1), truncated; the allowance keeps
                // equal stop bytes from falling one short through rounding of the reals.
                const double f = (t - a->m_position) / (b->m_position - a->m_position);
                for (int i = 0; i < channels; ++i) {
                    const double c = a->m_bytes[i] + (b->m_bytes[i] - a->m_bytes[i]) * f;
                    straight[i] = static_cast<std::uint8_t>(std::clamp(c + 1e-9, 0.0, 255.0));
                }
            }
            const std::uint8_t alpha = straight[channels - 1];
            std::uint8_t premultiplied[5];
            for (int i = 0; i < channels - 1; ++i) {
                premultiplied[i] = Premultiply(straight[i], alpha);
            }
            premultiplied[channels - 1] = alpha;
            image.Store(y - area.m_y0, x - area.m_x0, premultiplied);
        }
    }
}

} // namespace raster
