// The fill of a layer, line or text (stroke::CFillSetting) and its one-colour kind; the two
// interfaces through which other folders act on every fill kind without naming their classes.
#pragma once

#include "common/color.h"

#include <boost/shared_ptr.hpp>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace stroke {

class CFillSetting;
class CMonoSetting;
class CGradationSetting;
class CTextureSetting;

using FillPtr = boost::shared_ptr<CFillSetting>;

// Hands a fill to whatever draws it: CFillSetting::Paint calls the operation of the fill's own
// class. The renderer implements it (with its target and the stroke/fill sides it applies to
// held by the painter), so this library never includes the drawing layer.
class CFillPainter {
public:
    virtual ~CFillPainter() = default;
    virtual void PaintMono(const CMonoSetting& fill) = 0;
    virtual void PaintGradation(const CGradationSetting& fill) = 0;
    virtual void PaintTexture(const CTextureSetting& fill) = 0;
};

// Works on a fill in place, one operation per fill class (the colour conversion of a model is
// one). Process() dispatches a fill of any kind to the operation of its class.
class CFillProcessor {
public:
    virtual ~CFillProcessor() = default;
    virtual void ProcessMono(CMonoSetting& fill) = 0;
    virtual void ProcessGradation(CGradationSetting& fill) = 0;
    virtual void ProcessTexture(CTextureSetting& fill) = 0;

    // Calls the operation of the fill's dynamic class; a fill of another class raises an
    // internal error.
    void Process(CFillSetting& fill);
};

class CFillSetting {
public:
    virtual ~CFillSetting() = default;

    // Same class and equal values (a texture's bitmap is not compared).
    virtual bool IsEqual(const CFillSetting& other) const = 0;
    virtual FillPtr Clone() const = 0;
    virtual double GetAngle() const = 0;
    virtual void SetAngle(double angle) = 0;
    // Mirror flags: bit 0 horizontal, bit 1 vertical.
    virtual std::uint32_t GetFlip() const = 0;
    virtual void SetFlip(std::uint32_t flags) = 0;
    virtual void Paint(CFillPainter& painter) const = 0;
    virtual std::size_t GetDataSize() const = 0;
    // Raises an internal error naming the class and field of the first difference.
    virtual void CheckSame(const CFillSetting& other) const = 0;

    // Class name for diagnostics ("stroke::CMonoSetting").
    std::string_view ClassName() const;

protected:
    // Raises "<this class> != <other class>" unless both have the same dynamic class.
    void CheckClass(const CFillSetting& other) const;

    CFillSetting() = default;
    CFillSetting(const CFillSetting&) = default;
    CFillSetting& operator=(const CFillSetting&) = default;
};

inline bool operator==(const CFillSetting& a, const CFillSetting& b) {
    return a.IsEqual(b);
}

// Equality of two optional fills: both empty, the same object, or equal values.
bool FillsEqual(const FillPtr& a, const FillPtr& b);
// A clone of an optional fill (empty stays empty).
FillPtr CloneFill(const FillPtr& fill);
// Byte estimate of an optional fill as stored: its class tag and, when present, the fill.
std::size_t FillDataSize(const FillPtr& fill);

class CMonoSetting : public CFillSetting {
public:
    CMonoSetting() = default;
    explicit CMonoSetting(const CColor& color) : m_color(color) {}

    bool IsEqual(const CFillSetting& other) const override;
    FillPtr Clone() const override;
    double GetAngle() const override { return 0.0; }
    void SetAngle(double) override {}
    std::uint32_t GetFlip() const override { return 0; }
    void SetFlip(std::uint32_t) override {}
    void Paint(CFillPainter& painter) const override { painter.PaintMono(*this); }
    std::size_t GetDataSize() const override { return 10; }
    void CheckSame(const CFillSetting& other) const override;

    CColor m_color; // all channels and alpha 0
};

} // namespace stroke
