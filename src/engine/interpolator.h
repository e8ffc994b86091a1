// mrv::CInterpolator: builds the model of one frame from START, END and the animate items. A
// frame index becomes two weights per item (m_run keeps running through the return trip,
// m_fold comes back); the subclasses change how the weights grow and how a position moves.
#pragma once

#include "engine/animate_item.h"
#include "engine/task_setting.h"
#include "stroke/figures.h"
#include "stroke/gradation.h"

#include <boost/shared_ptr.hpp>

namespace mrv {

class CInterpolator;
using InterpolatorPtr = boost::shared_ptr<CInterpolator>;

class CInterpolator {
public:
    CInterpolator() = default;
    virtual ~CInterpolator() = default;

    // True when the return trip is the outward trip played backwards, so that only the
    // outward trip needs to be rendered.
    virtual bool CanMirrorReturn(const AnimateItemList& items) const;
    // The weights of one item at frame index of count steps from START to END.
    virtual void SetFrame(int index, int count, const CAnimateItem& item);
    // Gives result (the item's figure in the frame model) the values between start and end.
    virtual void InterpolateFigure(stroke::CFigure& result, const stroke::CFigure& start,
                                   const stroke::CFigure& end, const CAnimateItem& item);
    virtual my::pointd InterpolatePoint(const my::pointd& start, const my::pointd& end) const;
    virtual stroke::CColor InterpolateColor(const stroke::CColor& start,
                                            const stroke::CColor& end) const;
    // The fill of the frame figure: result (its copy of START's fill) changed in place, or a
    // new fill.
    virtual stroke::FillPtr InterpolateFill(const stroke::FillPtr& result,
                                            const stroke::FillPtr& start,
                                            const stroke::FillPtr& end) const;
    virtual boost::shared_ptr<stroke::CGradationSetting>
    InterpolateGradation(const stroke::CGradationSetting& start,
                         const stroke::CGradationSetting& end) const;

    // A deep copy of start with every item's figure interpolated.
    stroke::ModelPtr CreateFrame(const stroke::CModel& start, const stroke::CModel& end,
                                 const AnimateItemList& items, int index, int count);

    // start + (end - start) * weight, and start itself (bit for bit) when both are equal.
    static double Lerp(double start, double end, double weight);
    // x brought into [0, 2) by steps of 2, then mirrored at 1 into [0, 1].
    static double Fold(double x);

    RoundType m_roundType = RoundType::Rotate;
    std::uint32_t m_roundFlags = RoundFlags::ReverseColor | RoundFlags::ReverseAlpha;
    double m_run = 0.0;
    double m_fold = 0.0;

protected:
    // m_fold when the RoundFlags bit is set (the property comes back), else m_run.
    double WeightFor(std::uint32_t roundFlag) const;
    // The time of the item at the frame: index / count + phase.
    static double TimeOf(int index, int count, const CAnimateItem& item);
    // All five RoundFlags set and no item with a phase.
    bool MirrorPossible(const AnimateItemList& items) const;
    // The same for a path with a sideways amplitude: rotating on along the other side of a
    // loop is not the outward trip reversed.
    bool MirrorPossible(const AnimateItemList& items, double amp) const;

private:
    void InterpolateFills(stroke::CFigure& result, const stroke::CFigure& start,
                          const stroke::CFigure& end) const;
    void InterpolateTexture(stroke::CTextureSetting& result, const stroke::CTextureSetting& start,
                            const stroke::CTextureSetting& end) const;
    std::uint16_t Channel(std::uint16_t start, std::uint16_t end, double weight) const;
};

// The interpolator of the settings' InterpolateType with the return-trip settings copied.
InterpolatorPtr CreateInterpolator(const CTaskSetting& setting);

} // namespace mrv
