#include "render/img_renderer.h"

#include "common/error.h"
#include "common/format.h"
#include "common/message_ids.h"
#include "platform/img.h"
#include "render/cairo_paths.h"
#include "render/fill_image.h"
#include "render/pixel_math.h"
#include "render/texture_painter.h"

#include <cmath>
#include <cstring>
#include <numbers>
#include <string>

// RGB pages are drawn by cairo into an ARGB32 surface laid over the image's own pixel bytes
// (cairo's premultiplied native word 0xAARRGGBB is the bytes B, G, R, A on little-endian
// machines); EndPage turns the premultiplied words into the image's straight B, G, R, A bytes
// once. CMYK pages have no cairo surface: every path is rendered by cairo into an 8-bit coverage
// mask, and the colour is blended through it into the five-byte pixels here.

namespace raster {
namespace {

// A page side in whole pixels as the user reads it, however large.
std::string SizeText(double side) {
    return my::WholeNumberText(std::round(side));
}

bool IsCmykType(std::uint32_t pixelType) {
    return pixelType == CImg::PIXEL_CMYKA40 || pixelType == CImg::PIXEL_CMYK32;
}

// Source-over of a premultiplied colour weighted by coverage onto a straight C, M, Y, K, A pixel.
void BlendCmykPixel(std::uint8_t* dst, const std::uint8_t* src, std::uint8_t coverage) {
    if (coverage == 255 && src[4] == 255) {
        std::memcpy(dst, src, 5);
        return;
    }
    const float weight = coverage / (255.0f * 255.0f);
    const float sa = src[4] * weight;
    if (sa <= 0.0f) {
        return;
    }
    const float da = dst[4] / 255.0f;
    const float keep = da * (1.0f - sa);
    const float outA = sa + keep;
    for (int i = 0; i < 4; ++i) {
        const float v = (src[i] * weight + dst[i] / 255.0f * keep) / outA;
        dst[i] = static_cast<std::uint8_t>(std::min(255.0f, v * 255.0f + 0.5f));
    }
    dst[4] = static_cast<std::uint8_t>(std::min(255.0f, outA * 255.0f + 0.5f));
}

CPen PenOf(const CCachedRenderer& state) {
    return {state.GetLineWidth(), state.LineJoinValue(), state.LineCapValue(),
            CCachedRenderer::kMiterLimit};
}

} // namespace

struct CImgRenderer::CPage {
    CImg* m_work = nullptr;             // the pixels drawn into
    boost::shared_ptr<CImg> m_ownWork;  // for the types without alpha: a working image with alpha
    CColorBytes m_background;           // straight, in the working layout
    std::uint32_t m_backgroundWord = 0; // RGB: the premultiplied background word
    CCairoSurface m_surface;            // RGB: over m_work's bytes
    CCairoContext m_cr;
    CCairoSurface m_measureSurface; // a scratch context for extents
    CCairoContext m_measure;
    CTexturePainter m_textures;

