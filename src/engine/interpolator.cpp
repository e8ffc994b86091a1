#include "engine/interpolator.h"

#include "common/error.h"
#include "common/message_ids.h"
#include "engine/arc_interpolator.h"
#include "engine/circle_interpolator.h"
#include "stroke/texture.h"

#include <algorithm>
#include <boost/make_shared.hpp>
#include <cmath>

namespace mrv {

namespace {

constexpr std::uint32_t kAllRoundFlags = RoundFlags::ReverseColor | RoundFlags::ReverseAlpha |
                                         RoundFlags::ReverseAngle | RoundFlags::ReverseRate |
                                         RoundFlags::ReverseOffset;

// A copy of gradation with every stop in colour: a single colour seen as a gradation.
boost::shared_ptr<stroke::CGradationSetting> AsGradation(const stroke::CColor& color,
                                                         const stroke::CGradationSetting& shape) {
    auto copy = boost::static_pointer_cast<stroke::CGradationSetting>(shape.Clone());
    for (auto& stop : copy->m_colors) {
        stop.m_color = color;
    }
    return copy;
}

} // namespace

double CInterpolator::Lerp(double start, double end, double weight) {
    if (start == end) {
        return start;
    }
    // The two ends are met exactly, whatever the rounding of end - start.
    if (weight == 0.0) {
        return start;
    }
    if (weight == 1.0) {
        return end;
    }
    return start + (end - start) * weight;
}

double CInterpolator::Fold(double x) {
    double r = std::fmod(x, 2.0);
    if (r < 0.0) {
        r += 2.0;
    }
    if (r >= 2.0) { // a tiny negative x rounds up to 2
        r = 0.0;
    }
    return r > 1.0 ? 2.0 - r : r;
}

double CInterpolator::TimeOf(int index, int count, const CAnimateItem& item) {
    return static_cast<double>(index) / static_cast<double>(count) + item.m_phase;
}

double CInterpolator::WeightFor(std::uint32_t roundFlag) const {
    return (m_roundFlags & roundFlag) != 0 ? m_fold : m_run;
}

bool CInterpolator::MirrorPossible(const AnimateItemList& items) const {
    for (const auto& item : items) {
        if (item->m_phase != 0.0) {
            return false;
        }
    }
    return (m_roundFlags & kAllRoundFlags) == kAllRoundFlags;
}

bool CInterpolator::MirrorPossible(const AnimateItemList& items, double amp) const {
    return MirrorPossible(items) && !(m_roundType == RoundType::Rotate && amp != 0.0);
}

bool CInterpolator::CanMirrorReturn(const AnimateItemList& items) const {
    return MirrorPossible(items);
}

void CInterpolator::SetFrame(int index, int count, const CAnimateItem& item) {
    const double t = TimeOf(index, count, item);
    m_run = t;
    m_fold = Fold(t);
}

my::pointd CInterpolator::InterpolatePoint(const my::pointd& start, const my::pointd& end) const {
    const double w = m_roundType != RoundType::None ? m_fold : m_run;
    return {Lerp(start.x, end.x, w), Lerp(start.y, end.y, w)};
}

std::uint16_t CInterpolator::Channel(std::uint16_t start, std::uint16_t end, double weight) const {
    if (start == end) {
        return start;
    }
    const double value = std::clamp(Lerp(start, end, weight), 0.0, 65535.0);
    return static_cast<std::uint16_t>(value); // truncated toward zero
}

stroke::CColor CInterpolator::InterpolateColor(const stroke::CColor& start,
                                               const stroke::CColor& end) const {
    if (start == end) {
        return start;
    }
    const double w = WeightFor(RoundFlags::ReverseColor);
    stroke::CColor result;
    for (int i = 0; i < 4; ++i) {
        result.m_channels[i] = Channel(start.m_channels[i], end.m_channels[i], w);
    }
    result.m_alpha = Channel(start.m_alpha, end.m_alpha, WeightFor(RoundFlags::ReverseAlpha));
    return result;
}

boost::shared_ptr<stroke::CGradationSetting>
CInterpolator::InterpolateGradation(const stroke::CGradationSetting& start,
                                    const stroke::CGradationSetting& end) const {
    std::vector<double> positions;
    positions.reserve(start.m_colors.size() + end.m_colors.size());
    for (const auto* gradation : {&start, &end}) {
        for (const auto& stop : gradation->m_colors) {
            positions.push_back(std::clamp(stop.m_position, 0.0, 1.0));
        }
    }
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());

