// mrv::CExtractItems: the second walk of pairing. It rejects every difference of values that
// cannot be animated (colour spaces, page sizes, caps, joins, closing, texts, fill kinds) and
// lists the paired figures whose animatable values differ, each with the phase that the names
// around it give.
#pragma once

#include "engine/pair_enumerator.h"
#include "engine/task_setting.h"

#include <functional>
#include <optional>

namespace mrv {

class CExtractItems : public CEnumerator {
public:
    explicit CExtractItems(const CTaskSetting& setting);

    // Appends the items of the pair (start, end) to items; raises the first mismatch met, or,
    // with a sink, hands every mismatch to it.
    void Extract(AnimateItemList& items, stroke::CModel& start, stroke::CModel& end);
    // The same walk and checks without making items, for a check of the pair alone.
    void CheckOnly(stroke::CModel& start, stroke::CModel& end);

    void VisitModel(stroke::CModel& start, stroke::CModel& end) override;
    void VisitLayer(stroke::CLayer& start, stroke::CLayer& end) override;
    void VisitLine(stroke::CLine& start, stroke::CLine& end) override;
    void VisitLinePart(stroke::CLinePart& start, stroke::CLinePart& end) override;
    void VisitLinePoint(stroke::CLinePoint& start, stroke::CLinePoint& end) override;
    void VisitTangentPoint(stroke::CTangentPoint& start, stroke::CTangentPoint& end) override;
    void VisitText(stroke::CText& start, stroke::CText& end) override;

private:
    enum class FillSide { Line, Area };

    // True when the two fills differ in an animatable value; reports them when they cannot be
    // paired.
    bool FillsDiffer(FillSide side, const stroke::FillPtr& start, const stroke::FillPtr& end,
                     const stroke::CFigure& startFigure, const stroke::CFigure& endFigure) const;
    // Line fill, then area fill.
    bool AnyFillDiffers(const stroke::CFigure& start, const stroke::CFigure& end) const;
    // Caps, then joins, each reported when they differ.
    void CheckStrokeStyle(const stroke::CPartHolder& start, const stroke::CPartHolder& end,
                          std::uint32_t capMessage, std::uint32_t joinMessage) const;
    void Run(AnimateItemList* items, stroke::CModel& start, stroke::CModel& end);
    void AddItem(stroke::CFigure& start, stroke::CFigure& end);
    // The phase the START figure's name gives (only with the Phase flag); a bad phase number is
    // reported for the pair.
    std::optional<double> PhaseOf(const stroke::CFigure& start, const stroke::CFigure& end) const;
    // Walks the inside of a named figure with its phase in force.
    void WithPhaseOf(const stroke::CFigure& start, const stroke::CFigure& end,
                     const std::function<void()>& walk);

    std::uint32_t m_flags;
    std::u16string m_openBrace;
    std::u16string m_closeBrace;
    AnimateItemList* m_items = nullptr;
    std::vector<double> m_phases;
};

} // namespace mrv
