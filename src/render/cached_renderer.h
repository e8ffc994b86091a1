// raster::CCachedRenderer: the part of a raster target that keeps the drawing state (transform,
// pen, colours, gradations, textures) and builds the path list; painting is left to subclasses.
#pragma once

#include "render/path_list.h"
#include "render/vector_renderer.h"

#include <vector>

namespace raster {

// Everything that decides how one side (the stroke or the fill) is painted.
struct CSideState {
    double m_color[4] = {0.0, 0.0, 0.0, 0.0}; // R, G, B (unused) or C, M, Y, K
    bool m_cmyk = false;                      // which reading m_color has
    double m_alpha = 0.0;
    std::vector<CGradationStop> m_stops; // sorted by position; empty: no gradation
    double m_gradationAngle = 0.0;       // degrees, the transform's rotation included
    CTextureParam m_texture;

    bool IsSolid() const { return m_stops.empty() && !m_texture.m_image; }
};

class CCachedRenderer : public CVectorRenderer {
public:
    enum LineJoin : std::int32_t { JOIN_MITER = 0, JOIN_ROUND = 1, JOIN_BEVEL = 2 };
    enum LineCap : std::int32_t { CAP_FLAT = 0, CAP_ROUND = 1, CAP_SQUARE = 2 };
    static constexpr double kMiterLimit = 65535.0;

    CCachedRenderer() = default;

    void BeginDocument(const std::u16string&) override {}
    void BeginGroup(const std::u16string&) override {}
    void SetLabel(const std::u16string&) override {}
    void EndGroup() override {}
    void EndDocument() override {}

    void SetTransform(const CTransform& transform) override { m_transform = transform; }
    void SetLineJoin(std::int32_t join) override;
    void SetLineCap(std::int32_t cap) override;
    double GetLineWidth() const override { return m_penWidth; }
    void SetLineWidth(double width) override { m_penWidth = width * m_transform.m_widthScale; }

    void SetStrokeRgb(double r, double g, double b) override { SetRgb(m_stroke, r, g, b); }
    void SetStrokeColorRef(std::uint32_t bgr) override { SetColorRef(m_stroke, bgr); }
    void SetStrokeCmyk(double c, double m, double y, double k) override {
        SetCmyk(m_stroke, c, m, y, k);
    }
    void SetFillRgb(double r, double g, double b) override { SetRgb(m_fill, r, g, b); }
    void SetFillColorRef(std::uint32_t bgr) override { SetColorRef(m_fill, bgr); }
    void SetFillCmyk(double c, double m, double y, double k) override {
        SetCmyk(m_fill, c, m, y, k);
    }
    void SetStrokeAlpha(double alpha) override { m_stroke.m_alpha = alpha; }
    void SetFillAlpha(double alpha) override { m_fill.m_alpha = alpha; }
    void SetStrokeGradation(const CGradationStop* stops, std::size_t count, double angle) override {
        SetGradation(m_stroke, stops, count, angle);
    }
    void SetFillGradation(const CGradationStop* stops, std::size_t count, double angle) override {
        SetGradation(m_fill, stops, count, angle);
    }
    void SetStrokeTexture(const CTextureParam& texture) override { m_stroke.m_texture = texture; }
    void SetFillTexture(const CTextureParam& texture) override { m_fill.m_texture = texture; }

    void NewPath() override { m_paths.NewPath(); }
    void MoveTo(double x, double y) override { m_paths.MoveTo(Map(x, y)); }
    void LineTo(double x, double y) override { m_paths.LineTo(Map(x, y)); }
    void CurveTo(double x1, double y1, double x2, double y2, double x3, double y3) override {
        m_paths.CurveTo(Map(x1, y1), Map(x2, y2), Map(x3, y3));
    }
    void ClosePath() override { m_paths.ClosePath(); }
    void Fill() override { Paint(true, false); }
    void Stroke() override { Paint(false, true); }
    void FillStroke() override { Paint(true, true); }
    void AddSquare(double cx, double cy, double halfSize) override;
    void AddRect(double x, double y, double w, double h) override;
    void AddCircle(double cx, double cy, double r) override;
    void AddEllipse(double x, double y, double w, double h) override;

    // Antialiasing is on unless this is set (not part of the drawing interface: interactive views
    // of a model switch it for handles; the model renderer leaves it clear).
    void SetNoAntialias(bool noAntialias) { m_noAntialias = noAntialias; }
    bool NoAntialias() const { return m_noAntialias; }

    const CTransform& Transform() const { return m_transform; }
    std::int32_t LineJoinValue() const { return m_join; }
    std::int32_t LineCapValue() const { return m_cap; }
    const CSideState& StrokeState() const { return m_stroke; }
    const CSideState& FillState() const { return m_fill; }
    const CPathList& Paths() const { return m_paths; }

protected:
    // The current transform applied to a model point.
    my::pointd Map(double x, double y) const {
        const CTransform& t = m_transform;
        return {t.m_11 * x + t.m_21 * y + t.m_dx, t.m_12 * x + t.m_22 * y + t.m_dy};
    }
    void ClearPaths() { m_paths.Clear(); }
    // Tells the path list which page the paths are for (they are kept safe around it).
    void SetPageSize(double width, double height) { m_paths.SetPageSize(width, height); }

private:
    static void SetRgb(CSideState& side, double r, double g, double b);
    static void SetCmyk(CSideState& side, double c, double m, double y, double k);
    static void SetColorRef(CSideState& side, std::uint32_t bgr);
    void SetGradation(CSideState& side, const CGradationStop* stops, std::size_t count,
                      double angle) const;

    CTransform m_transform;
    double m_penWidth = 0.0; // pixels
    std::int32_t m_join = JOIN_MITER;
    std::int32_t m_cap = CAP_FLAT;
    CSideState m_stroke;
    CSideState m_fill;
    CPathList m_paths;
    bool m_noAntialias = false;
};

} // namespace raster