    auto result = boost::make_shared<stroke::CGradationSetting>();
    result->m_colors.reserve(positions.size());
    for (const double position : positions) {
        stroke::CColorStop stop;
        stop.m_enabled = true;
        stop.m_position = position;
        stop.m_color = InterpolateColor(start.ColorAt(position), end.ColorAt(position));
        result->m_colors.push_back(stop);
    }
    result->m_angle = Lerp(start.m_angle, end.m_angle, WeightFor(RoundFlags::ReverseAngle));
    return result;
}

void CInterpolator::InterpolateTexture(stroke::CTextureSetting& result,
                                       const stroke::CTextureSetting& start,
                                       const stroke::CTextureSetting& end) const {
    result.m_alpha = Channel(start.m_alpha, end.m_alpha, WeightFor(RoundFlags::ReverseAlpha));
    result.m_angle = Lerp(start.m_angle, end.m_angle, WeightFor(RoundFlags::ReverseAngle));
    const double rate = WeightFor(RoundFlags::ReverseRate);
    result.m_rateX = Lerp(start.m_rateX, end.m_rateX, rate);
    if (start.m_sameRate == end.m_sameRate) {
        result.m_sameRate = start.m_sameRate;
        result.m_rateY = Lerp(start.m_rateY, end.m_rateY, rate);
    } else {
        // One side scales both directions by its x rate: that is its vertical rate here.
        result.m_sameRate = false;
        result.m_rateY = Lerp(start.EffectiveRateY(), end.EffectiveRateY(), rate);
    }
    const double offset = WeightFor(RoundFlags::ReverseOffset);
    result.m_offsetX = Lerp(start.m_offsetX, end.m_offsetX, offset);
    result.m_offsetY = Lerp(start.m_offsetY, end.m_offsetY, offset);
}

stroke::FillPtr CInterpolator::InterpolateFill(const stroke::FillPtr& result,
                                               const stroke::FillPtr& start,
                                               const stroke::FillPtr& end) const {
    if (!start || !end) {
        return result; // pairing lets only two missing fills through
    }
    const auto* startTex = dynamic_cast<const stroke::CTextureSetting*>(start.get());
    const auto* endTex = dynamic_cast<const stroke::CTextureSetting*>(end.get());
    if (startTex != nullptr && endTex != nullptr) {
        if (auto* texture = dynamic_cast<stroke::CTextureSetting*>(result.get())) {
            InterpolateTexture(*texture, *startTex, *endTex);
        }
        return result;
    }
    const auto* startMono = dynamic_cast<const stroke::CMonoSetting*>(start.get());
    const auto* endMono = dynamic_cast<const stroke::CMonoSetting*>(end.get());
    if (startMono != nullptr && endMono != nullptr) {
        if (auto* mono = dynamic_cast<stroke::CMonoSetting*>(result.get())) {
            mono->m_color = InterpolateColor(startMono->m_color, endMono->m_color);
        }
        return result;
    }
    const auto* startGrad = dynamic_cast<const stroke::CGradationSetting*>(start.get());
    const auto* endGrad = dynamic_cast<const stroke::CGradationSetting*>(end.get());
    boost::shared_ptr<const stroke::CGradationSetting> a;
    boost::shared_ptr<const stroke::CGradationSetting> b;
    if (startGrad != nullptr && endGrad != nullptr) {
        a = boost::shared_ptr<const stroke::CGradationSetting>(start, startGrad);
        b = boost::shared_ptr<const stroke::CGradationSetting>(end, endGrad);
    } else if (startMono != nullptr && endGrad != nullptr) {
        a = AsGradation(startMono->m_color, *endGrad);
        b = boost::shared_ptr<const stroke::CGradationSetting>(end, endGrad);
    } else if (startGrad != nullptr && endMono != nullptr) {
        a = boost::shared_ptr<const stroke::CGradationSetting>(start, startGrad);
        b = AsGradation(endMono->m_color, *startGrad);
    } else {
        return result;
    }
    if (a->m_angle == b->m_angle && a->m_colors == b->m_colors) {
        return result;
    }
    return InterpolateGradation(*a, *b);
}

