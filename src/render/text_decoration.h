// Underline and strike-out of a text: strips along each text line of the baseline, made as
// closed line parts so that they are filled and stroked with the characters.
#pragma once

#include "common/point.h"

#include <boost/shared_ptr.hpp>
#include <vector>

namespace stroke {

class CLinePart;
class CMultipliedFontManager;
class CTextBaseline;

// A band parallel to the baseline: its lower and upper edge as distances above the baseline,
// model units (negative below it).
struct CDecorationBand {
    double low = 0.0;
    double high = 0.0;
};

// The underline band when the font asks for an underline, then the strike-out band when it
// asks for a strike-out, from the font's stroke positions and thicknesses.
std::vector<CDecorationBand> MakeDecorations(const CMultipliedFontManager& fonts);

// The band along the baseline from arc length s0 to s1, moved by offset (the text line's
// displacement): a closed part that goes forward along the upper edge and back along the lower
// one, following every sample of the baseline in between, each point with both handles on
// itself and the given width.
boost::shared_ptr<CLinePart> MakeDecorationPart(const CTextBaseline& baseline, double s0, double s1,
                                                const CDecorationBand& band,
                                                const my::pointd& offset, double width);

} // namespace stroke
