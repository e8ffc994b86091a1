// Models built in code for the walker, model renderer and bounds tests: points with handles,
// parts, lines with fills, layers, and a model in pixel units.
#pragma once

#include "common/units.h"
#include "stroke/figures.h"
#include "stroke/gradation.h"
#include "stroke/texture.h"

#include <boost/make_shared.hpp>
#include <initializer_list>
#include <vector>

namespace model_test {

using stroke::FillPtr;
using stroke::LinePartPtr;
using stroke::LinePointPtr;
using stroke::LinePtr;

// A line point whose handles lie on it (straight segments on both sides).
inline LinePointPtr Pt(double x, double y, double width = 0.0) {
    auto p = boost::make_shared<stroke::CLinePoint>(x, y, width);
    p->InsertChild(0, boost::make_shared<stroke::CTangentPoint>(x, y));
    p->InsertChild(1, boost::make_shared<stroke::CTangentPoint>(x, y));
    return p;
}

// A line point with its incoming and outgoing handles at absolute positions.
inline LinePointPtr PtH(double x, double y, double width, my::pointd in, my::pointd out) {
    auto p = boost::make_shared<stroke::CLinePoint>(x, y, width);
    p->InsertChild(0, boost::make_shared<stroke::CTangentPoint>(in.x, in.y));
    p->InsertChild(1, boost::make_shared<stroke::CTangentPoint>(out.x, out.y));
    return p;
}

inline LinePartPtr Part(std::initializer_list<LinePointPtr> points, bool closed = false) {
    auto part = boost::make_shared<stroke::CLinePart>();
    part->m_partFlags = closed ? std::uint32_t{stroke::CLinePart::PART_CLOSED} : 0u;
    for (const auto& p : points) {
        part->InsertChild(part->GetChildCount(), p);
    }
    return part;
}

inline LinePtr Line(std::initializer_list<LinePartPtr> parts, FillPtr lineFill = {},
                    FillPtr areaFill = {}, std::uint32_t cap = stroke::CAP_ROUND,
                    std::uint32_t join = stroke::JOIN_ROUND) {
    auto line = boost::make_shared<stroke::CLine>();
    for (const auto& part : parts) {
        line->InsertChild(line->GetChildCount(), part);
    }
    line->m_lineFill = std::move(lineFill);
    line->m_areaFill = std::move(areaFill);
    line->m_lineCap = cap;
    line->m_lineJoin = join;
    return line;
}

// An axis-aligned closed rectangle of straight sides.
inline LinePartPtr Rect(double x0, double y0, double x1, double y1, double width = 0.0) {
    return Part({Pt(x0, y0, width), Pt(x1, y0, width), Pt(x1, y1, width), Pt(x0, y1, width)}, true);
}

// A solid colour from 8-bit channels (alpha opaque unless given).
inline FillPtr Mono(int c0, int c1, int c2, int c3 = 0, int alpha = 255) {
    const auto w = [](int v) { return static_cast<std::uint16_t>(v * 257); };
    return boost::make_shared<stroke::CMonoSetting>(
        stroke::CColor(w(c0), w(c1), w(c2), w(c3), w(alpha)));
}

inline boost::shared_ptr<stroke::CGradationSetting>
Gradation(double angle, std::vector<stroke::CColorStop> stops) {
    auto g = boost::make_shared<stroke::CGradationSetting>();
    g->m_angle = angle;
    g->m_colors = std::move(stops);
    return g;
}

inline stroke::CColorStop Stop(double position, int r, int g, int b, bool enabled = true) {
    const auto w = [](int v) { return static_cast<std::uint16_t>(v * 257); };
    return {enabled, stroke::CColor(w(r), w(g), w(b), 0, 65535), position};
}

inline boost::shared_ptr<stroke::CLayer> Layer(std::initializer_list<stroke::FigurePtr> children,
                                               FillPtr lineFill = {}, FillPtr areaFill = {}) {
    auto layer = boost::make_shared<stroke::CLayer>();
    for (const auto& child : children) {
        layer->InsertChild(layer->GetChildCount(), child);
    }
    layer->m_lineFill = std::move(lineFill);
    layer->m_areaFill = std::move(areaFill);
    return layer;
}

// A model in pixel units (one model unit is one pixel at any resolution) holding the figures.
inline stroke::ModelPtr Model(std::initializer_list<stroke::FigurePtr> children,
                              std::uint32_t colorType = stroke::COLOR_RGB) {
    auto model = boost::make_shared<stroke::CModel>();
    model->m_unit = stroke::UNIT_PIXEL;
    model->m_colorType = colorType;
    if (colorType != stroke::COLOR_RGB) {
        model->m_colorProfile.reset();
    }
    for (const auto& child : children) {
        model->InsertChild(model->GetChildCount(), child);
    }
    return model;
}

} // namespace model_test
