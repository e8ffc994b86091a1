#include "engine/frame_schedule.h"

namespace mrv {

std::vector<CScheduledFrame> PlanPass(const CScheduleParams& params) {
    const int n = params.m_interFrameCount;
    std::vector<CScheduledFrame> plan;
    plan.reserve(static_cast<std::size_t>(2 * n + 2));
    const auto endpoint = [&](FrameSource loaded) {
        return params.m_hasPhase ? FrameSource::Interpolated : loaded;
    };
    plan.push_back({0, endpoint(FrameSource::Start), 1});
    // Without a rendered return trip the in-betweens carry its share of the progress, so that
    // the bar moves the same way in either case.
    const int betweenSteps = params.m_returnTrip ? 1 : 2;
    for (int i = 1; i <= n; ++i) {
        plan.push_back({i, FrameSource::Interpolated, betweenSteps});
    }
    plan.push_back({n + 1, endpoint(FrameSource::End), 1});
    if (params.m_returnTrip && n >= 1) {
        for (int i = n + 2; i <= 2 * n + 1; ++i) {
            plan.push_back({i, FrameSource::Interpolated, 1});
        }
    }
    return plan;
}

std::int32_t ProgressTotal(int interFrameCount, bool autoTrim) {
    return (autoTrim ? 2 : 1) * (2 * interFrameCount + 2) + 3;
}

stroke::ModelPtr MakeFrameModel(const CScheduledFrame& frame, int interFrameCount,
                                const stroke::ModelPtr& start, const stroke::ModelPtr& end,
                                const AnimateItemList& items, CInterpolator& interpolator) {
    switch (frame.m_source) {
    case FrameSource::Start:
        return start;
    case FrameSource::End:
        return end;
    case FrameSource::Interpolated:
        break;
    }
    return interpolator.CreateFrame(*start, *end, items, frame.m_index, interFrameCount + 1);
}

void RunPass(const std::vector<CScheduledFrame>& plan, int interFrameCount,
             const stroke::ModelPtr& start, const stroke::ModelPtr& end,
             const AnimateItemList& items, CInterpolator& interpolator,
             const FrameCallback& onFrame, const StepCallback& afterFrame) {
    for (const auto& frame : plan) {
        onFrame(MakeFrameModel(frame, interFrameCount, start, end, items, interpolator),
                frame.m_index);
        afterFrame(frame.m_progress);
    }
}

} // namespace mrv
