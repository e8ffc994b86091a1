// What the walk over a model hands to a drawing target: which paths, pens and paint calls, for
// the line and layer rules, recorded call by call.
#include "render/model_builder.h"
#include "render/recording_target.h"
#include "render/renderer.h"

#include <gtest/gtest.h>

namespace {

using namespace model_test;
using render_test::CRecordingTarget;
using Calls = std::vector<std::string>;

Calls Walk(const stroke::CModel& model, CRecordingTarget& target) {
    stroke::CRenderer walker(target, model.m_colorType, CImg::PIXEL_BGRA32);
    walker.VisitModel(model);
    return target.Only(
        {"NewPath", "MoveTo", "LineTo", "CurveTo", "ClosePath", "Fill", "Stroke", "FillStroke"});
}

Calls Paints(const CRecordingTarget& target) {
    return target.Only({"Fill", "Stroke", "FillStroke"});
}

TEST(WalkerTest, NothingIsDrawnOfPointsHiddenFiguresOrTheModelsFills) {
    auto hiddenLine = Line({Rect(0, 0, 10, 10, 1)}, Mono(0, 255, 0), Mono(0, 0, 255));
    hiddenLine->m_state |= stroke::STATE_HIDDEN;
    auto hiddenLayer =
        Layer({Line({Rect(0, 0, 10, 10, 1)}, Mono(0, 255, 0))}, Mono(255, 0, 0), Mono(255, 0, 0));
    hiddenLayer->m_state |= stroke::STATE_HIDDEN;
    auto unfilled = Model({Line({Rect(0, 0, 10, 10, 1)})});
    unfilled->m_lineFill = Mono(255, 0, 0);
    unfilled->m_areaFill = Mono(255, 0, 0);
    const stroke::ModelPtr models[] = {
        Model({Line({Part({Pt(1, 1, 2)}), Part({Pt(5, 5, 2)}, true)}, Mono(255, 0, 0),
                    Mono(0, 255, 0))}),
        Model({hiddenLine, hiddenLayer}),
        unfilled,
    };
    for (const auto& model : models) {
        CRecordingTarget t;
        EXPECT_EQ(Walk(*model, t), Calls{});
    }
}

TEST(WalkerTest, ClosedLineOfOneWidthIsFilledAndStrokedInOnePaint) {
    CRecordingTarget t;
    auto model = Model({Line({Rect(0, 0, 10, 5, 2)}, Mono(255, 0, 0), Mono(0, 0, 255),
                             stroke::CAP_SQUARE, stroke::JOIN_BEVEL)});
    const Calls calls = Walk(*model, t);
    EXPECT_EQ(Paints(t), Calls{"FillStroke"});
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "NewPath"), 1);
}

TEST(WalkerTest, OpenPartClosedByItsHandlesIsFilledAndStrokedApart) {
    CRecordingTarget t;
    // The first point's incoming handle is off the point: the area closes with a curve, the
    // stroke stays open, so the two paths differ.
    auto part = Part({PtH(0, 0, 2, {-5, 5}, {0, 0}), Pt(10, 0, 2), Pt(10, 10, 2)});
    auto model = Model({Line({part}, Mono(255, 0, 0), Mono(0, 0, 255))});
    EXPECT_EQ(Walk(*model, t), (Calls{"NewPath", "MoveTo 0 0", "LineTo 10 0", "LineTo 10 10",
                                      "CurveTo 10 10 -5 5 0 0", "ClosePath", "Fill", "NewPath",
                                      "MoveTo 0 0", "LineTo 10 0", "LineTo 10 10", "Stroke"}));
}

TEST(WalkerTest, LinesOfSeveralWidthsOrShapesAreFilledAsOutlines) {
    // Two lines of one width but different caps, drawn as one layer.
    auto a = Line({Part({Pt(0, 0, 2), Pt(10, 0, 2)})}, {}, {}, stroke::CAP_BUTT);
    auto b = Line({Part({Pt(0, 5, 2), Pt(10, 5, 2)})}, {}, {}, stroke::CAP_SQUARE);
    const stroke::ModelPtr models[] = {
        Model({Line({Part({Pt(0, 0, 1), Pt(10, 0, 4), Pt(20, 0, 1)})}, Mono(255, 0, 0))}),
        Model({Layer({a, b}, Mono(255, 0, 0))})};
    for (const auto& model : models) {
        CRecordingTarget t;
        Walk(*model, t);
        EXPECT_EQ(Paints(t), Calls{"Fill"});
        EXPECT_EQ(t.Only({"SetFillRgb"}), Calls{"SetFillRgb 1 0 0"});
    }
}

TEST(WalkerTest, LayerWithBothFillsDrawsItsLinesWithItsFillsOnly) {
    CRecordingTarget t;
    auto a = Line({Rect(0, 0, 10, 10, 1)}, Mono(0, 255, 0), Mono(0, 255, 0));
    auto b = Line({Rect(20, 0, 30, 10, 1)}, Mono(0, 255, 0), Mono(0, 255, 0));
    auto hidden = Line({Rect(40, 0, 50, 10, 1)}, Mono(0, 255, 0), Mono(0, 255, 0));
    hidden->m_state |= stroke::STATE_HIDDEN;
    auto model = Model({Layer({a, Layer({b}), hidden}, Mono(255, 0, 0), Mono(0, 0, 255))});
    const Calls calls = Walk(*model, t);
    // One path per visible line, painted once; the stroke colour is the layer's line fill, the
    // fill colour its area fill, and the lines' own fills never reach the target.
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "NewPath"), 2);
    EXPECT_EQ(Paints(t), Calls{"FillStroke"});
    EXPECT_EQ(t.Only({"SetStrokeRgb", "SetFillRgb"}),
              (Calls{"SetFillRgb 0 0 1", "SetStrokeRgb 1 0 0"}));
}

TEST(WalkerTest, LayerWithOneFillPaintsTheLinesAreasBeforeTheStrokes) {
    auto a = Line({Rect(0, 0, 10, 10, 1)}, Mono(0, 255, 0), Mono(0, 0, 255));
    // A layer's line fill strokes over the lines' own areas; its area fill goes under their
    // own strokes.
    CRecordingTarget lineFill;
    Walk(*Model({Layer({a}, Mono(255, 0, 0))}), lineFill);
    EXPECT_EQ(lineFill.Only({"SetStrokeRgb", "SetFillRgb", "Fill", "Stroke"}),
              (Calls{"SetFillRgb 0 0 1", "Fill", "SetStrokeRgb 1 0 0", "Stroke"}));
    CRecordingTarget areaFill;
    Walk(*Model({Layer({a}, {}, Mono(255, 0, 0))}), areaFill);
    EXPECT_EQ(areaFill.Only({"SetStrokeRgb", "SetFillRgb", "Fill", "Stroke"}),
              (Calls{"SetFillRgb 1 0 0", "Fill", "SetStrokeRgb 0 1 0", "Stroke"}));
}

} // namespace
