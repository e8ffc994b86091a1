#include "render/renderer.h"

#include "render/line_path.h"
#include "render/text_layout.h"
#include "stroke/figures.h"

#include <algorithm>
#include <cmath>

namespace stroke {
namespace {

// Outlines are built to a tenth of a device pixel: finer is invisible, coarser shows facets.
constexpr double kOutlinePixels = 0.1;

} // namespace

CRenderer::CRenderer(CVectorRenderer& target, std::uint32_t colorType, std::uint32_t pixelType)
    : CConstEnumerator(FIGURE_LAYER | FIGURE_LINE | FIGURE_TEXT), m_target(target),
      m_painter(target, colorType, pixelType), m_tolerance(outline::Style{}.tolerance) {}

void CRenderer::SetPixelSize(double x, double y) {
    const double pixel = std::min(std::abs(x), std::abs(y));
    if (std::isfinite(pixel) && pixel > 0.0) {
        m_tolerance = pixel * kOutlinePixels;
    }
}

void CRenderer::VisitModel(const CModel& model) {
    // The model's own fills are not drawn; its layers are.
    VisitChildren(model);
}

void CRenderer::VisitLayer(const CLayer& layer) {
    if (layer.IsHidden()) {
        return;
    }
    const CFills fills = FillsOf(layer);
    const bool lineFill = fills.m_line != nullptr, areaFill = fills.m_area != nullptr;
    if (!lineFill && !areaFill) {
        VisitChildren(layer);
        return;
    }
    CLineSet lines;
    CollectLines(layer, lines);
    if (lineFill && areaFill) {
        // Everything below is drawn with the layer's fills; the figures add nothing.
        DrawFigure(layer, lines);
        VisitChildrenWith(layer, STATE_NO_LINE_FILL | STATE_NO_AREA_FILL | STATE_DRAW_ALWAYS);
    } else if (areaFill) {
        // The layer's areas under the figures' own strokes.
        DrawFigure(layer, lines);
        VisitChildrenWith(layer, STATE_NO_AREA_FILL | STATE_DRAW_ALWAYS);
    } else {
        // The figures' own areas under the layer's strokes. (A third walk with both fills
        // suppressed would draw nothing here, so it is left out.)
        VisitChildrenWith(layer, STATE_NO_LINE_FILL | STATE_NO_OVERLAY | STATE_DRAW_ALWAYS);
        DrawFigure(layer, lines);
    }
}

void CRenderer::VisitLine(const CLine& line) {
    if (line.IsHidden()) {
        return;
    }
    CLineSet lines;
    lines.m_lines.push_back(&line);
    DrawFigure(line, lines);
}

void CRenderer::VisitText(const CText& text) {
    if (text.IsHidden()) {
        return;
    }
    if (FillsOf(text).Empty()) {
        return; // nothing to draw, so no font to load
    }
    CLineSet lines;
    DrawFigure(AddText(text, lines), lines);
}

const CLayer& CRenderer::AddText(const CText& text, CLineSet& out) const {
    boost::shared_ptr<CLayer> layer = MakeTextLayer(text);
    CollectLines(*layer, out);
    out.m_keep.push_back(layer);
    return *layer;
}

void CRenderer::VisitChildrenWith(const CLayer& layer, std::uint32_t addedBits) {
    // A failure ends the whole walk, so the state needs no restoring on that way out.
    const std::uint32_t saved = m_state;
    m_state |= addedBits;
    VisitChildren(layer);
    m_state = saved;
}

void CRenderer::CollectLines(const CLayer& layer, CLineSet& out) const {
    for (const FigurePtr& child : layer.m_children) {
        if (!child || child->IsHidden()) {
            continue;
        }
        if (const auto* line = dynamic_cast<const CLine*>(child.get())) {
            out.m_lines.push_back(line);
        } else if (const auto* sub = dynamic_cast<const CLayer*>(child.get())) {
            CollectLines(*sub, out);
        } else if (const auto* text = dynamic_cast<const CText*>(child.get())) {
            AddText(*text, out);
        }
    }
}

CRenderer::CFills CRenderer::FillsOf(const CFigure& figure) const {
    const FillPtr line = figure.GetLineFill(), area = figure.GetAreaFill();
    return {m_state & STATE_NO_LINE_FILL ? nullptr : line.get(),
            m_state & STATE_NO_AREA_FILL ? nullptr : area.get()};
}

void CRenderer::DrawFigure(const CFigure& fillSource, const CLineSet& lines) {
    const CFills fills = FillsOf(fillSource);
    if (!fills.Empty()) {
        DrawLines(fills.m_line, fills.m_area, lines);
    }
}

void CRenderer::DrawLines(const CFillSetting* lineFill, const CFillSetting* areaFill,
                          const CLineSet& lines) {
    CStrokeCheck check;
    for (const CPartHolder* line : lines.m_lines) {
        check.Add(*line);
    }
    const bool visible = lineFill != nullptr && check.Visible();
    const bool simple = check.Simple();
    const auto applyPen = [&] {
        m_target.SetLineWidth(check.PenWidth());
        m_target.SetLineCap(PenCap(check.CapMask()));
        m_target.SetLineJoin(PenJoin(check.JoinMask()));
    };
    const auto addPaths = [&](PathMode mode) {
        bool any = false;
        for (const CPartHolder* line : lines.m_lines) {
            any = AddLinePath(m_target, *line, mode) || any;
        }
        return any;
    };

    if (areaFill != nullptr) {
        m_painter.Apply(areaFill, CVectorFillPainter::SIDE_FILL);
        if (addPaths(PathMode::Area)) {
            if (visible && simple && check.SamePath()) {
                // One path serves both: the pen strokes what was filled.
                applyPen();
                m_painter.Apply(lineFill, CVectorFillPainter::SIDE_STROKE);
                m_target.FillStroke();
                return;
            }
            m_target.Fill();
        }
    }
    if (!visible) {
        return;
    }
    if (simple) {
        m_painter.Apply(lineFill, CVectorFillPainter::SIDE_STROKE);
        applyPen();
        if (addPaths(PathMode::Stroke)) {
            m_target.Stroke();
        }
        return;
    }
    bool any = false;
    for (const CPartHolder* line : lines.m_lines) {
        any = AddOutlinePath(m_target, *line, m_tolerance) || any;
    }
    if (any) {
        m_painter.Apply(lineFill, CVectorFillPainter::SIDE_FILL);
        m_target.Fill();
    }
}

} // namespace stroke
