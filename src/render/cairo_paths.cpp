#include "render/cairo_paths.h"

#include "common/error.h"
#include "common/message_ids.h"

#include <algorithm>
#include <cmath>

namespace raster {
namespace {

// Feeds a path into a context, each point through a linear map.
struct CCairoSink {
    cairo_t* m_cr;
    double m_xx = 1.0, m_xy = 0.0, m_yx = 0.0, m_yy = 1.0;

    my::pointd Map(my::pointd p) const {
        return {m_xx * p.x + m_xy * p.y, m_yx * p.x + m_yy * p.y};
    }
    void Move(my::pointd p) {
        p = Map(p);
        cairo_move_to(m_cr, p.x, p.y);
    }
    void Line(my::pointd p) {
        p = Map(p);
        cairo_line_to(m_cr, p.x, p.y);
    }
    void Curve(my::pointd a, my::pointd b, my::pointd c) {
        a = Map(a);
        b = Map(b);
        c = Map(c);
        cairo_curve_to(m_cr, a.x, a.y, b.x, b.y, c.x, c.y);
    }
    void Close() { cairo_close_path(m_cr); }
};

bool Extents(cairo_t* cr, const CPen* pen, CBox& box) {
    if (pen != nullptr) {
        cairo_stroke_extents(cr, &box.m_x0, &box.m_y0, &box.m_x1, &box.m_y1);
        CheckStatus(cr, IDS_PATH_WIDEN_FAILED);
    } else {
        cairo_fill_extents(cr, &box.m_x0, &box.m_y0, &box.m_x1, &box.m_y1);
        CheckStatus(cr, IDS_PATH_BOUNDS_FAILED);
    }
    // cairo reports an empty box as all zeros; a fill without area touches nothing.
    return box.m_x1 > box.m_x0 && box.m_y1 > box.m_y0;
}

bool UnionOfPaths(cairo_t* measure, const CPathList& paths, const CPen* pen, double dirX,
                  double dirY, CBox& box) {
    if (pen != nullptr) {
        ApplyPen(measure, *pen);
    }
    bool any = false;
    for (const CPath& path : paths) {
        if (!path.HasSegments()) {
            continue;
        }
        SetPathTurned(measure, path, dirX, dirY);
        CBox one;
        if (!Extents(measure, pen, one)) {
            continue;
        }
        if (!any) {
            box = one;
            any = true;
        } else {
            box.m_x0 = std::min(box.m_x0, one.m_x0);
            box.m_y0 = std::min(box.m_y0, one.m_y0);
            box.m_x1 = std::max(box.m_x1, one.m_x1);
            box.m_y1 = std::max(box.m_y1, one.m_y1);
        }
    }
    cairo_new_path(measure);
    return any;
}

} // namespace

void CheckStatus(cairo_t* cr, std::uint32_t messageId) {
    const cairo_status_t status = cairo_status(cr);
    if (status != CAIRO_STATUS_SUCCESS) {
        throw my::CException(messageId);
    }
}

CCairoContext MakeContext(cairo_surface_t* surface, bool antialias) {
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        throw my::CException(IDS_GRAPHICS_CREATE_FAILED);
    }
    CCairoContext cr(cairo_create(surface));
    if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS) {
        throw my::CException(IDS_GRAPHICS_CREATE_FAILED);
    }
    cairo_set_antialias(cr.get(), antialias ? CAIRO_ANTIALIAS_GOOD : CAIRO_ANTIALIAS_NONE);
    cairo_set_fill_rule(cr.get(), CAIRO_FILL_RULE_WINDING);
    return cr;
}

void ApplyPen(cairo_t* cr, const CPen& pen) {
    const double width = std::min(pen.m_width, CPathList::kMaxPenWidth);
    cairo_set_line_width(cr, width);
    switch (pen.m_join) {
    case 1:
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        break;
    case 2:
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_BEVEL);
        break;
    default:
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
        break;
    }
    switch (pen.m_cap) {
    case 1:
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        break;
    case 2:
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_SQUARE);
        break;
    default:
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
        break;
    }
    // A miter spike (limit × width / 2 long) must stay within cairo's fixed-point range: with
    // the limit of 65535, pens from 64 pixels up get a lower limit that keeps it under 2^21.
    cairo_set_miter_limit(cr, std::min(pen.m_miterLimit, 4194304.0 / width));
}

void SetPath(cairo_t* cr, const CPath& path) {
    cairo_new_path(cr);
    path.Replay(CCairoSink{cr});
}

void SetPathTurned(cairo_t* cr, const CPath& path, double dirX, double dirY) {
    cairo_new_path(cr);
    // x' = x cos + y sin, y' = −x sin + y cos: a turn by −θ, which keeps pens and joins alike.
    path.Replay(CCairoSink{cr, dirX, dirY, -dirY, dirX});
}

bool PaintedBox(cairo_t* measure, const CPathList& paths, const CPen* pen, CBox& box) {
    return UnionOfPaths(measure, paths, pen, 1.0, 0.0, box);
}

bool PaintedProjection(cairo_t* measure, const CPathList& paths, const CPen* pen, double dirX,
                       double dirY, double& low, double& high) {
    CBox box;
    if (!UnionOfPaths(measure, paths, pen, dirX, dirY, box)) {
        return false;
    }
    low = box.m_x0;
    high = box.m_x1;
    return true;
}

CCairoSurface RenderCoverage(const CPathList& paths, const CPen* pen, const CRect& area,
                             bool antialias) {
    CCairoSurface mask(cairo_image_surface_create(CAIRO_FORMAT_A8, area.Width(), area.Height()));
    CCairoContext cr = MakeContext(mask.get(), antialias);
    cairo_translate(cr.get(), -area.m_x0, -area.m_y0);
    CheckStatus(cr.get(), IDS_TRANSLATE_MATRIX_FAILED);
    cairo_set_source_rgba(cr.get(), 1.0, 1.0, 1.0, 1.0);
    if (pen != nullptr) {
        ApplyPen(cr.get(), *pen);
    }
    for (const CPath& path : paths) {
        if (!path.HasSegments()) {
            continue;
        }
        SetPath(cr.get(), path);
        if (pen != nullptr) {
            cairo_stroke(cr.get());
            CheckStatus(cr.get(), IDS_PATH_DRAW_FAILED);
        } else {
            cairo_fill(cr.get());
            CheckStatus(cr.get(), IDS_PATH_FILL_FAILED);
        }
    }
    cairo_surface_flush(mask.get());
    return mask;
}

} // namespace raster