    bool Empty() const { return m_work->m_width == 0 || m_work->m_height == 0; }
};

CImgRenderer::CImgRenderer(std::uint32_t pixelType) : m_pixelType(pixelType) {
    if (pixelType > CImg::PIXEL_CMYK32) {
        throw my::CException(IDS_IMAGE_FORMAT_UNSUPPORTED);
    }
}

CImgRenderer::~CImgRenderer() = default;

bool CImgRenderer::IsCmyk() const {
    return IsCmykType(m_pixelType);
}

void CImgRenderer::SetBackgroundRgb(double r, double g, double b, double alpha) {
    m_background[0] = r;
    m_background[1] = g;
    m_background[2] = b;
    m_background[3] = 0.0;
    m_backgroundCmyk = false;
    m_backgroundAlpha = alpha;
}

void CImgRenderer::SetBackgroundCmyk(double c, double m, double y, double k, double alpha) {
    m_background[0] = c;
    m_background[1] = m;
    m_background[2] = y;
    m_background[3] = k;
    m_backgroundCmyk = true;
    m_backgroundAlpha = alpha;
}

void CImgRenderer::BeginPage(double width, double height) {
    if (m_page) {
        EndPage();
    }
    if (!(width >= 0.0 && height >= 0.0 && std::isfinite(width) && std::isfinite(height))) {
        throw my::InternalError("raster::CImgRenderer::BeginPage()\nInvalid page size: " +
                                std::to_string(width) + " x " + std::to_string(height));
    }
    // A page the drawing surfaces cannot hold is a size the user chose (the drawing's page or the
    // output size), so the message names it and the limit.
    if (std::round(width) > kMaxPageSide || std::round(height) > kMaxPageSide) {
        throw my::CException(IDS_IMAGE_TOO_LARGE_TO_DRAW, SizeText(width), SizeText(height),
                             kMaxPageSide);
    }
    const int w = static_cast<int>(std::lround(width));
    const int h = static_cast<int>(std::lround(height));
    const bool cmyk = IsCmyk();
    auto page = std::make_unique<CPage>();
    auto img = boost::shared_ptr<CImg>(new CImg);
    img->Allocate(m_pixelType, w, h);
    if (m_pixelType == CImg::PIXEL_BGRA32 || m_pixelType == CImg::PIXEL_CMYKA40) {
        page->m_work = img.get();
    } else {
        page->m_ownWork.reset(new CImg);
        page->m_ownWork->Allocate(cmyk ? CImg::PIXEL_CMYKA40 : CImg::PIXEL_BGRA32, w, h);
        page->m_work = page->m_ownWork.get();
    }
    page->m_background = CColorBytes::From(m_background, m_backgroundCmyk, m_backgroundAlpha, cmyk);
    const std::uint8_t* bg = page->m_background.m_v;
    CImg& work = *page->m_work;
    if (cmyk) {
        for (int y = 0; y < h; ++y) {
            std::uint8_t* row = work.Row(y);
            for (int x = 0; x < w; ++x) {
                std::memcpy(row + std::size_t(x) * 5, bg, 5);
            }
        }
    } else {
        // cairo works premultiplied; the straight background comes back at EndPage.
        const std::uint8_t a = bg[3];
        page->m_backgroundWord =
            PackArgb(a, Premultiply(bg[2], a), Premultiply(bg[1], a), Premultiply(bg[0], a));
        for (int y = 0; y < h; ++y) {
            std::uint8_t* row = work.Row(y);
            for (int x = 0; x < w; ++x) {
                std::memcpy(row + std::size_t(x) * 4, &page->m_backgroundWord, 4);
            }
        }
        if (w > 0 && h > 0) {
            page->m_surface.reset(cairo_image_surface_create_for_data(
                work.m_bits.data(), CAIRO_FORMAT_ARGB32, w, h, static_cast<int>(work.m_stride)));
            page->m_cr = MakeContext(page->m_surface.get(), true);
        }
    }
    page->m_measureSurface.reset(cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1));
    page->m_measure = MakeContext(page->m_measureSurface.get(), true);
    SetPageSize(w, h);
    m_img = std::move(img);
    m_page = std::move(page);
}

void CImgRenderer::EndPage() {
    if (!m_page) {
        return;
    }
    if (m_page->m_cr) {
        m_page->m_cr.reset();
        cairo_surface_flush(m_page->m_surface.get());
        m_page->m_surface.reset();
    }
    FinishPixels();
    m_page.reset();
}

boost::shared_ptr<CImg> CImgRenderer::TakeImage() {
    EndPage();
    return std::move(m_img);
}

