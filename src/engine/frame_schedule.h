// The frame schedule of a generation pass: which interpolation indices are made, in which
// order, which of them reuse the loaded START and END models, and how much progress each adds.
#pragma once

#include "engine/interpolator.h"

#include <boost/function.hpp>
#include <cstdint>
#include <vector>

namespace mrv {

// Where the model of a scheduled frame comes from.
enum class FrameSource { Start, End, Interpolated };

struct CScheduledFrame {
    int m_index = 0; // interpolation index: 0 START, n + 1 END, beyond: the return trip
    FrameSource m_source = FrameSource::Interpolated;
    int m_progress = 1; // progress steps the frame adds once it is done

    friend bool operator==(const CScheduledFrame&, const CScheduledFrame&) = default;
};

// What fixes the frames of a run.
struct CScheduleParams {
    int m_interFrameCount = 0; // n
    bool m_hasPhase = false;   // some item has a non-zero phase
    bool m_returnTrip = false; // the return trip is rendered (RoundType not None, no mirror)
};

// The frames of one pass in order: n + 2 without a rendered return trip, 2n + 2 with one (when
// n >= 1). Their progress always adds up to 2n + 2.
std::vector<CScheduledFrame> PlanPass(const CScheduleParams& params);

// The progress total a run announces: (2 with AutoTrim, else 1) x (2n + 2) + 3.
std::int32_t ProgressTotal(int interFrameCount, bool autoTrim);

// The model of a planned frame: the loaded START or END, or a frame made by the interpolator
// with count = n + 1. The models and items are only read, so frames can be made on several
// threads at once as long as each has its own interpolator.
stroke::ModelPtr MakeFrameModel(const CScheduledFrame& frame, int interFrameCount,
                                const stroke::ModelPtr& start, const stroke::ModelPtr& end,
                                const AnimateItemList& items, CInterpolator& interpolator);

// Runs one pass: for each planned frame, its model (the loaded START or END, or a frame made
// by the interpolator with count = n + 1) goes to onFrame, then afterFrame gets the frame's
// progress steps (it checks for a stop and advances the progress).
using FrameCallback = boost::function<void(const stroke::ModelPtr& frame, int index)>;
using StepCallback = boost::function<void(int steps)>;
void RunPass(const std::vector<CScheduledFrame>& plan, int interFrameCount,
             const stroke::ModelPtr& start, const stroke::ModelPtr& end,
             const AnimateItemList& items, CInterpolator& interpolator,
             const FrameCallback& onFrame, const StepCallback& afterFrame);

} // namespace mrv
