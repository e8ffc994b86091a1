// Private to src/render (the only place that includes cairo): owned cairo handles, replay of a
// path list into a cairo context, pens, extents of painted paths and coverage masks.
#pragma once

#include "render/fill_image.h"
#include "render/path_list.h"

#include <cairo.h>
#include <memory>

namespace raster {

struct CCairoDeleter {
    void operator()(cairo_t* cr) const { cairo_destroy(cr); }
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
using CCairoContext = std::unique_ptr<cairo_t, CCairoDeleter>;
using CCairoSurface = std::unique_ptr<cairo_surface_t, CCairoDeleter>;

// The pen of a stroke: width in pixels, join and cap as the drawing interface numbers them.
struct CPen {
    double m_width = 0.0;
    std::int32_t m_join = 0;
    std::int32_t m_cap = 0;
    double m_miterLimit = 65535.0;

    // False for widths that paint nothing (zero, negative, not a number).
    bool Paints() const { return m_width > 0.0 && m_width == m_width; }
};

// A new context over a surface, with the target's drawing settings; raises
// IDS_GRAPHICS_CREATE_FAILED when cairo cannot make it.
CCairoContext MakeContext(cairo_surface_t* surface, bool antialias);
// Sets width (held to the largest safe width), join, cap and the miter limit (held so that a
// miter stays within cairo's range).
void ApplyPen(cairo_t* cr, const CPen& pen);
// Replaces the context's path by a path of the list; with a direction (cos, sin) the points are
// turned so that x becomes the projection on that direction.
void SetPath(cairo_t* cr, const CPath& path);
void SetPathTurned(cairo_t* cr, const CPath& path, double dirX, double dirY);

// The bounding box of what painting the paths would touch (widened by the pen for a stroke, pen
// null for a fill), over every path of the list. False when nothing would be touched.
struct CBox {
    double m_x0, m_y0, m_x1, m_y1;
};
bool PaintedBox(cairo_t* measure, const CPathList& paths, const CPen* pen, CBox& box);
// The smallest and largest projection of the painted paths on the direction (dirX, dirY).
bool PaintedProjection(cairo_t* measure, const CPathList& paths, const CPen* pen, double dirX,
                       double dirY, double& low, double& high);

// An 8-bit mask over area holding the union of the coverage of every path (each filled, or
// stroked with the pen, in opaque white, non-zero winding).
CCairoSurface RenderCoverage(const CPathList& paths, const CPen* pen, const CRect& area,
                             bool antialias);

// Raises the given message when cairo reports a failure on the context.
void CheckStatus(cairo_t* cr, std::uint32_t messageId);

} // namespace raster