void CImgRenderer::FinishPixels() {
    CImg& work = *m_page->m_work;
    if (!IsCmyk()) {
        const std::uint32_t bgWord = m_page->m_backgroundWord;
        const std::uint8_t* bg = m_page->m_background.m_v;
        for (int y = 0; y < work.m_height; ++y) {
            std::uint8_t* p = work.Row(y);
            for (int x = 0; x < work.m_width; ++x, p += 4) {
                std::uint32_t v;
                std::memcpy(&v, p, 4);
                if (v == bgWord) {
                    // Untouched (or painted back to it): the background exactly as given.
                    std::memcpy(p, bg, 4);
                    continue;
                }
                const std::uint8_t a = v >> 24, r = v >> 16, g = v >> 8, b = v;
                if (a == 255) {
                    p[0] = b;
                    p[1] = g;
                    p[2] = r;
                    p[3] = a;
                    continue;
                }
                p[0] = Unpremultiply(b, a);
                p[1] = Unpremultiply(g, a);
                p[2] = Unpremultiply(r, a);
                p[3] = a;
            }
        }
    }
    if (m_page->m_ownWork) {
        // The type without alpha keeps the colour channels.
        const int colors = IsCmyk() ? 4 : 3;
        const int from = IsCmyk() ? 5 : 4;
        for (int y = 0; y < work.m_height; ++y) {
            const std::uint8_t* s = work.Row(y);
            std::uint8_t* d = m_img->Row(y);
            for (int x = 0; x < work.m_width; ++x, s += from, d += colors) {
                std::memcpy(d, s, colors);
            }
        }
    }
}

void CImgRenderer::RequirePage() const {
    if (!m_page) {
        throw my::InternalError("raster::CImgRenderer::Paint()\nNo page has been begun");
    }
}

void CImgRenderer::Paint(bool fill, bool stroke) {
    struct CClearPaths {
        CImgRenderer* m_self;
        ~CClearPaths() { m_self->ClearPaths(); }
    } clearPaths{this};
    RequirePage();
    if (m_page->Empty()) {
        return;
    }
    if (fill) {
        PaintSide(FillState(), false);
    }
    if (stroke) {
        PaintSide(StrokeState(), true);
    }
}

void CImgRenderer::PaintSide(const CSideState& side, bool stroke) {
    if (stroke && !PenOf(*this).Paints()) {
        return; // a pen without width draws nothing
    }
    if (side.IsSolid() && !IsCmyk()) {
        PaintSolidRgb(side, stroke);
    } else {
        PaintThroughFillImage(side, stroke);
    }
}

void CImgRenderer::PaintSolidRgb(const CSideState& side, bool stroke) {
    const CColorBytes color = CColorBytes::From(side.m_color, side.m_cmyk, side.m_alpha, false);
    if (color.m_v[3] == 0) {
        return;
    }
    cairo_t* cr = m_page->m_cr.get();
    cairo_set_antialias(cr, NoAntialias() ? CAIRO_ANTIALIAS_NONE : CAIRO_ANTIALIAS_GOOD);
    cairo_set_source_rgba(cr, color.m_v[2] / 255.0, color.m_v[1] / 255.0, color.m_v[0] / 255.0,
                          color.m_v[3] / 255.0);
    if (stroke) {
        ApplyPen(cr, PenOf(*this));
    }
    for (const CPath& path : Paths()) {
        if (!path.HasSegments()) {
            continue;
        }
        SetPath(cr, path);
        if (stroke) {
            cairo_stroke(cr);
            CheckStatus(cr, IDS_PATH_DRAW_FAILED);
        } else {
            cairo_fill(cr);
            CheckStatus(cr, IDS_PATH_FILL_FAILED);
        }
    }
}