void CInterpolator::InterpolateFills(stroke::CFigure& result, const stroke::CFigure& start,
                                     const stroke::CFigure& end) const {
    result.SetLineFill(
        InterpolateFill(result.GetLineFill(), start.GetLineFill(), end.GetLineFill()));
    result.SetAreaFill(
        InterpolateFill(result.GetAreaFill(), start.GetAreaFill(), end.GetAreaFill()));
}

void CInterpolator::InterpolateFigure(stroke::CFigure& result, const stroke::CFigure& start,
                                      const stroke::CFigure& end, const CAnimateItem& item) {
    switch (result.GetType()) {
    case stroke::FIGURE_LAYER:
    case stroke::FIGURE_LINE:
        InterpolateFills(result, start, end);
        return;
    case stroke::FIGURE_CTRL: {
        auto& point = dynamic_cast<stroke::CLinePoint&>(result);
        const auto& s = dynamic_cast<const stroke::CLinePoint&>(start);
        const auto& e = dynamic_cast<const stroke::CLinePoint&>(end);
        point.m_width = Lerp(s.m_width, e.m_width, m_fold);
        point.SetPosition(InterpolatePoint(s.Position(), e.Position()));
        return;
    }
    case stroke::FIGURE_TANGENT: {
        auto& tangent = dynamic_cast<stroke::CTangentPoint&>(result);
        const auto& s = dynamic_cast<const stroke::CTangentPoint&>(start);
        const auto& e = dynamic_cast<const stroke::CTangentPoint&>(end);
        tangent.SetPosition(InterpolatePoint(s.Position(), e.Position()));
        return;
    }
    case stroke::FIGURE_PART:
        return;
    case stroke::FIGURE_TEXT: {
        auto& text = dynamic_cast<stroke::CText&>(result);
        const auto& s = dynamic_cast<const stroke::CText&>(start);
        const auto& e = dynamic_cast<const stroke::CText&>(end);
        if (text.m_textSetting && s.m_textSetting && e.m_textSetting) {
            auto& setting = *text.m_textSetting;
            setting.m_charSpacing =
                Lerp(s.m_textSetting->m_charSpacing, e.m_textSetting->m_charSpacing, m_fold);
            setting.m_lineSpacing =
                Lerp(s.m_textSetting->m_lineSpacing, e.m_textSetting->m_lineSpacing, m_fold);
            // The layout divides by the third value: it never reaches zero.
            setting.m_thirdSpacing = std::max(0.01, Lerp(s.m_textSetting->m_thirdSpacing,
                                                         e.m_textSetting->m_thirdSpacing, m_fold));
        }
        text.m_width = Lerp(s.m_width, e.m_width, m_fold);
        InterpolateFills(result, start, end);
        return;
    }
    default:
        throw my::CException(IDS_PAIR_UNSUPPORTED_KIND, FigureKindLabel(&result),
                             FigureNameText(&start), FigureNameText(&end),
                             FormatTreePath(*item.m_path));
    }
}

stroke::ModelPtr CInterpolator::CreateFrame(const stroke::CModel& start, const stroke::CModel& end,
                                            const AnimateItemList& items, int index, int count) {
    (void)end;
    auto frame = stroke::CloneAs(start);
    for (const auto& item : items) {
        SetFrame(index, count, *item);
        InterpolateFigure(FigureAt(*frame, *item->m_path), *item->m_start, *item->m_end, *item);
    }
    return frame;
}

InterpolatorPtr CreateInterpolator(const CTaskSetting& setting) {
    InterpolatorPtr interpolator;
    switch (setting.GetInterpolateType()) {
    case InterpolateType::LineLiner:
        interpolator = boost::make_shared<CInterpolator>();
        break;
    case InterpolateType::LineCircle:
        interpolator = boost::make_shared<CCircleInterpolator>(0.0);
        break;
    case InterpolateType::Circle:
        interpolator = boost::make_shared<CCircleInterpolator>(setting.GetInterpolateAmp());
        break;
    case InterpolateType::Arc:
        interpolator = boost::make_shared<CArcInterpolator>(setting.GetInterpolateAmp());
        break;
    default:
        throw my::InternalError("mrv::CreateInterpolator()\nunknown InterpolateType: " +
                                std::to_string(static_cast<int>(setting.GetInterpolateType())));
    }
    interpolator->m_roundType = setting.GetRoundType();
    interpolator->m_roundFlags = setting.GetRoundFlags();
    return interpolator;
}

} // namespace mrv
