// Small figure trees for the model tests, built through InsertChild as a reader would.
#pragma once

#include "common/error.h"
#include "common/messages.h"
#include "stroke/figures.h"
#include "stroke/gradation.h"

#include <boost/make_shared.hpp>
#include <initializer_list>
#include <string>

namespace stroke_test {

// A line point at (x, y) with its two handles at the given offsets from it.
inline stroke::LinePointPtr Point(double x, double y, double width = 1.0, my::pointd in = {},
                                  my::pointd out = {}) {
    auto p = boost::make_shared<stroke::CLinePoint>(x, y, width);
    p->InsertChild(0, boost::make_shared<stroke::CTangentPoint>(x + in.x, y + in.y));
    p->InsertChild(1, boost::make_shared<stroke::CTangentPoint>(x + out.x, y + out.y));
    return p;
}

inline stroke::LinePartPtr Part(std::initializer_list<stroke::LinePointPtr> points,
                                bool closed = false) {
    auto part = boost::make_shared<stroke::CLinePart>();
    part->m_partFlags = closed ? std::uint32_t{stroke::CLinePart::PART_CLOSED} : 0u;
    for (const auto& p : points) {
        part->InsertChild(part->GetChildCount(), p);
    }
    return part;
}

template <class Holder = stroke::CLine>
boost::shared_ptr<Holder> WithParts(const std::u16string& name,
                                    std::initializer_list<stroke::LinePartPtr> parts) {
    auto holder = boost::make_shared<Holder>();
    holder->m_name = name;
    for (const auto& part : parts) {
        holder->InsertChild(holder->GetChildCount(), part);
    }
    return holder;
}

inline stroke::FillPtr Mono(std::uint16_t red, std::uint16_t alpha = 65535) {
    return boost::make_shared<stroke::CMonoSetting>(stroke::CColor(red, 0, 0, 0, alpha));
}

inline stroke::FillPtr Gradation(double angle) {
    auto g = boost::make_shared<stroke::CGradationSetting>();
    g->m_angle = angle;
    g->m_colors = {{true, stroke::CColor(0, 0, 0, 0, 65535), 0.0},
                   {true, stroke::CColor(65535, 65535, 65535, 0, 65535), 1.0}};
    return g;
}

// model
//   layer "L" (line fill mono, area fill gradation 30°)
//     line "a": part of 3 points, part of 2 points
//     text "t": baseline of 2 points, with a text setting
//   line "b": one part of 1 point
inline stroke::ModelPtr SampleModel() {
    auto model = boost::make_shared<stroke::CModel>();
    auto layer = boost::make_shared<stroke::CLayer>();
    layer->m_name = u"L";
    layer->m_lineFill = Mono(1000);
    layer->m_areaFill = Gradation(30.0);
    auto a = WithParts(u"a", {Part({Point(0, 0), Point(2, 0, 3.0), Point(2, 2)}, true),
                              Part({Point(5, 5, 0.5, {-1, 0}, {1, 0}), Point(6, 5)})});
    a->m_lineFill = Mono(2000);
    auto t = WithParts<stroke::CText>(u"t", {Part({Point(0, 10), Point(10, 10)})});
    t->m_text = u"abc";
    t->m_width = 0.25;
    t->m_textSetting = boost::make_shared<stroke::CTextSetting>();
    t->m_areaFill = Mono(3000);
    layer->InsertChild(0, a);
    layer->InsertChild(1, t);
    model->InsertChild(0, layer);
    model->InsertChild(1, WithParts(u"b", {Part({Point(7, 7)})}));
    return model;
}

} // namespace stroke_test