void CImgRenderer::PaintThroughFillImage(const CSideState& side, bool stroke) {
    const CPen penValue = PenOf(*this);
    const CPen* pen = stroke ? &penValue : nullptr;
    const bool cmyk = IsCmyk();
    const std::uint32_t failure = stroke ? IDS_PATH_DRAW_FAILED : IDS_PATH_FILL_FAILED;

    CBox box;
    if (!PaintedBox(m_page->m_measure.get(), Paths(), pen, box)) {
        return;
    }
    const CRect shape{
        static_cast<int>(std::floor(box.m_x0)) - 1, static_cast<int>(std::floor(box.m_y0)) - 1,
        static_cast<int>(std::ceil(box.m_x1)) + 1, static_cast<int>(std::ceil(box.m_y1)) + 1};
    const CRect area = shape.Intersect(CRect{0, 0, m_img->m_width, m_img->m_height});
    if (area.Empty()) {
        return;
    }
    const bool gradation = !side.m_stops.empty();
    const bool texture = !gradation && side.m_texture.m_image;
    const CColorBytes solid = CColorBytes::From(side.m_color, side.m_cmyk, side.m_alpha, cmyk);
    if (texture ? !(side.m_texture.m_alpha > 0.0) : !gradation && solid.Alpha(cmyk) == 0) {
        return; // nothing visible
    }
    double low = 0.0, length = 0.0;
    if (gradation) {
        const double theta = side.m_gradationAngle * std::numbers::pi / 180.0;
        double high = 0.0;
        PaintedProjection(m_page->m_measure.get(), Paths(), pen, std::cos(theta), std::sin(theta),
                          low, high);
        length = high - low;
        if (!(length > 0.0) || !std::isfinite(length)) {
            throw my::CException(IDS_PATH_BOUNDS_FAILED);
        }
    }

    CCairoSurface mask = RenderCoverage(Paths(), pen, area, !NoAntialias());
    const CCoverageView coverage{cairo_image_surface_get_data(mask.get()),
                                 cairo_image_surface_get_stride(mask.get())};
    if (coverage.m_data == nullptr) {
        throw my::CException(failure);
    }
    std::unique_ptr<CFillImage> image;
    if (gradation) {
        image = std::make_unique<CFillImage>(area, cmyk);
        const CStopLayout layout{cmyk, m_pixelType == CImg::PIXEL_BGRA32 ||
                                           m_pixelType == CImg::PIXEL_CMYKA40};
        PaintGradation(*image, side.m_stops, layout, side.m_gradationAngle, low, length, coverage);
    } else if (texture) {
        image = std::make_unique<CFillImage>(area, cmyk);
        m_page->m_textures.Paint(*image, side.m_texture, shape, coverage);
    }

    if (!cmyk) {
        cairo_t* cr = m_page->m_cr.get();
        CCairoSurface source;
        if (image) {
            source.reset(cairo_image_surface_create_for_data(
                reinterpret_cast<unsigned char*>(image->RgbRow(0)), CAIRO_FORMAT_ARGB32,
                area.Width(), area.Height(), image->RgbStride()));
            cairo_set_source_surface(cr, source.get(), area.m_x0, area.m_y0);
        } else {
            cairo_set_source_rgba(cr, solid.m_v[2] / 255.0, solid.m_v[1] / 255.0,
                                  solid.m_v[0] / 255.0, solid.m_v[3] / 255.0);
        }
        cairo_mask_surface(cr, mask.get(), area.m_x0, area.m_y0);
        CheckStatus(cr, failure);
        // The context must not keep a pattern over pixels that are about to go away.
        cairo_set_source_rgba(cr, 0, 0, 0, 0);
        return;
    }

    std::uint8_t solidPremultiplied[5];
    for (int i = 0; i < 4; ++i) {
        solidPremultiplied[i] = Premultiply(solid.m_v[i], solid.m_v[4]);
    }
    solidPremultiplied[4] = solid.m_v[4];
    CImg& work = *m_page->m_work;
    for (int row = 0; row < area.Height(); ++row) {
        const std::uint8_t* cov = coverage.Row(row);
        std::uint8_t* dst = work.Row(area.m_y0 + row) + std::size_t(area.m_x0) * 5;
        const std::uint8_t* src = image ? image->CmykRow(row) : nullptr;
        for (int col = 0; col < area.Width(); ++col, dst += 5) {
            if (cov[col] != 0) {
                BlendCmykPixel(dst, src ? src + std::size_t(col) * 5 : solidPremultiplied,
                               cov[col]);
            }
        }
    }
}

} // namespace raster
