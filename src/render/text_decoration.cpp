#include "render/text_decoration.h"

#include "render/font_manager.h"
#include "render/text_baseline.h"
#include "render/text_glyph.h"
#include "stroke/line_part.h"

namespace stroke {

namespace {

CDecorationBand Band(const font::CDecoration& stroke, double m) {
    const double half = stroke.thickness / 2.0;
    return {(stroke.position - half) / m, (stroke.position + half) / m};
}

} // namespace

std::vector<CDecorationBand> MakeDecorations(const CMultipliedFontManager& fonts) {
    std::vector<CDecorationBand> bands;
    if (fonts.Request().underline) {
        bands.push_back(Band(fonts.Underline(), fonts.Scale()));
    }
    if (fonts.Request().strikeOut) {
        bands.push_back(Band(fonts.StrikeOut(), fonts.Scale()));
    }
    return bands;
}

boost::shared_ptr<CLinePart> MakeDecorationPart(const CTextBaseline& baseline, double s0, double s1,
                                                const CDecorationBand& band,
                                                const my::pointd& offset, double width) {
    const std::vector<CBaselinePoint> trace = baseline.Trace(s0, s1);
    std::vector<my::pointd> points;
    points.reserve(trace.size() * 2);
    // Above the baseline is the left of the direction of travel as seen on the page.
    const auto above = [&](const CBaselinePoint& at, double distance) {
        const my::pointd up{at.direction.y, -at.direction.x};
        return at.point + offset + up * distance;
    };
    for (auto it = trace.begin(); it != trace.end(); ++it) {
        points.push_back(above(*it, band.high));
    }
    for (auto it = trace.rbegin(); it != trace.rend(); ++it) {
        points.push_back(above(*it, band.low));
    }
    return MakePolygonPart(points, width);
}

} // namespace stroke
