#include "support/pair_drawings.h"

#include "stroke/figure_type.h"

namespace morvane::test {

StrkWriter LineDrawing(int lines, const LineChange& change, double spacing) {
    StrkWriter writer;
    StrkFigure& layer = writer.Model().Layer(u"L");
    for (int i = 0; i < lines; ++i) {
        StrkFigure& line = layer.Line(u"l" + std::u16string(1, char16_t(u'1' + i % 9)));
        line.Stroke(Mono(stroke::CColor(100, 0, 0, 0, 65535)));
        line.Part().Point(i * spacing, 0).Point(i * spacing, 5);
        if (change) {
            change(i, line);
        }
    }
    return writer;
}

StrkWriter ThreeDifferences(double spacing) {
    return LineDrawing(
        4,
        [spacing](int i, StrkFigure& line) {
            if (i == 0) {
                line.parts[0].Point(9 * spacing, 9);
            } else if (i == 1) {
                StrkTexture texture;
                texture.path = u"paper.png";
                line.Stroke(texture);
            } else if (i == 3) {
                line.lineCap = stroke::CAP_SQUARE;
            }
        },
        spacing);
}

} // namespace morvane::test
