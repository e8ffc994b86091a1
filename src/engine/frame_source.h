// mrv::CFrameSource: what frame k of a run looks like, made one way for every caller. START and
// END are read and paired once, the run's schedule is planned, the page is trimmed and fitted
// to the output (and, for a preview, scaled into a box); then any frame is modelled by an
// interpolator and rendered on demand, without writing a file. The generation task, the
// desktop preview and `morvane-cli --frame` all render through it.
#pragma once

#include "common/terminable.h"
#include "engine/animate_item.h"
#include "engine/frame_schedule.h"
#include "engine/interpolator.h"
#include "engine/model_fit.h"
#include "engine/task_setting.h"
#include "output/img_saver.h"
#include "render/model_renderer.h"

#include <boost/shared_ptr.hpp>
#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

class CColorProfile;

namespace mrv {

class CFrameSource {
public:
    // Runs after each of the two files is read: the caller's stop question and progress.
    using ReadStep = std::function<void()>;

    // Reads SrcPath0 and SrcPath1 of setting with the stroke reader, brings both into one
    // working colour space, pairs them (raising the first difference, as a run does), applies
    // the phase multiple and plans the pass. The setting is copied.
    explicit CFrameSource(const CTaskSetting& setting, const ReadStep& afterRead = {});
    ~CFrameSource();
    CFrameSource(const CFrameSource&) = delete;
    CFrameSource& operator=(const CFrameSource&) = delete;

    const CTaskSetting& Setting() const { return m_setting; }
    int InterFrameCount() const { return m_setting.GetInterFrameCount(); }
    // Whether the interpolator makes the return trip the outward trip played backwards, so that
    // only the outward trip is planned.
    bool IsMirrored() const { return m_mirror; }
    // The frames a pass renders, in order.
    const std::vector<CScheduledFrame>& Plan() const { return m_plan; }
    // The frames the run writes: the plan, and the plan played back when it is replayed.
    std::size_t OutputFrameCount() const;
    // The planned frame that output frame j (0-based, below OutputFrameCount) shows.
    std::size_t PlanIndexOf(std::size_t outputFrame) const;

    // An interpolator for one thread: it holds the weights of the frame being made.
    InterpolatorPtr NewInterpolator() const { return CreateInterpolator(m_setting); }
    // The model of planned frame i: the loaded START or END, or an interpolated copy.
    stroke::ModelPtr Model(std::size_t planIndex, CInterpolator& interpolator) const;
    // The part of frame i's page its lines and texts cover; nothing when they cover none.
    std::optional<CTrimRect> DrawnRect(std::size_t planIndex, CInterpolator& interpolator) const;

    // Fits START and END to the output of the setting, cropped to trim unless it is empty (the
    // union of every frame's DrawnRect, with AutoTrim). Called once, before Render.
    void FitToOutput(const CTrimRect& trim);
    // For callers on one thread: measures the trim rectangle frame by frame when AutoTrim is
    // set (asking terminator between frames; a stop raises "処理が中断されました"), then
    // FitToOutput.
    void Prepare(const CTerminable* terminator);
    // After fitting: scales the page uniformly so that it fits into width x height pixels, up
    // or down; the frames are then rendered at that size rather than drawn and shrunk.
    void ScaleInto(double width, double height);
    // The page of every frame in whole pixels, once fitted. Raises IDS_PAGE_EMPTY for an empty
    // page and IDS_IMAGE_TOO_LARGE_TO_DRAW past the renderer's largest side.
    stroke::CPageRect Page() const;

    // Planned frame i rendered over the setting's background (transparent without BkColor).
    CImgPtr Render(std::size_t planIndex, CInterpolator& interpolator) const;
    // Output frame j rendered: what the run writes as its frame j.
    CImgPtr RenderOutput(std::size_t outputFrame, CInterpolator& interpolator) const {
        return Render(PlanIndexOf(outputFrame), interpolator);
    }

private:
    CTaskSetting m_setting;
    boost::shared_ptr<CColorProfile> m_workingSpace;
    stroke::ModelPtr m_start;
    stroke::ModelPtr m_end;
    AnimateItemList m_items;
    std::vector<CScheduledFrame> m_plan;
    bool m_mirror = false;
    bool m_replayed = false; // the written frames replay the plan backwards
};

// The page of a frame in whole pixels (see CFrameSource::Page).
stroke::CPageRect PixelPage(double width, double height);

// A model fitted to pixels rendered over the setting's background (transparent without
// BkColor), as every frame of a run is.
CImgPtr RenderFitted(const stroke::ModelPtr& model, const CTaskSetting& setting);

} // namespace mrv
