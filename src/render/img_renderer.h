// raster::CImgRenderer: the raster target of the drawing interface. It owns the pixel image of a
// page (RGB with alpha or CMYK with alpha, or either without alpha) and paints paths into it.
#pragma once

#include "render/cached_renderer.h"

#include <boost/shared_ptr.hpp>
#include <memory>

struct CImg;

namespace raster {

// cairo's image surfaces are limited to this many pixels per side.
inline constexpr int kMaxPageSide = 32767;

class CImgRenderer : public CCachedRenderer {
public:
    // pixelType: 0 RGB with alpha, 1 RGB, 2 CMYK with alpha, 3 CMYK (CImg pixel types); any
    // other type raises IDS_IMAGE_FORMAT_UNSUPPORTED.
    explicit CImgRenderer(std::uint32_t pixelType);
    ~CImgRenderer() override;
    CImgRenderer(const CImgRenderer&) = delete;
    CImgRenderer& operator=(const CImgRenderer&) = delete;

    void SetBackgroundRgb(double r, double g, double b, double alpha) override;
    void SetBackgroundCmyk(double c, double m, double y, double k, double alpha) override;
    // Creates the image (width and height rounded to whole pixels) with the background in every
    // pixel. Raises IDS_IMAGE_TOO_LARGE_TO_DRAW naming the size when a side exceeds 32767 pixels
    // (the most a drawing surface holds), IDS_GRAPHICS_CREATE_FAILED when the drawing surface
    // cannot be made over it.
    void BeginPage(double width, double height) override;
    // Finishes the pixels of the page into the image's own layout; the image stays.
    void EndPage() override;
    // Paints every path of the list (fill first, then stroke), then empties the list.
    void Paint(bool fill, bool stroke) override;

    std::uint32_t PixelType() const { return m_pixelType; }
    // The image of the page, ending the page first when it is still open; null before BeginPage.
    // The target lets go of it.
    boost::shared_ptr<CImg> TakeImage();

private:
    struct CPage;

    bool IsCmyk() const;
    void RequirePage() const;
    void PaintSide(const CSideState& side, bool stroke);
    void PaintSolidRgb(const CSideState& side, bool stroke);
    void PaintThroughFillImage(const CSideState& side, bool stroke);
    void FinishPixels();

    std::uint32_t m_pixelType;
    double m_background[4] = {0.0, 0.0, 0.0, 0.0};
    bool m_backgroundCmyk = false;
    double m_backgroundAlpha = 0.0;
    boost::shared_ptr<CImg> m_img; // the image handed out
    std::unique_ptr<CPage> m_page; // drawing surfaces while a page is open
};

} // namespace raster
