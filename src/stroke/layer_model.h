// stroke::CLayer, a named group of layers, lines and texts with fills that apply to everything
// below it, and stroke::CModel, the root layer of a stroke image with its page and colour space.
#pragma once

#include "platform/color_profile.h"
#include "stroke/container.h"

namespace stroke {

class CLayer : public CContainer {
public:
    CLayer() = default;

    FigureType GetType() const override { return FIGURE_LAYER; }
    FigurePtr Clone() const override;
    std::u16string GetName() const override { return m_name; }
    void SetName(const std::u16string& name) override { m_name = name; }
    FillPtr GetLineFill() const override { return m_lineFill; }
    void SetLineFill(const FillPtr& fill) override { m_lineFill = fill; }
    FillPtr GetAreaFill() const override { return m_areaFill; }
    void SetAreaFill(const FillPtr& fill) override { m_areaFill = fill; }
    std::size_t GetDataSize() const override;
    void CheckSame(const CFigure& other) const override;
    void Dump(std::ostream& out) const override;

    std::u16string m_name;
    FillPtr m_lineFill; // may be empty
    FillPtr m_areaFill; // may be empty

protected:
    // Deep: children and fills are cloned.
    CLayer(const CLayer& other);
    // The layer's own fields and children, for the model's Dump.
    void DumpLayer(std::ostream& out) const;
};

class CModel : public CLayer {
public:
    CModel();

    FigurePtr Clone() const override;
    // The page width.
    double GetWidth() const override { return m_width; }
    void SetWidth(double width) override { m_width = width; }
    std::size_t GetDataSize() const override;
    void CheckSame(const CFigure& other) const override;
    void Dump(std::ostream& out) const override;

    std::uint32_t m_unit = 0;      // Unit: 0 millimetres, 1 pixels
    std::uint32_t m_colorType = 0; // ColorType: 0 RGB, 1 CMYK
    // Profile of the model's colours; a new RGB profile by default, may be empty. Clones share
    // it: profiles are replaced, never changed in place.
    boost::shared_ptr<CColorProfile> m_colorProfile;
    double m_resolution = 600.0; // dots per inch
    double m_width = 210.0;      // page size in m_unit
    double m_height = 297.0;

protected:
    CModel(const CModel& other) = default;
};

using LayerPtr = boost::shared_ptr<CLayer>;
using ModelPtr = boost::shared_ptr<CModel>;

} // namespace stroke
