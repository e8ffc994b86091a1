// stroke::CRenderer: the walk over a model that draws it into a drawing target. It decides, per
// layer, line and text, which fill paints what, and turns the line geometry into paths: pen
// strokes for lines of one width, filled outlines for lines whose width changes.
#pragma once

#include "render/fill_painter.h"
#include "render/vector_renderer.h"
#include "stroke/enumerator.h"

#include <boost/shared_ptr.hpp>
#include <cstdint>
#include <vector>

namespace stroke {

class CFillSetting;
class CPartHolder;

class CRenderer : public CConstEnumerator {
public:
    // Bits of the walk's state word; a layer adds bits for the figures below it.
    enum StateBits : std::uint32_t {
        STATE_NO_LINE_FILL = 1, // figures below draw no line fill of their own
        STATE_NO_AREA_FILL = 2, // nor an area fill
        STATE_NO_OVERLAY = 4,   // no selection overlays (interactive views)
        STATE_DRAW_ALWAYS = 8,  // drawn whatever the selection
    };

    // colorType: the model's ColorType; pixelType: the target's CImg pixel type (the layout of
    // the gradation stops handed to it).
    CRenderer(CVectorRenderer& target, std::uint32_t colorType, std::uint32_t pixelType);

    CVectorRenderer& Target() const { return m_target; }
    // The size of one device pixel in model units. Outlines of variable-width lines are built
    // to a tenth of it.
    void SetPixelSize(double x, double y);
    double Tolerance() const { return m_tolerance; }
    std::uint32_t State() const { return m_state; }

    void VisitModel(const CModel& model) override;
    void VisitLayer(const CLayer& layer) override;
    void VisitLine(const CLine& line) override;
    // A text is drawn as a layer of one line per character, with the text's fills.
    void VisitText(const CText& text) override;

private:
    // The lines drawn as one: one line, or every visible line below a layer drawn as a whole.
    struct CLineSet {
        std::vector<const CPartHolder*> m_lines;
        // Layers made for the texts among them, kept while they are drawn.
        std::vector<boost::shared_ptr<CLayer>> m_keep;
    };

    // The fills of a figure that the state lets it use (they live as long as the figure).
    struct CFills {
        const CFillSetting* m_line = nullptr;
        const CFillSetting* m_area = nullptr;
        bool Empty() const { return m_line == nullptr && m_area == nullptr; }
    };
    CFills FillsOf(const CFigure& figure) const;
    void VisitChildrenWith(const CLayer& layer, std::uint32_t addedBits);
    // Draws a line, a layer as a whole or a text's layer with the figure's fills, less those
    // the state suppresses.
    void DrawFigure(const CFigure& fillSource, const CLineSet& lines);
    void DrawLines(const CFillSetting* lineFill, const CFillSetting* areaFill,
                   const CLineSet& lines);
    void CollectLines(const CLayer& layer, CLineSet& out) const;
    // Lays the text out and adds its characters' lines; returns the layer that holds them.
    const CLayer& AddText(const CText& text, CLineSet& out) const;

    CVectorRenderer& m_target;
    CVectorFillPainter m_painter;
    std::uint32_t m_state = 0;
    double m_tolerance;
};

} // namespace stroke
