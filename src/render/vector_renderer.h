// CVectorRenderer: the vector-drawing interface that the tree walker talks to. A target receives
// numbers, colour stops, texture parameters and path commands, and turns them into its own output.
#pragma once

#include <boost/shared_ptr.hpp>
#include <cstddef>
#include <cstdint>
#include <string>

struct CImg;

// Where model points go: a point (x, y) maps to (m11·x + m21·y + dx, m12·x + m22·y + dy) in
// pixels; the width scale multiplies every line width set afterwards.
struct CTransform {
    double m_11 = 1.0;
    double m_12 = 0.0;
    double m_21 = 0.0;
    double m_22 = 1.0;
    double m_dx = 0.0;
    double m_dy = 0.0;
    double m_widthScale = 1.0;

    friend bool operator==(const CTransform&, const CTransform&) = default;
};

// One colour stop of a gradation: its position (0..1 along the gradation) and its colour as bytes
// in the channel layout of the target's pixel type (B, G, R, A for RGB with alpha; C, M, Y, K, A
// for CMYK with alpha; B, G, R or C, M, Y, K for the types without alpha; unused bytes are 0).
struct CGradationStop {
    double m_position = 0.0;
    std::uint8_t m_color[8] = {};
};
static_assert(sizeof(CGradationStop) == 16);

// How a texture image is laid into the bounds of a shape. Flip bit 1 mirrors the image
// horizontally, bit 2 vertically; the offsets are pixels from the top-left of the bounds.
struct CTextureParam {
    enum FitType : std::int32_t {
        FIT_WIDTH = 0,   // bounds width / image width on both axes
        FIT_HEIGHT = 1,  // bounds height / image height on both axes
        FIT_STRETCH = 2, // width ratio on x, height ratio on y
        FIT_NONE = 3,    // scale 1
    };
    enum Flip : std::uint32_t { FLIP_HORIZONTAL = 1, FLIP_VERTICAL = 2 };

    boost::shared_ptr<CImg> m_image; // null: no texture
    double m_alpha = 0.0;            // 0..1, multiplies the texture's own alpha
    double m_angle = 0.0;            // degrees, clockwise on the page
    std::int32_t m_fitType = FIT_WIDTH;
    double m_rateX = 1.0;
    double m_rateY = 1.0;
    std::uint32_t m_flip = 0;
    double m_offsetX = 0.0;
    double m_offsetY = 0.0;
};

// The drawing interface. Colours and alphas are reals 0..1; coordinates are model
// units, mapped by the current transform. A path list collects paths between NewPath and Paint.
class CVectorRenderer {
public:
    virtual ~CVectorRenderer() = default;

    virtual void SetBackgroundRgb(double r, double g, double b, double alpha) = 0;
    virtual void SetBackgroundCmyk(double c, double m, double y, double k, double alpha) = 0;
    virtual void BeginDocument(const std::u16string& name) = 0;
    virtual void BeginPage(double width, double height) = 0; // pixels
    virtual void BeginGroup(const std::u16string& name) = 0;
    virtual void SetLabel(const std::u16string& name) = 0;
    virtual void SetTransform(const CTransform& transform) = 0;
    virtual void SetLineJoin(std::int32_t join) = 0; // 0 miter, 1 round, 2 bevel
    virtual void SetLineCap(std::int32_t cap) = 0;   // 0 flat, 1 round, 2 square
    virtual double GetLineWidth() const = 0;         // pixels
    virtual void SetLineWidth(double width) = 0;     // model units
    virtual void SetStrokeRgb(double r, double g, double b) = 0;
    virtual void SetStrokeColorRef(std::uint32_t bgr) = 0; // 0x00BBGGRR
    virtual void SetStrokeCmyk(double c, double m, double y, double k) = 0;
    virtual void SetFillRgb(double r, double g, double b) = 0;
    virtual void SetFillColorRef(std::uint32_t bgr) = 0; // 0x00BBGGRR
    virtual void SetFillCmyk(double c, double m, double y, double k) = 0;
    virtual void SetStrokeAlpha(double alpha) = 0;
    virtual void SetFillAlpha(double alpha) = 0;
    // Gradations: only the enabled stops are handed in; angle in degrees. No stops clears it.
    virtual void SetStrokeGradation(const CGradationStop* stops, std::size_t count,
                                    double angle) = 0;
    virtual void SetFillGradation(const CGradationStop* stops, std::size_t count, double angle) = 0;
    // Textures: a null image clears it.
    virtual void SetStrokeTexture(const CTextureParam& texture) = 0;
    virtual void SetFillTexture(const CTextureParam& texture) = 0;
    virtual void NewPath() = 0;
    virtual void MoveTo(double x, double y) = 0;
    virtual void LineTo(double x, double y) = 0;
    virtual void CurveTo(double x1, double y1, double x2, double y2, double x3, double y3) = 0;
    virtual void ClosePath() = 0;
    virtual void Fill() = 0;       // Paint(true, false)
    virtual void Stroke() = 0;     // Paint(false, true)
    virtual void FillStroke() = 0; // Paint(true, true)
    virtual void EndGroup() = 0;
    virtual void EndDocument() = 0;
    virtual void EndPage() = 0;
    virtual void AddSquare(double cx, double cy, double halfSize) = 0;
    virtual void AddRect(double x, double y, double w, double h) = 0;
    virtual void AddCircle(double cx, double cy, double r) = 0;
    virtual void AddEllipse(double x, double y, double w, double h) = 0;
    // Paints every path of the list (the fill first), then empties the list.
    virtual void Paint(bool fill, bool stroke) = 0;

    // Lets stroke::CColor::SetBkColorTo hand a background colour straight to a target.
    void SetColorRGB(double r, double g, double b, double alpha) {
        SetBackgroundRgb(r, g, b, alpha);
    }
    void SetColorCMYK(double c, double m, double y, double k, double alpha) {
        SetBackgroundCmyk(c, m, y, k, alpha);
    }
};
