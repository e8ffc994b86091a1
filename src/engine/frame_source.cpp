#include "engine/frame_source.h"

#include "common/error.h"
#include "common/format.h"
#include "common/message_ids.h"
#include "engine/pairing.h"
#include "platform/color_profile.h"
#include "render/calc_bounds.h"
#include "render/img_renderer.h"
#include "stroke/serializer.h"

#include <algorithm>
#include <boost/make_shared.hpp>
#include <cmath>

namespace mrv {

namespace {

// A page side in whole pixels as the user reads it.
std::string SideText(double side) {
    return my::WholeNumberText(std::ceil(side));
}

// A colour value of 0..1 as a 16-bit channel, truncated; values outside are held to the range.
std::uint16_t ChannelOf(double value) {
    return static_cast<std::uint16_t>(std::clamp(value, 0.0, 1.0) * 65535);
}

} // namespace

stroke::CPageRect PixelPage(double width, double height) {
    const double w = std::ceil(width);
    const double h = std::ceil(height);
    // An empty page, or one larger than the renderer can hold, is a size the user chose (the
    // drawing's page or the output size), so the message names it.
    if (!(w >= 1.0 && h >= 1.0)) {
        throw my::CException(IDS_PAGE_EMPTY, SideText(width), SideText(height));
    }
    if (w > raster::kMaxPageSide || h > raster::kMaxPageSide) {
        throw my::CException(IDS_IMAGE_TOO_LARGE_TO_DRAW, SideText(width), SideText(height),
                             raster::kMaxPageSide);
    }
    return {0, 0, static_cast<std::int32_t>(w), static_cast<std::int32_t>(h)};
}

CFrameSource::CFrameSource(const CTaskSetting& setting, const ReadStep& afterRead)
    : m_setting(setting) {
    m_start = stroke::CSerializer::ReadModel(m_setting.GetSrcPath0());
    if (afterRead) {
        afterRead();
    }
    m_end = stroke::CSerializer::ReadModel(m_setting.GetSrcPath1());
    if (afterRead) {
        afterRead();
    }
    m_workingSpace = boost::make_shared<CColorProfile>();
    ToWorkingSpace(*m_start, m_workingSpace);
    ToWorkingSpace(*m_end, m_workingSpace);

    PairModels(m_setting, *m_start, *m_end, m_items);

    const double multiple =
        m_setting.HasFlags(TaskFlags::Phase) ? m_setting.GetPhaseMultiple() : 0.0;
    bool hasPhase = false;
    for (const auto& item : m_items) {
        if (item->m_phase != 0.0) {
            item->m_phase *= multiple;
            hasPhase = hasPhase || item->m_phase != 0.0;
        }
    }
    m_mirror = NewInterpolator()->CanMirrorReturn(m_items);
    const CScheduleParams params{m_setting.GetInterFrameCount(), hasPhase,
                                 m_setting.GetRoundType() != RoundType::None && !m_mirror};
    m_plan = PlanPass(params);
    // As the savers play a return trip back: only when it is set and has frames between ends.
    m_replayed = m_setting.GetRoundType() != RoundType::None && m_mirror && m_plan.size() > 2;
}

CFrameSource::~CFrameSource() = default;

std::size_t CFrameSource::OutputFrameCount() const {
    return m_replayed ? 2 * m_plan.size() - 2 : m_plan.size();
}

std::size_t CFrameSource::PlanIndexOf(std::size_t outputFrame) const {
    return SourceFrameIndex(outputFrame, m_plan.size(), m_replayed);
}

stroke::ModelPtr CFrameSource::Model(std::size_t planIndex, CInterpolator& interpolator) const {
    return MakeFrameModel(m_plan.at(planIndex), InterFrameCount(), m_start, m_end, m_items,
                          interpolator);
}

std::optional<CTrimRect> CFrameSource::DrawnRect(std::size_t planIndex,
                                                 CInterpolator& interpolator) const {
    const stroke::ModelPtr frame = Model(planIndex, interpolator);
    stroke::CCalcBounds bounds(stroke::FIGURE_LINE | stroke::FIGURE_TEXT);
    const stroke::CBoundsRect& r = bounds.Calc(*frame);
    if (r.empty) {
        return std::nullopt;
    }
    const CTrimRect rect{r.left, r.top, r.Width(), r.Height()};
    const CTrimRect page{0.0, 0.0, frame->m_width, frame->m_height};
    return rect.Intersect(page);
}

void CFrameSource::FitToOutput(const CTrimRect& trim) {
    // Both models get the same transform, so the in-betweens made from them fit as well.
    mrv::FitToOutput(*m_start, m_setting, trim);
    mrv::FitToOutput(*m_end, m_setting, trim);
}

void CFrameSource::Prepare(const CTerminable* terminator) {
    const auto checkStop = [terminator] {
        if (terminator != nullptr && terminator->IsTerminating()) {
            throw my::CException(IDS_TASK_INTERRUPTED);
        }
    };
    CTrimRect trim;
    if (m_setting.HasFlags(TaskFlags::AutoTrim)) {
        // The union is taken in frame order, as the run's measuring pass does.
        const InterpolatorPtr interpolator = NewInterpolator();
        for (std::size_t i = 0; i < m_plan.size(); ++i) {
            checkStop();
            if (const std::optional<CTrimRect> rect = DrawnRect(i, *interpolator)) {
                trim = trim.Unite(*rect);
            }
        }
    }
    checkStop();
    FitToOutput(trim);
}

void CFrameSource::ScaleInto(double width, double height) {
    Page(); // an empty or oversized page is refused before it is scaled
    const double scale =
        std::min(LargestScale(width, m_start->m_width), LargestScale(height, m_start->m_height));
    if (!(scale > 0.0) || !std::isfinite(scale)) {
        throw my::CException(IDS_PAGE_EMPTY, SideText(width), SideText(height));
    }
    ScaleFitted(*m_start, scale);
    ScaleFitted(*m_end, scale);
}

stroke::CPageRect CFrameSource::Page() const {
    return PixelPage(m_start->m_width, m_start->m_height);
}

CImgPtr RenderFitted(const stroke::ModelPtr& model, const CTaskSetting& setting) {
    stroke::CColor background;
    if (setting.HasFlags(TaskFlags::BkColor)) {
        // BkColor keeps its channels in the order blue, green, red (the colour dialog's order).
        const my::colord& c = setting.GetBkColor();
        background = stroke::CColor(ChannelOf(c.c[2]), ChannelOf(c.c[1]), ChannelOf(c.c[0]), 0,
                                    ChannelOf(c.a));
    }
    const stroke::CPageRect page = PixelPage(model->m_width, model->m_height);
    stroke::CImgRenderer renderer;
    return renderer.Render(page, background, model, model->m_resolution);
}

CImgPtr CFrameSource::Render(std::size_t planIndex, CInterpolator& interpolator) const {
    return RenderFitted(Model(planIndex, interpolator), m_setting);
}

} // namespace mrv
